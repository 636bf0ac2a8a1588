#include "tests/reference/compare.hpp"

#include <cstdio>
#include <string>

#include "evaluation/evaluation.hpp"
#include "tests/captured.hpp"
#include "tests/reference/reference.hpp"

namespace {

// The bytes around the first place where two outputs part.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
    std::size_t from = at < 100 ? 0 : at - 100;
    return "output differs at byte " + std::to_string(at) + "; the reference printed:\n" +
           expected.substr(from, 200) + "\nthe evaluator printed:\n" + actual.substr(from, 200) + "\n";
}

}  // namespace

std::string differenceFromReference(const std::string& text) {
    auto [expectedValue, expectedOutput] =
        capturePrinted([&] { return reference::evaluateExpression(text); });
    auto [actualValue, actualOutput] = capturePrinted([&] { return evaluateExpression(text); });
    std::string difference;
    if (!sameFloat(expectedValue, actualValue)) {
        char values[64];
        std::snprintf(values, sizeof values, "value %g, reference %g\n", static_cast<double>(actualValue),
                      static_cast<double>(expectedValue));
        difference += values;
    }
    if (expectedOutput != actualOutput) {
        difference += firstDifference(expectedOutput, actualOutput);
    }
    return difference;
}
