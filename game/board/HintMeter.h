#pragma once
// The row of four hint bulbs on the play screen: correct reveals fill them, and a full bulb,
// clicked, spends one hint that reveals tiles at random. The bulbs' rules are in HintBulbs; the
// meter shows them through its scripts ("hint_bulb", "hint_frame") and keeps the player's
// available hints in step.

#include <string>

#include "game/board/WeakWidget.h"
#include "graphics/Point.h"
#include "rules/HintBulbs.h"
#include "widgets/anim/AnimationWidget.h"

class PlayGridHost;

class HintMeter : public AnimationWidget {
public:
    // No updates of its own: at rest whenever its script and bulbs are.
    bool HasScheduledWork() const override { return ScriptHasScheduledWork(); }
    // At (x, y), width by height, for grids of gridSize tiles a side; startingHints bulbs start
    // full (and are the player's available hints).
    HintMeter(int x, int y, int width, int height, int gridSize, int startingHints);

    // The play screen that takes used hints; weak.
    void SetHost(PlayGridHost* host) { mHost.Set(host); }

    // A hint trail arrived: n more on the bulb being filled.
    void AddFill(int n);
    // Where a trail from a correct reveal ends, in the meter's parent.
    Point GetTrailTarget();
    // "hint" with the bulb index (0 to 3, decimal) spends that bulb when it is full and a hint
    // is available; a bad index or other names do nothing.
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;
    void Draw(Graphics* g) override;

    const HintBulbs& GetBulbs() const { return mBulbs; }
    int GetHintReward() const { return mHintReward; }

private:
    void ShowBulb(int bulb, int frame);
    // The point (local x, y) in the meter's parent, truncated toward zero.
    Point ToParentPoint(float x, float y);
    void SyncPlayerHints();

    HintBulbs mBulbs;
    int mHintReward = 0;
    std::string mTitle;
    ListenerSlot<PlayGridHost> mHost;
};
