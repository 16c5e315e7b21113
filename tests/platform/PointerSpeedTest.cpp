// The pointer speed applied inside the game's window: movements scaled by the player's factor,
// the pointer put back where the game saw it, nothing of the desktop's own setting touched.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/Platform.h"
#include "platform/PointerSpeed.h"

namespace {

struct Seen {
    int x;
    int y;
};

// Feeds reported positions one batch at a time, placing the pointer after each batch as the
// platform does; returns the positions the game saw.
std::vector<Seen> Play(PointerSpeed& speed, const std::vector<std::vector<Seen>>& batches) {
    std::vector<Seen> seen;
    for (const auto& batch : batches) {
        for (Seen p : batch) {
            speed.Map(&p.x, &p.y);
            seen.push_back(p);
        }
        int x = 0;
        int y = 0;
        if (speed.TakeWarp(&x, &y)) {
            // The window system then reports the pointer where it was put: no movement.
            speed.Map(&x, &y);
        }
    }
    return seen;
}

}  // namespace

TEST(PointerSpeed, FactorsRunFromATenthToThreeAndAHalfWithTheDesktopsOwnAtTen) {
    const struct {
        int speed;
        double factor;
    } cases[] = {{-3, 0.1},  {1, 0.1},  {5, 0.5},  {9, 0.9}, {10, 1.0},
                 {11, 1.25}, {14, 2.0}, {20, 3.5}, {99, 3.5}};
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(PointerSpeed::Factor(c.speed), c.factor) << c.speed;
    }
}

TEST(PointerSpeed, MovementsAreScaledAndThePointerPutWhereTheGameSawIt) {
    const struct {
        int speed;
        std::vector<std::vector<Seen>> batches;
        std::vector<Seen> expected;
    } cases[] = {
        // The desktop's own speed: nothing changes and the pointer is never placed.
        {10, {{{100, 100}}, {{140, 90}}}, {{100, 100}, {140, 90}}},
        // Half speed: 40 pixels of movement move the game's pointer 20, in one batch or two;
        // after a batch the pointer stands where the game saw it, and moves on from there.
        {5, {{{100, 100}}, {{140, 100}}, {{140, 120}}}, {{100, 100}, {120, 100}, {130, 110}}},
        {5, {{{100, 100}}, {{120, 100}, {140, 100}}}, {{100, 100}, {110, 100}, {120, 100}}},
        // Slow movements add up instead of vanishing: one-pixel steps at 0.3, each from where
        // the pointer was put back, show from the second one.
        {3, {{{50, 50}}, {{51, 50}}, {{51, 50}}}, {{50, 50}, {50, 50}, {51, 50}}},
        // Faster: a quarter more per step above ten.
        {14, {{{10, 10}}, {{20, 15}}}, {{10, 10}, {30, 20}}},
    };
    for (const auto& c : cases) {
        PointerSpeed speed;
        speed.SetSpeed(c.speed);
        const std::vector<Seen> seen = Play(speed, c.batches);
        ASSERT_EQ(seen.size(), c.expected.size()) << c.speed;
        for (size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].x, c.expected[i].x) << "speed " << c.speed << ", position " << i;
            EXPECT_EQ(seen[i].y, c.expected[i].y) << "speed " << c.speed << ", position " << i;
        }
    }
}

TEST(PointerSpeed, ThePointerStaysOnTheDesktopAndStartsAfreshWhereItComesBack) {
    PointerSpeed speed;
    speed.SetSpeed(20);
    // The desktop seen from the window: 100 pixels left of it to 1180 right.
    speed.SetBounds(PlatformRect{-100, -50, 1280, 868});
    int x = 1000;
    int y = 300;
    speed.Map(&x, &y);
    x = 1100;
    speed.Map(&x, &y);
    EXPECT_EQ(x, 1179);  // 350 pixels asked for; the desktop ends first
    int wx = 0;
    int wy = 0;
    ASSERT_TRUE(speed.TakeWarp(&wx, &wy));
    EXPECT_EQ(wx, 1179);
    EXPECT_FALSE(speed.TakeWarp(&wx, &wy));  // placed once
    // It left the window; it comes back elsewhere and is taken where it is.
    speed.Reset();
    x = 10;
    y = 20;
    speed.Map(&x, &y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    EXPECT_FALSE(speed.TakeWarp(&wx, &wy));
}

TEST(PointerSpeed, APointerSentSomewhereLandsWhereItWasSent) {
    // Half speed. A program places the pointer (or a tablet or remote desktop points): no
    // mouse moved it, so the game sees it where it was sent; the mouse then moves it on at
    // half speed from there.
    PointerSpeed speed;
    speed.SetSpeed(5);
    int x = 100;
    int y = 100;
    speed.Map(&x, &y);
    x = 400;
    y = 300;
    speed.Map(&x, &y, false);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);
    int wx = 0;
    int wy = 0;
    EXPECT_FALSE(speed.TakeWarp(&wx, &wy));  // it stands where the game saw it
    x = 480;
    y = 340;
    speed.Map(&x, &y);
    EXPECT_EQ(x, 440);
    EXPECT_EQ(y, 320);
}

TEST(PointerSpeed, ASpeedChangedMidDragNeitherMovesThePointerNorLetsItRunOn) {
    // The mouse slider sets the speed while its knob is dragged: every change of the game's
    // pointer changes the speed. The pointer goes on from where the game saw it, and once the
    // mouse stops nothing moves, whatever the window system still reports of its placing.
    PointerSpeed speed;
    speed.SetSpeed(20);
    // The knob: speed from 20 at x = 600 down to 1 at x = 220.
    const auto speedAt = [](int gx) { return std::clamp(1 + (gx - 220) / 20, 1, 20); };
    int x = 600;
    int y = 300;
    speed.Map(&x, &y);
    int real = 600;
    int seen = x;
    bool warpPending = false;
    int warpTo = 0;
    for (int batch = 0; batch < 40; ++batch) {
        // The mouse moves left 4 pixels a batch for 10 batches, then stops. Reports made before
        // the pointer's placing arrive after it was asked for, then the placing's own report.
        std::vector<int> reports;
        if (batch < 10) {
            real -= 4;
            reports.push_back(real);
        }
        if (warpPending) {
            real = warpTo;
            reports.push_back(real);
            warpPending = false;
        }
        for (int r : reports) {
            int rx = r;
            int ry = 300;
            speed.Map(&rx, &ry);
            EXPECT_LT(rx, seen + 1) << "batch " << batch;  // never back right
            seen = rx;
            speed.SetSpeed(speedAt(seen));
        }
        int wx = 0;
        int wy = 0;
        if (speed.TakeWarp(&wx, &wy)) {
            warpPending = true;
            warpTo = wx;
        }
        if (batch == 12) {
            x = seen;
        }
    }
    // 40 pixels of mouse moved the game's pointer by more than 40 (it started fast) ...
    EXPECT_LT(x, 560);
    // ... and after the mouse stopped it stayed.
    EXPECT_EQ(seen, x);
    EXPECT_GT(seen, 220);
}
