#pragma once
// Shared set-up of the menu tests: the UI harness with a sound player over a recording sound
// manager, scripts written by the test, and generated stand-in images.

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "audio/SoundPlayer.h"
#include "core/expr/NamedConstants.h"
#include "graphics/Color.h"
#include "graphics/ImageSurface.h"
#include "graphics/assets/AssetManager.h"
#include "support/RecordingSounds.h"
#include "support/TempFolder.h"
#include "support/UiHarness.h"
#include "widgets/script/AnimationStats.h"
#include "widgets/script/AnimationTable.h"

// Enters a generated image of cols x rows cells under name.
inline std::shared_ptr<ImageSurface> AddMenuTestImage(const std::string& name, int cellWidth,
                                                      int cellHeight, int cols = 1, int rows = 1) {
    auto image = std::make_shared<ImageSurface>();
    image->SetName(name);
    image->Create(cellWidth * cols, cellHeight * rows);
    image->Fill(Color(200, 200, 200));
    image->SetCells(cols, rows);
    AssetManager::Get().SetImage(name, image);
    return image;
}

class MenuTest : public ::testing::Test {
protected:
    MenuTest() { h.app.mSoundPlayer = &player; }
    ~MenuTest() override {
        h.app.mSoundPlayer = nullptr;
        AnimationTable::Get().Clear();
        AssetManager::Get().Clear();
    }

    // Reads "<animations>" + body + "</animations>" into the process-wide script table.
    void Scripts(const std::string& body) {
        std::ofstream(folder.Path() + "animations.xml")
            << "<animations>" << body << "</animations>";
        AnimationStats stats(false);
        ASSERT_TRUE(stats.ReadAll("animations.xml", folder.Path()))
            << (stats.GetErrors().empty() ? "" : stats.GetErrors()[0]);
    }
    // Fixed and float updates, as the main loop runs them (queued deletions included).
    void Run(int updates) { h.RunUpdates(updates); }

    TempFolder folder;
    RecordingSoundManager sounds;
    SoundPlayer player{&sounds, [] { return 1.0; }};
    // Widgets log while the harness tears down: everything they use is declared above.
    WidgetHarness h;
};
