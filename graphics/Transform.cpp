#include "graphics/Transform.h"

#include <cmath>
#include <numbers>

Transform::Transform() = default;

void Transform::Reset() {
    mFull = false;
    mTx = mTy = mTz = 0.0f;
    mMatrix = Matrix4();
}

void Transform::ForceFullMatrix() {
    if (mFull) {
        return;
    }
    mMatrix = Matrix4();
    mMatrix.m[0][3] = mTx;
    mMatrix.m[1][3] = mTy;
    mMatrix.m[2][3] = mTz;
    mFull = true;
}

void Transform::Translate(float x, float y, float z) {
    if (!mFull) {
        mTx += x;
        mTy += y;
        mTz += z;
        return;
    }
    // Pre-multiplying by a translation only adds to the translation column scaled by row 3.
    for (int c = 0; c < 4; ++c) {
        mMatrix.m[0][c] += x * mMatrix.m[3][c];
        mMatrix.m[1][c] += y * mMatrix.m[3][c];
        mMatrix.m[2][c] += z * mMatrix.m[3][c];
    }
}

void Transform::Scale(float x, float y) {
    ForceFullMatrix();
    for (int c = 0; c < 4; ++c) {
        mMatrix.m[0][c] *= x;
        mMatrix.m[1][c] *= y;
    }
}

void Transform::RotateDegrees(float angle, float x, float y, float z) {
    float len = std::sqrt(x * x + y * y + z * z);
    if (len <= 0.0f) {
        return;
    }
    x /= len;
    y /= len;
    z /= len;
    ForceFullMatrix();
    float rad = angle * float(std::numbers::pi) / 180.0f;
    float c = std::cos(rad);
    float s = std::sin(rad);
    float t = 1.0f - c;
    Matrix4 r;
    r.m[0][0] = t * x * x + c;
    r.m[0][1] = t * x * y - s * z;
    r.m[0][2] = t * x * z + s * y;
    r.m[1][0] = t * x * y + s * z;
    r.m[1][1] = t * y * y + c;
    r.m[1][2] = t * y * z - s * x;
    r.m[2][0] = t * x * z - s * y;
    r.m[2][1] = t * y * z + s * x;
    r.m[2][2] = t * z * z + c;
    MatrixMultiply(&mMatrix, r, mMatrix);
}

void Transform::ApplyTranslation(float x, float y, float z) {
    if (!mFull) {
        mTx += x;
        mTy += y;
        mTz += z;
        return;
    }
    for (int r = 0; r < 4; ++r) {
        mMatrix.m[r][3] += mMatrix.m[r][0] * x + mMatrix.m[r][1] * y + mMatrix.m[r][2] * z;
    }
}

void Transform::Multiply(const Transform& other) {
    if (!mFull && !other.mFull) {
        mTx += other.mTx;
        mTy += other.mTy;
        mTz += other.mTz;
        return;
    }
    ForceFullMatrix();
    MatrixMultiply(&mMatrix, mMatrix, other.BuildMatrix());
}

Matrix4 Transform::BuildMatrix() const {
    if (mFull) {
        return mMatrix;
    }
    Matrix4 m;
    m.m[0][3] = mTx;
    m.m[1][3] = mTy;
    m.m[2][3] = mTz;
    return m;
}

float& Transform::At(int row, int column) {
    ForceFullMatrix();
    return mMatrix.m[row & 3][column & 3];
}

bool Transform::IsIdentity() const {
    if (!mFull) {
        return mTx == 0.0f && mTy == 0.0f && mTz == 0.0f;
    }
    return mMatrix.IsIdentity();
}

void Transform::TransformPoint(float x, float y, float z, float out[4]) const {
    if (!mFull) {
        out[0] = x + mTx;
        out[1] = y + mTy;
        out[2] = z + mTz;
        out[3] = 1.0f;
        return;
    }
    const auto& m = mMatrix.m;
    for (int r = 0; r < 4; ++r) {
        out[r] = m[r][0] * x + m[r][1] * y + m[r][2] * z + m[r][3];
    }
}

bool Transform::operator==(const Transform& other) const {
    return BuildMatrix() == other.BuildMatrix();
}
