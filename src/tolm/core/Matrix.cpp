// 3x3 matrices and the component-or-matrix transform.
#include "core/Matrix.h"

#include <cmath>

namespace Tolm {

void Matrix3::Multiply(Matrix3& dst, const Matrix3& other) const
{
    const Matrix3& a = *this;
    const Matrix3& b = other;
    Matrix3 product;
    product.m00 = a.m00 * b.m00 + a.m01 * b.m10 + a.m02 * b.m20;
    product.m01 = a.m00 * b.m01 + a.m01 * b.m11 + a.m02 * b.m21;
    product.m02 = a.m00 * b.m02 + a.m01 * b.m12 + a.m02 * b.m22;
    product.m10 = a.m10 * b.m00 + a.m11 * b.m10 + a.m12 * b.m20;
    product.m11 = a.m10 * b.m01 + a.m11 * b.m11 + a.m12 * b.m21;
    product.m12 = a.m10 * b.m02 + a.m11 * b.m12 + a.m12 * b.m22;
    product.m20 = a.m20 * b.m00 + a.m21 * b.m10 + a.m22 * b.m20;
    product.m21 = a.m20 * b.m01 + a.m21 * b.m11 + a.m22 * b.m21;
    product.m22 = a.m20 * b.m02 + a.m21 * b.m12 + a.m22 * b.m22;
    dst = product;
}

void Matrix3::Translate(float tx, float ty)
{
    Matrix3 translation;
    translation.m02 = tx;
    translation.m12 = ty;
    translation.Multiply(*this, *this);
}

void Matrix3::Rotate(float radians)
{
    float c = std::cos(radians);
    float s = std::sin(radians);
    Matrix3 rotation;
    rotation.m00 = c;
    rotation.m01 = s;
    rotation.m10 = -s;
    rotation.m11 = c;
    rotation.Multiply(*this, *this);
}

void Matrix3::Scale(float sx, float sy)
{
    Matrix3 scale;
    scale.m00 = sx;
    scale.m11 = sy;
    scale.Multiply(*this, *this);
}

Vector2 Matrix3::TransformPoint(const Vector2& point) const
{
    return Vector2{m00 * point.x + m01 * point.y + m02, m10 * point.x + m11 * point.y + m12};
}

Vector3 Matrix3::TransformVector3(const Vector3& vector) const
{
    return Vector3{m00 * vector.x + m01 * vector.y + m02 * vector.z, m10 * vector.x + m11 * vector.y + m12 * vector.z,
                   m20 * vector.x + m21 * vector.y + m22 * vector.z};
}

void Transform::Translate(float tx, float ty)
{
    if (complex) {
        matrix.Translate(tx, ty);
        return;
    }
    dirty = true;
    if (rotated || scaled) {
        postTranslateX += tx;
        postTranslateY += ty;
    } else {
        translateX += tx;
        translateY += ty;
    }
}

// A rotation or scale after the last translation would have to turn or stretch that translation as
// well, which the component form cannot do; such a transform continues as a matrix.
void Transform::Rotate(float radians)
{
    bool hasPostTranslation = postTranslateX != 0 || postTranslateY != 0;
    if (!complex && !scaled && !hasPostTranslation) {
        rotation += radians;
        rotated = true;
        dirty = true;
        return;
    }
    BecomeComplex();
    matrix.Rotate(radians);
}

void Transform::RotateDegrees(float degrees)
{
    Rotate(degrees * 0.017453292f);
}

void Transform::Scale(float sx, float sy)
{
    if (complex) {
        matrix.Scale(sx, sy);
        return;
    }
    bool hasFirstTranslation = translateX != 0 || translateY != 0;
    bool hasPostTranslation = postTranslateX != 0 || postTranslateY != 0;
    // A negative factor is allowed only as a plain mirror of an axis that is not scaled yet.
    bool componentFactors = (sx >= 0 || sx * scaleX == -1) && sy >= 0;
    if (!rotated && !hasFirstTranslation && !hasPostTranslation && componentFactors) {
        scaleX *= sx;
        scaleY *= sy;
        scaled = true;
        dirty = true;
        return;
    }
    BecomeComplex();
    matrix.Scale(sx, sy);
}

const Matrix3& Transform::GetMatrix()
{
    RebuildMatrix();
    return matrix;
}

void Transform::RebuildMatrix()
{
    if (!dirty) {
        return;
    }
    matrix = Matrix3();
    matrix.m02 = translateX;
    matrix.m12 = translateY;
    dirty = false;
    if (scaled) {
        matrix.m00 = scaleX;
        matrix.m11 = scaleY;
    } else if (rotated) {
        matrix.Rotate(rotation);
    }
    if (postTranslateX != 0 || postTranslateY != 0) {
        matrix.Translate(postTranslateX, postTranslateY);
    }
}

void Transform::BecomeComplex()
{
    if (complex) {
        return;
    }
    complex = true;
    RebuildMatrix();
}

} // namespace Tolm
