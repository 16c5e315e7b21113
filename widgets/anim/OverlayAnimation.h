#pragma once
// A scripted widget that lies over the whole design area above everything else and takes every
// click there while it is present. It plays its script at once and removes itself when the script
// ends. Main thread only.

#include <string>

#include "widgets/anim/AnimationWidget.h"

class OverlayAnimation : public AnimationWidget {
public:
    explicit OverlayAnimation(const std::string& scriptName);

    bool Contains(float x, float y) const override;
    // Covers the design area wherever the parent stands; an overlay whose script is missing or
    // already over removes itself at once.
    void AddedToManager(WidgetManager* manager) override;
    // Lets the pointer find what lies under the overlay again.
    void RemovedFromManager(WidgetManager* manager) override;
};
