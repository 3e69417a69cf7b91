// The drawing arithmetic's (int) of a float or double: toward zero, with values past the int range
// saturated and NaN giving 0 instead of being undefined.
#pragma once

#include <climits>
#include <cmath>

namespace Tolm {

inline int TruncToInt(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= double(INT_MAX)) {
        return INT_MAX;
    }
    if (value <= double(INT_MIN)) {
        return INT_MIN;
    }
    return int(value);
}

} // namespace Tolm
