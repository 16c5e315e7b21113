#pragma once
// How the game's screens open one another: one function per screen that builds it and shows it
// through the application's dialog table. Screens never construct each other; they call these,
// so the flow reads in one place and a test can open any screen directly.
//
// Every function runs on the main thread and returns the widget it handed to the dialog table
// (the screen, or the transition shown in its place; owned by the table), or null when it could
// not be opened (the reason is logged).

#include <string>

#include "game/data/PuzzleBooking.h"

class Menu;
class Image;
class MyTitleScreen;
class PlayerSelectMenu;
class Widget;

// What a finished puzzle hands to the level-complete and level-fail screens.
using PuzzleResult = FinishedPuzzle;

// --- the title and the board ---
// The main menu over the board.
Widget* OpenMainMenu();
// The first player's name entry over the title screen (title may be null: the game is then
// handed over directly once the name is given).
Widget* OpenEnterName(MyTitleScreen* title);
// The profile selection screen.
Widget* OpenPlayerSelect();

// --- the story and the sets ---
// The opening letter (a new player's first play).
Widget* OpenStoryIntro();
// The closing letter (after the last story set).
Widget* OpenStoryFinal();
// The world map of game; arrival plays the map's arrival animation.
Widget* OpenMap(const std::string& game, bool arrival);
// The map arriving over a picture of the screen it replaces (snapshot copied; may be null),
// announcing setName (may be empty).
Widget* OpenMapArriving(const Image* snapshot, const std::string& setName, const std::string& game);
// The loading screen of the current player's set (current game, mode and current-country).
// setArgument is kept by the screen (-1 from the board).
Widget* OpenSetLoading(int setArgument);
// The puzzle selection screen of a set; selected and flags as the selection screen reads them.
Widget* OpenPuzzleSelect(const std::string& game, int mode, int set, int selected, int flags);
// The bonus set list; allDone after the last bonus set was finished.
Widget* OpenSelectSet(const std::string& game, int mode, bool allDone);
// The question whether a new player wants the tutorial (after the opening letter).
Widget* OpenConfirmTutorial();
// The tips and the credits (both return to the main menu).
Widget* OpenTips();
Widget* OpenCredits();

// --- a puzzle ---
// The loading screen before a puzzle; showIntro lets it open the level intro first.
Widget* OpenPuzzleLoading(const std::string& game, const PuzzleId& id, bool showIntro);
// The level intro panel before a puzzle.
Widget* OpenLevelIntro(const std::string& game, const PuzzleId& id);
// The play screen of a puzzle.
Widget* OpenPlayPuzzle(const std::string& game, const PuzzleId& id);
// The end of a solved puzzle. artGrid is the play screen's picture grid (the level screen may
// take it over; null when there is none); booking: what booking the solve found and opened.
Widget* OpenLevelComplete(const PuzzleResult& result, Widget* artGrid,
                          const PuzzleBooking& booking);
// The end of a lost puzzle.
Widget* OpenLevelFail(const PuzzleResult& result);

// --- dialogs ---
// The options dialog; layout names its look ("playing" from the play screen).
Widget* OpenOptions(const std::string& game, const std::string& layout, int mode, int set);
// The confirmations. options is the options or pause dialog asking (the dialog fades from it;
// may be null).
Widget* OpenConfirmQuit();
Widget* OpenConfirmMainMenu(Widget* options);
Widget* OpenConfirmRestart(Widget* options);
Widget* OpenConfirmPuzzleSelect(const std::string& game, int mode, int set, Widget* options);
// asker deletes its selected profile on "yes".
Widget* OpenConfirmDelete(const std::string& name, PlayerSelectMenu* asker);

// --- leaving everything ---
// Opens a screen through open in place of every menu open now (the main menu and any dialog left
// beneath included): they close once it is shown, so a way back to the hub never piles screens.
Widget* OpenInPlaceOfAll(Widget* (*open)());

// --- transitions ---
// The widget to show in next's place: a transition playing script over a picture of the screen
// being left, which opens next beneath it. Takes ownership of next; the caller hands the result
// to the dialog table (Menu::ShowAsDialog does).
Widget* MakeTransition(Menu* next, const std::string& script);
