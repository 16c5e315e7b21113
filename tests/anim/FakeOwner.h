#pragma once
// A plain object with animatable float fields, standing in for the animated widget.

#include <string>
#include <string_view>

#include "widgets/anim/AnimatedPropertyOwner.h"

class FakeOwner : public AnimatedPropertyOwner {
public:
    float* FindAnimatedProperty(std::string_view name, int& flags) override {
        struct Entry {
            const char* name;
            float FakeOwner::*field;
            int flags;
        };
        static const Entry kEntries[] = {
            {"x", &FakeOwner::x, kChangedPosition},
            {"y", &FakeOwner::y, kChangedPosition},
            {"angle", &FakeOwner::angle, kChangedTransform},
            {"opacity", &FakeOwner::opacity, kChangedColor},
            {"shear_x", &FakeOwner::shearX, kChangedTransform},
            {"shear_y", &FakeOwner::shearY, kChangedTransform},
            {"shear_x_offset", &FakeOwner::shearXOffset, kChangedTransform},
            {"shear_y_offset", &FakeOwner::shearYOffset, kChangedTransform},
        };
        for (const Entry& entry : kEntries) {
            if (name == entry.name) {
                flags |= entry.flags;
                return &(this->*entry.field);
            }
        }
        return nullptr;
    }
    void PropertiesChanged(int flags) override {
        changedFlags |= flags;
        ++changeCount;
    }

    float x = 0.0f;
    float y = 0.0f;
    float angle = 0.0f;
    float opacity = 1.0f;
    float shearX = 0.0f;
    float shearY = 0.0f;
    float shearXOffset = 0.0f;
    float shearYOffset = 0.0f;
    int changedFlags = 0;
    int changeCount = 0;
};
