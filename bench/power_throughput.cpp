// Throughput of the calculator's power function beside the C library's powf
// on the same pairs, in the same run: each family of the tests' pairs, and the
// powers in the benchmark's own expressions (a decimal to 1, 2 or 3), 2^20
// pairs a round, the two functions taking turns for 15 rounds. Prints one
// line a family, tab-separated: its name, then the median nanoseconds per
// call of ours and of powf, for bench/run.py to read.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "evaluation/evaluation.hpp"
#include "harness/power_pairs.hpp"
#include "numbers/power.hpp"

namespace {

using Pairs = std::vector<std::pair<float, float>>;

volatile float sink;

template <typename Power>
double nanosecondsPerCall(const Pairs& pairs, Power function) {
    auto start = std::chrono::steady_clock::now();
    float sum = 0;
    for (const auto& [base, exponent] : pairs) sum += function(base, exponent);
    auto elapsed = std::chrono::steady_clock::now() - start;
    sink = sum;
    return std::chrono::duration<double, std::nano>(elapsed).count() / static_cast<double>(pairs.size());
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The powers that bench/generate.py writes: a decimal from 1.01 to 999.99
// to the power 1, 2 or 3.
Pairs benchmarkPowers(std::mt19937_64& random) {
    Pairs pairs;
    for (int i = 0; i < 1 << 20; ++i) {
        std::string text = std::to_string(1 + random() % 999);
        text += '.';
        text += std::to_string(1 + random() % 99);
        pairs.emplace_back(evaluateSimple(text), static_cast<float>(1 + random() % 3));
    }
    return pairs;
}

void row(std::string_view name, const Pairs& pairs) {
    std::vector<double> calculator;
    std::vector<double> library;
    for (int round = 0; round < 15; ++round) {
        calculator.push_back(nanosecondsPerCall(pairs, power));
        library.push_back(nanosecondsPerCall(pairs, [](float x, float y) { return std::pow(x, y); }));
    }
    std::printf("%.*s\t%.2f\t%.2f\n", static_cast<int>(name.size()), name.data(), median(calculator),
                median(library));
}

}  // namespace

int main() {
    std::mt19937_64 random(20261209);
    row("the benchmark's expressions: decimal ^ 1, 2 or 3", benchmarkPowers(random));
    for (int family = 0; family < powerFamilyCount; ++family) {
        Pairs pairs;
        for (int i = 0; i < 1 << 20; ++i) pairs.push_back(powerPair(random, family));
        row(powerFamilyName(family), pairs);
    }
}
