#pragma once
// A small scripted effect that flies from one point to another and reports its arrival: its
// listener's AnimationEnded receives it when its script ends.

#include <string>

#include "widgets/anim/AnimationWidget.h"

class TrailWidget : public AnimationWidget {
public:
    // Runs the named script at (0, 0) once added, with the integer variables "delay",
    // "source_x", "source_y", "target_x" and "target_y". Removed when the script ends.
    TrailWidget(const std::string& script, int sourceX, int sourceY, int targetX, int targetY,
                int delay);
};
