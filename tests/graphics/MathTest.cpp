// Transform, the matrix functions, the perspective view and colours, without GL.

#include <gtest/gtest.h>

#include "graphics/Color.h"
#include "graphics/FPoint.h"
#include "graphics/FRect.h"
#include "graphics/Matrix4.h"
#include "graphics/Point.h"
#include "graphics/RenderState.h"
#include "graphics/Transform.h"

namespace {

void ExpectPoint(const Transform& t, float x, float y, float ex, float ey, float ez = 0.0f) {
    float out[4];
    t.TransformPoint(x, y, 0.0f, out);
    EXPECT_NEAR(out[0], ex, 1e-4f);
    EXPECT_NEAR(out[1], ey, 1e-4f);
    EXPECT_NEAR(out[2], ez, 1e-4f);
}

}  // namespace

TEST(TransformTest, FastFormAndComposition) {
    Transform t;
    EXPECT_TRUE(t.IsTranslationOnly());
    EXPECT_TRUE(t.IsIdentity());
    t.Translate(3, 4);
    EXPECT_TRUE(t.IsTranslationOnly());
    ExpectPoint(t, 1, 1, 4, 5);

    // Operations apply in order: translate, then scale, then rotate.
    Transform u;
    u.Translate(1, 0);
    u.Scale(2, 3);
    EXPECT_FALSE(u.IsTranslationOnly());
    ExpectPoint(u, 1, 1, 4, 3);
    u.RotateDegrees(90, 0, 0, 1);  // clockwise on a y-down screen: +x goes to +y
    ExpectPoint(u, 1, 1, -3, 4);

    // ApplyTranslation moves the input: rotation about (10, 0).
    Transform about;
    about.RotateDegrees(180, 0, 0, 1);
    about.Translate(10, 0);
    about.ApplyTranslation(-10, 0);
    ExpectPoint(about, 12, 0, 8, 0);

    // Shear lives at [0][1] and [1][0], translation in column 3.
    Transform shear;
    shear.At(0, 1) = 0.5f;
    shear.At(1, 3) = 7.0f;
    ExpectPoint(shear, 0, 2, 1, 9);

    // The full form keeps a bare translation exactly.
    Transform full;
    full.Translate(5, 6, 7);
    full.ForceFullMatrix();
    EXPECT_TRUE(full == [] {
        Transform f;
        f.Translate(5, 6, 7);
        return f;
    }());
    full.Reset();
    EXPECT_TRUE(full.IsIdentity());

    // A zero axis is no rotation.
    Transform none;
    none.RotateDegrees(45, 0, 0, 0);
    EXPECT_TRUE(none.IsIdentity());
}

TEST(MatrixTest, InverseTransposeAndPoints) {
    Transform t;
    t.Translate(10, -4, 3);
    t.Scale(2, 0.5f);
    t.RotateDegrees(33, 0.3f, 1, 0.2f);
    Matrix4 m = t.BuildMatrix();
    Matrix4 inv;
    ASSERT_TRUE(MatrixInverse(&inv, m));
    Matrix4 product;
    MatrixMultiply(&product, m, inv);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(product.m[r][c], r == c ? 1.0f : 0.0f, 1e-5f);
        }
    }
    Matrix4 singular;
    singular.m[1][1] = 0.0f;
    Matrix4 untouched = inv;
    EXPECT_FALSE(MatrixInverse(&untouched, singular));
    EXPECT_TRUE(untouched == inv);

    // TransformPoint4 takes row vectors: the transpose of the column-vector matrix.
    Matrix4 rowForm;
    MatrixTranspose(&rowForm, m);
    float p[4] = {3, 5, 0, 1};
    TransformPoint4(p, p, rowForm);
    float q[4];
    t.TransformPoint(3, 5, 0, q);
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(p[i], q[i], 1e-4f);
    }
    Matrix4 copy;
    MatrixCopy(&copy, m);
    EXPECT_TRUE(copy == m);
    MatrixIdentity(&copy);
    EXPECT_TRUE(copy.IsIdentity());
}

TEST(MatrixTest, PerspectiveViewKeepsTheFlatPlaneAndRoundTrips) {
    const int w = 1024, h = 768;
    // Points at z = 0 land on their own pixel.
    for (float x : {0.0f, 100.0f, 512.0f, 1023.0f}) {
        for (float y : {0.0f, 384.0f, 700.0f}) {
            float out[3];
            ProjectPerspectivePoint(w, h, x, y, 0.0f, out);
            EXPECT_NEAR(out[0], x, 1e-2f);
            EXPECT_NEAR(out[1], y, 1e-2f);
        }
    }
    // Further away shrinks towards the centre.
    float far[3];
    ProjectPerspectivePoint(w, h, 0.0f, 0.0f, 2048.0f, far);
    EXPECT_NEAR(far[0], 256.0f, 0.5f);
    EXPECT_NEAR(far[1], 192.0f, 0.5f);
    // Unproject inverts project, depth included.
    for (float z : {-500.0f, 0.0f, 37.5f, 900.0f}) {
        float screen[3];
        ProjectPerspectivePoint(w, h, 300.0f, 200.0f, z, screen);
        float back[3];
        UnprojectPerspectivePoint(w, h, screen[0], screen[1], screen[2], back);
        EXPECT_NEAR(back[0], 300.0f, 0.05f);
        EXPECT_NEAR(back[1], 200.0f, 0.05f);
        EXPECT_NEAR(back[2], z, 0.5f);
    }
    // The widget tree's mapping: the flat case passes through, z = 0 at w = 1 is the identity.
    float flat[4] = {12, 34, 1.00001f, 1};
    ProjectThroughPerspectiveView(flat, w, h);
    EXPECT_FLOAT_EQ(flat[0], 12);
    EXPECT_FLOAT_EQ(flat[2], 1.00001f);
    float deep[4] = {100, 50, 0, 1};
    ProjectThroughPerspectiveView(deep, w, h);
    EXPECT_NEAR(deep[0], 100, 1e-2f);
    EXPECT_NEAR(deep[1], 50, 1e-2f);
    EXPECT_FLOAT_EQ(deep[3], 1.0f);
}

TEST(ColorTest, ConstructionFloatsAndMultiply) {
    EXPECT_EQ(Color::FromARGB(0x00123456), Color(0x12, 0x34, 0x56, 255));
    EXPECT_EQ(Color::FromARGB(0x80123456).mAlpha, 0x80);
    EXPECT_EQ(Color(1, 2, 3, 4).ToARGB(), 0x04010203u);

    Color f = Color::FromFloats(1.0f, 0.5f, -2.0f, 7.0f);
    EXPECT_EQ(f.mRed, 255);
    EXPECT_EQ(f.mGreen, 128);
    EXPECT_EQ(f.mBlue, 0);
    EXPECT_EQ(f.mAlpha, 255);
    EXPECT_TRUE(f.mPremultiplied);
    EXPECT_EQ(Color::FromFloats(0.0f / 0.0f, 0, 0, 0).mRed, 0) << "NaN reads as 0";

    Color m = Color(255, 128, 0, 255).Multiply(Color(128, 128, 255, 255));
    EXPECT_EQ(m, Color(128, 64, 0, 255));
    // Mixing kinds premultiplies the straight one first.
    Color mixed = Color::FromFloats(1, 1, 1, 1).Multiply(Color(255, 255, 255, 128));
    EXPECT_TRUE(mixed.mPremultiplied);
    EXPECT_EQ(mixed.mRed, 128);
    EXPECT_EQ(mixed.mAlpha, 128);
    EXPECT_EQ(Color(200, 100, 50, 128).Premultiplied(), [] {
        Color c(100, 50, 25, 128);
        c.mPremultiplied = true;
        return c;
    }());
    EXPECT_EQ(Color::White, Color(255, 255, 255));
    EXPECT_EQ(Color::Black, Color(0, 0, 0));
}

TEST(GeometryTest, RectsPointsAndRenderStates) {
    Rect a(0, 0, 10, 10);
    EXPECT_EQ(a.Intersection(Rect(5, 5, 10, 10)), Rect(5, 5, 5, 5));
    EXPECT_TRUE(a.Intersection(Rect(20, 20, 5, 5)).IsEmpty());
    EXPECT_TRUE(a.NotEquals(Rect(0, 0, 10, 11)));
    FRect f = FRect::FromRect(a);
    EXPECT_TRUE(f.Contains(0, 0));
    EXPECT_FALSE(f.Contains(10, 5));
    EXPECT_EQ(Point::FromFPoint(FPoint(1.5f, -1.5f)), Point(2, -2));
    RenderState s, t;
    EXPECT_TRUE(s == t);
    t.mMatrix.m[0][3] = 1.0f;
    EXPECT_FALSE(s == t);
    t = s;
    t.mWrap = true;
    EXPECT_FALSE(s == t);
}
