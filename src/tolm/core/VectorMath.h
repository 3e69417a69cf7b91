// Small vector helpers: 2D and 3D float vectors, the fast inverse square root, a float colour and a
// reduced fraction.
#pragma once

#include <cstdint>

namespace Tolm {

// An approximation of 1 / sqrt(x): the classic bit-level first guess and one Newton step. Within 0.2 %
// for positive x; for 0 a large finite number, so a zero vector scaled by it stays zero.
float FastInvSqrt(float x);

struct Vector2
{
    float x = 0;
    float y = 0;

    // (x, y) becomes (-y, x).
    void MakePerpendicular();
    // Without another vector, the direction angle atan2(y, x). With one, the unsigned angle between the
    // two (0 to pi), as precise as the fast normalisation allows.
    float AngleTo(const Vector2* other) const;
};

struct Vector3
{
    float x = 0;
    float y = 0;
    float z = 0;
};

// A colour as four floats from 0 to 1, alpha first, then the other bytes of a packed 0xAARRGGBB value
// from the lowest: blue, green, red.
struct FloatColor
{
    float alpha = 0;
    float blue = 0;
    float green = 0;
    float red = 0;

    void FromBytes(uint32_t packed);
};

// A fraction kept in lowest terms; 1/1 by default.
class Ratio
{
public:
    Ratio() = default;

    // a/b reduced by their greatest common divisor. Both 0 stays 0/0.
    void Set(int a, int b);
    // Whether a:b is the narrower shape than c:d: d * a / b < c or a < c * b / d, in integer division.
    // A ratio with a zero side is narrower than nothing.
    bool IsNarrowerThan(const Ratio& other) const;

    int numerator = 1;
    int denominator = 1;
};

} // namespace Tolm
