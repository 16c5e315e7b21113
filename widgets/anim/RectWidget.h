#pragma once
// A filled rectangle in one colour that moves, fades and tints like any animated widget. Asked
// for its image as a surface, it paints one of its size and from then on draws as an image (so
// "merge", masks and frames work on it). Main thread only.

#include "graphics/Color.h"
#include "widgets/anim/DynamicWidget.h"

class RectWidget : public DynamicWidget {
public:
    RectWidget(int x, int y, int width, int height, const Color& colour);

    const Color& GetColour() const { return mColour; }

    void Draw(Graphics* g) override;
    ImageSurface* GetOwnImageSurface() override;

private:
    Color mColour;
};
