#pragma once
// A 2D/3D affine transform for column vectors (p' = M * p). Until an operation needs more, it is
// kept as a bare translation, which is what nearly every widget uses; ForceFullMatrix switches to
// the 4x4 form. Each operation is applied after those before it: Translate(a) then Scale(s) maps
// a point p to s * (p + a).

#include "graphics/Matrix4.h"

class Transform {
public:
    Transform();  // a zero translation

    void Reset();            // back to a zero translation
    void ForceFullMatrix();  // switch to the 4x4 form, keeping the transform

    // Translation and scale (about the origin) in pixels, applied after the operations so far.
    void Translate(float x, float y, float z = 0.0f);
    void Scale(float x, float y);
    // Rotation by angle degrees about the axis (x, y, z) (normalised here; a zero axis does
    // nothing). Positive angles about z turn clockwise on screen, where y points down.
    void RotateDegrees(float angle, float x, float y, float z);
    // Applies a translation before the transform (M = M * T): moves the input, not the output.
    void ApplyTranslation(float x, float y, float z = 0.0f);
    // this = this after other: points go through other first, then through this.
    void Multiply(const Transform& other);

    // The 4x4 matrix (column-vector convention), whichever form is kept.
    Matrix4 BuildMatrix() const;
    // Element access in the full form (switches to it); [0][1] and [1][0] hold a shear, [0][3],
    // [1][3] and [2][3] the translation.
    float& At(int row, int column);

    bool IsTranslationOnly() const { return !mFull; }
    bool IsIdentity() const;
    float GetTranslateX() const { return mFull ? mMatrix.m[0][3] : mTx; }
    float GetTranslateY() const { return mFull ? mMatrix.m[1][3] : mTy; }

    // Maps the point (x, y, z, 1); out receives x, y, z and w.
    void TransformPoint(float x, float y, float z, float out[4]) const;

    bool operator==(const Transform& other) const;

private:
    bool mFull = false;
    float mTx = 0.0f, mTy = 0.0f, mTz = 0.0f;
    Matrix4 mMatrix;
};
