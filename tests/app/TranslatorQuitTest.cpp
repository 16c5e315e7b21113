// A quit while the loader waits for an effect translator that never answers: the quit ends the
// translator, so the loader is joined at once instead of after the translator's time bound.

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/GameApp.h"
#include "graphics/EffectTranslator.h"
#include "graphics/HlslTranslator.h"
#include "support/AppTestSupport.h"

namespace {

// Its loader translates one effect, with whatever translator the test has put in place.
struct TranslatingLoaderApp : GameApp {
    TranslatingLoaderApp() : GameApp("Test", "v1.2", 1024, 768) {}
    void LoadingThreadProc() override {
        TranslatedEffect effect;
        std::string why;
        translated = EffectTranslator::Translate("source", "hung.hlsl", &effect, &why);
        error = why;
        done = true;
    }
    std::atomic<bool> translated{true};
    std::atomic<bool> done{false};
    std::string error;  // read after the loader is joined
};

}  // namespace

TEST(MainLoop, QuitEndsTheTranslatorTheLoaderWaitsFor) {
    TempUserFolder folder;
    const std::string hung = folder.path + "/hung";
    std::ofstream(hung) << "#!/bin/sh\n: > \"$0.up\"\nexec sleep 1000\n";
    std::filesystem::permissions(hung, std::filesystem::perms::owner_all);
    EffectTranslator::SetProgramForTests(hung);
    ManualClock clock;
    auto app = std::make_unique<TranslatingLoaderApp>();
    app->SetClock(&clock);
    ASSERT_TRUE(app->Init());
    app->BeginRun();
    // Only a hang ends this wait sooner: the translator runs once its file is there.
    for (int i = 0; i < 120000 && !std::filesystem::exists(hung + ".up") && !app->done; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    app->Quit();
    EXPECT_FALSE(app->MainLoopStep());
    app->Shutdown();
    EXPECT_FALSE(app->translated);
    EXPECT_EQ(app->error, "the translator was ended as the game quits");
    app.reset();
    EffectTranslator::SetProgramForTests("");
}
