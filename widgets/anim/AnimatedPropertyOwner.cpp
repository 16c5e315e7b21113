#include "widgets/anim/AnimatedPropertyOwner.h"

#include "core/util/Log.h"

float* AnimatedPropertyOwner::FindPropertyFor(const char* kind, const std::string& name,
                                              std::string_view property, int& flags) {
    int found = 0;
    float* field = FindAnimatedProperty(property, found);
    if (field == nullptr) {
        LogWarning("%s \"%s\": unknown property \"%.*s\" skipped", kind, name.c_str(),
                   static_cast<int>(property.size()), property.data());
        return nullptr;
    }
    flags |= found;
    return field;
}
