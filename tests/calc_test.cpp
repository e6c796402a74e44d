#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "calc_cases.h"
#include "energy.h"

namespace
{

std::string Format(const std::string &speed)
{
    char out[ENERGY_TEXT_MAX];
    return FormatEnergy(speed.c_str(), out, sizeof out);
}

TEST(FormatEnergy, GivesTheTableResult)
{
    for (const CalcCase &c : CalcCases())
        EXPECT_EQ(Format(c.speed), c.result) << "speed text \"" << c.speed << '"';
}

TEST(FormatEnergy, ReadsTheLongestFieldText)
{
    // The dialog hands over at most 65,534 characters.
    EXPECT_EQ(Format(std::string(65534, ' ')), "0.000000");
    EXPECT_EQ(Format(std::string(65531, '0') + "100"), "8.359053");
    EXPECT_EQ(Format("1" + std::string(65533, '0')), "inf");
}

TEST(FormatEnergy, TruncatesToTheBufferAndTerminates)
{
    char out[5] = "xxxx";
    EXPECT_STREQ(FormatEnergy("100", out, sizeof out), "8.35");
    FormatEnergy("100", out, 0);
    EXPECT_STREQ(out, "8.35");
}

TEST(EnergyForSpeed, NegativeSpeedsSkipTheFormula)
{
    // The formula would give a negative result; the branch gives +0.
    for (double s : {-20.0, -1e-300, -HUGE_VAL}) {
        EXPECT_EQ(EnergyForSpeed(s), 0.0) << s;
        EXPECT_FALSE(std::signbit(EnergyForSpeed(s))) << s;
    }
    EXPECT_TRUE(std::signbit(EnergyForSpeed(-0.0)));
}

TEST(EnergyForSpeed, MultipliesInTheStatedOrder)
{
    // ((v*v)*0.39)*v/1000 to the last bit; other orders differ at 130 km/h.
    EXPECT_EQ(EnergyForSpeed(100.0), 8.359053497942387);
    EXPECT_EQ(EnergyForSpeed(130.0), 18.364840534979425);
}

} // namespace
