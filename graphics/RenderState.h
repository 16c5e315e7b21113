#pragma once
// The render-state block that decides whether two draws can share a batch: draw mode, stencil
// mode, culling, texture wrap, shader effect and the state matrix.

#include "graphics/Matrix4.h"

class ShaderEffect;

// Draw modes (the codes scripts use): how a draw combines with what is already drawn.
enum DrawMode : int {
    kDrawNormal = 0,
    kDrawAdditive = 1,
    kDrawMultiply = 2,   // blends with the destination, without a copy of it
    kDrawOverlay = 3,    // reads the destination
    kDrawSoftLight = 4,  // reads the destination
    kDrawSubtractive = 5,
    kDrawNone = 10,  // replaces the destination, alpha included
};

// True for the modes that need a copy of the destination behind the draw (multiply is done in
// the blending unit).
inline bool DrawModeReadsDestination(int mode) {
    return mode == kDrawOverlay || mode == kDrawSoftLight;
}

class RenderState {
public:
    int mDrawMode = kDrawNormal;
    int mStencilMode = 0;
    bool mCull = false;
    bool mWrap = false;
    ShaderEffect* mEffect = nullptr;  // not owned
    Matrix4 mMatrix;                  // column-vector convention, in target pixels

    bool operator==(const RenderState& other) const = default;
};
