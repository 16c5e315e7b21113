// Random play: the whole game headless on the manual clock, fed seeded random clicks (mostly on
// whatever the screen on top offers), strokes, keys, typed words and developer codes for at least
// 100,000 fixed updates. Nothing may crash or trip the sanitizers, some screen must always be on
// top taking input, and "profiles.xml" must read back at the end. A quit (the quit confirmation
// reached by chance) starts the game again on the same per-user file. A failure names the seed;
// P7_SOAK_SEED and P7_SOAK_UPDATES replay or lengthen a run.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <typeinfo>
#include <vector>

#include "../screens/GameSession.h"
#include "widgets/WidgetContainer.h"

namespace {

uint64_t EnvNumber(const char* name, uint64_t fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : fallback;
}

// Widgets under root that a click would reach: shown, enabled and found under the pointer.
void CollectClickable(const Widget* root, std::vector<const Widget*>* out) {
    for (Widget* child : root->GetChildren()) {
        if (!child->mVisible || child->mDisabled) {
            continue;
        }
        if (child->mMouseVisible && child->mWidth > 0 && child->mHeight > 0) {
            out->push_back(child);
        }
        CollectClickable(child, out);
    }
}

// Whether the screen on top takes input: there is one, and it is shown and enabled.
bool TopTakesInput(const MyGameApp& app) {
    const Widget* top = app.GetActiveMenu();
    return top != nullptr && top->mVisible && !top->mDisabled;
}

class RandomPlayer {
public:
    RandomPlayer(GameSession* session, uint32_t seed) : mSession(session), mRandom(seed) {}

    void SetSession(GameSession* session) { mSession = session; }

    // One random action, then a few updates.
    void Act() {
        MyGameApp& app = *mSession->app;
        const int roll = Between(0, 99);
        if (roll < 50) {
            std::vector<const Widget*> clickable;
            if (const Widget* top = app.GetActiveMenu()) {
                CollectClickable(top, &clickable);
            }
            if (!clickable.empty()) {
                const Widget* w = clickable[size_t(Between(0, int(clickable.size()) - 1))];
                const FPoint at = w->LocalToGlobal();
                Click(int(at.mX) + Between(0, w->mWidth - 1),
                      int(at.mY) + Between(0, w->mHeight - 1), Between(0, 9) == 0 ? 2 : 1);
            } else {
                Click(Between(0, 1023), Between(0, 767), 1);
            }
        } else if (roll < 62) {
            Click(Between(0, 1023), Between(0, 767), Between(0, 7) == 0 ? -1 : 1);
        } else if (roll < 74) {
            Drag();
        } else if (roll < 88) {
            static const int kKeys[] = {8, 9, 13, 27, 32, 37, 38, 39, 40, 16, 17, 46, 36, 35};
            const int key = kKeys[Between(0, int(std::size(kKeys)) - 1)];
            app.OnKeyDown(key);
            if (key == 8 || key == 9 || key == 13 || key == 27) {
                app.OnKeyChar(static_cast<char>(key));
            }
            app.OnKeyUp(key);
        } else if (roll < 94) {
            // The developer codes, except the one that ends the game without saving.
            static const char* kCodes[] = {"mowlasek", "pirdanux", "tebrofal",
                                           "gusnimor", "vaqeltim", "nefulbra"};
            TypeText(kCodes[Between(0, int(std::size(kCodes)) - 1)]);
        } else {
            std::string word;
            const int length = Between(1, 12);
            for (int i = 0; i < length; ++i) {
                static const char kChars[] = "abcdefghijklmnopqrstuvwxyzABCXYZ 019.#";
                word += kChars[Between(0, int(sizeof(kChars)) - 2)];
            }
            TypeText(word);
        }
        Run(Between(1, 40));
    }

    int Between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(mRandom); }

private:
    // Several owed updates at once, as a slow frame catches up.
    void Run(int updates) {
        mSession->clock.Advance(10 * static_cast<uint64_t>(updates));
        mSession->app->MainLoopStep();
    }
    void Click(int x, int y, int clickCount) {
        MyGameApp& app = *mSession->app;
        app.OnMouseMove(x, y);
        app.OnMouseDown(x, y, clickCount);
        Run(Between(0, 3) == 0 ? Between(1, 20) : 0);
        app.OnMouseUp(x, y, clickCount);
    }
    void Drag() {
        MyGameApp& app = *mSession->app;
        int x = Between(0, 1023);
        int y = Between(0, 767);
        app.OnMouseMove(x, y);
        app.OnMouseDown(x, y, 1);
        const int steps = Between(1, 12);
        const bool horizontal = Between(0, 1) == 0;
        for (int i = 0; i < steps; ++i) {
            (horizontal ? x : y) += Between(-60, 60);
            app.OnMouseMove(x, y);
            Run(1);
        }
        app.OnMouseUp(x, y, 1);
    }
    void TypeText(const std::string& text) {
        for (char c : text) {
            mSession->app->OnKeyChar(c);
        }
    }

    GameSession* mSession;
    std::mt19937 mRandom;
};

// Ten runs of 10,000 updates each (100,000 in all): each is bounded by its count of updates, and
// short runs spread evenly over the cores CTest has.
class RandomPlay : public ::testing::TestWithParam<uint32_t> {};

TEST_P(RandomPlay, soak_RandomInputAcrossEveryScreen) {
    const uint32_t seed = static_cast<uint32_t>(EnvNumber("P7_SOAK_SEED", GetParam()));
    const uint64_t target = EnvNumber("P7_SOAK_UPDATES", 10000);
    SCOPED_TRACE("soak seed " + std::to_string(seed) + " (P7_SOAK_SEED=" + std::to_string(seed) +
                 " replays it)");
    // Longest the screen on top may refuse input (a transition, a letter arriving): 60 s.
    constexpr uint64_t kLongestBlocked = 6000;

    auto session = std::make_unique<GameSession>(MakeProfilesXml("Ann", nullptr));
    ASSERT_TRUE(session->Start());
    RandomPlayer player(session.get(), seed);
    uint64_t updates = 0;
    uint64_t base = session->app->GetUpdateCount();
    uint64_t blockedSince = 0;
    bool blocked = false;
    int restarts = 0;
    std::map<std::string, int> seen;  // actions per screen class on top
    while (updates < target) {
        player.Act();
        if (session->app->IsQuitRequested()) {
            // The player quit: the same per-user file, read again by a new run of the game.
            updates += session->app->GetUpdateCount() - base;
            session->End();
            const SavedProfiles saved = session->ReadSaved();
            ASSERT_TRUE(saved.read) << "profiles.xml did not read back after a quit, seed " << seed;
            const std::string xml = ReadWholeFile(session->ProfilesPath());
            session = std::make_unique<GameSession>(xml);
            ASSERT_TRUE(session->Start()) << "seed " << seed;
            player.SetSession(session.get());
            base = session->app->GetUpdateCount();
            blocked = false;
            ++restarts;
            continue;
        }
        const uint64_t now = updates + session->app->GetUpdateCount() - base;
        if (const Widget* top = session->app->GetActiveMenu()) {
            ++seen[typeid(*top).name()];
        }
        if (TopTakesInput(*session->app)) {
            blocked = false;
        } else if (!blocked) {
            blocked = true;
            blockedSince = now;
        } else {
            ASSERT_LT(now - blockedSince, kLongestBlocked)
                << "no screen on top took input for " << (now - blockedSince) << " updates (seed "
                << seed << ", update " << now << ", " << session->app->GetMenus().size()
                << " menus open)";
        }
        if (now >= target) {
            updates = now;
        }
    }
    std::printf("[ soak ] seed %u: %llu updates, %d restarts\n", seed,
                static_cast<unsigned long long>(updates), restarts);
    for (const auto& [screen, actions] : seen) {
        std::printf("[ soak ]   %6d actions on %s\n", actions, screen.c_str());
    }
    session->End();
    const SavedProfiles saved = session->ReadSaved();
    EXPECT_TRUE(saved.read) << "profiles.xml did not read back, seed " << seed;
    EXPECT_EQ(saved.profiles.size(), static_cast<size_t>(kProfileSlots)) << "seed " << seed;
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomPlay, ::testing::Range(7001u, 7011u));

}  // namespace
