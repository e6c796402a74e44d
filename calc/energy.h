// Drag power of a passenger car from its speed: no platform calls here.
#ifndef VELORN_ENERGY_H
#define VELORN_ENERGY_H

#include <cfloat>
#include <cstddef>

// Room for the longest result text, "%f" of the largest double: a sign,
// 309 integer digits, the point, 6 decimals and the terminator.
constexpr std::size_t ENERGY_TEXT_MAX = 1 + (DBL_MAX_10_EXP + 1) + 1 + 6 + 1;

// Power in kW that overcomes air resistance at speed s (km/h); 0 for s < 0.
double EnergyForSpeed(double s);

// Reads the speed text as atof does in the "C" locale and writes the result
// as "%f" text into out (size bytes, NUL-terminated; nothing is written if
// size is 0). Returns out.
char *FormatEnergy(const char *speed, char *out, std::size_t size);

#endif
