#include "game/screens/ScreenFlow.h"

#include "app/GameApp.h"
#include "core/expr/LiveObjectRegistry.h"
#include "core/util/Log.h"
#include "game/board/PlayArtGrid.h"
#include "game/screens/ConfirmDeleteMenu.h"
#include "game/screens/ConfirmMainMenu.h"
#include "game/screens/ConfirmPuzzleSelectMenu.h"
#include "game/screens/ConfirmQuitMenu.h"
#include "game/screens/ConfirmRestartPuzzle.h"
#include "game/screens/ConfirmTutorialMenu.h"
#include "game/screens/CreditsMenu.h"
#include "game/screens/EnterNameMenu.h"
#include "game/screens/LevelCompleteMenu.h"
#include "game/screens/LevelFailMenu.h"
#include "game/screens/LevelIntroMenu.h"
#include "game/screens/MainMenu.h"
#include "game/screens/MapMenu.h"
#include "game/screens/MyTitleScreen.h"
#include "game/screens/OptionsMenu.h"
#include "game/screens/PlayPuzzleMenu.h"
#include "game/screens/PlayerSelectMenu.h"
#include "game/screens/PuzzleLoadingMenu.h"
#include "game/screens/PuzzleSelectMenu.h"
#include "game/screens/ScreenTransition.h"
#include "game/screens/SelectSetMenu.h"
#include "game/screens/SetLoadingMenu.h"
#include "game/screens/StoryFinalMenu.h"
#include "game/screens/StoryIntroMenu.h"
#include "game/screens/TipsMenu.h"
#include "graphics/D3DInterface.h"
#include "graphics/ImageSurface.h"
#include "menus/Menu.h"
#include "menus/TitleScreen.h"
#include "menus/Transition.h"
#include "widgets/NameLookups.h"

// --- the title and the board ---

Widget* OpenMainMenu() {
    return Menu::ShowAsDialog(new MainMenu(false));
}

Widget* OpenEnterName(MyTitleScreen* title) {
    return Menu::ShowAsDialog(new EnterNameMenu(title));
}

Widget* OpenPlayerSelect() {
    return Menu::ShowAsDialog(new PlayerSelectMenu());
}

// --- the story and the sets ---

Widget* OpenStoryIntro() {
    return Menu::ShowAsDialog(new StoryIntroMenu());
}

Widget* OpenStoryFinal() {
    return Menu::ShowAsDialog(new StoryFinalMenu());
}

Widget* OpenMap(const std::string& game, bool arrival) {
    if (!arrival) {
        return Menu::ShowAsDialog(new MapMenu(game, true));
    }
    // Arriving over the last frame shown (none without a render device).
    std::unique_ptr<ImageSurface> snapshot;
    if (D3DInterface* device = D3DInterface::Get()) {
        snapshot = device->SnapshotCursorImage();
    }
    return OpenMapArriving(snapshot.get(), "", game);
}

Widget* OpenMapArriving(const Image* snapshot, const std::string& setName,
                        const std::string& game) {
    return Menu::ShowAsDialog(new MapMenu(snapshot, setName, game));
}

Widget* OpenSetLoading(int setArgument) {
    return Menu::ShowAsDialog(new SetLoadingMenu(setArgument));
}

Widget* OpenPuzzleSelect(const std::string& game, int mode, int set, int selected, int flags) {
    return Menu::ShowAsDialog(new PuzzleSelectMenu(game, mode, set, selected, flags != 0));
}

Widget* OpenSelectSet(const std::string& game, int mode, bool allDone) {
    return Menu::ShowAsDialog(new SelectSetMenu(game, mode, allDone));
}

Widget* OpenConfirmTutorial() {
    return Menu::ShowAsDialog(new ConfirmTutorialMenu());
}

Widget* OpenTips() {
    return Menu::ShowAsDialog(new TipsMenu());
}

Widget* OpenCredits() {
    return Menu::ShowAsDialog(new CreditsMenu());
}

// --- a puzzle ---

Widget* OpenPuzzleLoading(const std::string& game, const PuzzleId& id, bool showIntro) {
    return Menu::ShowAsDialog(new PuzzleLoadingMenu(game, id, showIntro));
}

Widget* OpenLevelIntro(const std::string& game, const PuzzleId& id) {
    return Menu::ShowAsDialog(new LevelIntroMenu(game, id));
}

Widget* OpenPlayPuzzle(const std::string& game, const PuzzleId& id) {
    return Menu::ShowAsDialog(new PlayPuzzleMenu(game, id));
}

Widget* OpenLevelComplete(const PuzzleResult& result, Widget* artGrid,
                          const PuzzleBooking& booking) {
    auto* screen = new LevelCompleteMenu(result, artGrid, booking);
    // The script waits for the picture ("wait-for-art") while the art grid reveals itself.
    if (auto* art = dynamic_cast<PlayArtGrid*>(artGrid)) {
        const uint32_t liveId = LiveObjectRegistry::FindId(LiveObjectRegistry::Kind::kWidget, art);
        screen->SetArtRevealStep([liveId] {
            auto* grid = dynamic_cast<PlayArtGrid*>(LiveObjectRegistry::ResolveWidget(liveId));
            return grid == nullptr || grid->StepArtReveal();
        });
    }
    return Menu::ShowAsDialog(screen);
}

Widget* OpenLevelFail(const PuzzleResult& result) {
    return Menu::ShowAsDialog(new LevelFailMenu(result.mGame, result.mId, result.mSeconds,
                                                result.mMistakes, result.mHintsUsed));
}

// --- dialogs ---

Widget* OpenOptions(const std::string& game, const std::string& layout, int mode, int set) {
    return Menu::ShowAsDialog(new OptionsMenu(game, layout, mode, set));
}

Widget* OpenConfirmQuit() {
    return Menu::ShowAsDialog(new ConfirmQuitMenu());
}

Widget* OpenConfirmMainMenu(Widget* options) {
    return Menu::ShowAsDialog(new ConfirmMainMenu(options));
}

Widget* OpenConfirmRestart(Widget* options) {
    return Menu::ShowAsDialog(new ConfirmRestartPuzzle(options));
}

Widget* OpenConfirmPuzzleSelect(const std::string& game, int mode, int set, Widget* options) {
    return Menu::ShowAsDialog(new ConfirmPuzzleSelectMenu(game, mode, set, options));
}

Widget* OpenConfirmDelete(const std::string& name, PlayerSelectMenu* asker) {
    return Menu::ShowAsDialog(new ConfirmDeleteMenu(name, asker));
}

// --- leaving everything ---

Widget* OpenInPlaceOfAll(Widget* (*open)()) {
    auto* app = dynamic_cast<GameApp*>(gApp);
    if (app != nullptr) {
        app->CollectOpenMenus();
    }
    Widget* shown = open();
    if (app != nullptr) {
        app->KillCollectedMenus();
    }
    return shown;
}

// --- transitions ---

Widget* MakeTransition(Menu* next, const std::string& script) {
    return new ScreenTransition(next, script);
}
