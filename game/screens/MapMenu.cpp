#include "game/screens/MapMenu.h"

#include <cstdio>
#include <memory>

#include "core/expr/LiveObjectRegistry.h"
#include "core/util/StringUtil.h"
#include "game/data/PlayerState.h"
#include "game/data/PuzzleCatalog.h"
#include "game/data/SetTable.h"
#include "game/screens/ScreenFlow.h"
#include "game/screens/ScreenTexts.h"
#include "graphics/Graphics.h"
#include "graphics/ImageSurface.h"
#include "widgets/controls/ButtonWidget.h"
#include "widgets/script/AnimationCommand.h"

namespace {

// Above the depth of every child the map's scripts add (they keep the default 0).
constexpr int kSnapshotDepth = 1000;

// A plain widget that owns the picture it shows.
class SnapshotBackground : public DynamicWidget {
public:
    explicit SnapshotBackground(std::unique_ptr<ImageSurface> surface)
        : DynamicWidget(0, 0, nullptr, 1.0f) {
        SetOwnImageCopy(std::move(surface));
    }
    bool HasScheduledWork() const override { return AnimatedStateHasScheduledWork(); }
};

}  // namespace

MapMenu::MapMenu(const std::string& gameName, bool noAnimation)
    : Menu(nullptr, false, false), mGameName(gameName), mNoAnimation(noAnimation) {
    Start();
}

MapMenu::MapMenu(const Image* snapshot, const std::string& setName, const std::string& gameName)
    : Menu(nullptr, false, false), mNoAnimation(false), mSetName(setName) {
    GetVariables().Set("animate_map", ExprValue::FromBool(true));
    if (!setName.empty()) {
        GetVariables().Set("set_name", ExprValue::FromString(setName));
    }
    if (!gameName.empty()) {
        GetVariables().Set("game_name", ExprValue::FromString(gameName));
    }
    if (snapshot != nullptr) {
        auto surface = std::make_unique<ImageSurface>(true);
        surface->Create(snapshot->GetWidth(), snapshot->GetHeight());
        {
            Graphics g(surface.get());
            g.DrawImage(const_cast<Image*>(snapshot), 0.0f, 0.0f);
        }
        auto* background = new SnapshotBackground(std::move(surface));
        background->mFlagsAdd |= widgetflags::kDraw;
        // Over everything the map's scripts add (the opaque map picture first), so its fade
        // uncovers the map; it takes no pointer, so the buttons beneath work as it fades.
        background->mZOrder = kSnapshotDepth;
        RegisterObject("transition_bg", background);
        mFadesFromSnapshot = true;
    }
    mGameName = CurrentGameName();
    Start();
}

void MapMenu::Start() {
    GetVariables().Set("c_gamename", ExprValue::FromString(mGameName));
    QueueAnimationRef("map_init_" + mGameName);
}

ButtonWidget* MapMenu::GetEntryButton(size_t i) const {
    if (i >= mEntries.size() || mEntries[i].buttonLiveId == 0) {
        return nullptr;
    }
    return dynamic_cast<ButtonWidget*>(LiveObjectRegistry::ResolveWidget(mEntries[i].buttonLiveId));
}

void MapMenu::AddedToManager(WidgetManager* manager) {
    Menu::AddedToManager(manager);
    if (mManager != manager) {
        return;
    }
    VariableTable& vars = GetVariables();
    vars.Set("c_setcount", ExprValue::FromInt(CountSetsInMode(mGameName, 0)));
    vars.Set("c_gamename", ExprValue::FromString(mGameName));
    // Without a snapshot (no render device) there is no earlier screen to fade from.
    vars.Set("animate_map_time",
             ExprValue::FromInt(mNoAnimation || !mFadesFromSnapshot ? 0 : kAnimateTime));
    QueueAnimationRef("map_menu_" + mGameName);
    QueueAnimationRef("map_highlight_button");
}

CommandAnswer MapMenu::HandleCommand(const AnimationCommand& command) {
    if (command.mCommand != "set-item") {
        return CommandAnswer::kNotHandled;
    }
    PlaceSetItem();
    return CommandAnswer::kHandled;
}

void MapMenu::PlaceSetItem() {
    const int index = GetParamInt("index");
    const SetRecord* set = GetSetRecord(mGameName, 0, index);
    if (set == nullptr || (set->mX == 0 && set->mY == 0)) {
        // No place on the map, but the set still holds its index.
        mEntries.push_back(Entry{});
        return;
    }
    const PlayerState* state = GetCurrentPlayerState();
    const SetProgress* progress = state != nullptr ? state->FindSet(0, index) : nullptr;
    const int unlock = progress != nullptr ? progress->mUnlock : 0;
    std::string name = HasParam("button-name") ? GetParamString("button-name") : std::string();
    if (name.empty()) {
        std::printf("button-name was left blank in set-item, defaulting\n");
        name = StrFormat("map_%s_btn_%s", set->mName.c_str(), mGameName.c_str());
    }
    auto* button = new ButtonWidget(set->mX, set->mY, name, "", false);
    button->GetVariables().Set("set_name", ExprValue::FromString(set->mName));
    button->mScriptName = name;
    if (unlock == 0) {
        button->SetDisabled(true);
    } else {
        VariableTable& vars = GetVariables();
        vars.Set("selected_btn_name", ExprValue::FromString(name));
        vars.Set("btn_x", ExprValue::FromInt(set->mX));
        vars.Set("btn_y", ExprValue::FromInt(set->mY));
        vars.Set("new_btn_x", ExprValue::FromInt(set->mX + button->mWidth / 2));
        vars.Set("new_btn_y", ExprValue::FromInt(set->mY + button->mHeight / 2));
        ShowSetName(set->mName);
    }
    AddWidget(button);
    button->SetButtonListener(this);
    Entry entry;
    entry.buttonId = button->mId;
    entry.buttonLiveId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, button);
    mEntries.push_back(entry);
}

void MapMenu::ShowSetName(const std::string& name) {
    VariableTable& vars = GetVariables();
    vars.Set("c_set_x", ExprValue::FromInt(kSetNameX));
    vars.Set("c_set_y", ExprValue::FromInt(kSetNameY));
    vars.Set("set_name", ExprValue::FromString(name));
    QueueAnimationRef("update_set_name_" + mGameName);
}

int MapMenu::FindEntry(uint32_t id) const {
    for (size_t i = 0; i < mEntries.size(); ++i) {
        if (mEntries[i].buttonLiveId != 0 && mEntries[i].buttonId == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void MapMenu::ButtonMouseEnter(uint32_t id) {
    Menu::ButtonMouseEnter(id);
    const int i = FindEntry(id);
    if (i < 0) {
        return;
    }
    std::string name;
    if (ButtonWidget* button = GetEntryButton(static_cast<size_t>(i))) {
        if (const ExprValue* value = button->GetVariables().Find("set_name")) {
            name = value->AsString();
        }
    }
    ShowSetName(name);
}

void MapMenu::ButtonDepress(uint32_t id) {
    Menu::ButtonDepress(id);
    const int i = FindEntry(id);
    if (i < 0 || mLeaving) {
        return;
    }
    ButtonWidget* button = GetEntryButton(static_cast<size_t>(i));
    if (button == nullptr || button->mDisabled) {
        return;
    }
    mLeaving = true;
    MarkForRemoval();
    if (PlayerState* state = GetCurrentPlayerState()) {
        state->mCurrentCountry = i;
    }
    OpenSetLoading(-1);
}

void MapMenu::OnEvent(const std::string& name, const std::string& parameter, int object) {
    (void)parameter, (void)object;
    if (name == "main_menu" && !mLeaving) {
        mLeaving = true;
        MarkForRemoval();
        OpenMainMenu();
    }
}

Widget* MapMenu::CreateTransition() {
    return MakeTransition(this, "map_transition");
}

bool MapMenu::HasScheduledWork() const {
    return ScriptHasScheduledWork();
}
