#pragma once
// A 4x4 float matrix stored row-major (m[row][column]) and the functions that work on it.
//
// Two conventions meet here and each function says which it follows:
// - Transform builds matrices for column vectors (p' = M * p): the translation sits in column 3,
//   a shear in [0][1] and [1][0].
// - The perspective view is built for row vectors (p' = p * M), translation in row 3.
// MatrixTranspose converts between the two.

class Matrix4 {
public:
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    bool operator==(const Matrix4& other) const;
    bool IsIdentity() const;
};

void MatrixIdentity(Matrix4* out);
// out = the inverse of in; false (out untouched) when in is singular. out may alias in.
bool MatrixInverse(Matrix4* out, const Matrix4& in);
void MatrixTranspose(Matrix4* out, const Matrix4& in);  // out may alias in
// out = a * b (ordinary matrix product). out may alias a or b.
void MatrixMultiply(Matrix4* out, const Matrix4& a, const Matrix4& b);
void MatrixCopy(Matrix4* out, const Matrix4& in);
// out = in * m, the point taken as a row vector of four components. out may alias in.
void TransformPoint4(float out[4], const float in[4], const Matrix4& m);

// The perspective view for a view of width w and height h (row vectors): a translation by
// (-w/2, -h/2, 2w) followed by the left-handed off-centre projection with left -0.25, right 0.25,
// bottom 0.25*h/w, top -0.25*h/w, near 1 and far 100*w. Points at z = 0 land exactly on their
// pixel; positive z moves away from the viewer. Its result's y is upward, as clip space is.
Matrix4 BuildPerspectiveView(int width, int height);

// Maps a homogeneous point (x, y, z, w) of root coordinates to screen pixels through the
// perspective view of a view of width by height, the flat case (z within 1e-4 of 1, the
// "third value" of a widget rectangle) passing unchanged. Used by the widget tree's mapping of
// local rectangles to the screen.
void ProjectThroughPerspectiveView(float v[4], int width, int height);

// Scene point (x, y, z) to screen pixels (y down) and depth (0 at the near plane, 1 at the far
// one) through the perspective view of a width by height view.
void ProjectPerspectivePoint(int width, int height, float x, float y, float z, float out[3]);
// The inverse: screen pixels and depth back to the scene point. A degenerate view returns the
// point unchanged at z = 0.
void UnprojectPerspectivePoint(int width, int height, float x, float y, float depth, float out[3]);
