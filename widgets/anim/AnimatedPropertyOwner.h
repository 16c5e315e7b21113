#pragma once
// What controllers, oscillations and clamps need of the object whose float properties they
// animate: the fields by name, a change notification, and a count of the controllers that make
// the object count as animating. The animated widget implements it; tests use a plain fake.

#include <string>
#include <string_view>

// Change flags of animated properties, ORed by FindAnimatedProperty and passed to
// PropertiesChanged.
enum PropertyChangeFlags : int {
    kChangedPosition = 1,
    kChangedTransform = 2,
    kChangedColor = 4,
    kChangedClip = 8,
};

class AnimatedPropertyOwner {
public:
    virtual ~AnimatedPropertyOwner() = default;

    // The float field behind an animatable property name, ORing its change flags into flags;
    // null for any other name. The field must stay at its address while the owner lives.
    virtual float* FindAnimatedProperty(std::string_view name, int& flags) = 0;
    // FindAnimatedProperty for a modifier (kind "Clamp", name "c1"): the flags are ORed in only
    // when the property is found; otherwise a warning names the modifier and null is returned.
    float* FindPropertyFor(const char* kind, const std::string& name, std::string_view property,
                           int& flags);
    // Called by every modifier after it has written the owner's fields.
    virtual void PropertiesChanged(int flags) = 0;

    // Counted controllers raise this at construction and lower it at destruction; the owner
    // counts as animating while it is above 0.
    void ChangeCountedControllers(int delta) { mCountedControllers += delta; }
    int GetCountedControllers() const { return mCountedControllers; }

private:
    int mCountedControllers = 0;
};
