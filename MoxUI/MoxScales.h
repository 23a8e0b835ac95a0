#pragma once

#include <array>

namespace mox {

/// Spacing steps, in points (screen pixels at 1x).
struct MoxSpacing {
    static constexpr double xxs = 2, xs = 4, sm = 8, md = 12, lg = 16, xl = 24, xxl = 32, xxxl = 48;
    static constexpr std::array<double, 8> all{xxs, xs, sm, md, lg, xl, xxl, xxxl};
};

/// Corner radii; `pill` rounds the ends fully.
struct MoxRadius {
    static constexpr double sm = 4, md = 8, lg = 12, pill = 999;
    static constexpr double hairline = 0.5;
};

/// Animation durations in seconds.
struct MoxMotion {
    static constexpr double fast = 0.2, slow = 0.36;
};

}  // namespace mox
