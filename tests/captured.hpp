#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// What a call returned and every byte it printed on standard output.
struct Printed {
    float value;
    std::string output;
};

// Runs call with standard output going to memory (glibc lets a program point
// stdout elsewhere), so that thousands of captures take no files.
template <typename Call>
Printed capturePrinted(Call call) {
    char* bytes = nullptr;
    std::size_t size = 0;
    std::FILE* memory = open_memstream(&bytes, &size);
    std::FILE* saved = stdout;
    stdout = memory;
    float value = call();
    stdout = saved;
    std::fclose(memory);
    Printed printed{value, std::string(bytes, size)};
    std::free(bytes);
    return printed;
}

// Bit for bit, so that -0 differs from 0; NaNs match by sign alone.
inline bool sameFloat(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    }
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}
