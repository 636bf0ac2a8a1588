#pragma once

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "captured.hpp"

// The one NaN that every operation yields, on every machine.
inline constexpr float negativeNan = -std::numeric_limits<float>::quiet_NaN();

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
