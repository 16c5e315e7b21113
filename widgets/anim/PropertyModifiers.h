#pragma once
// The three name-keyed modifier tables of an animated object (controllers, oscillations, clamps)
// and the order in which a float update runs them: clamps restored and oscillation offsets taken
// off, controllers updated in name order on the base values (finished ones deleted), then the
// oscillations advanced and the clamps applied again. The animated widget holds one; the owner of
// the animated fields must outlive it. Main thread.

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "widgets/anim/Controller.h"
#include "widgets/anim/PropertyClamp.h"
#include "widgets/anim/PropertyOscillation.h"

class PropertyModifiers {
public:
    PropertyModifiers() = default;
    PropertyModifiers(const PropertyModifiers&) = delete;
    PropertyModifiers& operator=(const PropertyModifiers&) = delete;
    ~PropertyModifiers();

    // One float update by dt, in the order above.
    void Update(float dt);

    // Takes the oscillation and clamp effects off the properties (before a property is written
    // directly) and puts them back with a time step of 0 (after it).
    void RemoveEffects();
    void ApplyEffects();

    // Stores the controller under its name, deleting one of the same name. Null is ignored.
    void AddController(std::unique_ptr<Controller> controller);
    bool StopController(std::string_view name);  // deletes it; false when absent
    void ClearControllers();
    bool HasController(std::string_view name) const;
    size_t GetControllerCount() const { return mControllers.size(); }
    // Stops the tweens on that field: the field is dropped from each, and a tween left without
    // targets is deleted.
    void DropTweensOn(const float* field);

    // Stores the oscillation under its name (replacing one of that name, whose offset is taken
    // back), with every effect taken off and re-applied around the change. Null is ignored.
    void AddOscillation(std::unique_ptr<PropertyOscillation> oscillation);
    // Deletes the oscillation; with undo its offset is taken back, without it the offset stays in
    // the properties. False when absent.
    bool StopOscillation(std::string_view name, bool undo);
    void ClearOscillations(bool undo);

    // As the oscillation operations, for clamps.
    void AddClamp(std::unique_ptr<PropertyClamp> clamp);
    bool StopClamp(std::string_view name, bool undo);
    void ClearClamps(bool undo);

    bool HasEffects() const { return !mOscillations.empty() || !mClamps.empty(); }

private:
    template <typename T>
    using Table = std::map<std::string, std::unique_ptr<T>, std::less<>>;

    void AdvanceEffects(double dt);
    // Runs change; with undo, between taking every effect off and putting them back.
    template <typename Change>
    void ChangeEffects(bool undo, Change change);
    // The oscillation and clamp tables share their add, stop and clear rules.
    template <typename T>
    void AddEffect(Table<T>& table, std::unique_ptr<T> effect);
    template <typename T>
    bool StopEffect(Table<T>& table, std::string_view name, bool undo);
    template <typename T>
    void ClearEffects(Table<T>& table, bool undo);

    Table<Controller> mControllers;
    Table<PropertyOscillation> mOscillations;
    Table<PropertyClamp> mClamps;
};
