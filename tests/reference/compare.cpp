#include "tests/reference/compare.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "evaluation/evaluation.hpp"
#include "tests/reference/reference.hpp"

namespace {

// Runs call with standard output going to memory (glibc lets a program point
// stdout elsewhere), so that thousands of captures take no files.
template <typename Call>
std::pair<float, std::string> captured(Call call) {
    char* bytes = nullptr;
    std::size_t size = 0;
    std::FILE* memory = open_memstream(&bytes, &size);
    std::FILE* saved = stdout;
    stdout = memory;
    float value = call();
    stdout = saved;
    std::fclose(memory);
    std::string printed(bytes, size);
    std::free(bytes);
    return {value, printed};
}

// -0 differs from 0; NaNs are the same when their signs are.
bool sameFloat(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b) && std::signbit(a) == std::signbit(b);
    }
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

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
    auto [expectedValue, expectedOutput] = captured([&] { return reference::evaluateExpression(text); });
    auto [actualValue, actualOutput] = captured([&] { return evaluateExpression(text); });
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
