// The vector helpers.
#include "core/VectorMath.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace Tolm {

float FastInvSqrt(float x)
{
    // The shift is arithmetic, as on the signed bits; the subtraction wraps like the machine's.
    uint32_t halved = uint32_t(std::bit_cast<int32_t>(x) >> 1);
    float y = std::bit_cast<float>(0x5F3759DFu - halved);
    // 0.4999 rather than 0.5 nudges the result up by about 0.01 %.
    return y * (1.5f - 0.4999f * x * y * y);
}

void Vector2::MakePerpendicular()
{
    float oldX = x;
    x = -y;
    y = oldX;
}

float Vector2::AngleTo(const Vector2* other) const
{
    if (!other) {
        return std::atan2(y, x);
    }
    float scale = FastInvSqrt(x * x + y * y);
    float otherScale = FastInvSqrt(other->x * other->x + other->y * other->y);
    float dot = (x * scale) * (other->x * otherScale) + (y * scale) * (other->y * otherScale);
    // The approximate lengths can carry the product of parallel vectors just past 1, where acos has no value.
    return std::acos(std::clamp(dot, -1.0f, 1.0f));
}

void FloatColor::FromBytes(uint32_t packed)
{
    alpha = float((packed >> 24) & 0xFF) / 255.0f;
    blue = float(packed & 0xFF) / 255.0f;
    green = float((packed >> 8) & 0xFF) / 255.0f;
    red = float((packed >> 16) & 0xFF) / 255.0f;
}

void Ratio::Set(int a, int b)
{
    int x = a;
    int y = b;
    while (y != 0) {
        int rest = x % y;
        x = y;
        y = rest;
    }
    if (x == 0) {
        numerator = a;
        denominator = b;
        return;
    }
    numerator = a / x;
    denominator = b / x;
}

bool Ratio::IsNarrowerThan(const Ratio& other) const
{
    if (denominator == 0 || other.denominator == 0) {
        return false;
    }
    return other.denominator * numerator / denominator < other.numerator ||
           numerator < other.numerator * denominator / other.denominator;
}

} // namespace Tolm
