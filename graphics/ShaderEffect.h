#pragma once
// A pixel and a vertex shader pair with named float constants. The content's effects are written
// for a shader compiler this platform does not have, so no effect is ever compiled:
// LoadShaderEffect answers none, and every caller draws without an effect. The class stays so that
// widgets can own, pass and configure effects the same way whether shaders are on or off.

#include <map>
#include <memory>
#include <string>

class ShaderEffect {
public:
    ShaderEffect() = default;
    ~ShaderEffect() = default;
    ShaderEffect(const ShaderEffect&) = delete;
    ShaderEffect& operator=(const ShaderEffect&) = delete;

    // Sets the constant on both shaders. Main thread.
    void SetConstants(const std::string& name, float value);
    // The last value set for a constant; false when it was never set.
    bool GetConstant(const std::string& name, float* value) const;

private:
    std::map<std::string, float> mConstants;
};

// Loads "properties/" + name + ".hlsl" as a new effect owned by the caller. Shaders are off on
// this platform: always none (a debug line is written once per process).
std::unique_ptr<ShaderEffect> LoadShaderEffect(const std::string& name);
