// The shipped images and fonts, read by the game's own readers: every file the asset catalogue
// and the font table name exists and decodes, every image has the size and cells its users
// expect (tests/content/assets.txt), and every image or font name that the code or a script
// names literally is there. A missing picture is found here, not by a player.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "ContentTestSupport.h"
#include "core/expr/ExprValue.h"
#include "core/expr/NamedConstants.h"
#include "core/util/StringUtil.h"
#include "graphics/assets/AssetCatalogue.h"
#include "graphics/assets/ImageReader.h"
#include "graphics/assets/Localization.h"
#include "graphics/assets/LocalizedTexts.h"
#include "graphics/fonts/Fonts.h"
#include "graphics/fonts/TrueTypeFont.h"
#include "widgets/anim/TextLabel.h"
#include "widgets/script/AnimationStats.h"
#include "widgets/script/AnimationTable.h"

namespace {

using contenttest::ContentTest;
using contenttest::ExpectedAsset;
using contenttest::ReadExpectedAssets;
using contenttest::ScriptVariables;

// An image or piece of the catalogue with the cells it declares and, once decoded, its size.
struct CatalogueImage {
    std::string mPath;
    int mCols = 1;
    int mRows = 1;
    int mWidth = 0;  // of the piece's rectangle, or of the decoded file
    int mHeight = 0;
    bool mIsPiece = false;
};

// The literal first arguments of every call "<call>("name")" in a text, as the code looks
// names up (names with a format placeholder are skipped).
std::vector<std::string> LiteralArguments(const std::string& source, const std::string& call) {
    std::vector<std::string> names;
    const std::string open = call + "(\"";
    for (size_t at = source.find(open); at != std::string::npos;
         at = source.find(open, at + open.size())) {
        if (at > 0 &&
            (std::isalnum(static_cast<unsigned char>(source[at - 1])) || source[at - 1] == '_')) {
            continue;  // a longer name that ends in the call's name
        }
        const size_t start = at + open.size();
        const size_t end = source.find('"', start);
        if (end == std::string::npos) {
            break;
        }
        size_t next = end + 1;
        while (next < source.size() && std::isspace(static_cast<unsigned char>(source[next]))) {
            ++next;
        }
        const std::string name = source.substr(start, end - start);
        if (next < source.size() && source[next] == ')' && !name.empty() &&
            name.find('%') == std::string::npos) {
            names.push_back(name);
        }
    }
    return names;
}

// The values of every attribute "<attribute>=\"...\"" in an XML text.
std::vector<std::string> AttributeValues(const std::string& text, const std::string& attribute) {
    std::vector<std::string> values;
    const std::string open = " " + attribute + "=\"";
    for (size_t at = text.find(open); at != std::string::npos;
         at = text.find(open, at + open.size())) {
        const size_t start = at + open.size();
        const size_t end = text.find('"', start);
        if (end == std::string::npos) {
            break;
        }
        values.push_back(text.substr(start, end - start));
    }
    return values;
}

class ImageFontContentTest : public ContentTest {
protected:
    // Reads the catalogue and decodes every image once; records what each name stands for.
    void ReadCatalogueImages() {
        std::string error;
        ASSERT_TRUE(mCatalogue.ReadFile("assets.xml", &error)) << error;
        for (const AssetGroupEntry& group : mCatalogue.GetGroups()) {
            for (const AssetImageEntry& image : group.mImages) {
                DecodedImage decoded;
                const bool read = ReadImageFile(image.mPath, &decoded);
                EXPECT_TRUE(read) << "assets.xml line " << image.mLine << ": " << image.mName
                                  << " names " << image.mPath
                                  << ", which is missing or does not decode";
                CatalogueImage entry{image.mPath,    image.mCols,     image.mRows,
                                     decoded.mWidth, decoded.mHeight, false};
                if (read) {
                    EXPECT_EQ(decoded.mWidth % image.mCols, 0)
                        << image.mName << ": width " << decoded.mWidth << " is not " << image.mCols
                        << " whole cells";
                    EXPECT_EQ(decoded.mHeight % image.mRows, 0)
                        << image.mName << ": height " << decoded.mHeight << " is not "
                        << image.mRows << " whole cells";
                }
                mImages[image.mName] = entry;
                for (const AssetPieceEntry& piece : image.mPieces) {
                    if (read) {
                        EXPECT_LE(piece.mX + piece.mWidth, decoded.mWidth) << piece.mName;
                        EXPECT_LE(piece.mY + piece.mHeight, decoded.mHeight) << piece.mName;
                    }
                    mImages[piece.mName] = CatalogueImage{image.mPath,  piece.mCols,   piece.mRows,
                                                          piece.mWidth, piece.mHeight, true};
                }
            }
        }
    }

    AssetCatalogue mCatalogue;
    std::map<std::string, CatalogueImage> mImages;
};

TEST_F(ImageFontContentTest, EveryCatalogueImageDecodesAndEveryExpectedImageHasItsSizeAndCells) {
    ReadCatalogueImages();
    const std::vector<ExpectedAsset> expected = ReadExpectedAssets("image");
    ASSERT_FALSE(expected.empty());
    for (const ExpectedAsset& want : expected) {
        const auto found = mImages.find(want.mName);
        if (found == mImages.end()) {
            ADD_FAILURE() << "image " << want.mName << " (assets.txt line " << want.mLine
                          << ") is not in assets.xml";
            continue;
        }
        const CatalogueImage& have = found->second;
        if (want.mCols > 0) {
            EXPECT_EQ(have.mCols, want.mCols) << want.mName << ": cell columns";
            EXPECT_EQ(have.mRows, want.mRows) << want.mName << ": cell rows";
        }
        if (want.mWidth > 0 && have.mWidth > 0) {
            EXPECT_EQ(have.mWidth, want.mWidth) << want.mName << " (" << have.mPath << "): width";
            EXPECT_EQ(have.mHeight, want.mHeight)
                << want.mName << " (" << have.mPath << "): height";
        }
    }
}

// Alpha of a pixel of cell (col, row) of a sheet of equal cells, x and y inside the cell.
int CellAlpha(const DecodedImage& image, int cols, int rows, int col, int row, int x, int y) {
    const int cellWidth = image.mWidth / cols;
    const int cellHeight = image.mHeight / rows;
    const size_t at =
        size_t(row * cellHeight + y) * size_t(image.mWidth) + size_t(col * cellWidth + x);
    return int(image.mPixels[at] >> 24);
}

TEST_F(ImageFontContentTest, PictureTileShapesStandInTheColumnsThePuzzleCodesUse) {
    // Picture codes are column * shades + shade (docs/content.md): each column must hold the
    // shape the puzzle sources mean, all in the one ink-wash blue that the tint darkens by shade.
    DecodedImage tiles;
    ASSERT_TRUE(ReadImageFile("images/board/art_tiles.png", &tiles));
    ASSERT_EQ(tiles.mWidth, 18 * 64);
    const int last = 63;
    const auto alpha = [&](int col, int x, int y) { return CellAlpha(tiles, 18, 1, col, 0, x, y); };
    struct Probe {
        int mCol, mX, mY;
        bool mSolid;
    };
    const Probe probes[] = {
        {0, 1, 1, true},
        {0, last - 1, last - 1, true},  // full square
        {1, 4, 4, true},
        {1, last - 4, last - 4, false},  // top-left triangle
        {2, last - 4, 4, true},
        {2, 4, last - 4, false},  // top-right triangle
        {3, 4, last - 4, true},
        {3, last - 4, 4, false},  // bottom-left triangle
        {4, last - 4, last - 4, true},
        {4, 4, 4, false},  // bottom-right triangle
        {5, 1, 1, false},
        {5, last - 1, 1, true},  // top-left corner rounded
        {6, last - 1, 1, false},
        {6, 1, 1, true},  // top-right corner rounded
        {7, 1, last - 1, false},
        {7, 1, 1, true},  // bottom-left corner rounded
        {8, last - 1, last - 1, false},
        {8, 1, last - 1, true},  // bottom-right corner rounded
        {9, 32, 8, true},
        {9, 32, 56, false},  // top half
        {10, 32, 56, true},
        {10, 32, 8, false},  // bottom half
        {11, 8, 32, true},
        {11, 56, 32, false},  // left half
        {12, 56, 32, true},
        {12, 8, 32, false},  // right half
        {13, 32, 32, true},
        {13, 2, 2, false},  // round dot
        {14, 2, 2, false},
        {14, 1, last - 1, true},  // top rounded
        {15, 2, last - 2, false},
        {15, last - 1, 1, true},  // bottom rounded
        {16, 2, last - 2, false},
        {16, last - 1, last - 1, true},  // left rounded
        {17, last - 2, 2, false},
        {17, 1, 1, true},  // right rounded
    };
    for (const Probe& probe : probes) {
        const int a = alpha(probe.mCol, probe.mX, probe.mY);
        EXPECT_EQ(a > 200, probe.mSolid) << "ArtTiles column " << probe.mCol << " at (" << probe.mX
                                         << ", " << probe.mY << "): alpha " << a;
        if (probe.mSolid) {
            const uint32_t pixel = tiles.mPixels[size_t(probe.mY) * size_t(tiles.mWidth) +
                                                 size_t(probe.mCol * 64 + probe.mX)];
            EXPECT_EQ(pixel & 0xFFFFFFu, 0x60709Eu) << "ArtTiles column " << probe.mCol;
        }
    }
}

TEST_F(ImageFontContentTest, EveryCellOfTheNumberSheetHoldsItsNumber) {
    // 25 numbers in 8 looks; a blank cell would show a clue as nothing.
    DecodedImage sheet;
    ASSERT_TRUE(ReadImageFile("images/board/grid_numbers.png", &sheet));
    const int cell = sheet.mWidth / 25;
    ASSERT_EQ(sheet.mHeight, 8 * cell);
    for (int row = 0; row < 8; ++row) {
        int previousInk = 0;
        for (int col = 0; col < 25; ++col) {
            int ink = 0;
            for (int y = 0; y < cell; ++y) {
                for (int x = 0; x < cell; ++x) {
                    ink += CellAlpha(sheet, 25, 8, col, row, x, y) > 128 ? 1 : 0;
                }
            }
            EXPECT_GT(ink, 10) << "GridNumbers cell " << col << ", " << row << " is blank";
            // Two digits take more ink than one within a row's look.
            if (col == 9) {
                EXPECT_GT(ink, previousInk) << "GridNumbers row " << row;
            }
            previousInk = ink;
        }
    }
}

TEST_F(ImageFontContentTest, LoadingScreenGroupsHoldWhatTheirScreensCollect) {
    std::string error;
    ASSERT_TRUE(mCatalogue.ReadFile("assets.xml", &error)) << error;
    // A puzzle's loading screen loads the "PlayAssets" entries whose path holds the device
    // word; a set's loading screen the "SetAssets" entry whose path holds its background.
    const AssetGroupEntry* play = mCatalogue.FindGroup("PlayAssets");
    const AssetGroupEntry* sets = mCatalogue.FindGroup("SetAssets");
    ASSERT_NE(play, nullptr);
    ASSERT_NE(sets, nullptr);
    EXPECT_FALSE(play->mStartup);
    EXPECT_FALSE(sets->mStartup);
    for (const AssetImageEntry& image : play->mImages) {
        EXPECT_NE(image.mPath.find("ipad"), std::string::npos)
            << image.mName << " would never be loaded: its path lacks the device word";
    }
    for (const AssetAudioEntry& sound : play->mSounds) {
        EXPECT_NE(sound.mPath.find("ipad"), std::string::npos)
            << sound.mName << " would never be loaded: its path lacks the device word";
    }
    std::ifstream in("properties/sets7.xml");
    std::stringstream text;
    text << in.rdbuf();
    const std::string sets7 = text.str();
    int count = 0;
    for (const std::string& name : AttributeValues(sets7, "background")) {
        ++count;
        bool loaded = false;
        for (const AssetImageEntry& image : sets->mImages) {
            loaded = loaded || (image.mName == name && image.mPath.find(name) != std::string::npos);
        }
        EXPECT_TRUE(loaded) << "set background " << name << " is not in SetAssets under a path "
                            << "holding its name";
    }
    EXPECT_GT(count, 0);
}

TEST_F(ImageFontContentTest, EveryFontOfTheTableHasItsFileAndEveryExpectedFontIsThere) {
    std::vector<FontEntry> entries;
    std::string error;
    ASSERT_TRUE(Fonts::ParseEntries(nullptr, "properties/fonts.xml", &entries, &error)) << error;
    std::set<std::string> names;
    for (const FontEntry& entry : entries) {
        names.insert(entry.mName);
        if (entry.mFile.empty()) {
            continue;  // an installed family: resolved through fontconfig, DejaVu at worst
        }
        // A missing file would only be logged and replaced at run time; here it fails.
        EXPECT_TRUE(std::filesystem::exists(entry.mFile))
            << "fonts.xml line " << entry.mLine << ": " << entry.mFile << " is missing";
        auto font = TrueTypeFont::FromFile(entry.mFile, entry.mFaceIndex, entry.mSize, entry.mStyle,
                                           &error);
        ASSERT_NE(font, nullptr) << entry.mName << ": " << error;
        EXPECT_GT(font->StringWidth("Pelnora 7"), 0) << entry.mName;
        EXPECT_GT(font->GetHeight(), 0) << entry.mName;
    }
    for (const ExpectedAsset& want : ReadExpectedAssets("font")) {
        EXPECT_TRUE(names.count(want.mName) > 0) << "font " << want.mName << " (assets.txt line "
                                                 << want.mLine << ") is not in fonts.xml";
    }
}

// --- Names the code and the scripts use literally ------------------------------------------

std::set<std::string> CatalogueNames(const AssetCatalogue& catalogue) {
    std::set<std::string> names;
    for (const AssetGroupEntry& group : catalogue.GetGroups()) {
        for (const AssetImageEntry& image : group.mImages) {
            names.insert(image.mName);
            for (const AssetPieceEntry& piece : image.mPieces) {
                names.insert(piece.mName);
            }
        }
    }
    return names;
}

std::set<std::string> FontNames() {
    std::vector<FontEntry> entries;
    std::string error;
    EXPECT_TRUE(Fonts::ParseEntries(nullptr, "properties/fonts.xml", &entries, &error)) << error;
    std::set<std::string> names;
    for (const FontEntry& entry : entries) {
        names.insert(entry.mName);
    }
    return names;
}

TEST_F(ImageFontContentTest, EveryImageAndFontTheCodeNamesExists) {
    std::string error;
    ASSERT_TRUE(mCatalogue.ReadFile("assets.xml", &error)) << error;
    const std::set<std::string> images = CatalogueNames(mCatalogue);
    const std::set<std::string> fonts = FontNames();
    // Lookups by a literal name; names built with a format ("Grid%d_%s") are listed with
    // every value in assets.txt instead.
    for (const auto& [path, source] : contenttest::GameSources()) {
        for (const char* call : {"LookupAssetTableA", "FindImage", "LookupImage"}) {
            for (const std::string& name : LiteralArguments(source, call)) {
                EXPECT_TRUE(images.count(name) > 0)
                    << path << " looks up image \"" << name << "\", which is not in assets.xml";
            }
        }
        for (const std::string& name : LiteralArguments(source, "Fonts::Find")) {
            EXPECT_TRUE(fonts.count(name) > 0)
                << path << " looks up font \"" << name << "\", which is not in fonts.xml";
        }
    }
}

// Script parameters whose value is an image name, a font name, or the prefix of a set of
// images (label boxes take "<textbox>_lt" and the rest, text boxes "<textends>_left" ...).
const std::set<std::string> kImageParams = {"image",
                                            "menu_button",
                                            "button_image",
                                            "incomplete-image-name",
                                            "complete-image-name",
                                            "current-image-name",
                                            "flash-image-name"};
const std::set<std::string> kFontParams = {"font",      "font_over", "font_down",   "font_disabled",
                                           "font-over", "font_top",  "font_bottom", "text_font"};
const std::map<std::string, std::vector<std::string>> kPrefixParams = {
    {"textbox", {"_lt", "_ct", "_rt", "_lc", "_cc", "_rc", "_lb", "_cb", "_rb"}},
    {"textends", {"_left", "_center", "_right"}}};

TEST_F(ImageFontContentTest, EveryImageAndFontAScriptNamesExists) {
    std::string error;
    ASSERT_TRUE(mCatalogue.ReadFile("assets.xml", &error)) << error;
    const std::set<std::string> images = CatalogueNames(mCatalogue);
    const std::set<std::string> fonts = FontNames();
    int checked = 0;
    const auto expect = [&](const std::set<std::string>& table, const std::string& name,
                            const std::string& where, const char* what) {
        ++checked;
        EXPECT_TRUE(table.count(name) > 0)
            << where << ": " << what << " \"" << name << "\" is missing";
    };
    contenttest::ForEachScriptLiteral([&](const std::string& script,
                                          const AnimationCommand& command, const std::string& param,
                                          const std::string& name) {
        const std::string where =
            "script \"" + script + "\", command " + command.mCommand + ", " + param;
        if (kImageParams.count(param) > 0) {
            expect(images, name, where, "image");
        } else if (kFontParams.count(param) > 0) {
            expect(fonts, name, where, "font");
        } else if (const auto prefix = kPrefixParams.find(param);
                   prefix != kPrefixParams.end() && command.mCommand == "add") {
            for (const std::string& suffix : prefix->second) {
                expect(images, name + suffix, where, "image");
            }
        }
    });
    RecordProperty("names_checked", checked);
}

// --- Texts in their boxes --------------------------------------------------------------------

// The size a text takes in a font, wrapped as the game's text labels wrap it (width 0: one line).
struct TextBox {
    int width = 0;
    int height = 0;
};

TextBox Measure(const std::string& text, const std::string& font, int wrapWidth) {
    TextLabel label(text, 0, 0, font, wrapWidth, 0, -1, -1);
    return TextBox{label.GetTextWidth(), label.GetTextHeight()};
}

// Every screen text the player reads stays in its box, measured with the game's own fonts, with
// the longest name a player can type ("WWWWWWWWWW") wherever a name is put in.
TEST_F(ImageFontContentTest, EveryScreenTextFitsItsBoxAtTheLongestName) {
    std::string error;
    ASSERT_TRUE(Fonts::Load("fonts.xml", &error)) << error;
    Localization texts;
    ASSERT_TRUE(texts.Read("localization.xml"));
    const std::string name = "WWWWWWWWWW";
    auto text = [&](const std::string& id) {
        std::string value = LocalizedTexts::Lookup(id);
        for (size_t at = value.find("[player]"); at != std::string::npos;
             at = value.find("[player]")) {
            value.replace(at, 8, name);
        }
        return value;
    };
    auto letter = [&](const std::string& id) {
        return StrFormat(LocalizedTexts::Lookup(id).c_str(), name.c_str(), name.c_str());
    };

    // One line no wider than its room: buttons (236 wide, inside their rim), the options'
    // check box labels (the next column 260 further on), the tool legends (104 apart), the main
    // menu's greeting and its link.
    struct Line {
        std::vector<std::string> ids;
        const char* font;
        int room;
    };
    const Line lines[] = {
        {{"main_play",         "main_bonus",    "main_options",   "main_tips",      "main_credits",
          "main_quit",         "button_play",   "button_menu",    "button_cancel",  "button_quit",
          "button_restart",    "button_delete", "button_museum",  "button_desk",    "button_yes",
          "button_no",         "button_ok",     "button_resume",  "button_credits", "button_map",
          "button_back_rooms", "letter_ok",     "level_continue", "level_retry",    "level_leave",
          "intro_ok",          "button_go_on"},
         "button",
         210},
        {{"disable_tips", "custom_cursors", "toggle_mode", "toggle_numbers", "full_screen",
          "stretch_screen"},
         "menu",
         200},
        {{"puzzle_left_click", "puzzle_right_click"}, "hud_text2", 100},
        {{"main_welcome", "main_welcome_first"}, "subtitle", 944},
        {{"main_change_player"}, "menu", 600},
        // The name card's notes, on its paper (274 to 749 at the note's line).
        {{"name_rule", "name_needed", "book_full"}, "small", 460},
    };
    for (const Line& line : lines) {
        for (const std::string& id : line.ids) {
            EXPECT_LE(Measure(text(id), line.font, 0).width, line.room)
                << id << " in \"" << line.font << "\": " << text(id);
        }
    }

    AnimationTable table;
    AnimationStats reader(false, &table);
    reader.ReadAll();
    // Wrapped texts whose box ends where the next thing starts: each letter's body above its
    // signature, the signature above the button (as the letter's script places them), the
    // note beside the locked back rooms within the button's height.
    auto param = [&](const char* script, const char* id, const char* field) {
        for (const AnimationCommand& command : table.Find(script)->mCommands) {
            const std::string* at = command.FindParam("id");
            if (at != nullptr && *at == id && command.FindParam(field) != nullptr) {
                return std::atoi(command.FindParam(field)->c_str());
            }
        }
        ADD_FAILURE() << script << " has no " << id << " with " << field;
        return 0;
    };
    const int bodyTop = param("letter_page", "letter_body", "y");
    const int bodyWidth = param("letter_page", "letter_body", "width");
    const int signatureTop = param("letter_page", "letter_signature", "y");
    const int signatureWidth = param("letter_page", "letter_signature", "width");
    const int buttonTop = param("letter_page", "letter_ok_btn", "y");
    struct Block {
        std::string text;
        const char* font;
        int width;
        int room;
        const char* what;
    };
    const Block blocks[] = {
        {letter("intro_letter_start_pelnora7"), "letter", bodyWidth, signatureTop - bodyTop,
         "opening letter"},
        {letter("final_letter_start_pelnora7"), "letter", bodyWidth, signatureTop - bodyTop,
         "closing letter"},
        {letter("intro_letter_end_pelnora7"), "letter", signatureWidth, buttonTop - signatureTop,
         "opening signature"},
        {letter("final_letter_end_pelnora7"), "letter", signatureWidth, buttonTop - signatureTop,
         "closing signature"},
        {text("main_bonus_locked"), "small", param("main_menu", "bonus_lock_note", "width"), 56,
         "locked back rooms note"},
    };
    for (const Block& block : blocks) {
        EXPECT_LE(Measure(block.text, block.font, block.width).height, block.room)
            << block.what << ": " << block.text;
    }

    // A tutorial tip's box (its text, 16 of margin all round, the 60-high OK button beside the
    // text) ends above the top edge of the board's frame: 5 x 5 tiles from y 239 under a clue
    // margin of 110.
    const int frameTop = 239 - 110;
    for (int board = 1; board <= 4; ++board) {
        const auto script = table.Find("tutorial_" + std::to_string(board));
        ASSERT_TRUE(script) << board;
        for (const AnimationCommand& command : script->mCommands) {
            const std::string* id = command.FindParam("text");
            if (command.mCommand != "popup" || id == nullptr) {
                continue;
            }
            const std::string key = id->substr(1, id->size() - 2);
            const int top = std::atoi(command.FindParam("y")->c_str());
            const int width = std::atoi(command.FindParam("width")->c_str());
            const int bottom = top + std::max(Measure(text(key), "small", width).height, 60) + 32;
            EXPECT_LE(bottom, frameTop) << "tutorial_" << board << ": " << text(key);
            // The box (text, three margins, the 240-wide button) stays right of the HUD column
            // and on the screen.
            const int left = std::atoi(command.FindParam("x")->c_str()) - 16;
            EXPECT_GE(left, 240) << "tutorial_" << board;
            EXPECT_LE(left + width + 3 * 16 + 240, 1024) << "tutorial_" << board;
        }
    }

    // A wrapped question or notice never leaves one word alone on its last line: the text
    // without its last word would take a line less.
    struct Wrapped {
        std::string text;
        const char* font;
        int width;
    };
    const Wrapped wrapped[] = {
        {text("quit_text"), "card", 500},
        {text("restart_text"), "card", 500},
        {StrFormat(text("delete_text").c_str(), name.c_str()), "card", 500},
        {text("return_to_menu_text"), "card", 500},
        {text("return_to_museum_text"), "card", 500},
        {text("return_to_desk_text"), "card", 500},
        {text("confirm_tutorial_text"), "card", 500},
        {text("leave_tutorial_text"), "card", 500},
        {text("saving_off_text"), "card", 500},
        {text("no_windowed_mode_text"), "card", 500},
        {text("hint_intro_text"), "card", 500},
        {text("mistake_intro_text"), "card", 500},
        {text("unlocked_bonus_text"), "card", 500},
        {text("completed_bonus_text"), "card", 500},
    };
    std::vector<Wrapped> all(std::begin(wrapped), std::end(wrapped));
    // The intro panels' texts, in the journal's column of their page.
    const int panelWidth = param("intro_panel", "ink_6", "width");
    for (const std::string& script : table.GetNames()) {
        int set = 0;
        int puzzle = 0;
        if (std::sscanf(script.c_str(), "intro_%d_%d", &set, &puzzle) != 2) {
            continue;
        }
        const AnimationCommand& define = table.Find(script)->mCommands.front();
        const std::string* key = define.FindParam("intro_key");
        ASSERT_NE(key, nullptr) << script;
        all.push_back({text(key->substr(1, key->size() - 2) + "_text"), "journal", panelWidth});
    }
    // The letters, to short, common and the widest names alike: each wraps its lines its own way.
    for (const char* keeper : {"Ann", "Maximilian", "WWWWWWWWWW"}) {
        for (const char* id : {"intro_letter_start_pelnora7", "final_letter_start_pelnora7"}) {
            all.push_back({StrFormat(LocalizedTexts::Lookup(id).c_str(), keeper, keeper), "letter",
                           bodyWidth});
        }
        for (const char* id : {"intro_letter_end_pelnora7", "final_letter_end_pelnora7"}) {
            all.push_back(
                {StrFormat(LocalizedTexts::Lookup(id).c_str(), keeper), "letter", signatureWidth});
        }
    }
    for (const Wrapped& w : all) {
        const size_t lastSpace = w.text.rfind(' ');
        ASSERT_NE(lastSpace, std::string::npos) << w.text;
        EXPECT_EQ(Measure(w.text.substr(0, lastSpace), w.font, w.width).height,
                  Measure(w.text, w.font, w.width).height)
            << "a lone last word: " << w.text;
    }
    LocalizedTexts::Clear();
    Fonts::Clear();
}

// The first command of a script that carries the given attribute with the given value.
const AnimationCommand* FindCommand(const AnimationTable& table, const char* script,
                                    const char* field, const std::string& value) {
    const auto animation = table.Find(script);
    if (animation == nullptr) {
        return nullptr;
    }
    for (const AnimationCommand& command : animation->mCommands) {
        const std::string* at = command.FindParam(field);
        if (at != nullptr && *at == value) {
            return &command;
        }
    }
    return nullptr;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Each screen has one name: a button that opens a screen or a question says what its title
// says, and two buttons that lead to different places are not named alike. The texts tell the
// rules as the game plays them.
TEST_F(ImageFontContentTest, ScreenTextsNameEachPlaceOnceAndTellTheRulesAsPlayed) {
    Localization texts;
    ASSERT_TRUE(texts.Read("localization.xml"));
    auto text = [](const std::string& id) { return LocalizedTexts::Lookup(id); };
    AnimationTable table;
    AnimationStats reader(false, &table);
    reader.ReadAll();
    const AnimationCommand* pause = FindCommand(table, "play_puzzle_menu_ipad", "id", "pause_btn");
    ASSERT_NE(pause, nullptr);
    const std::string pauseLabel = pause->FindParam("text")->substr(1);
    const std::string pauseKey = pauseLabel.substr(0, pauseLabel.size() - 1);

    // The button, and the title of the screen or question it opens.
    const struct {
        std::string button;
        const char* title;
    } opens[] = {
        {pauseKey, "options_title"},
        {"main_options", "options_title"},
        {"main_tips", "tips_title"},
        {"main_bonus", "bonus_title"},
        {"button_back_rooms", "bonus_title"},
        {"button_menu", "return_to_menu_title"},
        {"button_sketches", "return_to_museum_title"},
        {"button_sketches", "return_to_desk_title"},
        {"button_museum", "return_to_museum_title"},
        {"button_desk", "return_to_desk_title"},
        {"button_sketches", "leave_tutorial_title"},
        {"button_restart", "restart_title"},
        {"button_quit", "quit_title"},
        {"main_quit", "quit_title"},
        {"button_delete", "delete_title"},
    };
    for (const auto& pair : opens) {
        EXPECT_NE(Lower(text(pair.title)).find(Lower(text(pair.button))), std::string::npos)
            << pair.button << " \"" << text(pair.button) << "\" opens \"" << text(pair.title)
            << "\"";
    }
    // The play screen's way to its dialog is not named like the way to the main menu, which
    // that dialog holds.
    EXPECT_NE(text(pauseKey), text("button_menu"));
    // One maker: the credits name the studio that the splash card and the logo show (drawn by
    // content-src/art/make_art.py from its STUDIO_WORD) and whose folder keeps the players'
    // files.
    EXPECT_NE(text("credits_text").find("by Pelnora Studio"), std::string::npos)
        << text("credits_text");
    // The bonus area has one name wherever it is named, and each of its rooms is called by
    // its own name on the list of rooms (an article may go).
    for (const char* area : {"main_bonus", "button_back_rooms"}) {
        EXPECT_EQ(text(area), text("bonus_title")) << area;
    }
    std::ifstream setFile("properties/sets7.xml");
    std::stringstream sets;
    sets << setFile.rdbuf();
    const size_t bonusModeAt = sets.str().find("<mode>", sets.str().find("</mode>"));
    ASSERT_NE(bonusModeAt, std::string::npos);
    int roomCount = 0;
    for (const std::string& room : AttributeValues(sets.str().substr(bonusModeAt), "name")) {
        if (room.rfind("music_", 0) == 0) {
            continue;  // the rooms' tracks
        }
        ++roomCount;
        std::string name = text(room);
        if (name.rfind("The ", 0) == 0) {
            name = name.substr(4);
        }
        std::string shortName = text(room + "_short");
        if (shortName.rfind("The ", 0) == 0) {
            shortName = shortName.substr(4);
        }
        EXPECT_EQ(shortName, name) << room;
    }
    EXPECT_GT(roomCount, 0);
    // The stars are told of before the first puzzle whose page gives them, the first one after
    // the desk's own pages: the intro panel of the second set's first puzzle at the latest.
    int starsSet = 99;
    int starsPuzzle = 99;
    for (const std::string& script : table.GetNames()) {
        int set = 0;
        int puzzle = 0;
        if (std::sscanf(script.c_str(), "intro_%d_%d", &set, &puzzle) != 2) {
            continue;
        }
        const std::string* key = table.Find(script)->mCommands.front().FindParam("intro_key");
        ASSERT_NE(key, nullptr) << script;
        const std::string id = key->substr(1, key->size() - 2);
        // The word, not "starts".
        const std::string words = Lower(text(id + "_title") + " " + text(id + "_text")) + " ";
        bool tellsStars = false;
        for (size_t at = words.find("star"); at != std::string::npos;
             at = words.find("star", at + 1)) {
            const size_t end = words[at + 4] == 's' ? at + 5 : at + 4;
            tellsStars = tellsStars || std::isalpha(static_cast<unsigned char>(words[end])) == 0;
        }
        if (tellsStars && std::make_pair(set, puzzle) < std::make_pair(starsSet, starsPuzzle)) {
            starsSet = set;
            starsPuzzle = puzzle;
        }
    }
    EXPECT_LE(std::make_pair(starsSet, starsPuzzle), std::make_pair(2, 1))
        << "the stars are first told of at intro_" << starsSet << "_" << starsPuzzle;

    // Leaving a puzzle loses its progress, and every question that leaves one says so.
    for (const char* leave : {"return_to_menu_text", "return_to_museum_text", "return_to_desk_text",
                              "leave_tutorial_text"}) {
        EXPECT_NE(text(leave).find("progress is lost"), std::string::npos) << text(leave);
    }
    // A lit lantern reveals as many solid tiles as the board's hint reward: one on the smallest
    // board (the tutorial's and the first notice's), more on larger ones. A mark on a solid tile
    // is a mistake, so no text calls a mark free.
    std::ifstream grid("properties/game.xml");
    std::stringstream whole;
    whole << grid.rdbuf();
    ASSERT_NE(whole.str().find("<grid size=\"5\" hints=\"6\" hint-reward=\"1\""),
              std::string::npos);
    EXPECT_NE(text("tut4_hints").find("reveals one solid tile"), std::string::npos);
    for (const char* lantern : {"hint_intro_text", "intro_hints_text"}) {
        EXPECT_NE(text(lantern).find("one on the smallest sketches, more on larger"),
                  std::string::npos)
            << text(lantern);
    }
    std::ifstream file("properties/localization.xml");
    std::stringstream all;
    all << file.rdbuf();
    for (const std::string& written : AttributeValues(all.str(), "value")) {
        const std::string value = Lower(written);
        EXPECT_EQ(value.find("costs nothing"), std::string::npos) << written;
        EXPECT_EQ(value.find("a few solid tiles"), std::string::npos) << written;
        if (value.find("mark") != std::string::npos && value.find("cost") != std::string::npos) {
            EXPECT_NE(value.find("compass token"), std::string::npos) << written;
        }
    }
    LocalizedTexts::Clear();
}

// The tips are written on the journal page's ruled lines (every 30 pixels from 90 below its
// top, sixteen rules), as in ink on lined paper: every baseline stands 3 pixels above a rule, so
// the rule runs just under the letters' feet, never through them.
TEST_F(ImageFontContentTest, TheTipsStandOnTheJournalPagesRules) {
    std::string error;
    ASSERT_TRUE(Fonts::Load("fonts.xml", &error)) << error;
    Localization texts;
    ASSERT_TRUE(texts.Read("localization.xml"));
    AnimationTable table;
    AnimationStats reader(false, &table);
    reader.ReadAll();
    const AnimationCommand* page = FindCommand(table, "tips", "image", "'JournalPage'");
    const AnimationCommand* tips = FindCommand(table, "tips", "id", "ink_2");
    ASSERT_NE(page, nullptr);
    ASSERT_NE(tips, nullptr);
    Font* journal = Fonts::Find("journal");
    ASSERT_NE(journal, nullptr);
    ASSERT_EQ(*tips->FindParam("font"), "'journal'");
    ASSERT_EQ(journal->GetLineSpacing(), 30);
    const int firstRule = std::atoi(page->FindParam("y")->c_str()) + 90;
    const int lastRule = firstRule + 15 * 30;
    const int firstBaseline =
        std::atoi(tips->FindParam("y")->c_str()) + static_cast<int>(journal->GetAscent());
    // A block of n lines is n - 1 spacings and one line's height.
    const int height = Measure(LocalizedTexts::Lookup("tips_text"), "journal",
                               std::atoi(tips->FindParam("width")->c_str()))
                           .height;
    const int lines = (height - journal->GetHeight() + journal->GetAscentPadding()) / 30 + 1;
    EXPECT_EQ((firstRule - firstBaseline + 30) % 30, 3) << "first baseline at " << firstBaseline;
    EXPECT_GE(firstBaseline, firstRule - 3);
    EXPECT_LE(firstBaseline + (lines - 1) * 30, lastRule) << lines << " lines";
    LocalizedTexts::Clear();
    Fonts::Clear();
}

// The title screen draws its logo and subtitle centred across the screen, three eighths down;
// the background's lighthouse (warm paper and a brass lamp, bright on the night sea) stands
// clear of that box, so no word of the subtitle is written over it.
TEST_F(ImageFontContentTest, TheTitleLighthouseStandsClearOfTheLogo) {
    DecodedImage background;
    DecodedImage logo;
    ASSERT_TRUE(ReadImageFile("images/title/title_background.jpg", &background));
    ASSERT_TRUE(ReadImageFile("images/title/game_logo.png", &logo));
    ASSERT_EQ(background.mWidth, 1024);
    ASSERT_EQ(background.mHeight, 768);
    const int left = (1024 - logo.mWidth) / 2;
    const int top = 768 * 3 / 8 - logo.mHeight / 2;
    int warm = 0;
    for (int y = top; y < top + logo.mHeight; ++y) {
        for (int x = left; x < left + logo.mWidth; ++x) {
            const uint32_t pixel = background.mPixels[size_t(y) * 1024 + size_t(x)];
            const int red = int((pixel >> 16) & 0xFF);
            const int blue = int(pixel & 0xFF);
            // The sky, the beams and the stars are cool or faint; paper and brass are not.
            warm += red > 150 && red - blue > 30;
        }
    }
    EXPECT_EQ(warm, 0) << "bright warm pixels under the logo";
}

// A place's background shows behind the play screen's HUD column (x below 240), the finished
// picture's paper (36..504 x 150..618 on the level-complete page) and the puzzle buttons (from
// y 140): a shape of the place that one of them covers must be covered whole, or an edge of it
// peeks out beside the card. The desk's cup (its cream rim) and the steppe's kite (coral) stay
// inside what covers them.
TEST_F(ImageFontContentTest, APlacesShapesAreCoveredWholeOrNotAtAll) {
    struct Rect {
        int left, top, right, bottom;
    };
    const struct {
        const char* path;
        const char* what;
        bool (*is)(int red, int green, int blue);
        Rect look;    // where to look for the shape
        Rect inside;  // where it must lie whole
    } shapes[] = {
        {"images/sets/set_desk.jpg",
         "cup",
         [](int r, int g, int b) { return r > 140 && g > 130 && b > 110; },
         {0, 0, 520, 768},
         {36, 150, 240, 618}},
        {"images/sets/set_windward.jpg",
         "kite",
         [](int r, int g, int b) { return r > 90 && r > 2 * g && r > 2 * b; },
         {0, 0, 1024, 768},
         {0, 0, 240, 140}},
    };
    for (const auto& shape : shapes) {
        DecodedImage image;
        ASSERT_TRUE(ReadImageFile(shape.path, &image)) << shape.path;
        ASSERT_EQ(image.mWidth, 1024);
        int seen = 0;
        int outside = 0;
        for (int y = shape.look.top; y < shape.look.bottom; ++y) {
            for (int x = shape.look.left; x < shape.look.right; ++x) {
                const uint32_t pixel = image.mPixels[size_t(y) * 1024 + size_t(x)];
                if (!shape.is(int((pixel >> 16) & 0xFF), int((pixel >> 8) & 0xFF),
                              int(pixel & 0xFF))) {
                    continue;
                }
                ++seen;
                outside += x < shape.inside.left || x >= shape.inside.right ||
                           y < shape.inside.top || y >= shape.inside.bottom;
            }
        }
        EXPECT_GT(seen, 0) << shape.what << " not found in " << shape.path;
        EXPECT_EQ(outside, 0) << shape.what << " of " << shape.path << " reaches past its cover";
    }
}

// The map writes Fernhollow Woods' name on the sea left of its island (the island's left rim
// near x 283, the name's line from y 456 to 480): open sea stands between them, so the name
// reads as the island's label and not as part of its shore.
TEST_F(ImageFontContentTest, TheMapsSideLabelLeavesSeaBeforeItsIsland) {
    DecodedImage map;
    ASSERT_TRUE(ReadImageFile("images/map/world_map.jpg", &map));
    ASSERT_EQ(map.mWidth, 1024);
    int openColumns = 0;
    for (int x = 240; x < 300; ++x) {
        bool sea = true;
        for (int y = 456; y < 480 && sea; ++y) {
            const uint32_t pixel = map.mPixels[size_t(y) * 1024 + size_t(x)];
            sea = int(pixel & 0xFF) > int((pixel >> 16) & 0xFF) + 20;  // blue water
        }
        openColumns += sea;
    }
    EXPECT_GE(openColumns, 8);
}

// What counts as a literal name in a script parameter.
TEST(ScriptLiteralNames, QuotedAndBareWordsAreNamesVariablesAndExpressionsAreNot) {
    const std::set<std::string> variables = {"tile_image"};
    const struct {
        const char* text;
        const char* name;  // null: not a literal name
    } cases[] = {{" 'Dialog' ", "Dialog"},
                 {"\"GridNumbers\"", "GridNumbers"},
                 {"hud_back_ipad", "hud_back_ipad"},
                 {"tile_image", nullptr},
                 {"'G' + dim + 'TileSolid_' + c_device", nullptr},
                 {"'reveal' + dim", nullptr},
                 {"true", nullptr},
                 {"''", nullptr},
                 {"3", nullptr}};
    for (const auto& c : cases) {
        std::string name;
        EXPECT_EQ(contenttest::LiteralName(c.text, variables, &name), c.name != nullptr) << c.text;
        if (c.name != nullptr) {
            EXPECT_EQ(name, c.name);
        }
    }
}

}  // namespace
