#include "widgets/anim/PropertyModifiers.h"

#include <vector>

PropertyModifiers::~PropertyModifiers() = default;

void PropertyModifiers::RemoveEffects() {
    for (auto& entry : mClamps) {
        entry.second->Restore();
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

Controller* PropertyModifiers::FindController(std::string_view name) const {
    const auto it = mControllers.find(name);
    return it == mControllers.end() ? nullptr : it->second.get();
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

void PropertyModifiers::AddOscillation(std::unique_ptr<PropertyOscillation> oscillation) {
    if (!oscillation) {
        return;
    }
    RemoveEffects();
    const std::string name = oscillation->GetName();
    mOscillations.insert_or_assign(name, std::move(oscillation));
    ApplyEffects();
}

bool PropertyModifiers::StopOscillation(std::string_view name, bool undo) {
    const auto it = mOscillations.find(name);
    if (it == mOscillations.end()) {
        return false;
    }
    if (undo) {
        RemoveEffects();
        mOscillations.erase(it);
        ApplyEffects();
    } else {
        mOscillations.erase(it);
    }
    return true;
}

void PropertyModifiers::ClearOscillations(bool undo) {
    if (undo) {
        RemoveEffects();
        mOscillations.clear();
        ApplyEffects();
    } else {
        mOscillations.clear();
    }
}

bool PropertyModifiers::HasOscillation(std::string_view name) const {
    return mOscillations.find(name) != mOscillations.end();
}

void PropertyModifiers::AddClamp(std::unique_ptr<PropertyClamp> clamp) {
    if (!clamp) {
        return;
    }
    RemoveEffects();
    const std::string name = clamp->GetName();
    mClamps.insert_or_assign(name, std::move(clamp));
    ApplyEffects();
}

bool PropertyModifiers::StopClamp(std::string_view name, bool undo) {
    const auto it = mClamps.find(name);
    if (it == mClamps.end()) {
        return false;
    }
    if (undo) {
        RemoveEffects();
        mClamps.erase(it);
        ApplyEffects();
    } else {
        mClamps.erase(it);
    }
    return true;
}

void PropertyModifiers::ClearClamps(bool undo) {
    if (undo) {
        RemoveEffects();
        mClamps.clear();
        ApplyEffects();
    } else {
        mClamps.clear();
    }
}

bool PropertyModifiers::HasClamp(std::string_view name) const {
    return mClamps.find(name) != mClamps.end();
}
