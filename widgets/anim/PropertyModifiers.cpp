#include "widgets/anim/PropertyModifiers.h"

PropertyModifiers::~PropertyModifiers() = default;

void PropertyModifiers::RemoveEffects() {
    // In the reverse of the order applied: with two clamps on one property, the first one's
    // saved value is the unclamped base, and it must be written last.
    for (auto it = mClamps.rbegin(); it != mClamps.rend(); ++it) {
        it->second->Restore();
    }
    for (auto& entry : mOscillations) {
        entry.second->Remove();
    }
}

void PropertyModifiers::AdvanceEffects(double dt) {
    for (auto& entry : mOscillations) {
        entry.second->Advance(dt);
    }
    for (auto& entry : mClamps) {
        entry.second->Apply();
    }
}

void PropertyModifiers::ApplyEffects() {
    AdvanceEffects(0.0);
}

void PropertyModifiers::Update(float dt) {
    const bool effects = HasEffects();
    if (effects) {
        RemoveEffects();
    }
    for (auto it = mControllers.begin(); it != mControllers.end();) {
        if (it->second->Update(dt)) {
            it = mControllers.erase(it);
        } else {
            ++it;
        }
    }
    if (effects) {
        AdvanceEffects(dt);
    }
}

void PropertyModifiers::AddController(std::unique_ptr<Controller> controller) {
    if (!controller) {
        return;
    }
    const std::string name = controller->GetName();
    mControllers.insert_or_assign(name, std::move(controller));
}

bool PropertyModifiers::StopController(std::string_view name) {
    const auto it = mControllers.find(name);
    if (it == mControllers.end()) {
        return false;
    }
    mControllers.erase(it);
    return true;
}

void PropertyModifiers::ClearControllers() {
    // Moved out first, so that the table is consistent while the controllers are destroyed.
    Table<Controller> old;
    old.swap(mControllers);
}

bool PropertyModifiers::HasController(std::string_view name) const {
    return mControllers.find(name) != mControllers.end();
}

void PropertyModifiers::DropTweensOn(const float* field) {
    for (auto it = mControllers.begin(); it != mControllers.end();) {
        if (it->second->HasTarget(field) && it->second->DropTarget(field)) {
            it = mControllers.erase(it);
        } else {
            ++it;
        }
    }
}

template <typename Change>
void PropertyModifiers::ChangeEffects(bool undo, Change change) {
    if (!undo) {
        change();
        return;
    }
    RemoveEffects();
    change();
    ApplyEffects();
}

template <typename T>
void PropertyModifiers::AddEffect(Table<T>& table, std::unique_ptr<T> effect) {
    if (!effect) {
        return;
    }
    const std::string name = effect->GetName();
    ChangeEffects(true, [&] { table.insert_or_assign(name, std::move(effect)); });
}

template <typename T>
bool PropertyModifiers::StopEffect(Table<T>& table, std::string_view name, bool undo) {
    const auto it = table.find(name);
    if (it == table.end()) {
        return false;
    }
    ChangeEffects(undo, [&] { table.erase(it); });
    return true;
}

template <typename T>
void PropertyModifiers::ClearEffects(Table<T>& table, bool undo) {
    ChangeEffects(undo, [&] { table.clear(); });
}

void PropertyModifiers::AddOscillation(std::unique_ptr<PropertyOscillation> oscillation) {
    AddEffect(mOscillations, std::move(oscillation));
}

bool PropertyModifiers::StopOscillation(std::string_view name, bool undo) {
    return StopEffect(mOscillations, name, undo);
}

void PropertyModifiers::ClearOscillations(bool undo) {
    ClearEffects(mOscillations, undo);
}

void PropertyModifiers::AddClamp(std::unique_ptr<PropertyClamp> clamp) {
    AddEffect(mClamps, std::move(clamp));
}

bool PropertyModifiers::StopClamp(std::string_view name, bool undo) {
    return StopEffect(mClamps, name, undo);
}

void PropertyModifiers::ClearClamps(bool undo) {
    ClearEffects(mClamps, undo);
}
