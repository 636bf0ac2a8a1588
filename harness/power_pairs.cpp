#include "harness/power_pairs.hpp"

#include <array>
#include <bit>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "evaluation/evaluation.hpp"

namespace {

using Random = std::mt19937_64;

std::int64_t below(Random& random, std::int64_t count) {
    return static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(count));
}

std::int64_t between(Random& random, std::int64_t low, std::int64_t high) {
    return low + below(random, high - low + 1);
}

// A number typed into the calculator, read as the calculator reads it.
float typed(const std::string& text) { return evaluateSimple(text); }

std::string digits(Random& random, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>('0' + below(random, 10));
    return text;
}

// 0 to 999 with up to three decimals, as people type them.
float decimal(Random& random) {
    std::string text = std::to_string(below(random, 1000));
    auto decimals = static_cast<int>(below(random, 4));
    if (decimals > 0) {
        text += '.';
        text += digits(random, decimals);
    }
    return typed(text);
}

float withRandomSign(Random& random, float value) { return below(random, 4) == 0 ? -value : value; }

float fromBits(std::uint64_t bits) { return std::bit_cast<float>(static_cast<std::uint32_t>(bits)); }

// A float with a random significand and sign and a biased exponent field
// from low to high.
float withExponentField(Random& random, std::int64_t low, std::int64_t high) {
    auto field = static_cast<std::uint64_t>(between(random, low, high));
    return fromBits((random() & 0x807FFFFF) | (field << 23));
}

std::pair<float, float> calculatorDecimals(Random& random) {
    std::string exponent = below(random, 2) == 0 ? "" : "-";
    exponent += std::to_string(below(random, 10));
    if (below(random, 2) == 0) {
        exponent += '.';
        exponent += digits(random, 2);
    }
    return {withRandomSign(random, decimal(random)), typed(exponent)};
}

std::pair<float, float> halfIntegerExponents(Random& random) {
    auto halves = static_cast<float>(between(random, -24, 24));
    return {withRandomSign(random, decimal(random)), halves * 0.5f};
}

// Small bases to any small power, large ones to the few that stay in range.
std::pair<float, float> integers(Random& random) {
    bool small = below(random, 2) == 0;
    auto base = static_cast<float>(between(random, 0, small ? 100 : 1 << 24));
    auto exponent = static_cast<float>(small ? between(random, -12, 12) : between(random, -4, 4));
    return {withRandomSign(random, base), exponent};
}

// 1 + d·2^-23 (or 1 + d·2^-24 below 1), whose log2 is about 1.44·d·2^-23,
// to exponents that bring the power within about 2^±150.
std::pair<float, float> basesNearOne(Random& random) {
    std::int64_t steps = between(random, 1, 65536) * (below(random, 2) == 0 ? 1 : -1);
    float base = fromBits(static_cast<std::uint64_t>(0x3F800000 + steps));
    std::int64_t target = between(random, -100 << 20, 100 << 20);
    auto exponent = static_cast<float>((target << 23) / steps) * 0x1p-20f;
    return {base, exponent};
}

// Any bits for the base (a quarter of them negative), exponents mostly
// between 2^-27 and 2^24.
std::pair<float, float> wholeRange(Random& random) {
    float base = fromBits(random() & (below(random, 4) == 0 ? 0xFFFFFFFF : 0x7FFFFFFF));
    float exponent = below(random, 8) == 0 ? fromBits(random()) : withExponentField(random, 100, 150);
    return {base, exponent};
}

// y = t / log2(x) for a target t near one of the edges of the float range,
// with log2(x) taken as its exponent plus its significand's fraction (within
// 0.09) in units of 2^-20, so that the powers land around those edges.
std::pair<float, float> nearTheEdges(Random& random) {
    constexpr std::array<std::int64_t, 4> edges = {128, -126, -149, -150};
    std::int64_t target =
        (edges[static_cast<std::size_t>(below(random, 4))] << 20) + between(random, -1 << 20, 1 << 20);
    std::uint64_t baseBits =
        static_cast<std::uint64_t>(between(random, 1, 254)) << 23 | (random() & 0x7FFFFF);
    float base = fromBits(baseBits);
    auto log2Base = (static_cast<std::int64_t>(baseBits) - (std::int64_t{127} << 23)) >> 3;
    if (log2Base == 0) log2Base = 1;
    auto exponent = static_cast<float>((target << 20) / log2Base) * 0x1p-20f;
    return {base, exponent};
}

std::pair<float, float> subnormalBases(Random& random) {
    float base = fromBits(static_cast<std::uint64_t>(between(random, 1, 0x7FFFFF)));
    return {withRandomSign(random, base), withExponentField(random, 110, 128)};
}

}  // namespace

std::string_view powerFamilyName(int family) {
    constexpr std::array<std::string_view, powerFamilyCount> names = {
        "calculator decimals",
        "integer and half-integer exponents",
        "integers",
        "bases near 1",
        "the whole float range",
        "results near overflow, underflow and subnormals",
        "subnormal bases"};
    return names[static_cast<std::size_t>(family)];
}

std::pair<float, float> powerPair(Random& random, int family) {
    switch (family) {
        case 0: return calculatorDecimals(random);
        case 1: return halfIntegerExponents(random);
        case 2: return integers(random);
        case 3: return basesNearOne(random);
        case 4: return wholeRange(random);
        case 5: return nearTheEdges(random);
        default: return subnormalBases(random);
    }
}
