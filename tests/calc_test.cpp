// Speed text -> result text, with the MinGW conversions the exe links in.
#include <gtest/gtest.h>

#include "energy.h"

TEST(FormatEnergy, ReadsTheSpeedAsAtofAndPrintsTheResultAsPercentF)
{
    const struct {
        const char *speed, *result;
    } cases[] = {
        {"100", "8.359053"},
        {"36", "0.390000"},
        {"130", "18.364841"},
        {"1", "0.000008"},
        {"0.3", "0.000000"},
        {"0.4", "0.000001"},
        {"", "0.000000"},
        {"rychlost", "0.000000"},
        // Not through the formula, which would give -0.066872.
        {"-20", "0.000000"},
        {"-0", "-0.000000"},
        // A lone sign: MinGW's strtod alone gives -0 here.
        {"- 5", "0.000000"},
        {"50,5", "1.044882"},
        {"  100 km/h", "8.359053"},
        {"1e2", "8.359053"},
        {"1e104", "inf"},
        // Where the order of the arithmetic shows: km/h times 1000, then
        // divided by 3600; then v*v, times 0.39, times v, divided by 1000.
        {"2591.99", "145565.035207"},
        {"4536.02", "780156.959445"},
        {"4862.09", "960784.715564"},
    };
    for (const auto &c : cases) {
        char out[ENERGY_TEXT_MAX];
        EXPECT_STREQ(FormatEnergy(c.speed, out, sizeof out), c.result) << '"' << c.speed << '"';
    }
}
