// The title side of the game end to end: the first run from the title through name entry to the
// main menu and out through the quit question; adding, naming and deleting profiles; the options
// and pause dialogs with their volumes. Each looks at the screen on top and at the saved files.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "GameSession.h"
#include "core/expr/NamedConstants.h"
#include "game/data/PlayerState.h"
#include "game/data/ProfileManager.h"
#include "game/data/ProfileRecord.h"
#include "game/data/PuzzleStats.h"
#include "game/screens/ConfirmDeleteMenu.h"
#include "game/screens/ConfirmMainMenu.h"
#include "game/screens/ConfirmQuitMenu.h"
#include "game/screens/EnterNameMenu.h"
#include "game/screens/MainMenu.h"
#include "game/screens/MyTitleScreen.h"
#include "game/screens/OptionsMenu.h"
#include "game/screens/PlayerSelectMenu.h"
#include "game/screens/ProfileNameWidget.h"
#include "game/screens/ScreenFlow.h"
#include "graphics/Color.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Font.h"
#include "widgets/WidgetManager.h"
#include "widgets/controls/Checkbox.h"
#include "widgets/controls/EditWidget.h"
#include "widgets/controls/Slider.h"

namespace {

constexpr int kEnter = 13;
constexpr int kBackspace = 8;
constexpr int kEscape = 27;

int CountOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

int CountMainMenus(const MyGameApp& app) {
    int n = 0;
    for (Widget* menu : app.GetMenus()) {
        n += dynamic_cast<MainMenu*>(menu) != nullptr ? 1 : 0;
    }
    return n;
}

class TitleFlowTest : public ::testing::Test {
protected:
    // From a fresh start to the title screen with its play button.
    MyTitleScreen* ReachTitle() {
        h.Load();
        EXPECT_TRUE(h.StepUntil(
            [this] {
                auto* title = h.Top<MyTitleScreen>();
                return title != nullptr && title->GetPlayButton() != nullptr;
            },
            6000))
            << "the title screen never showed its play button";
        return h.Top<MyTitleScreen>();
    }
    // The first start's name card, through the title's play button.
    EnterNameMenu* OpenNameCard() {
        MyTitleScreen* title = ReachTitle();
        if (title == nullptr) {
            return nullptr;
        }
        h.ClickWidget(title->GetPlayButton());
        return h.Top<EnterNameMenu>();
    }
    // The first run: play, then the name typed into the box and Enter; ends on the main menu.
    void FirstRun(const std::string& name) {
        MyTitleScreen* title = ReachTitle();
        ASSERT_NE(title, nullptr);
        h.ClickWidget(title->GetPlayButton());
        ASSERT_NE(h.Top<EnterNameMenu>(), nullptr);
        h.Type(name);
        h.Key(kEnter);
        ASSERT_TRUE(h.StepUntil([this] { return h.Top<MainMenu>() != nullptr; }, 600));
    }
    // A click on the button of the top screen whose label is the localized text of key.
    void ClickLabel(const std::string& key) {
        Widget* top = h.app->GetActiveMenu();
        ASSERT_NE(top, nullptr);
        std::string label = LocalizedTexts::Lookup(key);
        if (const size_t at = label.find("[player]"); at != std::string::npos) {
            label.replace(at, 8, h.app->mCurrentPlayerName);
        }
        ButtonWidget* button = GameSession::FindButton(top, label);
        ASSERT_NE(button, nullptr) << "no button \"" << key << "\" on the top screen";
        h.ClickWidget(button);
        h.Step(2);
        h.SettlePopups();
    }
    void QuitThroughQuestion() {
        ASSERT_NE(h.Top<MainMenu>(), nullptr);
        ClickLabel("main_quit");
        ASSERT_NE(h.Top<ConfirmQuitMenu>(), nullptr);
        ClickLabel("button_quit");
        EXPECT_TRUE(h.app->IsQuitRequested());
        h.End();
    }

    GameSession h{std::string(), GameSession::Frames::kNotDrawn};
};

TEST_F(TitleFlowTest, FirstRunNamesThePlayerAndQuittingLeavesEightSlots) {
    MyTitleScreen* title = ReachTitle();
    ASSERT_NE(title, nullptr);
    EXPECT_TRUE(GetProfileRecord(0) != nullptr && GetProfileRecord(0)->mName.empty());
    EXPECT_EQ(GetSelectedProfile(), -1);

    h.ClickWidget(title->GetPlayButton());
    auto* entry = h.Top<EnterNameMenu>();
    ASSERT_NE(entry, nullptr);
    // A digit is refused, a space after the first letter is taken.
    h.Type("A1n n");
    EXPECT_EQ(entry->GetNameBox()->GetText(), "An n");
    h.Key(kBackspace);
    h.Key(kBackspace);
    h.Type("n");
    EXPECT_EQ(entry->GetNameBox()->GetText(), "Ann");
    h.Key(kEnter);

    ASSERT_TRUE(h.StepUntil([this] { return h.Top<MainMenu>() != nullptr; }, 600));
    EXPECT_EQ(h.app->mCurrentPlayerName, "Ann");
    EXPECT_EQ(CountMainMenus(*h.app), 1);
    // The new player has no open bonus set.
    const ExprValue* lock = h.Top<MainMenu>()->GetVariables().Find("lock_bonus");
    ASSERT_NE(lock, nullptr);
    EXPECT_TRUE(lock->AsBool());
    // On disk already: a kill on the main menu keeps the new player.
    EXPECT_EQ(CountOf(h.UserText("profiles.xml"), "<profile name=\"Ann\">"), 1);

    QuitThroughQuestion();
    const std::string xml = h.UserText("profiles.xml");
    EXPECT_EQ(xml.rfind("<profiles selected=\"0\">", 0), 0u) << xml.substr(0, 80);
    EXPECT_EQ(CountOf(xml, "<profile name="), 8);
    EXPECT_EQ(CountOf(xml, "<profile name=\"Ann\">"), 1);
    EXPECT_EQ(CountOf(xml, "<profile name=\"\">"), 7);
}

TEST_F(TitleFlowTest, NameEntryRefusesALeadingSpaceAndAnEleventhLetterAndIgnoresAnEmptyName) {
    MyTitleScreen* title = ReachTitle();
    ASSERT_NE(title, nullptr);
    h.ClickWidget(title->GetPlayButton());
    auto* entry = h.Top<EnterNameMenu>();
    ASSERT_NE(entry, nullptr);
    h.Key(kEnter);
    EXPECT_EQ(h.Top<EnterNameMenu>(), entry) << "an empty name must not go on";
    EXPECT_EQ(GetSelectedProfile(), -1);
    h.Type(" Abcdefghijk");
    EXPECT_EQ(entry->GetNameBox()->GetText(), "Abcdefghij");
    h.ClickWidget(entry->GetOkButton());
    ASSERT_TRUE(h.StepUntil([this] { return h.Top<MainMenu>() != nullptr; }, 600));
    EXPECT_EQ(GetProfileRecord(0)->mName, "Abcdefghij");
}

TEST_F(TitleFlowTest, TheNameRuleHoldsForPastedTextAndAtEveryCaretPosition) {
    MyTitleScreen* title = ReachTitle();
    ASSERT_NE(title, nullptr);
    h.ClickWidget(title->GetPlayButton());
    auto* entry = h.Top<EnterNameMenu>();
    ASSERT_NE(entry, nullptr);
    // Typed characters, with ^ for the Home key, ~ for Delete and @ for a paste of clipboard.
    struct Case {
        const char* keys;
        const char* clipboard;
        const char* name;
    };
    const Case cases[] = {
        {"Ann^ ", "", "Ann"},                // no leading space at the start either
        {"Ann^B", "", "BAnn"},               // a letter at the start is fine
        {"Abcdefghij^x", "", "Abcdefghij"},  // nor an eleventh letter there
        {"@", "Bartholomew", ""},            // a paste too long for a name is refused
        {"Jo@", "seph 3", "Joseph "},        // a paste keeps only letters and spaces
        {"@", " Jo", ""},                    // nor may a paste begin with a space
        {"A nn^~", "", "A nn"},              // deleting the first letter would leave one
    };
    for (const Case& c : cases) {
        entry->GetNameBox()->SetText("", false);
        h.app->CopyToClipboard(c.clipboard);
        for (const char* k = c.keys; *k != '\0'; ++k) {
            if (*k == '^' || *k == '~') {
                const int key = *k == '^' ? 36 : 46;
                h.app->OnKeyDown(key);
                h.app->OnKeyUp(key);
            } else {
                h.app->OnKeyChar(*k == '@' ? '\x16' : *k);
            }
        }
        h.Step(1);
        EXPECT_EQ(entry->GetNameBox()->GetText(), c.name) << "keys " << c.keys;
    }
}

// OK or Enter with no name goes nowhere, and the card says what it waits for; a refused key then
// gives the rule instead.
TEST_F(TitleFlowTest, AnEmptyNameOnTheFirstCardAsksForOne) {
    EnterNameMenu* entry = OpenNameCard();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->GetNote(), "");
    h.ClickWidget(entry->GetOkButton());
    EXPECT_EQ(h.Top<EnterNameMenu>(), entry);
    EXPECT_EQ(entry->GetNote(), "name_needed");
    h.Type("7");
    EXPECT_EQ(entry->GetNote(), "name_rule");
    h.Key(kEnter);
    EXPECT_EQ(entry->GetNote(), "name_needed");
    EXPECT_EQ(GetSelectedProfile(), -1);
    h.Type("Ann");
    EXPECT_EQ(entry->GetNote(), "name_needed");
    h.Key(kEnter);
    ASSERT_TRUE(h.StepUntil([this] { return h.Top<MainMenu>() != nullptr; }, 600));
}

// The widest names the rule allows stand whole in the box, from either end.
TEST_F(TitleFlowTest, TheNameBoxHoldsTheWidestNamesWhole) {
    MyTitleScreen* title = ReachTitle();
    ASSERT_NE(title, nullptr);
    h.ClickWidget(title->GetPlayButton());
    auto* entry = h.Top<EnterNameMenu>();
    ASSERT_NE(entry, nullptr);
    EditWidget* box = entry->GetNameBox();
    // Centred where the card's box is drawn.
    EXPECT_NEAR(box->mX + box->mWidth / 2.0f, GetConstantValue("nametextx").AsReal() + 100.0, 1.0);
    for (const char* name : {"WWWWWWWWWW", "MMMMMMMMMM", "mmmmmmmmmm", "W W W W WW"}) {
        box->SetText("", false);
        h.Type(name);
        ASSERT_EQ(box->GetText(), name);
        EXPECT_EQ(box->mScrollOffset, 0) << name << " scrolled in a box " << box->mWidth << " wide";
        h.app->OnKeyDown(36);  // Home
        h.app->OnKeyUp(36);
        h.Step(1);
        EXPECT_EQ(box->mScrollOffset, 0) << name;
        EXPECT_LT(box->GetFont()->StringWidth(name) + 8, box->mWidth) << name;
    }
    EXPECT_FALSE(entry->IsRuleShown());
}

TEST_F(TitleFlowTest, ProfilesAreAddedRenamedAndDeletedOnTheSelectionScreen) {
    FirstRun("Ann");
    ClickLabel("main_change_player");
    auto* select = h.Top<PlayerSelectMenu>();
    ASSERT_NE(select, nullptr);
    ASSERT_NE(select->GetRow(7), nullptr);
    EXPECT_EQ(select->GetSelectedRow(), 0);
    EXPECT_EQ(select->GetRow(0)->GetLabel(), "Ann");
    EXPECT_EQ(select->GetRow(1)->GetLabel(), LocalizedTexts::Lookup("no_name"));

    // A free row: the hint, then the name typed in place; Enter commits it.
    h.ClickWidget(select->GetRow(1));
    EXPECT_EQ(select->GetSelectedRow(), 1);
    EXPECT_EQ(select->GetRow(1)->GetLabel(), LocalizedTexts::Lookup("enter_your_name"));
    EXPECT_TRUE(select->GetRowOkButton(1)->mVisible);
    EXPECT_FALSE(select->GetPlayButton()->mVisible);
    // The rows are paper: the names are written in its ink, and the OK button stands past the
    // row's end, not over the name.
    EXPECT_EQ(select->GetRow(1)->mLabelColor, Color(43, 51, 80));
    EXPECT_GE(select->GetRowOkButton(1)->mX, select->GetRow(1)->mX + select->GetRow(1)->mWidth);
    h.Type("B0b");
    EXPECT_EQ(select->GetRow(1)->GetLabel(), "Bb");
    h.Key(kBackspace);
    h.Type("ob");
    h.Key(kEnter);
    EXPECT_EQ(GetProfileRecord(1)->mName, "Bob");
    EXPECT_EQ(GetSelectedProfile(), 1);
    EXPECT_EQ(h.app->mCurrentPlayerName, "Bob");
    EXPECT_FALSE(select->GetRowOkButton(1)->mVisible);
    EXPECT_TRUE(select->GetPlayButton()->mVisible);
    // The selected player's state is the one every screen reads.
    EXPECT_EQ(GetCurrentPlayerState(), &GetProfileRecord(1)->mState);

    // Deleting asks first, with the name in the question.
    h.ClickWidget(select->GetDeleteButton());
    auto* question = h.Top<ConfirmDeleteMenu>();
    ASSERT_NE(question, nullptr);
    const ExprValue* text = question->GetVariables().Find("text");
    ASSERT_NE(text, nullptr);
    EXPECT_NE(text->AsString().find("Bob"), std::string::npos);
    ClickLabel("button_delete");
    EXPECT_EQ(h.Top<PlayerSelectMenu>(), select);
    EXPECT_TRUE(GetProfileRecord(1)->mName.empty());
    EXPECT_EQ(select->GetRow(1)->GetLabel(), LocalizedTexts::Lookup("no_name"));

    // Ann, the first player left, is the selected one at once, on disk too; on to the main menu.
    EXPECT_EQ(select->GetSelectedRow(), 0);
    EXPECT_EQ(GetSelectedProfile(), 0);
    EXPECT_EQ(h.UserText("profiles.xml").rfind("<profiles selected=\"0\">", 0), 0u);
    EXPECT_TRUE(select->GetPlayButton()->mVisible);
    EXPECT_EQ(h.app->mCurrentPlayerName, "Ann");
    EXPECT_EQ(GetCurrentPlayerState(), &GetProfileRecord(0)->mState);
    h.ClickWidget(select->GetPlayButton());
    ASSERT_TRUE(h.StepUntil([this] { return h.Top<MainMenu>() != nullptr; }, 300));
    EXPECT_EQ(CountMainMenus(*h.app), 1);
    EXPECT_EQ(GetCurrentPlayerState()->mDeviceWord, "ipad");

    QuitThroughQuestion();
    const std::string xml = h.UserText("profiles.xml");
    EXPECT_EQ(xml.rfind("<profiles selected=\"0\">", 0), 0u) << xml.substr(0, 80);
    EXPECT_EQ(CountOf(xml, "<profile name=\"Ann\">"), 1);
    EXPECT_EQ(CountOf(xml, "<profile name=\"\">"), 7);
}

// A row refuses what the first card refuses, and says so in the same words.
TEST_F(TitleFlowTest, ARowThatRefusesACharacterGivesTheNameRule) {
    FirstRun("Ann");
    ClickLabel("main_change_player");
    auto* select = h.Top<PlayerSelectMenu>();
    ASSERT_NE(select, nullptr);
    h.ClickWidget(select->GetRow(1));
    EXPECT_EQ(select->GetNote(), "");
    h.Type("Bo");
    EXPECT_EQ(select->GetNote(), "");
    h.Type("7");
    EXPECT_EQ(select->GetRow(1)->GetLabel(), "Bo");
    EXPECT_EQ(select->GetNote(), "name_rule");
    h.Key(kEnter);
    EXPECT_EQ(select->GetNote(), "");
    // The eleventh letter on a row already named.
    h.ClickWidget(select->GetRow(2));
    h.Type("Abcdefghij");
    EXPECT_EQ(select->GetNote(), "");
    h.Type("k");
    EXPECT_EQ(select->GetRow(2)->GetLabel(), "Abcdefghij");
    EXPECT_EQ(select->GetNote(), "name_rule");
    // Choosing another row starts afresh.
    h.ClickWidget(select->GetRow(0));
    EXPECT_EQ(select->GetNote(), "");
    EXPECT_EQ(GetProfileRecord(2)->mName, "Abcdefghij");
}

// Escape cancels: a name half typed on a free page is dropped, the page stays free and the player
// chosen before stays chosen; a named page being retyped keeps its name; with no player left the
// page being named stays free and asks again.
TEST_F(TitleFlowTest, EscapeCancelsTheNameBeingTypedAndLeavesWithThePlayerBefore) {
    FirstRun("Ann");
    const struct {
        int row;
        const char* keys;  // typed; '\b' a Backspace
    } cases[] = {{1, ""}, {1, "Abcdefghij"}, {0, "\b\bxy"}, {0, "\b\b\b"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys);
        ClickLabel("main_change_player");
        auto* select = h.Top<PlayerSelectMenu>();
        ASSERT_NE(select, nullptr);
        h.ClickWidget(select->GetRow(c.row));
        for (const char* k = c.keys; *k != '\0'; ++k) {
            if (*k == '\b') {
                h.Key(kBackspace);
            } else {
                h.Type(std::string(1, *k));
            }
        }
        h.Key(kEscape);
        ASSERT_TRUE(h.StepUntil([this] { return h.Top<MainMenu>() != nullptr; }, 300));
        EXPECT_EQ(h.app->mCurrentPlayerName, "Ann");
        EXPECT_EQ(GetCurrentPlayerState(), &GetProfileRecord(0)->mState);
        EXPECT_EQ(GetProfileRecord(0)->mName, "Ann");
        EXPECT_EQ(h.ReadSaved().profiles[1].mName, "");
    }
    // No player left: the page being named stays free and asks again.
    ClickLabel("main_change_player");
    auto* select = h.Top<PlayerSelectMenu>();
    ASSERT_NE(select, nullptr);
    h.ClickWidget(select->GetDeleteButton());
    ClickLabel("button_delete");
    h.ClickWidget(select->GetRow(2));
    h.Type("Ca");
    h.Key(kEscape);
    EXPECT_EQ(h.Top<PlayerSelectMenu>(), select);
    EXPECT_EQ(select->GetRow(2)->GetLabel(), LocalizedTexts::Lookup("enter_your_name"));
    EXPECT_EQ(select->GetNote(), "name_needed");
    EXPECT_EQ(GetProfileRecord(2)->mName, "");
}

// With every profile deleted the screen says what to do, Escape starts naming a free page (the
// game cannot go on without a player), and a name typed there brings the buttons back.
TEST_F(TitleFlowTest, WithEveryProfileDeletedTheScreenLeadsToANewOne) {
    FirstRun("Ann");
    ClickLabel("main_change_player");
    auto* select = h.Top<PlayerSelectMenu>();
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(select->GetNote(), "");
    h.ClickWidget(select->GetDeleteButton());
    ASSERT_NE(h.Top<ConfirmDeleteMenu>(), nullptr);
    ClickLabel("button_delete");
    ASSERT_EQ(h.Top<PlayerSelectMenu>(), select);
    EXPECT_EQ(select->GetSelectedRow(), -1);
    EXPECT_FALSE(select->GetMenuButton()->mVisible);
    EXPECT_EQ(select->GetNote(), "profile_choose_page");

    h.Key(kEscape);
    EXPECT_EQ(h.Top<PlayerSelectMenu>(), select);
    EXPECT_EQ(select->GetSelectedRow(), 0);
    EXPECT_TRUE(select->GetRowOkButton(0)->mVisible);
    EXPECT_EQ(select->GetRow(0)->GetLabel(), LocalizedTexts::Lookup("enter_your_name"));
    EXPECT_EQ(select->GetNote(), "name_needed");
    // Again, and OK with nothing typed: still here, still asking.
    h.Key(kEscape);
    h.Step(5);
    EXPECT_EQ(h.Top<PlayerSelectMenu>(), select);
    EXPECT_EQ(select->GetNote(), "name_needed");
    h.ClickWidget(select->GetRowOkButton(0));
    EXPECT_EQ(select->GetSelectedRow(), -1);
    EXPECT_EQ(select->GetNote(), "profile_choose_page");

    h.ClickWidget(select->GetRow(3));
    h.Type("Cat");
    h.Key(kEnter);
    EXPECT_EQ(select->GetNote(), "");
    EXPECT_TRUE(select->GetMenuButton()->mVisible);
    h.Key(kEscape);
    ASSERT_TRUE(h.StepUntil([this] { return h.Top<MainMenu>() != nullptr; }, 300));
    EXPECT_EQ(h.app->mCurrentPlayerName, "Cat");
    EXPECT_EQ(GetSelectedProfile(), 3);
}

// Typing a named profile's row down to nothing and committing it is a slip, not a deletion: the
// row takes its name back and the progress stays, on screen and in both files. An empty row
// emptied again stays free.
TEST_F(TitleFlowTest, AnEmptiedNameIsASlipNotADeletion) {
    const struct {
        const char* how;
        std::function<void(PlayerSelectMenu*)> commit;
    } commits[] = {
        {"Enter", [this](PlayerSelectMenu*) { h.Key(kEnter); }},
        {"another row", [this](PlayerSelectMenu* select) { h.ClickWidget(select->GetRow(3)); }},
    };
    FirstRun("Ann");
    GetCurrentPlayerState()->mHours = 5;
    ClickLabel("main_change_player");
    auto* select = h.Top<PlayerSelectMenu>();
    ASSERT_NE(select, nullptr);
    for (const auto& c : commits) {
        SCOPED_TRACE(c.how);
        h.ClickWidget(select->GetRow(0));
        ASSERT_EQ(select->GetSelectedRow(), 0);
        for (int i = 0; i < 4; ++i) {
            h.Key(kBackspace);
        }
        ASSERT_EQ(select->GetRow(0)->GetLabel(), LocalizedTexts::Lookup("enter_your_name"));
        c.commit(select);
        EXPECT_EQ(select->GetRow(0)->GetLabel(), "Ann");
        EXPECT_EQ(GetProfileRecord(0)->mName, "Ann");
        EXPECT_EQ(GetProfileRecord(0)->mState.mHours, 5);
        // One more save: the backup holds the profile too.
        ASSERT_TRUE(SaveProfiles());
        EXPECT_NE(h.UserText("profiles.xml.bak").find("<profile name=\"Ann\"><state"),
                  std::string::npos);
        EXPECT_NE(h.UserText("profiles.xml").find("hours=\"5\""), std::string::npos);
    }
    // A free row typed into and emptied again is left free, with nothing selected.
    h.ClickWidget(select->GetRow(2));
    h.Type("Z");
    h.Key(kBackspace);
    h.Key(kEnter);
    EXPECT_TRUE(GetProfileRecord(2)->mName.empty());
    EXPECT_EQ(select->GetSelectedRow(), -1);
    EXPECT_EQ(select->GetRow(2)->GetLabel(), LocalizedTexts::Lookup("no_name"));
    EXPECT_EQ(GetProfileRecord(0)->mName, "Ann");
}

// The quit question says the progress is kept only while it can be saved.
TEST_F(TitleFlowTest, TheQuitQuestionPromisesProgressOnlyWhileSavesWork) {
    FirstRun("Ann");
    const struct {
        const char* when;
        std::function<void()> before;
        const char* text;
    } cases[] = {
        {"saves work", [] {}, "quit_text"},
        {"saves fail",
         [this] {
             // A folder where the file should go fails every save.
             std::filesystem::remove(h.ProfilesPath());
             std::filesystem::create_directory(h.ProfilesPath());
             EXPECT_FALSE(SaveProfiles());
         },
         "quit_text_unsaved"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        c.before();
        h.Step(2);
        for (int i = 0; i < 3 && h.Top<MainMenu>() == nullptr; ++i) {
            ClickLabel("button_ok");  // the notice that saving is off
        }
        ClickLabel("main_quit");
        auto* question = h.Top<ConfirmQuitMenu>();
        ASSERT_NE(question, nullptr);
        const ExprValue* text = question->GetVariables().Find("text");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->AsString(), LocalizedTexts::Lookup(c.text));
        ClickLabel("button_cancel");
        ASSERT_NE(h.Top<MainMenu>(), nullptr);
    }
}

// A profiles file with these names in the first slots (empty: a free slot) and selected.
std::string ProfilesWith(const std::vector<std::string>& names, int selected) {
    GameData data;
    ScopedGameData scope(&data);
    const std::string catalogue =
        ReadWholeFile(std::string(P7_SOURCE_DIR) + "/content/properties/" + PuzzleStats::kFileName);
    EXPECT_TRUE(PuzzleStats().LoadText(catalogue, PuzzleStats::kFileName));
    std::vector<ProfileRecord> profiles(kProfileSlots);
    for (size_t i = 0; i < names.size(); ++i) {
        profiles[i].mName = names[i];
        profiles[i].mState = PlayerState();
        profiles[i].mState.mNumHints = static_cast<int>(i) + 3;  // progress to find again
    }
    return BuildProfilesXml(profiles, selected);
}

// From the title through the play button (after closing the notice of a repaired file, if one
// shows): the main menu when a player is selected, else the name entry.
void PressPlay(GameSession& s) {
    ASSERT_TRUE(s.Load());
    ASSERT_TRUE(s.StepUntil(
        [&s] {
            auto* title = s.FindMenu<MyTitleScreen>();
            return title != nullptr && title->GetPlayButton() != nullptr;
        },
        6000));
    s.Step(2);
    s.CloseNotice();
    ASSERT_NE(s.Top<MyTitleScreen>(), nullptr);
    s.ClickWidget(s.Top<MyTitleScreen>()->GetPlayButton());
    s.StepUntil([&s] { return s.Top<MainMenu>() != nullptr || s.Top<EnterNameMenu>() != nullptr; },
                600);
}

// A paste or a key the name rule refuses writes the rule on the card instead of doing nothing.
TEST(NameRuleNoticeTest, ARefusedPasteOrKeySaysWhy) {
    struct Case {
        const char* clipboard;  // pasted; empty: "1" typed
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"Bartholomew", "", ""},  // eleven letters
        {"Ann3", "", "Ann"},      // a digit left out
        {" Jo", "", ""},          // a leading space
        {"x", "Abcdefghij", "Abcdefghij"},
        {"", "Ann", "Ann"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "\"" << c.clipboard << "\" after \"" << c.before << "\"");
        GameSession s(std::string(), GameSession::Frames::kNotDrawn);
        ASSERT_NO_FATAL_FAILURE(PressPlay(s));
        auto* entry = s.Top<EnterNameMenu>();
        ASSERT_NE(entry, nullptr);
        s.Type(c.before);
        EXPECT_FALSE(entry->IsRuleShown());
        s.app->CopyToClipboard(c.clipboard);
        s.Type(*c.clipboard != '\0' ? "\x16" : "1");
        EXPECT_EQ(entry->GetNameBox()->GetText(), c.after);
        EXPECT_TRUE(entry->IsRuleShown());
    }
}

TEST(ProfileDeletionTest, DeletingTheSelectedPlayerSelectsTheFirstOneLeftForThisAndTheNextStart) {
    struct Case {
        std::vector<std::string> names;
        int deleted;  // the selected slot, deleted
        int selectedAfter;
    };
    const Case cases[] = {
        {{"Ann", "Bob"}, 1, 0},
        {{"Ann", "Bob"}, 0, 1},
        {{"", "Bob", "Cid"}, 2, 1},
        {{"Ann"}, 0, -1},  // nobody left: the next start asks for a name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("deleting slot " + std::to_string(c.deleted));
        std::string saved;
        {
            GameSession s(ProfilesWith(c.names, c.deleted), GameSession::Frames::kNotDrawn);
            ASSERT_NO_FATAL_FAILURE(PressPlay(s));
            ASSERT_NE(s.Top<MainMenu>(), nullptr);
            std::string change = LocalizedTexts::Lookup("main_change_player");
            change.replace(change.find("[player]"), 8, s.app->mCurrentPlayerName);
            ButtonWidget* changeButton = GameSession::FindButton(s.Top<MainMenu>(), change);
            ASSERT_NE(changeButton, nullptr);
            s.ClickWidget(changeButton);
            s.Step(2);
            auto* select = s.Top<PlayerSelectMenu>();
            ASSERT_NE(select, nullptr);
            ASSERT_EQ(select->GetSelectedRow(), c.deleted);
            s.ClickWidget(select->GetDeleteButton());
            auto* question = s.Top<ConfirmDeleteMenu>();
            ASSERT_NE(question, nullptr);
            s.ClickWidget(
                GameSession::FindButton(question, LocalizedTexts::Lookup("button_delete")));
            s.Step(2);
            EXPECT_EQ(select->GetSelectedRow(), c.selectedAfter);
            EXPECT_EQ(GetSelectedProfile(), c.selectedAfter);
            EXPECT_EQ(select->GetPlayButton()->mVisible, c.selectedAfter >= 0);
            if (c.selectedAfter >= 0) {
                EXPECT_EQ(s.app->mCurrentPlayerName, c.names[size_t(c.selectedAfter)]);
                EXPECT_EQ(GetCurrentPlayerState(), &GetProfileRecord(c.selectedAfter)->mState);
            }
            // On disk at once: a kill now loses nothing.
            const SavedProfiles now = s.ReadSaved();
            ASSERT_TRUE(now.read);
            EXPECT_EQ(now.selected, c.selectedAfter);
            EXPECT_TRUE(now.profiles[size_t(c.deleted)].mName.empty());
            // The deleted player stays deleted: the board's play time and the next save go to
            // the player left, or nowhere, never to the free slot.
            s.Step(300);
            EXPECT_FALSE(GetProfileRecord(c.deleted)->mState.HasProgress());
            ASSERT_TRUE(SaveProfiles());
            const SavedProfiles later = s.ReadSaved();
            EXPECT_TRUE(later.profiles[size_t(c.deleted)].mName.empty());
            EXPECT_FALSE(later.profiles[size_t(c.deleted)].mState.HasProgress());
            saved = s.UserText("profiles.xml");
        }
        GameSession next(saved, GameSession::Frames::kNotDrawn);
        ASSERT_NO_FATAL_FAILURE(PressPlay(next));
        if (c.selectedAfter < 0) {
            // The next new player gets the freed page.
            ASSERT_NE(next.Top<EnterNameMenu>(), nullptr);
            next.Type("Dee");
            next.Key(kEnter);
            ASSERT_TRUE(next.StepUntil([&next] { return next.Top<MainMenu>() != nullptr; }, 600));
            EXPECT_EQ(GetSelectedProfile(), c.deleted);
            EXPECT_EQ(next.app->mCurrentPlayerName, "Dee");
            continue;
        }
        ASSERT_NE(next.Top<MainMenu>(), nullptr) << "the next start asked for a name again";
        EXPECT_EQ(next.app->mCurrentPlayerName, c.names[size_t(c.selectedAfter)]);
        EXPECT_EQ(GetCurrentPlayerState()->mNumHints, c.selectedAfter + 3);
    }
}

// Eight players with progress and no readable selection: the name card says that every page is
// taken, and OK (or Enter) leads to the profile screen, where a page is chosen or freed.
TEST(FullBookTest, TheNameCardLeadsToTheProfileScreen) {
    std::vector<ProfileRecord> profiles(kProfileSlots);
    for (size_t i = 0; i < profiles.size(); ++i) {
        profiles[i].mName = "Keeper " + std::string(1, static_cast<char>('A' + i));
        profiles[i].mState.mStarted = true;
    }
    const std::string outOfRange = BuildProfilesXml(profiles, 9);
    std::string unreadable = outOfRange;
    unreadable.replace(unreadable.find("selected=\"9\""), 12, "selected=\"x\"");
    for (const auto& [file, enter] : {std::pair{outOfRange, false}, std::pair{unreadable, true}}) {
        SCOPED_TRACE(enter ? "Enter, unreadable selection" : "OK, selection out of range");
        GameSession s(file, GameSession::Frames::kNotDrawn);
        ASSERT_NO_FATAL_FAILURE(PressPlay(s));
        auto* card = s.Top<EnterNameMenu>();
        ASSERT_NE(card, nullptr);
        EXPECT_EQ(card->GetNote(), "book_full");
        s.Type("Zed9");  // a refused key does not hide why
        EXPECT_EQ(card->GetNote(), "book_full");
        if (enter) {
            s.Key(kEnter);
        } else {
            s.ClickWidget(card->GetOkButton());
        }
        ASSERT_TRUE(s.StepUntil([&s] { return s.Top<PlayerSelectMenu>() != nullptr; }, 600));
        EXPECT_EQ(s.CountMenus<MainMenu>(), 0);
        auto* select = s.Top<PlayerSelectMenu>();
        EXPECT_EQ(GetProfileRecord(7)->mName, "Keeper H");  // nobody was replaced
        s.ClickWidget(select->GetRow(3));
        EXPECT_EQ(GetSelectedProfile(), 3);
        EXPECT_EQ(GetCurrentPlayerState(), &GetProfileRecord(3)->mState);
        s.ClickWidget(select->GetPlayButton());
        ASSERT_TRUE(s.StepUntil([&s] { return s.Top<MainMenu>() != nullptr; }, 300));
        EXPECT_EQ(s.app->mCurrentPlayerName, "Keeper D");
    }
}

TEST_F(TitleFlowTest, OptionsChangeVolumesAndProfileFlagsAndAreSaved) {
    FirstRun("Ann");
    ClickLabel("main_options");
    auto* options = h.Top<OptionsMenu>();
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(CountMainMenus(*h.app), 1) << "the main menu stays under the options";
    ASSERT_NE(options->GetCheckbox("full"), nullptr);
    ASSERT_NE(options->GetCheckbox("tips"), nullptr);
    // Windowed play: no mouse slider.
    EXPECT_FALSE(options->GetMouseSlider()->mVisible);

    // A click a quarter along each volume track.
    for (Slider* slider : {options->GetMusicSlider(), options->GetSfxSlider()}) {
        const FPoint at = slider->LocalToGlobal();
        const int px = static_cast<int>(at.mX) + slider->mWidth / 4;
        const int py = static_cast<int>(at.mY) + slider->mHeight / 2;
        h.Click(px, py);
    }
    EXPECT_NEAR(h.app->GetChannelVolume("music"), 0.25, 0.01);
    EXPECT_NEAR(h.app->GetSfxVolume(), 0.25, 0.01);
    const bool tipsBefore = GetCurrentPlayerState()->mDisableTips;
    h.ClickWidget(options->GetCheckbox("tips"));
    EXPECT_NE(GetCurrentPlayerState()->mDisableTips, tipsBefore);

    ClickLabel("button_ok");
    h.Step(30);
    EXPECT_EQ(h.Top<MainMenu>() != nullptr, true);
    const std::string profiles = h.UserText("profiles.xml");
    EXPECT_NE(profiles.find(tipsBefore ? "disable-tips=\"0\"" : "disable-tips=\"1\""),
              std::string::npos);

    // Written as the dialog closed: a kill now keeps the new volumes.
    const std::string settings = h.UserText("settings.xml");
    EXPECT_NE(settings.find("0.25"), std::string::npos) << settings;
    QuitThroughQuestion();
}

TEST_F(TitleFlowTest, ThePauseDialogReturnsToExactlyOneMainMenu) {
    FirstRun("Ann");
    // The pause dialog as play opens it, over the main menu left in place.
    OpenOptions("pelnora7", "playing", 0, 1);
    h.Step(2);
    auto* pause = h.Top<OptionsMenu>();
    ASSERT_NE(pause, nullptr);
    EXPECT_EQ(pause->GetCaller(), "playing");
    ClickLabel("button_menu");
    h.Step(60);
    ASSERT_NE(h.Top<ConfirmMainMenu>(), nullptr);
    ClickLabel("button_menu");
    ASSERT_TRUE(h.StepUntil([this] { return h.Top<MainMenu>() != nullptr; }, 300));
    h.Step(60);
    EXPECT_EQ(CountMainMenus(*h.app), 1);
    EXPECT_EQ(h.app->GetMenus().size(), 1u);
}

}  // namespace
