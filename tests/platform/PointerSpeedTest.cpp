// The pointer speed applied inside the game's window: movements scaled by the player's factor,
// the pointer put back where the game saw it, nothing of the desktop's own setting touched.

#include <gtest/gtest.h>

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
