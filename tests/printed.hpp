#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// What a call returned and every byte it printed on standard output.
struct Printed {
    float value;
    std::string output;
};

template <typename Call>
Printed capturePrinted(Call call) {
    testing::internal::CaptureStdout();
    float value = call();
    std::fflush(stdout);
    return {value, testing::internal::GetCapturedStdout()};
}

// Bit for bit, so that -0 differs from 0; NaNs match by sign alone.
inline bool sameFloat(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    }
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

// One row of a table: a call's input, the value it must return and what it
// must print.
struct Expected {
    float value;
    std::string output;
};

inline void expectPrinted(const Printed& actual, const Expected& expected, const std::string& input) {
    EXPECT_TRUE(sameFloat(actual.value, expected.value))
        << "input '" << input << "' gave " << actual.value << ", expected " << expected.value;
    EXPECT_EQ(actual.output, expected.output) << "input '" << input << "'";
}

// A table row for a function of one text.
struct TextRow {
    std::string input;
    Expected expected;
};

inline void expectRows(float (*evaluate)(std::string_view), const std::vector<TextRow>& rows) {
    for (const auto& row : rows) {
        expectPrinted(capturePrinted([&] { return evaluate(row.input); }), row.expected, row.input);
    }
}
