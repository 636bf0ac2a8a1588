#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "captured.hpp"
#include "common/debug.hpp"
#include "evaluation/evaluation.hpp"
#include "harness/power_pairs.hpp"
#include "numbers/power.hpp"
#include "tests/generated_expressions.hpp"

namespace {

// FNV-1a over bytes.
struct Digest {
    std::uint64_t value = 14695981039346656037u;
    void add(std::string_view bytes) {
        for (unsigned char byte : bytes) value = (value ^ byte) * 1099511628211u;
    }
    // A NaN by its sign alone, since machines encode it differently.
    void add(float number) {
        add(std::isnan(number) ? (std::signbit(number) ? "-nan" : "nan")
                               : std::to_string(std::bit_cast<std::uint32_t>(number)));
    }
};

// A fault that the reference evaluator shares on some machine (a compiler's
// excess precision, the shared output primitives) passes the differential test
// there. So every byte the evaluator prints for the same expressions, in both
// modes, and every value go into one digest, recorded on amd64.
TEST(Digest, EvaluatorPrintsWhatAmd64Prints) {
    Digest digest;
    for (const auto& text : generatedExpressions()) {
        for (bool trace : {false, true}) {
            DEBUG = trace;
            Printed printed = capturePrinted([&] { return evaluateExpression(text); });
            digest.add(printed.output);
            digest.add(printed.value);
        }
    }
    DEBUG = false;
    EXPECT_EQ(digest.value, 12590741009108237205u) << "the evaluator's output differs from amd64's";
}

// The power function's results on two million pairs of every family, against
// the digest recorded on amd64, where the MPFR test holds each family to the
// exact powers: another machine that rounds one differently shows here.
TEST(Digest, PowerGivesWhatAmd64Gives) {
    std::mt19937_64 random(20261209);
    Digest digest;
    for (int pair = 0; pair < 2000000; ++pair) {
        auto [base, exponent] = powerPair(random, pair % powerFamilyCount);
        digest.add(power(base, exponent));
    }
    EXPECT_EQ(digest.value, 11722421424383401719u) << "the power function's results differ from amd64's";
}

}  // namespace
