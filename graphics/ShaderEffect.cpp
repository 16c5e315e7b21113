#include "graphics/ShaderEffect.h"

#include <atomic>

#include "core/util/Log.h"

void ShaderEffect::SetConstants(const std::string& name, float value) {
    mConstants[name] = value;
}

bool ShaderEffect::GetConstant(const std::string& name, float* value) const {
    auto it = mConstants.find(name);
    if (it == mConstants.end()) {
        return false;
    }
    *value = it->second;
    return true;
}

std::unique_ptr<ShaderEffect> LoadShaderEffect(const std::string& name) {
    static std::atomic<bool> sReported{false};
    if (!sReported.exchange(true)) {
        DebugOutput("Shader effects are off; \"%s\" and later effects draw without shaders\n",
                    name.c_str());
    }
    return nullptr;
}
