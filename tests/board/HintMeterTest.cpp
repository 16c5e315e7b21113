#include <gtest/gtest.h>

#include "BoardTestSupport.h"
#include "game/board/HintMeter.h"
#include "game/board/PlayGridHost.h"

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
