// Speed text -> result text. The same file runs on Linux and under wine64,
// so glibc and the exe's MinGW conversions are held to the same bytes.
#include <string>

#include <gtest/gtest.h>

#include "energy.h"

namespace
{

TEST(FormatEnergy, GivesTheSameTextOnEveryPlatform)
{
    const struct {
        std::string speed, result;
    } cases[] = {
        {"100", "8.359053"},
        {"36", "0.390000"},
        {"72", "3.120000"},
        {"90", "6.093750"},
        {"144", "24.960000"},
        {"130", "18.364841"},
        {"50", "1.044882"},
        {"1", "0.000008"},
        {"0.3", "0.000000"},
        {"0.4", "0.000001"},
        {"", "0.000000"},
        {"rychlost", "0.000000"},
        {"-20", "0.000000"},
        {"-inf", "0.000000"},
        {"-0", "-0.000000"},
        {"50,5", "1.044882"},
        {"  100 km/h", "8.359053"},
        {"\t\n\v\f\r100", "8.359053"},
        {"1e2", "8.359053"},
        {".1e3", "8.359053"},
        {"1e", "0.000008"},
        {"0x64", "8.359053"},
        {"1e104", "inf"},
        {"nan", "nan"},
        // MinGW gives -0 and an unsigned NaN where glibc gives 0 and "-nan".
        {"- 5", "0.000000"},
        {"-", "0.000000"},
        {"-nan", "nan"},
        {std::string(65531, '0') + "100", "8.359053"},
        {"1" + std::string(65533, '0'), "inf"},
        {"1e103", "8359053497942388644521921549983068274784728559106399683450637278749327342971"
                  "8080152858134610062296979370713452736695225085348019413564395849942493340747"
                  "0579987782049150812818143858242861933091675496665176761087234863748200781630"
                  "4829320548814783960038196327523126419187065546788145673392365409841553866752"
                  ".000000"},
    };
    for (const auto &c : cases) {
        char out[ENERGY_TEXT_MAX];
        EXPECT_EQ(FormatEnergy(c.speed.c_str(), out, sizeof out), c.result)
            << "speed text \"" << c.speed.substr(0, 20) << '"';
    }
}

TEST(EnergyForSpeed, MultipliesInTheStatedOrder)
{
    // ((v*v)*0.39)*v/1000 to the last bit; other orders differ at 130 km/h.
    EXPECT_EQ(EnergyForSpeed(130.0), 18.364840534979425);
}

} // namespace
