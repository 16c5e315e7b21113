#pragma once
// The panel with one mark per allowed mistake. A mistake's trail flies to the next free mark,
// which turns to its spent picture when the trail arrives; a lost puzzle makes the meter start
// the explosion that brings the grid down.

#include <string>
#include <vector>

#include "graphics/Point.h"
#include "widgets/anim/DynamicWidget.h"

class AnimationListener;
class AnimationWidget;

class MistakeMeter : public DynamicWidget {
public:
    // No updates of its own: at rest whenever its marks and explosion are.
    bool HasScheduledWork() const override { return AnimatedStateHasScheduledWork(); }
    // At (x, y), width by height, for grids of gridSize tiles a side. An allowed count below 1
    // (a size without settings) counts as 1, as the play rules count it.
    MistakeMeter(int x, int y, int width, int height, int gridSize);

    // Where the trail of mistake k (from 0) ends, in the meter's parent: mark k's centre, or the
    // meter's centre for a mistake without a mark.
    Point GetMarkTarget(int k);
    // A mistake trail arrived: the next mark shows its spent picture.
    void AdvanceMark();
    // Starts the script "explosion" beside the meter with listener attached; the widget is
    // added to the meter's parent (or nowhere when the meter has none) and returned.
    AnimationWidget* SpawnExplosion(AnimationListener* listener);
    void Draw(Graphics* g) override;

    int GetAllowedMistakes() const { return mAllowed; }
    int GetShownMarks() const { return mShownMarks; }
    size_t GetMarkCount() const { return mMarks.size(); }

private:
    int mAllowed = 1;
    std::vector<DynamicWidget*> mMarks;
    int mShownMarks = 0;
    std::string mTitle;
};
