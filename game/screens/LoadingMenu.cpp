#include "game/screens/LoadingMenu.h"

#include <utility>

#include "app/QuorAppBase.h"
#include "core/expr/ExprValue.h"
#include "core/util/Log.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/Color.h"
#include "graphics/D3DInterface.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/AssetManager.h"

namespace {

// The board's paused cover is this colour too: the covered screen looks like a paused one.
const Color kCoverColor(0, 0, 0, 128);

bool gSynchronousLoading = false;

}  // namespace

LoadingMenu::LoadingMenu() : Menu(kScript) {
    mShowThroughTransition = true;
    // The intro's "intro_finished" comes back here through the screen's own listener slot.
    AnimationListener::ListenTo(this);
    auto* screenshot = new DynamicWidget(0, 0, nullptr, 1.0f);
    if (D3DInterface* device = D3DInterface::Get()) {
        // The picture belongs to the child that shows it, so it lives exactly as long as that
        // child, however the script moves or drops it.
        if (std::unique_ptr<ImageSurface> picture = device->SnapshotCursorImage()) {
            screenshot->SetOwnImageCopy(std::move(picture));
        }
    }
    RegisterObject("screenshot", screenshot);
    mScreenshot.Set(screenshot);
}

LoadingMenu::~LoadingMenu() {
    mAbort.store(true);
    JoinWorker();
}

void LoadingMenu::SetSynchronousLoading(bool on) {
    gSynchronousLoading = on;
}

bool LoadingMenu::IsSynchronousLoading() {
    return gSynchronousLoading;
}

void LoadingMenu::StartLoading(const AssetSet& names, const std::string& group) {
    if (mWorker.joinable() || !mDone.load()) {
        return;
    }
    mNames = names;
    mGroup = group;
    mDone.store(false);
    if (gSynchronousLoading) {
        RunLoad();
        return;
    }
    mWorker = std::thread([this] { RunLoad(); });
}

void LoadingMenu::AlsoLoad(const AssetSet& names, const std::string& group) {
    if (mWorker.joinable() || !mDone.load()) {
        return;
    }
    mMoreNames = names;
    mMoreGroup = group;
}

void LoadingMenu::RunLoad() {
    // The application outlives every screen, and screens join their worker before they go.
    QuorAppBase* app = gApp;
    if (app != nullptr) {
        app->EnterGroupLoader(&mAbort);
    }
    // Developers and the quit test read this line to know the worker is inside the group.
    DebugOutput("Loading group \"%s\"", mGroup.c_str());
    std::string result;
    AssetManager::Get().LoadGroup(&result, mNames, &mAbort, mGroup);
    if (!mMoreGroup.empty() && !mAbort.load()) {
        AssetManager::Get().LoadGroup(&result, mMoreNames, &mAbort, mMoreGroup);
    }
    if (app != nullptr) {
        app->LeaveGroupLoader(&mAbort);
    }
    mDone.store(true);
}

void LoadingMenu::JoinWorker() {
    if (mWorker.joinable()) {
        mWorker.join();
    }
}

void LoadingMenu::StartMusic(const std::string& name) {
    if (name.empty()) {
        return;
    }
    GetVariables().Set("c_music", ExprValue::FromString(name));
    ReplaceOrQueueAnimationRef("playmusictutorial");
}

void LoadingMenu::AnimationEvent(uint32_t id, const std::string& message) {
    if (message != "intro_finished") {
        Menu::AnimationEvent(id, message);
        return;
    }
    mCovered = true;
    if (Widget* screenshot = mScreenshot.Get()) {
        screenshot->MarkForRemoval();
    }
    mScreenshot.Clear();
    MarkDirty();
}

void LoadingMenu::DrawAll(WidgetFlagState& state, Graphics* g) {
    if (!mCovered) {
        Menu::DrawAll(state, g);
        return;
    }
    g->SetColor(kCoverColor);
    g->FillRect(0.0f, 0.0f, static_cast<float>(mWidth), static_cast<float>(mHeight));
}

void LoadingMenu::RemovedFromManager(WidgetManager* manager) {
    mAbort.store(true);
    JoinWorker();
    Menu::RemovedFromManager(manager);
}

Widget* LoadingMenu::CreateTransition() {
    return MakeTransition(this, "map_to_select_transition");
}

void LoadingMenu::Update() {
    Menu::Update();
    if (mMovedOn || !mCovered || !mDone.load()) {
        return;
    }
    // The worker has finished: this join does not wait.
    JoinWorker();
    mMovedOn = true;
    MoveOn();
    MarkForRemoval();
}
