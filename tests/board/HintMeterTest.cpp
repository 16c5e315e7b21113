#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "BoardGLTestSupport.h"
#include "BoardTestSupport.h"
#include "game/board/HintMeter.h"
#include "game/board/PlayGridHost.h"
#include "graphics/ShaderEffect.h"
#include "graphics/assets/AssetSet.h"
#include "widgets/controls/ButtonWidget.h"

namespace {

class HintMeterTest : public BoardTest {
protected:
    void SetUp() override {
        BoardTest::SetUp();
        meter = new HintMeter(20, 30, 240, 80, 10, 1);
        h.manager->AddWidget(meter);
    }
    void TearDown() override {
        h.manager->RemoveAllWidgets(true, true);
        h.RunUpdates(1);
        BoardTest::TearDown();
    }
    ExprValue Var(const char* name) {
        const ExprValue* value = meter->GetVariables().Find(name);
        return value != nullptr ? *value : ExprValue::FromString("<absent>");
    }

    HintMeter* meter = nullptr;
};

}  // namespace

TEST_F(HintMeterTest, ScriptVariablesAtStart) {
    EXPECT_EQ(Var("c_x").AsInt(), 20);
    EXPECT_EQ(Var("c_y").AsInt(), 30);
    EXPECT_EQ(Var("c_numhints").AsInt(), 1);
    EXPECT_EQ(Var("hint_frame").AsInt(), 0);
}

// A host that answers whether a hint found tiles to reveal.
class AnsweringHost : public PlayGridHost {
public:
    void NextTool() override {}
    void ClearToolHighlights() override {}
    WidgetContainer* GetTrailLayer() override { return nullptr; }
    void AddExplosionTile(DynamicWidget*, float, float, int) override {}
    void FailPuzzle() override {}
    bool UseHintAt(int, int, int) override {
        ++asked;
        return answer;
    }
    bool answer = false;
    int asked = 0;
};

// A hint with no tile it may take (a tutorial step that reveals none) keeps its lantern lit.
TEST_F(HintMeterTest, AHintWithNothingToRevealIsNotSpent) {
    AnsweringHost host;
    meter->SetHost(&host);
    ASSERT_EQ(meter->GetBulbs().GetAvailableHints(), 1);
    for (const bool answer : {false, true}) {
        host.answer = answer;
        meter->OnEvent("hint", "0", 0);
        EXPECT_EQ(meter->GetBulbs().GetAvailableHints(), answer ? 0 : 1);
        EXPECT_EQ(meter->GetBulbs().GetHintsUsed(), answer ? 1 : 0);
    }
    EXPECT_EQ(host.asked, 2);
    meter->SetHost(nullptr);
}

TEST_F(HintMeterTest, FillingShowsTheBulbAndItsFrame) {
    // 14 correct reveals fill a bulb of a 10 x 10 grid (game.xml).
    meter->AddFill(1);
    EXPECT_EQ(Var("hint_bulb").AsString(), "hint_bulb2");
    EXPECT_EQ(Var("hint_frame").AsInt(), 0);  // floor(1 / (14 / 12.0))
    EXPECT_EQ(Var("c_prevfillamount").AsInt(), 0);
    for (int i = 1; i < 7; ++i) {
        meter->AddFill(1);
    }
    EXPECT_EQ(Var("hint_frame").AsInt(), 6);  // floor(7 / (14 / 12.0))
    for (int i = 7; i < 13; ++i) {
        meter->AddFill(1);
    }
    EXPECT_EQ(Var("hint_frame").AsInt(), 10);  // 13 of 14: never the full frame
    meter->AddFill(1);
    EXPECT_EQ(Var("hint_bulb").AsString(), "hint_bulb2");
    EXPECT_EQ(Var("hint_frame").AsInt(), 11);
    EXPECT_EQ(meter->GetBulbs().GetAvailableHints(), 2);
    // The next reveal goes to the third bulb.
    meter->AddFill(1);
    EXPECT_EQ(Var("hint_bulb").AsString(), "hint_bulb3");
}

// A bulb that becomes full breathes in lamplight over itself for a while ("lantern_breath"
// with the shipped "lantern_glow" effect), and the light goes, so the meter comes to rest.
TEST_F(HintMeterTest, AFullBulbBreathesForAWhile) {
    AddTestImage("HintBulb_ipad", 44, 60, 12, 1);
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(std::string(P7_SOURCE_DIR) + "/content");
    for (int i = 0; i < 14; ++i) {
        meter->AddFill(1);  // the second bulb fills
    }
    std::filesystem::current_path(old);
    auto breaths = [this] {
        std::vector<DynamicWidget*> found;
        for (Widget* child : meter->GetChildren()) {
            auto* widget = dynamic_cast<DynamicWidget*>(child);
            if (widget != nullptr && widget->GetShader() != nullptr) {
                found.push_back(widget);
            }
        }
        return found;
    };
    const std::vector<DynamicWidget*> light = breaths();
    ASSERT_EQ(light.size(), 1u);
    EXPECT_EQ(light[0]->mX, 78.0f);  // over "hint_bulb2"
    EXPECT_EQ(light[0]->mY, 40.0f);
    EXPECT_EQ(light[0]->mFrames.mFrame, 11);
    EXPECT_FALSE(light[0]->mMouseVisible);
    h.RunUpdates(905);
    EXPECT_TRUE(breaths().empty());
}

// A full bulb spent: its breath of light fades out with it and goes, with the effect and without
// (there the breath is the lit picture itself, which would show a spent bulb lit).
TEST_F(HintMeterTest, ASpentBulbsLightFadesOutWithIt) {
    AddTestImage("HintBulb_ipad", 44, 60, 12, 1);
    AnsweringHost host;
    host.answer = true;
    meter->SetHost(&host);
    const std::filesystem::path old = std::filesystem::current_path();
    for (const bool effects : {false, true}) {
        SCOPED_TRACE(effects);
        if (effects) {
            std::filesystem::current_path(std::string(P7_SOURCE_DIR) + "/content");
        }
        while (meter->GetBulbs().GetAvailableHints() < 2) {
            meter->AddFill(1);  // the second bulb fills and breathes
        }
        std::filesystem::current_path(old);
        // The scripted light laid over the second bulb, if any.
        const auto breath = [this]() -> AnimationWidget* {
            for (Widget* child : meter->GetChildren()) {
                auto* light = dynamic_cast<AnimationWidget*>(child);
                if (light != nullptr && dynamic_cast<ButtonWidget*>(child) == nullptr &&
                    !light->mRemoved && light->mX == 78.0f) {
                    return light;
                }
            }
            return nullptr;
        };
        ASSERT_NE(breath(), nullptr);
        h.RunUpdates(100);
        meter->OnEvent("hint", "1", 0);
        ASSERT_EQ(meter->GetBulbs().GetAvailableHints(), 1);
        h.RunUpdates(15);
        ASSERT_NE(breath(), nullptr);
        EXPECT_LT(breath()->mOpacity, 0.75f);
        h.RunUpdates(20);
        EXPECT_EQ(breath(), nullptr) << "the light of a spent bulb is gone with it";
    }
    meter->SetHost(nullptr);
}

namespace {

// The meter drawn through OpenGL with the shipped bulb and panel pictures, loaded from the
// catalogue as a puzzle's loading screen loads them (with the catalogue's flags).
class HintBulbLightTest : public BoardGLTest {
protected:
    void SetUp() override {
        BoardGLTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        mKept = std::filesystem::current_path();
        std::filesystem::current_path(std::string(P7_SOURCE_DIR) + "/content");
        ASSERT_TRUE(AssetManager::Get().ReadCatalogue());
        AssetSet names;
        names.mImages = {"HintBulb_ipad", "HintMeter_ipad"};
        ASSERT_TRUE(AssetManager::Get().LoadGroup(nullptr, names, nullptr, "PlayAssets"));
        mTarget = MakeTarget(260, 120);
    }
    void TearDown() override {
        mTarget.reset();
        BoardGLTest::TearDown();
        if (!mKept.empty()) {
            AssetManager::Get().SetCatalogue(AssetCatalogue());
            std::filesystem::current_path(mKept);
        }
    }

    // The brightness drawn over the second bulb's cell (halo included), on a dark ground.
    double SecondBulbLight(HintMeter* meter) {
        {
            Graphics g(mTarget.get());
            g.SetColor(Color(20, 24, 32));
            g.FillRect(0.0f, 0.0f, 260.0f, 120.0f);
            WidgetFlagState state;
            meter->DrawAll(state, &g);
        }
        sDevice->Flush();
        const std::vector<uint32_t>& pixels = mTarget->GetPixelData();
        double sum = 0.0;
        for (int y = 40; y < 100; ++y) {
            for (int x = 78; x < 122; ++x) {
                const uint32_t p = pixels[static_cast<size_t>(y * 260 + x)];
                sum += double((p >> 16) & 0xFF) + double((p >> 8) & 0xFF) + double(p & 0xFF);
            }
        }
        return sum;
    }

    std::filesystem::path mKept;
    std::unique_ptr<ImageSurface> mTarget;
};

}  // namespace

// A spent lantern's light (and halo) fades out over the 30 updates of its script, whether its
// breath still runs or has ended, with effects on and off; nothing is logged on the way.
TEST_F(HintBulbLightTest, ASpentLanternsLightFadesOutOverItsThirtyUpdates) {
    AnsweringHost host;
    host.answer = true;
    for (const bool effects : {true, false}) {
        for (const int litFor : {100, 950}) {  // the breath lasts 900 updates
            SCOPED_TRACE(testing::Message() << "effects " << effects << ", lit for " << litFor);
            SetConstant("shaders", ExprValue::FromBool(effects));
            auto* meter = new HintMeter(0, 0, 240, 80, 10, 1);
            meter->SetHost(&host);
            h.manager->AddWidget(meter);
            while (meter->GetBulbs().GetAvailableHints() < 2) {
                meter->AddFill(1);  // the second bulb fills and starts to breathe
            }
            h.RunUpdates(litFor);
            const double lit = SecondBulbLight(meter);
            testing::internal::CaptureStderr();
            meter->OnEvent("hint", "1", 0);
            std::vector<double> seen;
            for (int i = 0; i <= 40; ++i) {
                seen.push_back(SecondBulbLight(meter));
                h.RunUpdates(1);
            }
            EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
            ASSERT_EQ(meter->GetBulbs().GetAvailableHints(), 1);
            const double out = seen.back();
            ASSERT_GT(lit - out, 0.2 * lit) << "a lit lantern is brighter than a spent one";
            // The share of the light still shown after each update.
            std::vector<double> share;
            for (double light : seen) {
                share.push_back((light - out) / (lit - out));
            }
            double steepest = 0.0;
            for (size_t i = 1; i < share.size(); ++i) {
                steepest = std::max(steepest, share[i - 1] - share[i]);
            }
            EXPECT_LT(steepest, 0.2) << "no update takes the light at once";
            EXPECT_GT(share[15], 0.25);
            EXPECT_LT(share[15], 0.75);
            EXPECT_LT(share[31], 0.03) << "out once its 30 updates are over";
            meter->SetHost(nullptr);
            h.manager->RemoveWidget(meter);
            h.RunUpdates(1);
        }
    }
}
