#pragma once
// Turns an effect file's HLSL (shader-model-2/3 style: a vertex shader "VS" and a pixel shader
// "PS", float constants, sampler2D and tex2D, POSITION/TEXCOORDn/COLORn semantics) into GLSL 330
// for the render device: glslang's HLSL front end makes SPIR-V, SPIRV-Cross writes GLSL from it.
//
// What the device and the effects agree on:
// - the vertex shader's inputs are fed by semantic: POSITION (target pixels, w = 1), TEXCOORD0
//   (the image's texture coordinates), TEXCOORD1 (the mask's) and COLOR0 (premultiplied colour);
// - the outputs of the vertex shader reach the pixel shader's inputs of the same semantic;
// - each stage's float constants become one flattened array of vec4 registers, and a constant is
//   found by name through the translator's reflection;
// - samplers are bound in the order the translator lists them, from texture unit 0 (the image).

#include <map>
#include <string>
#include <vector>

struct TranslatedStage {
    std::string mGlsl;
    std::string mRegisters;  // the name of the stage's flattened constant array; empty: none
    int mRegisterCount = 0;  // vec4 registers in that array
    // Each float constant's first float in the array, by name. Matrices take 16 floats.
    std::map<std::string, int> mConstants;
    std::vector<std::string> mSamplers;
};

struct TranslatedEffect {
    TranslatedStage mVertex;
    TranslatedStage mPixel;
};

class HlslTranslator {
public:
    // Translates both stages of source (fileName names it in messages). On failure answers
    // false with *error naming the stage, the source line and the compiler's message.
    static bool Translate(const std::string& source, const std::string& fileName,
                          TranslatedEffect* out, std::string* error);
    // What a translation depends on besides its source: the libraries' versions and the build
    // of the program that holds the translator (its GNU build id), which the translator's process
    // reports to the game. Runs neither library's translator code. Any thread.
    static std::string BuildIdentity();
    // Frees the front end's built-in tables, which the first translation builds (a later one
    // builds them again). Any thread.
    static void ReleaseTables();
};
