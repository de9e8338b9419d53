#include "inspect/HeatScale.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr Rgb8 kStopColours[HeatScale::kStops] = {{96, 0, 128}, {220, 0, 0}, {255, 160, 0}, {255, 255, 160}};

uint8_t between(uint8_t a, uint8_t b, double f)
{
    return static_cast<uint8_t>(std::lround(a + (b - a) * f));
}

}  // namespace

namespace HeatScale {

Rgb8 colourAt(double t)
{
    const double x = std::min(std::max(t, 0.0), 1.0) * (kStops - 1);
    const int i = std::min(static_cast<int>(x), kStops - 2);
    const double f = x - i;
    const Rgb8& a = kStopColours[i];
    const Rgb8& b = kStopColours[i + 1];
    return {between(a.r, b.r, f), between(a.g, b.g, f), between(a.b, b.b, f)};
}

double positionOf(double codes, double largest)
{
    if (codes < 1 || largest <= 1) return 0;
    return std::log(codes) / std::log(largest);
}

}  // namespace HeatScale
