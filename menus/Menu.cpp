#include "menus/Menu.h"

#include <set>
#include <typeinfo>

#include "app/GameApp.h"
#include "audio/SoundPlayer.h"
#include "graphics/D3DInterface.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "menus/NoticeMenu.h"
#include "menus/TitleScreen.h"
#include "platform/CursorNumbers.h"
#include "widgets/WidgetManager.h"
#include "widgets/controls/ButtonWidget.h"

namespace {

constexpr size_t kTypedCodeLength = 8;

SoundPlayer* Player() {
    auto* app = dynamic_cast<GameApp*>(gApp);
    return app != nullptr ? app->mSoundPlayer : nullptr;
}

Widget* AddAsDialog(Widget* shown) {
    if (gApp != nullptr) {
        gApp->AddDialog(shown);
    }
    return shown;
}

}  // namespace

GameApp* Menu::App() {
    return dynamic_cast<GameApp*>(gApp);
}

Menu::Menu(Image* background, bool raised, bool centered) : AnimationWidget("", 0, 0, false) {
    SharedSetUp();
    if (raised) {
        mDrawPriority = 2;
        mZOrder = 2;
    }
    const int designWidth = gApp != nullptr ? gApp->GetDesignWidth() : 1024;
    const int designHeight = gApp != nullptr ? gApp->GetDesignHeight() : 768;
    if (background != nullptr) {
        SetImage(background);
        if (centered) {
            Move(static_cast<float>(designWidth / 2 - mWidth / 2),
                 static_cast<float>(designHeight / 2 - mHeight / 2));
        }
    } else {
        Resize(0.0f, 0.0f, designWidth, designHeight);
    }
    if (gApp != nullptr) {
        gApp->SetCursor(cursor::kArrow);
    }
}

Menu::Menu(const std::string& scriptName) : AnimationWidget("", 0, 0, false) {
    SharedSetUp();
    const int designWidth = gApp != nullptr ? gApp->GetDesignWidth() : 1024;
    const int designHeight = gApp != nullptr ? gApp->GetDesignHeight() : 768;
    Resize(0.0f, 0.0f, designWidth, designHeight);
    if (gApp != nullptr) {
        gApp->SetCursor(cursor::kArrow);
    }
    PlayAnimationRef(scriptName);
}

void Menu::SharedSetUp() {
    // Every widget of the menu asks the menu whether its updates are suspended.
    PropagateTreeValue(this, true);
    mMouseVisible = true;
}

Menu::~Menu() {
    // Unlinked here, while the menu's own overrides still run (sounds, menu list, focus).
    if (mParent != nullptr) {
        mDeleteOnRemove = false;
        mParent->RemoveWidget(this);
    }
    if (GameApp* app = App()) {
        app->UnregisterMenu(this);
    }
}

Widget* Menu::ShowAsDialog(Menu* m) {
    if (m == nullptr) {
        return nullptr;
    }
    return AddAsDialog(m->mShowThroughTransition ? m->CreateTransition() : m);
}

Widget* Menu::ShowWithTransition(Menu* m) {
    return m != nullptr ? AddAsDialog(m->CreateTransition()) : nullptr;
}

Widget* Menu::CreateTransition() {
    GameApp* app = App();
    return app != nullptr ? app->WrapMenuInTransition(this) : this;
}

ButtonWidget* Menu::AddButton(WidgetContainer* container, int x, int y, const std::string& type,
                              const std::string& label, bool localize) {
    auto* button = new ButtonWidget(x, y, type, label, localize);
    if (container != nullptr) {
        container->AddWidget(button);
    }
    return button;
}

Widget* Menu::AddWidgetFromApp(WidgetContainer* container, int x, int y, const std::string& label) {
    GameApp* app = App();
    Widget* widget = app != nullptr ? app->CreateMenuButton(x, y, label, true) : nullptr;
    if (container != nullptr && widget != nullptr) {
        container->AddWidget(widget);
    }
    return widget;
}

bool Menu::HasScheduledWork() const {
    const std::type_info& type = typeid(*this);
    if (type != typeid(Menu) && type != typeid(TitleScreen) &&
        (mRestingType == nullptr || type != *mRestingType)) {
        return true;  // a derived menu with updates of its own answers for itself
    }
    return ScriptHasScheduledWork();
}

// --- suspension ---

bool Menu::IsUpdateSuspended() {
    if (gApp != nullptr && gApp->GetPauseCount() > 0) {
        return true;
    }
    // There is no screen-saver preview window on this platform, so an inactive menu always
    // suspends itself when it asks to.
    return mPausesWhenInactive && mManager != nullptr && !mActive;
}

void Menu::RefreshSuspension() {
    std::set<int> ids;
    for (const auto& [id, count] : mLoopingSounds) {
        (void)count;
        ids.insert(id);
    }
    const bool suspended = IsUpdateSuspended();
    if (suspended) {
        if (mRemovedBySuspension == 0) {
            // Only a flag the menu takes away itself is ever given back.
            mRemovedBySuspension =
                (mFlagsRemove & widgetflags::kMouse) == 0 ? widgetflags::kMouse : 0;
            mFlagsRemove |= mRemovedBySuspension;
        }
    } else {
        mFlagsRemove &= ~mRemovedBySuspension;
        mRemovedBySuspension = 0;
    }
    if (!ids.empty()) {
        if (SoundPlayer* player = Player()) {
            player->SetLoopsMuted(suspended, ids);
        }
    }
}

void Menu::SetActive(bool active) {
    mActive = active;
    RefreshSuspension();
}

bool Menu::SetPausesWhenInactive(bool pauses) {
    const bool previous = mPausesWhenInactive;
    mPausesWhenInactive = pauses;
    if (previous != pauses) {
        RefreshSuspension();
    }
    return previous;
}

// --- looping sounds ---

void Menu::StartLoopingSound(int soundId, float fadeInRate) {
    ++mLoopingSounds[soundId];
    if (SoundPlayer* player = Player()) {
        player->PlayLooping(soundId, fadeInRate);
    }
}

void Menu::StopLoopingSound(int soundId, float fadeOutRate) {
    const auto it = mLoopingSounds.find(soundId);
    if (it == mLoopingSounds.end()) {
        return;
    }
    if (--it->second <= 0) {
        mLoopingSounds.erase(it);
    }
    if (SoundPlayer* player = Player()) {
        player->StopLooping(soundId, fadeOutRate);
    }
}

void Menu::StopAllLoopingSounds(float fadeOutRate) {
    const std::map<int, int> loops = std::move(mLoopingSounds);
    mLoopingSounds.clear();
    SoundPlayer* player = Player();
    if (player == nullptr) {
        return;
    }
    for (const auto& [id, count] : loops) {
        for (int i = 0; i < count; ++i) {
            player->StopLooping(id, fadeOutRate);
        }
    }
}

int Menu::GetLoopingSoundCount(int soundId) const {
    const auto it = mLoopingSounds.find(soundId);
    return it == mLoopingSounds.end() ? 0 : it->second;
}

Widget* Menu::OpenNotice(const std::string& key) {
    auto* notice = new NoticeMenu(key, nullptr, "menu", 2);
    ShowAsDialog(notice);
    return notice;
}

// --- snapshot ---

void Menu::SnapshotScreen(bool renderTree) {
    mSnapshot.reset();
    if (renderTree) {
        // A render target, so that the picture can be drawn into on the GPU as well.
        auto surface = std::make_unique<ImageSurface>(true);
        surface->Create(mWidth, mHeight);
        // A menu not yet shown pictures the screen it is about to replace: the application's
        // tree, which it will join.
        WidgetManager* manager = mManager;
        if (manager == nullptr && gApp != nullptr) {
            manager = gApp->GetWidgetManager();
        }
        if (manager != nullptr) {
            Graphics g(surface.get());
            manager->DrawPassA(&g);
        }
        mSnapshot = std::move(surface);
    } else if (D3DInterface* device = D3DInterface::Get()) {
        mSnapshot = device->SnapshotCursorImage();
    }
}

void Menu::CloseThroughApp() {
    if (GameApp* app = App()) {
        app->LoadingComplete();
    }
    MarkForRemoval();
}

// --- focus, input, membership ---

void Menu::GotFocus() {
    AnimationWidget::GotFocus();
    GameApp* app = App();
    if (app == nullptr) {
        return;
    }
    Widget* previous = app->GetActiveMenu();
    if (previous != this) {
        if (auto* old = dynamic_cast<MenuInterface*>(previous)) {
            old->SetActive(false);
        }
        app->SetActiveMenu(this);
        SetActive(true);
    }
    MarkDirty();
}

void Menu::KeyChar(char c) {
    mTypedChars.push_back(c);
    if (mTypedChars.size() > kTypedCodeLength) {
        mTypedChars.erase(0, mTypedChars.size() - kTypedCodeLength);
    }
    if (mTypedChars.size() == kTypedCodeLength) {
        if (GameApp* app = App()) {
            app->HandleDeveloperCode(mTypedChars);
        }
    }
}

void Menu::MouseDown(int x, int y, int clickCount) {
    AnimationWidget::MouseDown(x, y, clickCount);
    if (IsUpdateSuspended() && mManager != nullptr) {
        mManager->SetFocus(this);
        RefreshSuspension();
    }
}

void Menu::AddedToManager(WidgetManager* manager) {
    GameApp* app = App();
    if (app != nullptr) {
        app->RegisterMenu(this);
    }
    Widget* const activeBefore = app != nullptr ? app->GetActiveMenu() : nullptr;
    AnimationWidget::AddedToManager(manager);
    if (mManager != manager) {
        return;  // the script took the menu out again
    }
    if (mRemoved) {
        MarkForRemoval();
        return;
    }
    // A menu that the script opened at once (a notice) keeps the focus: taken back, it would
    // sit suspended and deaf to the mouse over a screen that waits for it to close.
    Widget* const activeNow = app != nullptr ? app->GetActiveMenu() : nullptr;
    if (activeNow != activeBefore && activeNow != this && activeNow != nullptr) {
        return;
    }
    manager->SetFocus(this);
}

void Menu::RemovedFromManager(WidgetManager* manager) {
    StopAllLoopingSounds(0.0f);
    AnimationWidget::RemovedFromManager(manager);
    GameApp* app = App();
    if (app == nullptr) {
        return;
    }
    const bool wasActive = app->GetActiveMenu() == this;
    app->UnregisterMenu(this);
    mActive = false;
    if (wasActive && !app->GetMenus().empty()) {
        manager->SetFocus(app->GetMenus().back());
    }
}

void Menu::AddedToParent(WidgetContainer* parent) {
    AnimationWidget::AddedToParent(parent);
    // The parent handed down its own owner; the menu decides for its subtree.
    PropagateTreeValue(this, true);
}

void Menu::MarkForRemoval() {
    mRemoved = true;
    if (gApp != nullptr && gApp->HasDialog(this)) {
        // The table removes the menu now and deletes it after the current pass, so a menu may
        // close itself from its own handlers.
        gApp->KillDialogByPointer(this);
        return;
    }
    AnimationWidget::MarkForRemoval();
}
