#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "common/output.hpp"

// What a call returned and every byte it printed on standard output.
struct Printed {
    float value;
    std::string output;
};

template <typename Call>
Printed capturePrinted(Call call) {
    Printed printed{0, ""};
    output::captureInto(&printed.output);
    printed.value = call();
    output::captureInto(nullptr);
    return printed;
}

// Bit for bit, so that -0 differs from 0; NaNs match by sign alone.
inline bool sameFloat(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    }
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}
