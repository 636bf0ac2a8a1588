#pragma once

#include <cstdint>
#include <random>
#include <string_view>
#include <utility>

// Bases and exponents for the power function in seven families, drawn from a
// seeded generator with integer arithmetic and the calculator's own number
// reading only, so that every machine draws the same pairs.
inline constexpr int powerFamilyCount = 7;

std::string_view powerFamilyName(int family);

std::pair<float, float> powerPair(std::mt19937_64& random, int family);
