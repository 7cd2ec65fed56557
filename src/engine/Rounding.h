// The rounding rule wherever a fraction becomes a whole number of pixels or a setting. The one
// exception is the point on a straight flight (LinePoint), whose exact halves go up, as the
// flight's path is defined.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace korvane {

// The nearest whole number, an exact half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
// Not a number gives 0, and values beyond the 32-bit range are clamped, so the conversion is
// always defined.
inline int32_t RoundHalfEven(double v) {
    if (std::isnan(v))
        return 0;
    // In the default rounding mode, which the program never changes, halves go to even.
    const double r = std::nearbyint(v);
    return static_cast<int32_t>(std::clamp(r, -2147483648.0, 2147483647.0));
}

} // namespace korvane
