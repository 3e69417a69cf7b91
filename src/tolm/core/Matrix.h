// 2D transforms for rotated, scaled and mirrored drawing. A Transform stays in a cheap component form
// (a first translation, then a scale or a rotation, then a last translation) as long as the operations
// allow, and falls back to a full 3x3 matrix once they combine in a way that form cannot express. The
// drawing code picks a plain, stretched, rotated or matrix blit from its flags.
#pragma once

#include "core/VectorMath.h"

namespace Tolm {

// Row-major; a point (x, y) is transformed as the column (x, y, 1). Every operation that changes the
// matrix multiplies from the left, so the operation called last is applied to the point last.
class Matrix3
{
public:
    // The identity.
    Matrix3() = default;

    void Assign(const Matrix3& other) { *this = other; }
    // dst = this x other; dst may be this or other.
    void Multiply(Matrix3& dst, const Matrix3& other) const;
    void Translate(float tx, float ty);
    // Turns +x towards -y: [cos a, sin a; -sin a, cos a].
    void Rotate(float radians);
    void Scale(float sx, float sy);

    Vector2 TransformPoint(const Vector2& point) const;
    // The full product with (x, y, z), no division by the third component.
    Vector3 TransformVector3(const Vector3& vector) const;

    float m00 = 1, m01 = 0, m02 = 0;
    float m10 = 0, m11 = 1, m12 = 0;
    float m20 = 0, m21 = 0, m22 = 1;
};

class Transform
{
public:
    // The identity, in component form; the matrix is built on first use.
    Transform() = default;

    void Translate(float tx, float ty);
    void Rotate(float radians);
    void RotateDegrees(float degrees);
    void Scale(float sx, float sy);

    const Matrix3& GetMatrix();
    // Brings the matrix up to date with the components.
    void RebuildMatrix();

    Matrix3 matrix;
    bool dirty = true;
    // The matrix is the only truth; the components are no longer used.
    bool complex = false;
    // Which component form is in use; never both.
    bool rotated = false;
    bool scaled = false;
    // Applied to the point first.
    float translateX = 0;
    float translateY = 0;
    // Applied last.
    float postTranslateX = 0;
    float postTranslateY = 0;
    float scaleX = 1;
    float scaleY = 1;
    float rotation = 0;

private:
    void BecomeComplex();
};

} // namespace Tolm
