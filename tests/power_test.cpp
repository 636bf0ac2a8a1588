#include "numbers/power.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace {

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

struct Row {
    float base;
    float exponent;
    float expected;
};

// Any NaN stands for any NaN here: the calculator makes them all one.
void expectPowers(const std::initializer_list<Row>& rows) {
    for (const auto& row : rows) {
        float actual = power(row.base, row.exponent);
        bool same = std::isnan(row.expected)
                        ? std::isnan(actual)
                        : std::bit_cast<std::uint32_t>(actual) == std::bit_cast<std::uint32_t>(row.expected);
        EXPECT_TRUE(same) << row.base << " ^ " << row.exponent << " gave " << actual << ", expected "
                          << row.expected;
    }
}

TEST(Power, FollowsTheRulesOfCsPowfForSpecialCases) {
    expectPowers({
        {nan, 0, 1},          // x^±0 is 1 for every x,
        {nan, -0.0f, 1},      //
        {inf, 0, 1},          //
        {1, nan, 1},          // and 1^y for every y
        {1, -inf, 1},         //
        {-1, inf, 1},         // (-1)^±inf is 1
        {-1, -inf, 1},        //
        {0.5f, inf, 0},       // x^±inf by whether |x| < 1
        {-0.5f, inf, 0},      //
        {2, inf, inf},        //
        {0.5f, -inf, inf},    //
        {-2, -inf, 0},        //
        {0, -3, inf},         // (±0)^y for y < 0: ±inf for an odd integer y, else +inf
        {-0.0f, -3, -inf},    //
        {-0.0f, -2, inf},     //
        {-0.0f, -0.5f, inf},  //
        {-0.0f, -inf, inf},   //
        {0, 3, 0},            // (±0)^y for y > 0: ±0 for an odd integer y, else +0
        {-0.0f, 3, -0.0f},    //
        {-0.0f, 2, 0},        //
        {-0.0f, 0.5f, 0},     //
        {-inf, -3, -0.0f},    // (-inf)^y: -0 or -inf for an odd integer y, else +0 or +inf
        {-inf, -2, 0},        //
        {-inf, -0.5f, 0},     //
        {-inf, 3, -inf},      //
        {-inf, 2, inf},       //
        {-inf, 0.5f, inf},    //
        {inf, -1, 0},         // (+inf)^y: +0 or +inf
        {inf, 0.5f, inf},     //
        {-2, 0.5f, nan},      // a negative base to a finite non-integer
        {-8, 1.0f / 3, nan},  //
        {-1, 0.5f, nan},      //
        {nan, 1, nan},        // any other NaN
        {2, nan, nan},        //
        {-1, nan, nan},       //
    });
}

TEST(Power, GivesTheNearestFloatTiesToEven) {
    expectPowers({
        {4097, 2, 16785408},                      // 16785409 lies halfway: to the even one
        {600, 4, 129599995904.0f},                // 129600000000 lies halfway
        {8.5f, 6, 377149.5f},                     // 377149.515625 lies halfway
        {0.12275145f, 0.0030570689f, 0.993608f},  // close to halfway, not on it
        {-2, 3, -8},                              // a negative base to an odd power
        {-8, -1, -0.125f},                        //
        {2, -150, 0},                             // halfway between 0 and 2^-149
        {2, -149, 0x1p-149f},                     // the smallest subnormal
        {0x1p-75f, 2, 0},                         // below half of it
        {0x1p-148f, 0.5f, 0x1p-74f},              // a subnormal base
        {2, 127, 0x1p127f},                       // the largest power of two
        {2, 128, inf},                            // overflow
        {9, 0.5f, 3},                             // exact powers
        {16777215, 1, 16777215},                  //
    });
}

}  // namespace
