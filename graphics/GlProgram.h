#pragma once

#include <string>

// Compiling and linking GLSL on the current context, shared by the device's own programs and by
// shader effects so that both read the driver's log the same way.
namespace GlProgram {

// The mask of a draw, the same in every program that draws images (the device's own and each
// shader effect's): MaskAlpha(uv) is 1 without a mask (uUseMask false), else the alpha of the
// mask at uv, sampled within the cell uMaskBounds (u0, v0, u1, v1) and 0 outside it. The mask is
// bound to texture unit 1.
inline constexpr const char* kMaskFunction = R"(uniform sampler2D uMask;
uniform bool uUseMask;
uniform vec4 uMaskBounds;
float MaskAlpha(vec2 uv) {
    if (!uUseMask) {
        return 1.0;
    }
    if (any(lessThan(uv, uMaskBounds.xy)) || any(greaterThan(uv, uMaskBounds.zw))) {
        return 0.0;
    }
    // Sample no nearer the cell's edge than half a texel, so the filter never reaches into the
    // neighbouring cell.
    vec2 halfTexel = 0.5 / vec2(textureSize(uMask, 0));
    return texture(uMask, clamp(uv, uMaskBounds.xy + halfTexel, uMaskBounds.zw - halfTexel)).a;
}
)";

// Compiles one stage (a GL shader type such as GL_VERTEX_SHADER); call with a current context.
// Answers the shader's name, or 0 with the driver's log in *log.
unsigned Compile(unsigned type, const char* source, std::string* log);

// Links a program from two compiled stages and deletes both whatever happens; call with a current
// context. Answers the program's name (owned by the caller), or 0 with the driver's log in *log.
unsigned Link(unsigned vertex, unsigned fragment, std::string* log);

}  // namespace GlProgram
