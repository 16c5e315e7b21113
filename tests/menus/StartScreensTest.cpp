// The logo and splash screens: their timings, the click guard, the fitted splash image, the
// logo's ball, and the paths without images.

#include <filesystem>
#include <fstream>
#include <string>

#include "MenuTestSupport.h"
#include "core/util/FileUtil.h"
#include "menus/DistributorScreen.h"
#include "menus/LogoBall.h"
#include "menus/LogoLetter.h"
#include "menus/LogoScreen.h"
#include "support/TempFolder.h"
#include "widgets/anim/EffectHold.h"

namespace {

// Counts the application's requests for the next start screen.
class StartApp : public HarnessApp {
public:
    void ShowNextStartScreen() override { ++nextScreens; }
    int nextScreens = 0;
};

void AddLogoImages(int ballColumns = 3) {
    AddMenuTestImage("B", 84, 105);
    AddMenuTestImage("R", 80, 105);
    AddMenuTestImage("O", 88, 105);
    AddMenuTestImage("K", 88, 105);
    AddMenuTestImage("E", 80, 105);
    AddMenuTestImage("R_Tilt", 80, 105);
    AddMenuTestImage("K_Tilt", 88, 105);
    AddMenuTestImage("Ball", 100, 101, ballColumns);
    AddMenuTestImage("Trail", 408, 60);
    AddMenuTestImage("createdby", 300, 30);
    AddMenuTestImage("BrokelTM", 30, 18);
}

class StartScreenTest : public ::testing::Test {
protected:
    StartScreenTest() {
        app.SetClock(&clock);
        app.GetWidgetManager()->SetAreaRects(Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768));
    }
    ~StartScreenTest() override { AssetManager::Get().Clear(); }
    void Run(int updates) {
        for (int i = 0; i < updates; ++i) {
            clock.Advance(10);
            app.Tick();
        }
    }
    void Click() {
        app.OnMouseMove(500, 400);
        app.OnMouseDown(500, 400, 1);
        app.OnMouseUp(500, 400, 1);
    }

    ManualClock clock;
    StartApp app;
};

}  // namespace

TEST_F(StartScreenTest, TheLogoPlaysFiveSecondsWithoutAPublisherSplash) {
    AddLogoImages();
    auto* logo = new LogoScreen;
    Menu::ShowAsDialog(logo);
    EXPECT_FALSE(logo->IsShowingPublisher());
    EXPECT_TRUE(logo->IsLogoRunning());
    ASSERT_EQ(logo->GetLetters().size(), 5u);
    EXPECT_EQ(logo->GetLetters()[0]->mX, 512 - 270);
    EXPECT_EQ(logo->GetLetters()[4]->mX, 512 - 270 + 354);
    EXPECT_EQ(logo->GetLetters()[0]->mY, 384 - 550);
    Run(500);
    EXPECT_EQ(app.nextScreens, 0);
    Run(1);
    EXPECT_EQ(app.nextScreens, 1);
    EXPECT_FALSE(app.HasDialog(logo));
    Run(5);
    EXPECT_EQ(app.nextScreens, 1);  // finished once
}

TEST_F(StartScreenTest, ThePublisherSplashThenTheLogoAndClicksMoveOn) {
    AddLogoImages();
    AddMenuTestImage("PUBLISHER_SPLASH", 1024, 768);
    auto* logo = new LogoScreen;
    Menu::ShowAsDialog(logo);
    EXPECT_TRUE(logo->IsShowingPublisher());
    Run(200);
    EXPECT_TRUE(logo->IsShowingPublisher());
    Run(1);
    EXPECT_FALSE(logo->IsShowingPublisher());
    EXPECT_TRUE(logo->IsLogoRunning());

    auto* clicked = new LogoScreen;
    Menu::ShowAsDialog(clicked);
    Click();
    EXPECT_TRUE(clicked->IsLogoRunning());
    EXPECT_EQ(app.nextScreens, 0);
    Click();
    EXPECT_EQ(app.nextScreens, 1);
    EXPECT_FALSE(app.HasDialog(clicked));
}

TEST_F(StartScreenTest, TheLettersDropInTurnAndTheBallLandsOnTheSecondLetter) {
    AddLogoImages();
    auto* logo = new LogoScreen;
    Menu::ShowAsDialog(logo);
    const auto& letters = logo->GetLetters();
    EXPECT_GT(letters[0]->mSpeed, 0.0);
    EXPECT_EQ(letters[1]->mSpeed, 0.0);  // waits for the first to land
    int steps = 0;
    while (logo->GetBall() == nullptr && steps < 200) {
        Run(1);
        ++steps;
    }
    ASSERT_NE(logo->GetBall(), nullptr);
    EXPECT_FLOAT_EQ(letters[0]->mY, 384.0f);
    EXPECT_GT(letters[1]->mSpeed, 0.0);
    LogoBall* ball = logo->GetBall();
    EXPECT_LT(ball->mX + ball->mWidth, 0.0f);  // it comes in from off screen
    EXPECT_EQ(ball->mWidth, 100);

    while (ball->mBounces == 0 && steps < 1000) {
        Run(1);
        ++steps;
    }
    ASSERT_EQ(ball->mBounces, 1);
    Run(1);  // the screen reacts to the bounce on its next step
    const float ballCentre = ball->mX + ball->mWidth / 2.0f;
    const LogoLetter* second = letters[1];
    EXPECT_GE(ballCentre, second->mX);
    EXPECT_LE(ballCentre, second->mX + second->mWidth);
    EXPECT_EQ(second->mRider, ball);  // the letter dips and carries the ball
    EXPECT_EQ(second->GetImage(), AssetManager::Get().FindImage("R_Tilt"));

    while (!ball->IsStopped() && steps < 2000) {
        Run(1);
        ++steps;
    }
    EXPECT_TRUE(ball->IsStopped());
    EXPECT_EQ(ball->mBounces, 3);
    EXPECT_FLOAT_EQ(ball->mY, 384.0f + 4.0f);
    EXPECT_EQ(letters[3]->GetImage(), AssetManager::Get().FindImage("K_Tilt"));
}

TEST_F(StartScreenTest, AMissingLogoImageSkipsTheLogoOnItsFirstUpdate) {
    AddLogoImages();
    AssetManager::Get().Clear();
    AddMenuTestImage("B", 84, 105);  // the rest is missing
    auto* logo = new LogoScreen;
    Menu::ShowAsDialog(logo);
    EXPECT_TRUE(app.HasDialog(logo));  // not removed half-built
    EXPECT_EQ(app.nextScreens, 0);
    Run(1);
    EXPECT_EQ(app.nextScreens, 1);
    EXPECT_FALSE(app.HasDialog(logo));
}

// A test's hold on the splash keeps it at its moment while the hold file exists; then its four
// seconds run out.
TEST_F(StartScreenTest, AHeldSplashStaysUntilTheHoldFileGoes) {
    const TempFolder folder;
    const std::string file = folder.Path() + "hold";
    std::ofstream(file).flush();
    ConfigureEffectHolds(file + " splash@300");
    AddMenuTestImage("splash", 1024, 768);
    Menu::ShowAsDialog(new DistributorScreen("splash"));
    Run(1000);
    EXPECT_EQ(app.nextScreens, 0);
    std::filesystem::remove(file);
    Run(100);
    EXPECT_EQ(app.nextScreens, 0);  // held on the update that would reach the moment
    Run(2);
    EXPECT_EQ(app.nextScreens, 1);
    ConfigureEffectHolds("");
}

TEST_F(StartScreenTest, ABallWithoutThreeColumnsIsAFatalError) {
    AddLogoImages(2);
    auto* logo = new LogoScreen;
    Menu::ShowAsDialog(logo);
    EXPECT_FALSE(logo->IsLogoRunning());
    Run(1);
    EXPECT_EQ(app.nextScreens, 1);
}

TEST_F(StartScreenTest, ASplashEndsAfterFourSecondsAndIgnoresEarlyClicks) {
    AddMenuTestImage("splash", 1024, 768);
    auto* splash = new DistributorScreen("splash");
    Menu::ShowAsDialog(splash);
    EXPECT_TRUE(splash->HasImage());
    EXPECT_EQ(splash->GetDestRect(), Rect(0, 0, 1024, 768));  // same aspect: no border
    Run(100);
    Click();
    EXPECT_EQ(app.nextScreens, 0);  // the first second (100 updates) ignores clicks
    Run(300);
    EXPECT_EQ(app.nextScreens, 0);
    Run(1);
    EXPECT_EQ(app.nextScreens, 1);
    EXPECT_FALSE(app.HasDialog(splash));

    auto* clicked = new DistributorScreen("splash");
    Menu::ShowAsDialog(clicked);
    Run(102);
    Click();
    EXPECT_EQ(app.nextScreens, 2);
}

TEST_F(StartScreenTest, ASplashImageIsFittedWithItsAspectKept) {
    EXPECT_EQ(DistributorScreen::FitRect(1024, 768, 1024, 768), Rect(0, 0, 1024, 768));
    EXPECT_EQ(DistributorScreen::FitRect(512, 384, 1024, 768), Rect(0, 0, 1024, 768));
    // 16:9 is wider than 4:3: full width, centred vertically.
    EXPECT_EQ(DistributorScreen::FitRect(1920, 1080, 1024, 768), Rect(0, 96, 1024, 576));
    // 1:1 is taller: full height, centred horizontally.
    EXPECT_EQ(DistributorScreen::FitRect(600, 600, 1024, 768), Rect(128, 0, 768, 768));
    AddMenuTestImage("splash2", 600, 600);
    DistributorScreen square("splash2");
    EXPECT_EQ(square.GetDestRect(), Rect(128, 0, 768, 768));
}

TEST_F(StartScreenTest, AMissingSplashImageEndsOnTheFirstUpdateNotInTheConstructor) {
    auto* splash = new DistributorScreen("no_such_splash");
    EXPECT_FALSE(splash->HasImage());
    EXPECT_EQ(app.nextScreens, 0);
    Menu::ShowAsDialog(splash);
    EXPECT_TRUE(app.HasDialog(splash));
    Run(1);
    EXPECT_EQ(app.nextScreens, 1);
    EXPECT_FALSE(app.HasDialog(splash));
}

TEST(StartScreenLoading, TheLogoWaitsForPicturesTheStartupLoaderMayStillBring) {
    TempFolder user;
    SetAppDataFolder(user.Path() + "user");
    ManualClock clock;
    StartApp app;
    app.SetClock(&clock);
    ASSERT_TRUE(app.Init());  // no loading thread yet: the start-up pictures are still to come
    ASSERT_TRUE(app.IsStartupLoadingPending());
    const int screensAtInit = app.nextScreens;
    auto* logo = new LogoScreen;
    Menu::ShowAsDialog(logo);
    app.Tick();
    EXPECT_FALSE(logo->IsLogoRunning());
    EXPECT_EQ(app.nextScreens, screensAtInit);  // waiting, not skipped
    AddLogoImages();
    app.Tick();
    EXPECT_TRUE(logo->IsLogoRunning());
    EXPECT_EQ(logo->GetTicks(), 0);  // the five seconds start with the logo
    AssetManager::Get().Clear();
}
