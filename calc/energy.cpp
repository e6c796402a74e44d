#include "energy.h"

#include <cstdio>
#include <cstdlib>

namespace
{
// Metres per kilometre, and watts per kilowatt: one constant for both.
constexpr double KILO = 1000.0;
constexpr double SECONDS_PER_HOUR = 3600.0;
// 1/2 x air density 1.3 kg/m3 x drag coefficient 0.3 x frontal area 2 m2
constexpr double DRAG_FACTOR = 0.39;
} // namespace

double EnergyForSpeed(double s)
{
    if (0 > s)
        return 0.0;
    // Each step is rounded to double as it is stored (the i686 build's
    // flags in CMakeLists.txt see to that).
    const double v = s * KILO / SECONDS_PER_HOUR;
    return v * v * DRAG_FACTOR * v / KILO;
}

char *FormatEnergy(const char *speed, char *out, std::size_t size)
{
    // strtod is atof with an end pointer; under MinGW both it and snprintf
    // are the toolchain's own (__USE_MINGW_ANSI_STDIO), not the system
    // msvcrt's, so every Windows gives the bytes the tests see.
    char *end;
    double s = std::strtod(speed, &end);

    // Text that does not begin with a number is 0. MinGW's strtod gives
    // -0 for a lone sign such as "- 5"; atof's rule and glibc give +0.
    if (end == speed)
        s = 0.0;
    std::snprintf(out, size, "%f", EnergyForSpeed(s));
    return out;
}
