#include "graphics/Matrix4.h"

#include <cmath>
#include <cstring>

bool Matrix4::operator==(const Matrix4& other) const {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (m[r][c] != other.m[r][c]) {
                return false;
            }
        }
    }
    return true;
}

bool Matrix4::IsIdentity() const {
    return *this == Matrix4();
}

void MatrixIdentity(Matrix4* out) {
    *out = Matrix4();
}

void MatrixCopy(Matrix4* out, const Matrix4& in) {
    *out = in;
}

void MatrixTranspose(Matrix4* out, const Matrix4& in) {
    Matrix4 t;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            t.m[c][r] = in.m[r][c];
        }
    }
    *out = t;
}

void MatrixMultiply(Matrix4* out, const Matrix4& a, const Matrix4& b) {
    Matrix4 p;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[r][k] * b.m[k][c];
            }
            p.m[r][c] = sum;
        }
    }
    *out = p;
}

bool MatrixInverse(Matrix4* out, const Matrix4& in) {
    // Gauss-Jordan elimination with partial pivoting, in double precision so that round trips
    // through the perspective view (whose entries span several orders of magnitude) stay exact
    // to well below a pixel.
    double a[4][8];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            a[r][c] = in.m[r][c];
            a[r][c + 4] = (r == c) ? 1.0 : 0.0;
        }
    }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r) {
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) {
                pivot = r;
            }
        }
        if (std::fabs(a[pivot][col]) < 1e-12) {
            return false;
        }
        if (pivot != col) {
            for (int c = 0; c < 8; ++c) {
                std::swap(a[pivot][c], a[col][c]);
            }
        }
        double inv = 1.0 / a[col][col];
        for (int c = 0; c < 8; ++c) {
            a[col][c] *= inv;
        }
        for (int r = 0; r < 4; ++r) {
            if (r != col && a[r][col] != 0.0) {
                double f = a[r][col];
                for (int c = 0; c < 8; ++c) {
                    a[r][c] -= f * a[col][c];
                }
            }
        }
    }
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            out->m[r][c] = float(a[r][c + 4]);
        }
    }
    return true;
}

void TransformPoint4(float out[4], const float in[4], const Matrix4& m) {
    float result[4];
    for (int c = 0; c < 4; ++c) {
        result[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + in[3] * m.m[3][c];
    }
    std::memcpy(out, result, sizeof(result));
}

Matrix4 BuildPerspectiveView(int width, int height) {
    float w = float(width > 0 ? width : 1);
    float h = float(height > 0 ? height : 1);
    Matrix4 translate;
    translate.m[3][0] = -0.5f * w;
    translate.m[3][1] = -0.5f * h;
    translate.m[3][2] = 2.0f * w;

    const float left = -0.25f, right = 0.25f;
    const float bottom = 0.25f * h / w, top = -0.25f * h / w;
    const float zn = 1.0f, zf = 100.0f * w;
    Matrix4 proj;
    proj.m[0][0] = 2.0f * zn / (right - left);
    proj.m[1][1] = 2.0f * zn / (top - bottom);
    proj.m[2][0] = (left + right) / (left - right);
    proj.m[2][1] = (top + bottom) / (bottom - top);
    proj.m[2][2] = zf / (zf - zn);
    proj.m[2][3] = 1.0f;
    proj.m[3][2] = zn * zf / (zn - zf);
    proj.m[3][3] = 0.0f;

    Matrix4 view;
    MatrixMultiply(&view, translate, proj);
    return view;
}

void ProjectThroughPerspectiveView(float v[4], int width, int height) {
    if (v[2] > 0.9999f && v[2] < 1.0001f) {
        return;
    }
    Matrix4 view = BuildPerspectiveView(width, height);
    TransformPoint4(v, v, view);
    v[1] = -v[1];
    if (v[3] != 1.0f && v[3] != 0.0f) {
        v[0] /= v[3];
        v[1] /= v[3];
        v[2] /= v[3];
        v[3] = 1.0f;
    }
    v[0] = (v[0] + 1.0f) * float(width / 2);
    v[1] = (v[1] + 1.0f) * float(height / 2);
}

void ProjectPerspectivePoint(int width, int height, float x, float y, float z, float out[3]) {
    Matrix4 view = BuildPerspectiveView(width, height);
    float p[4] = {x, y, z, 1.0f};
    TransformPoint4(p, p, view);
    float w = (p[3] != 0.0f) ? p[3] : 1e-6f;
    out[0] = (p[0] / w + 1.0f) * 0.5f * float(width);
    out[1] = (1.0f - p[1] / w) * 0.5f * float(height);
    out[2] = p[2] / w;
}

void UnprojectPerspectivePoint(int width, int height, float x, float y, float depth, float out[3]) {
    Matrix4 inverse;
    if (width <= 0 || height <= 0 ||
        !MatrixInverse(&inverse, BuildPerspectiveView(width, height))) {
        out[0] = x;
        out[1] = y;
        out[2] = 0.0f;
        return;
    }
    float p[4] = {2.0f * x / float(width) - 1.0f, 1.0f - 2.0f * y / float(height), depth, 1.0f};
    TransformPoint4(p, p, inverse);
    float w = (p[3] != 0.0f) ? p[3] : 1e-6f;
    out[0] = p[0] / w;
    out[1] = p[1] / w;
    out[2] = p[2] / w;
}
