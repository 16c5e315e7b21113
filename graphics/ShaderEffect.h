#pragma once
// A pixel and a vertex shader pair with named float constants, read from an effect file of HLSL
// and translated to GLSL when it loads (HlslTranslator, run in a process of its own by
// EffectTranslator: a file it can't take costs that effect and a log line). The render device draws
// a draw whose state carries an effect through the effect's program instead of its own: the vertex
// shader gets the vertex stream by semantic and the view in the constant "WorldViewProj" (for
// mul(position, WorldViewProj)), every sampler reads the drawn image, and the pixel shader
// returns premultiplied colour, which the draw's mask then cuts as in a draw without an effect
// and which blends in the draw mode in force (the modes that read the destination, and multiply,
// draw without the effect).

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/Matrix4.h"

struct TranslatedEffect;

class ShaderEffect {
public:
    // An effect over translated code; fileName names it in messages.
    ShaderEffect(std::string fileName, std::shared_ptr<const TranslatedEffect> code);
    // Destroys both shaders. Main thread when a device exists.
    ~ShaderEffect();
    ShaderEffect(const ShaderEffect&) = delete;
    ShaderEffect& operator=(const ShaderEffect&) = delete;

    // Sets the constant on both shaders (on each that declares it). Main thread.
    void SetConstants(const std::string& name, float value);
    // The last value set for a constant; false when it was never set.
    bool GetConstant(const std::string& name, float* value) const;
    // The effect file's path under the data folder ("properties/<name>.hlsl").
    const std::string& GetFileName() const { return mFileName; }

    // Compiles and links the program on the current GL context when the file has none (its
    // first effect, or after the device dropped its objects); the effects of one file share it.
    // False with *error naming the stage, the line and the compiler's message. Main thread.
    bool Build(std::string* error);
    // Makes the program current with the view, the constants and the draw's mask (its cell's
    // texture rectangle u0, v0, u1, v1 on texture unit 1; null for none), for the device's draw.
    // False when the program cannot be built (the draw then goes without the effect). Main thread.
    bool Use(const Matrix4& view, const float* maskBounds);

    // Frees every effect program: the device drops all its GL objects (a rebuild or shutdown),
    // and each effect builds its program again on its next use. Main thread.
    static void DropPrograms();
    // How many effects exist (tests: an effect replaced is freed).
    static size_t GetLiveCount();

private:
    std::string mFileName;
    std::shared_ptr<const TranslatedEffect> mCode;
    std::map<std::string, float> mValues;
    std::vector<float> mVertexRegisters;  // four floats per register
    std::vector<float> mPixelRegisters;
    bool mBuildFailed = false;  // reported once; the effect then draws plainly
};

// Loads "properties/" + name + ".hlsl" as a new effect owned by the caller; none for an empty
// name (which takes an effect off a widget), when the named constant "shaders" is set false, when
// the file is missing, or when it does not translate or (with a render device) compile, which the
// log says once per file, naming the stage, the line and the message. A file is translated once per
// process.
std::unique_ptr<ShaderEffect> LoadShaderEffect(const std::string& name);

// Translates every effect file in "properties/" ahead of its use: the start-up loader calls it, so
// that no screen waits for the translator. Stops before the next file once *stop is set (a quit,
// which also ends the translator running). Any thread.
void PrepareShaderEffects(const std::atomic<bool>& stop);
