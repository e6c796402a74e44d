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
        // The last digit tells s * 1000 / 3600 and v * v * 0.39 * v / 1000 from
        // s / 3.6, v * v * v * 0.39, pow(v, 3), * 0.001 and 18 other forms.
        {"9612.61", "7424736.964118"},
        {"7653.42", "3747345.580112"},
    };
    for (const auto &c : cases) {
        char out[ENERGY_TEXT_MAX];
        EXPECT_STREQ(FormatEnergy(c.speed, out, sizeof out), c.result) << '"' << c.speed << '"';
    }
}
