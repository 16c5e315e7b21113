// A quit while the start-up loader waits for an effect translator that never answers: the quit
// ends the translator and the loader starts no other, so it is joined at once instead of after
// the translator's time bound for each effect file; the file ended is translated again later.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/GameApp.h"
#include "graphics/EffectTranslator.h"
#include "graphics/ShaderEffect.h"
#include "support/AppTestSupport.h"

namespace {

// Its loader only prepares the effect files of the current folder.
struct EffectLoaderApp : GameApp {
    EffectLoaderApp() : GameApp("Test", "v1.2", 1024, 768) {}
    void LoadingThreadProc() override { PrepareShaderEffects(LoadingAbortFlag()); }
};

}  // namespace

TEST(MainLoop, QuitEndsTheTranslatorTheLoaderWaitsFor) {
    TempUserFolder folder;
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::create_directories(folder.path + "/data/properties");
    std::filesystem::current_path(folder.path + "/data");
    for (const char* name : {"properties/one.hlsl", "properties/two.hlsl"}) {
        std::ofstream(name) << "float4 PS() : COLOR0 { return 0; }\n";
    }
    const std::string hung = folder.path + "/hung";
    const std::string started = hung + ".started";
    std::ofstream(hung) << "#!/bin/sh\necho \"$1\" >> \"$0.started\"\nexec sleep 1000\n";
    std::filesystem::permissions(hung, std::filesystem::perms::owner_all);
    EffectTranslator::SetProgramForTests(hung);
    ManualClock clock;
    auto app = std::make_unique<EffectLoaderApp>();
    app->SetClock(&clock);
    ASSERT_TRUE(app->Init());
    app->BeginRun();
    // Only a hang ends this wait sooner: the translator runs once its file is there.
    for (int i = 0; i < 120000 && !std::filesystem::exists(started); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    app->Quit();
    EXPECT_FALSE(app->MainLoopStep());
    testing::internal::CaptureStderr();
    app->Shutdown();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find(EffectTranslator::kEndedAtQuit), std::string::npos) << log;
    EXPECT_EQ(log.find("Shader effect", log.find("Shader effect") + 1), std::string::npos) << log;
    const std::string translated = ReadText(started);
    EXPECT_EQ(std::count(translated.begin(), translated.end(), '\n'), 1) << translated;
    app.reset();
    // Ended by the quit, the file is not taken for one that fails: it is translated again.
    EffectTranslator::SetProgramForTests("");
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadShaderEffect("one"), nullptr);  // it has no vertex shader
    EXPECT_NE(testing::internal::GetCapturedStderr().find("\"properties/one.hlsl\": vertex"),
              std::string::npos);
    std::filesystem::current_path(old);
}
