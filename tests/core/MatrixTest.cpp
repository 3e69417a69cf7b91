#include "core/Matrix.h"

#include "core/VectorMath.h"

#include <bit>
#include <cmath>
#include <gtest/gtest.h>

using namespace Tolm;

namespace {

constexpr float kHalfPi = 1.57079632679f;
constexpr float kPi = 3.14159265359f;

Matrix3 Rows(float a, float b, float c, float d, float e, float f, float g, float h, float i)
{
    Matrix3 m;
    m.m00 = a, m.m01 = b, m.m02 = c;
    m.m10 = d, m.m11 = e, m.m12 = f;
    m.m20 = g, m.m21 = h, m.m22 = i;
    return m;
}

void ExpectMatrixEq(const Matrix3& m, const Matrix3& expected)
{
    const float got[] = {m.m00, m.m01, m.m02, m.m10, m.m11, m.m12, m.m20, m.m21, m.m22};
    const float want[] = {expected.m00, expected.m01, expected.m02, expected.m10, expected.m11,
                          expected.m12, expected.m20, expected.m21, expected.m22};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(got[i], want[i]) << "element " << i;
    }
}

Vector2 Apply(Transform& transform, float x, float y)
{
    return transform.GetMatrix().TransformPoint(Vector2{x, y});
}

void ExpectPointNear(const Vector2& point, float x, float y)
{
    EXPECT_NEAR(point.x, x, 1e-5f);
    EXPECT_NEAR(point.y, y, 1e-5f);
}

} // namespace

TEST(Matrix3Test, MultiplyGivesTheProductEvenWhenItOverwritesAnOperand)
{
    const Matrix3 a = Rows(1, 2, 3, 4, 5, 6, 7, 8, 9);
    const Matrix3 b = Rows(9, 8, 7, 6, 5, 4, 3, 2, 1);
    const Matrix3 product = Rows(30, 24, 18, 84, 69, 54, 138, 114, 90);

    Matrix3 fresh;
    a.Multiply(fresh, b);
    ExpectMatrixEq(fresh, product);

    Matrix3 left = a;
    left.Multiply(left, b);
    ExpectMatrixEq(left, product);

    Matrix3 right = b;
    a.Multiply(right, right);
    ExpectMatrixEq(right, product);
}

TEST(Matrix3Test, TransformsPointsAndVectors)
{
    const Matrix3 a = Rows(1, 2, 3, 4, 5, 6, 7, 8, 9);
    Vector2 point = a.TransformPoint(Vector2{1, 2});
    EXPECT_EQ(point.x, 8);
    EXPECT_EQ(point.y, 20);
    Vector3 vector = a.TransformVector3(Vector3{1, 2, 3});
    EXPECT_EQ(vector.x, 14);
    EXPECT_EQ(vector.y, 32);
    EXPECT_EQ(vector.z, 50);

    Matrix3 identity;
    ExpectMatrixEq(identity, Rows(1, 0, 0, 0, 1, 0, 0, 0, 1));
    Matrix3 copy;
    copy.Assign(a);
    ExpectMatrixEq(copy, a);
}

TEST(Matrix3Test, TheOperationCalledLastIsAppliedLast)
{
    Matrix3 m;
    m.Translate(5, 0);
    m.Scale(2, 3);
    m.Rotate(kHalfPi);
    // (1, 1) -> (6, 1) -> (12, 3) -> rotated so that +x turns to -y: (3, -12).
    Vector2 point = m.TransformPoint(Vector2{1, 1});
    EXPECT_NEAR(point.x, 3, 1e-5f);
    EXPECT_NEAR(point.y, -12, 1e-5f);
}

TEST(TransformTest, TranslationAfterARotationIsAppliedAfterIt)
{
    Transform transform;
    transform.Translate(5, 0);
    transform.Rotate(kHalfPi);
    transform.Translate(0, 3);
    EXPECT_FALSE(transform.complex);
    EXPECT_TRUE(transform.rotated);
    EXPECT_EQ(transform.translateX, 5);
    EXPECT_EQ(transform.postTranslateY, 3);
    ExpectPointNear(Apply(transform, 0, 0), 0, -2);
}

TEST(TransformTest, ComponentFormHoldsOnlyWhatItCanExpress)
{
    struct Case
    {
        const char* name;
        void (*build)(Transform&);
        bool complex;
        float x, y;
        float expectedX, expectedY;
    } cases[] = {
        {"identity", [](Transform&) {}, false, 3, 4, 3, 4},
        {"horizontal mirror", [](Transform& t) { t.Scale(-1, 1); }, false, 3, 4, -3, 4},
        {"mirror with stretch", [](Transform& t) { t.Scale(-2, 1); }, true, 3, 4, -6, 4},
        {"vertical mirror", [](Transform& t) { t.Scale(1, -1); }, true, 3, 4, 3, -4},
        {"mirror of a mirrored axis", [](Transform& t) { t.Scale(-1, 1), t.Scale(-1, 1); }, true, 3, 4, 3, 4},
        {"scales multiply", [](Transform& t) { t.Scale(2, 3), t.Scale(2, 1); }, false, 1, 1, 4, 3},
        {"scale after a first translation", [](Transform& t) { t.Translate(1, 2), t.Scale(2, 2); }, true, 0, 0, 2, 4},
        {"scale then translation", [](Transform& t) { t.Scale(2, 2), t.Translate(1, 2); }, false, 1, 1, 3, 4},
        {"rotation of a scaled transform", [](Transform& t) { t.Scale(2, 2), t.Rotate(kHalfPi); }, true, 1, 0, 0, -2},
        {"translation after becoming complex",
         [](Transform& t) { t.Scale(2, 2), t.Rotate(kHalfPi), t.Translate(10, 0); }, true, 1, 0, 10, -2},
        {"scale of a rotated transform", [](Transform& t) { t.Rotate(kHalfPi), t.Scale(2, 2); }, true, 1, 0, 0, -2},
        {"rotations add", [](Transform& t) { t.Rotate(kHalfPi / 2), t.Rotate(kHalfPi / 2); }, false, 1, 0, 0, -1},
        {"degrees", [](Transform& t) { t.RotateDegrees(90); }, false, 1, 0, 0, -1},
        // A later rotation or scale also turns or stretches the translation before it.
        {"rotation after a last translation",
         [](Transform& t) { t.Rotate(kHalfPi), t.Translate(10, 0), t.Rotate(kHalfPi); }, true, 1, 0, -1, -10},
        {"scale after a last translation", [](Transform& t) { t.Scale(2, 2), t.Translate(1, 0), t.Scale(3, 3); }, true,
         1, 0, 9, 0},
    };
    for (const Case& c : cases) {
        Transform transform;
        c.build(transform);
        EXPECT_EQ(transform.complex, c.complex) << c.name;
        EXPECT_FALSE(transform.rotated && transform.scaled) << c.name;
        Vector2 point = Apply(transform, c.x, c.y);
        EXPECT_NEAR(point.x, c.expectedX, 1e-5f) << c.name;
        EXPECT_NEAR(point.y, c.expectedY, 1e-5f) << c.name;
    }
}

TEST(TransformTest, MatrixIsBuiltOnFirstUseAndKeptUntilAChange)
{
    Transform transform;
    EXPECT_TRUE(transform.dirty);
    ExpectMatrixEq(transform.GetMatrix(), Matrix3());
    EXPECT_FALSE(transform.dirty);
    transform.Scale(-1, 1);
    EXPECT_TRUE(transform.dirty);
    ExpectMatrixEq(transform.GetMatrix(), Rows(-1, 0, 0, 0, 1, 0, 0, 0, 1));
}

TEST(FastInvSqrtTest, ApproximatesTheInverseSquareRoot)
{
    for (float x : {4.0f, 1.0f, 0.25f, 2.0f, 100.0f, 12345.0f, 1e-6f}) {
        float exact = 1.0f / std::sqrt(x);
        EXPECT_NEAR(FastInvSqrt(x), exact, exact * 0.002f) << x;
    }
    // 4.0f has the bits 0x40800000: the first guess has the bits 0x5F3759DF - 0x20400000 = 0x3EF759DF.
    float guess = std::bit_cast<float>(0x3EF759DFu);
    EXPECT_EQ(FastInvSqrt(4.0f), guess * (1.5f - 0.4999f * 4.0f * guess * guess));
    // Zero gives a large finite number, so a zero vector scaled by it stays zero.
    float atZero = FastInvSqrt(0.0f);
    EXPECT_TRUE(std::isfinite(atZero));
    EXPECT_GT(atZero, 1e19f);
    EXPECT_EQ(0.0f * atZero, 0.0f);
}

TEST(Vector2Test, PerpendicularAndAngles)
{
    Vector2 v{3, 4};
    v.MakePerpendicular();
    EXPECT_EQ(v.x, -4);
    EXPECT_EQ(v.y, 3);

    Vector2 up{0, 1};
    EXPECT_FLOAT_EQ(up.AngleTo(nullptr), std::atan2(1.0f, 0.0f));
    Vector2 left{-2, 0};
    EXPECT_FLOAT_EQ(left.AngleTo(nullptr), std::atan2(0.0f, -2.0f));

    struct Case
    {
        Vector2 a, b;
        float angle;
    } cases[] = {
        {{1, 0}, {0, 1}, kHalfPi},
        {{0, 1}, {1, 0}, kHalfPi},
        {{3, 0}, {5, 5}, kHalfPi / 2},
        {{2, 0}, {5, 0}, 0},
        {{2, 0}, {-5, 0}, kPi},
        // The approximate length of (2, 7) comes out short, so its unit vector's product with itself
        // exceeds 1; the angle is still 0 (and pi against its opposite), not undefined.
        {{2, 7}, {2, 7}, 0},
        {{2, 7}, {-2, -7}, kPi},
    };
    for (const Case& c : cases) {
        float angle = c.a.AngleTo(&c.b);
        // Near 0 and pi the error of the fast normalisation (up to about 0.2 % per length) dominates.
        EXPECT_NEAR(angle, c.angle, 0.1f) << c.a.x << "," << c.a.y << " to " << c.b.x << "," << c.b.y;
    }
}

TEST(FloatColorTest, FromBytesPutsAlphaFirstThenTheLowBytes)
{
    FloatColor color;
    color.FromBytes(0x80FF4000u);
    EXPECT_EQ(color.alpha, 128 / 255.0f);
    EXPECT_EQ(color.red, 1.0f);
    EXPECT_EQ(color.green, 64 / 255.0f);
    EXPECT_EQ(color.blue, 0.0f);
}

TEST(RatioTest, KeepsTheFractionInLowestTerms)
{
    Ratio ratio;
    EXPECT_EQ(ratio.numerator, 1);
    EXPECT_EQ(ratio.denominator, 1);
    struct Case
    {
        int a, b;
        int numerator, denominator;
    } cases[] = {
        {640, 480, 4, 3}, {1920, 1080, 16, 9}, {800, 600, 4, 3}, {7, 3, 7, 3}, {5, 0, 1, 0}, {0, 5, 0, 1}, {0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ratio.Set(c.a, c.b);
        EXPECT_EQ(ratio.numerator, c.numerator) << c.a << ":" << c.b;
        EXPECT_EQ(ratio.denominator, c.denominator) << c.a << ":" << c.b;
    }
}
