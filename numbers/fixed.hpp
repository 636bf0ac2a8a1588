#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

// Numbers with 160 bits after the point, for the power function's careful
// path: a 192-bit two's complement integer in six 32-bit limbs, least
// significant first, standing for that integer times 2^-160. Integer
// arithmetic gives the same bits on every machine and with every compiler,
// and the compiler can run it, so the constants built from it are exact too.

namespace fixed {

using Number = std::array<std::uint32_t, 6>;

inline constexpr int fractionBits = 160;

constexpr bool isNegative(const Number& a) { return (a[5] >> 31) != 0; }

constexpr Number plus(const Number& a, const Number& b) {
    Number sum{};
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        carry += std::uint64_t{a[i]} + b[i];
        sum[i] = static_cast<std::uint32_t>(carry);
        carry >>= 32;
    }
    return sum;
}

constexpr Number negated(const Number& a) {
    Number inverted{};
    for (std::size_t i = 0; i < a.size(); ++i) inverted[i] = ~a[i];
    return plus(inverted, Number{1});
}

constexpr Number minus(const Number& a, const Number& b) { return plus(a, negated(b)); }

constexpr Number magnitude(const Number& a) { return isNegative(a) ? negated(a) : a; }

// The 32 bits of a from bit position on: below bit 0 they are 0, above bit
// 191 copies of the sign.
constexpr std::uint32_t bitsFrom(const Number& a, int position) {
    auto limb = [&a](int index) -> std::uint64_t {
        if (index < 0) return 0;
        if (index >= 6) return isNegative(a) ? 0xFFFFFFFFu : 0;
        return a[static_cast<std::size_t>(index)];
    };
    int index = position >> 5;
    return static_cast<std::uint32_t>(((limb(index + 1) << 32) | limb(index)) >> (position & 31));
}

// a·2^places for either sign of places; bits that fall off the end are
// dropped, which rounds towards minus infinity.
constexpr Number shifted(const Number& a, int places) {
    Number result{};
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = bitsFrom(a, 32 * static_cast<int>(i) - places);
    return result;
}

// whole·2^exponent, bits below 2^-160 dropped.
constexpr Number from(std::int64_t whole, int exponent = 0) {
    auto bits = static_cast<std::uint64_t>(whole);
    std::uint32_t sign = whole < 0 ? 0xFFFFFFFFu : 0;
    Number integer{
        static_cast<std::uint32_t>(bits), static_cast<std::uint32_t>(bits >> 32), sign, sign, sign, sign};
    return shifted(integer, fractionBits + exponent);
}

// a·b, its magnitude cut after 160 fraction bits.
constexpr Number times(const Number& a, const Number& b) {
    Number x = magnitude(a);
    Number y = magnitude(b);
    std::array<std::uint32_t, 12> full{};
    for (std::size_t i = 0; i < x.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < y.size(); ++j) {
            carry += std::uint64_t{x[i]} * y[j] + full[i + j];
            full[i + j] = static_cast<std::uint32_t>(carry);
            carry >>= 32;
        }
        full[i + y.size()] = static_cast<std::uint32_t>(carry);
    }
    Number product{};
    std::copy(full.begin() + fractionBits / 32, full.begin() + fractionBits / 32 + 6, product.begin());
    return isNegative(a) != isNegative(b) ? negated(product) : product;
}

// a·factor, exact while it fits.
constexpr Number timesWhole(const Number& a, std::uint32_t factor) {
    Number product{};
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        carry += std::uint64_t{a[i]} * factor;
        product[i] = static_cast<std::uint32_t>(carry);
        carry >>= 32;
    }
    return product;
}

// a / divisor, its magnitude rounded down.
constexpr Number dividedBy(const Number& a, std::uint32_t divisor) {
    Number x = magnitude(a);
    Number quotient{};
    std::uint64_t remainder = 0;
    for (std::size_t i = x.size(); i-- > 0;) {
        std::uint64_t current = (remainder << 32) | x[i];
        quotient[i] = static_cast<std::uint32_t>(current / divisor);
        remainder = current % divisor;
    }
    return isNegative(a) ? negated(quotient) : quotient;
}

inline constexpr Number one = from(1);

// ln(numerator / denominator) = 2·atanh(s) = 2·(s + s³/3 + s⁵/5 + ...) with
// s = (q - 1) / (q + 1) for the ratio q. For q in [0.708, 1.416], |s| is at
// most 0.172, each term is below 2^-5 of the one before, and 33 terms leave
// less than 2^-165; for q = 2, s = 1/3 and 53 terms do. The result keeps the
// relative precision of s, which is 2^-134 when q is 1 ± 2^-24.
inline constexpr int termsNearOne = 33;

constexpr Number lnOfRatio(std::int64_t numerator, std::int64_t denominator, int terms) {
    Number s = dividedBy(from(numerator - denominator), static_cast<std::uint32_t>(numerator + denominator));
    Number square = times(s, s);
    Number series{};
    for (int k = terms; k >= 0; --k) {
        series = plus(dividedBy(one, static_cast<std::uint32_t>(2 * k + 1)), times(square, series));
    }
    return timesWhole(times(s, series), 2);
}

inline constexpr Number ln2 = lnOfRatio(2, 1, 53);

// 1 / ln 2 by Newton's iteration r <- r·(2 - r·ln 2), which from r = 1 squares
// the relative error 0.31 at each step: nine steps pass 2^-160.
constexpr Number reciprocalOfLn2() {
    Number r = one;
    for (int step = 0; step < 9; ++step) r = times(r, minus(from(2), times(r, ln2)));
    return r;
}

inline constexpr Number log2e = reciprocalOfLn2();

// e^w for 0 <= w < 2^-8 by its Taylor series in Horner's form,
// 1 + w·(1 + w/2·(1 + w/3·(...))); the terms after w^15/15! add less than 2^-165.
constexpr Number expOfSmall(const Number& w) {
    Number series = one;
    for (std::uint32_t k = 15; k >= 1; --k) series = plus(one, dividedBy(times(w, series), k));
    return series;
}

// 2^f for 0 <= f < 1 as (e^(f·ln 2 / 256))^256: the series converges fast that
// close to 1, and each of the eight squarings only doubles the relative error,
// which ends below 2^-147.
constexpr Number exp2OfFraction(const Number& f) {
    Number power = expOfSmall(shifted(times(f, ln2), -8));
    for (int squaring = 0; squaring < 8; ++squaring) power = times(power, power);
    return power;
}

constexpr double powerOfTwo(int exponent) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(exponent + 1023) << 52);
}

// a rounded once to the nearest double: its leading 64 bits, with a last bit
// set when anything below them is, so that the conversion sees the rest.
constexpr double toDouble(const Number& a) {
    Number x = magnitude(a);
    std::size_t limb = x.size() - 1;
    while (limb > 0 && x[limb] == 0) --limb;
    if (x[limb] == 0) return 0;
    int top = 32 * static_cast<int>(limb) + 31 - std::countl_zero(x[limb]);
    Number aligned = shifted(x, 191 - top);
    std::uint64_t leading = (std::uint64_t{aligned[5]} << 32) | aligned[4];
    bool rest = (aligned[3] | aligned[2] | aligned[1] | aligned[0]) != 0;
    double value = static_cast<double>(leading | (rest ? 1 : 0)) * powerOfTwo(top - 223);
    return isNegative(a) ? -value : value;
}

}  // namespace fixed
