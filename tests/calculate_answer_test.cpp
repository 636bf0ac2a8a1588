#include <limits>

#include "evaluation/evaluation.hpp"
#include "messages.hpp"
#include "printed.hpp"

namespace {

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

struct Row {
    float left;
    float right;
    char op;
    Expected expected;
};

TEST(CalculateAnswer, ComputesInSinglePrecisionAndReportsFailures) {
    const Row rows[] = {
        {2, 3, '+', {5, ""}},
        {0.1f, 0.2f, '+', {0.3f, ""}},
        {16777216, 1, '+', {16777216, ""}},
        {2, 5, '-', {-3, ""}},
        {-0.0f, 0, '-', {-0.0f, ""}},
        {3, 49, '*', {147, ""}},
        {1e30f, 1e30f, '*', {inf, ""}},
        {1, 3, '/', {0.33333334f, ""}},
        {1, -inf, '/', {-0.0f, ""}},
        {1, nan, '/', {negativeNan, ""}},
        {0, inf, '*', {negativeNan, ""}},
        {inf, inf, '-', {negativeNan, ""}},
        {inf, -inf, '+', {negativeNan, ""}},
        {inf, inf, '/', {negativeNan, ""}},
        {-2, 0.5f, '^', {negativeNan, ""}},
        {1, nan, '-', {negativeNan, ""}},
        {negativeNan, 3, '^', {negativeNan, ""}},
        {7, 2, '^', {49, ""}},
        {2, -1, '^', {0.5f, ""}},
        {1, 0, '/', {0, divisionByZero("1 / 0")}},
        {1, -0.0f, '/', {0, divisionByZero("1 / -0")}},
        {0, 0, '/', {0, divisionByZero("0 / 0")}},
        {2.5f, 1, '%', {0, unknownOperator('%')}},
    };
    for (const auto& row : rows) {
        auto printed = capturePrinted([&] { return calculateAnswer(row.left, row.right, row.op); });
        expectPrinted(printed, row.expected, std::to_string(row.left) + row.op + std::to_string(row.right));
    }
}

}  // namespace
