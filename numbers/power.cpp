#include "numbers/power.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "numbers/fixed.hpp"
#include "numbers/power_tables.hpp"

// How x^y becomes the nearest float. For x > 0 the power is 2^t with
// t = y·log2(x), and three paths compute it, each only when the one before
// cannot decide:
//
// - The quick path computes log2(x) and 2^t in double precision from two
//   tables and short polynomials, within 2^-38.2 of the power for results
//   from 2^-125 to 2^129. A double r within e of the power can round to
//   another float than the power only if it lies within e of a midpoint
//   between two floats; the path checks that on r's bits and otherwise
//   rounds r, which settles more than 99.9 % of all powers.
// - The precise path does the same with longer polynomials, within 2^-43, for
//   every result, subnormal ones included.
// - Within 2^-39 of a midpoint the power may lie on it exactly: then x^y is
//   a dyadic rational, which the exact path recognises and rounds by integer
//   arithmetic. Otherwise the careful path computes 2^t again with 160-bit
//   fixed-point numbers, to within 2^-120, and rounds that. With only 2^64
//   pairs of floats, a power that is not a dyadic rational should come no
//   closer to a midpoint than about 2^-90 of its value.
//
// The error bounds hold however the compiler orders, fuses or widens the
// double operations (x87 keeps them in 80 bits), so the result, the float
// nearest to the power, is the same everywhere.

namespace {

constexpr float infinity = std::numeric_limits<float>::infinity();

// The one NaN the function returns: arithmetic on a NaN gives a NaN whose sign
// and payload depend on the processor.
constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();

// ---------------------------------------------------------------------------
// The split of the base, and the tables and polynomials of the double paths.
//
// log2(x) = e + log2(m) with m in [0.708, 1.416). The bit patterns of that
// range fall into 256 intervals of 2^15 patterns each; the origin puts 1.0
// exactly in the middle of interval 149, so every m close to 1 is reduced by
// nothing and keeps all its digits.

constexpr std::uint32_t intervalOrigin = 0x3F354000;
constexpr int intervalBits = 15;
constexpr std::size_t intervalCount = 256;

// c = C / 2^16 is 1 / (the middle of the interval) to 17 bits (exactly 1 for
// interval 149): for every m of the interval, m·c is exact in a double and
// z = m·c - 1 is within 2^-8.99 of 0. scripts/power-tables computes C the
// same way for the table of log2(1/c).
constexpr std::int64_t reciprocalNumerator(std::size_t interval) {
    std::uint32_t middle =
        intervalOrigin + static_cast<std::uint32_t>(interval << intervalBits) + (1u << (intervalBits - 1));
    std::int64_t significand = (middle & 0x7FFFFF) | 0x800000;
    int exponent = static_cast<int>(middle >> 23) - 150;
    return ((std::int64_t{1} << (16 - exponent)) + significand / 2) / significand;
}

constexpr std::array<double, intervalCount> reciprocals = [] {
    std::array<double, intervalCount> table{};
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<double>(reciprocalNumerator(i)) / 65536;
    return table;
}();

// log2(1 + z) = log2(e)·(z - z²/2 + z³/3 - ...).
constexpr std::array<double, 6> log2Coefficients = [] {
    std::array<double, 6> coefficients{};
    for (std::size_t k = 1; k <= coefficients.size(); ++k) {
        double coefficient = fixed::toDouble(fixed::dividedBy(fixed::log2e, static_cast<std::uint32_t>(k)));
        coefficients[k - 1] = k % 2 == 1 ? coefficient : -coefficient;
    }
    return coefficients;
}();

// 2^(r/128) = Σ (r·ln 2 / 128)^k / k!.
constexpr std::array<double, 5> exp2Coefficients = [] {
    std::array<double, 5> coefficients{};
    fixed::Number term = fixed::one;
    for (std::size_t k = 1; k <= coefficients.size(); ++k) {
        term = fixed::dividedBy(fixed::times(term, fixed::shifted(fixed::ln2, -7)),
                                static_cast<std::uint32_t>(k));
        coefficients[k - 1] = fixed::toDouble(term);
    }
    return coefficients;
}();

// The polynomials in Estrin's form: the powers of z are computed alongside the
// sums, which shortens the chain of operations that wait for each other. For
// |z| < 2^-8.99 and |r| <= 1/2 the terms left out are below 2^-56.7 and
// 2^-60.7 of the sums in the precise path, 2^-47.5 and 2^-38.7 in the quick
// one.
double log2OfOnePlus(double z) {
    const auto& a = log2Coefficients;
    double square = z * z;
    return (z * a[0] + square * a[1]) + (square * z) * ((a[2] + z * a[3]) + square * (a[4] + z * a[5]));
}

double exp2OfSmall(double r) {
    const auto& b = exp2Coefficients;
    double square = r * r;
    return (1 + r * b[0]) + square * ((b[1] + r * b[2]) + square * (b[3] + r * b[4]));
}

double quickLog2OfOnePlus(double z) {
    const auto& a = log2Coefficients;
    double square = z * z;
    return (z * a[0] + square * a[1]) + (square * z) * (a[2] + z * a[3] + square * a[4]);
}

double quickExp2OfSmall(double r) {
    const auto& b = exp2Coefficients;
    return (1 + r * b[0]) + (r * r) * (b[1] + r * b[2]);
}

// ---------------------------------------------------------------------------
// Taking floats apart.

// The bits of a positive finite x as a normal float, and the power of two
// taken out of a subnormal x to make it one.
std::pair<std::uint32_t, int> normalBits(float x) {
    auto bits = std::bit_cast<std::uint32_t>(x);
    if (bits >= 0x00800000) return {bits, 0};
    int shift = std::countl_zero(bits) - 8;
    return {bits << shift, -shift};
}

// x = 2^e·m, m in [0.708, 1.416): e and the bits of m.
std::pair<int, std::uint32_t> splitBase(float x) {
    auto [bits, extra] = normalBits(x);
    int exponent = static_cast<std::int32_t>(bits - intervalOrigin) >> 23;
    return {exponent + extra, bits - (static_cast<std::uint32_t>(exponent) << 23)};
}

std::size_t intervalOf(std::uint32_t mBits) { return (mBits - intervalOrigin) >> intervalBits; }

// |value| = odd·2^exponent with odd an odd integer, for a finite value other
// than 0.
std::pair<std::uint32_t, int> oddTimesPowerOfTwo(float value) {
    auto bits = std::bit_cast<std::uint32_t>(value) & 0x7FFFFFFF;
    std::uint32_t field = bits >> 23;
    std::uint32_t significand = bits & 0x7FFFFF;
    int exponent = -149;
    if (field != 0) {
        significand |= 0x800000;
        exponent = static_cast<int>(field) - 150;
    }
    int zeros = std::countr_zero(significand);
    return {significand >> zeros, exponent + zeros};
}

// For a finite value other than 0.
bool isInteger(float value) { return oddTimesPowerOfTwo(value).second >= 0; }

bool isOddInteger(float value) {
    return value != 0 && std::isfinite(value) && oddTimesPowerOfTwo(value).second == 0;
}

bool isFiniteAndNotZero(float value) {
    return (std::bit_cast<std::uint32_t>(value) & 0x7FFFFFFF) - 1 < 0x7F7FFFFF;
}

// ---------------------------------------------------------------------------
// The exact path.

std::uint32_t squareRoot(std::uint32_t n) {
    std::uint32_t root = 0;
    for (std::uint32_t bit = 1u << 12; bit != 0; bit >>= 1) {
        if ((root + bit) * (root + bit) <= n) root += bit;
    }
    return root;
}

// odd·2^exponent, odd below 2^25, rounded once to the nearest float: the
// double holds it exactly and the conversion rounds.
float roundedOnce(std::uint64_t odd, std::int64_t exponent) {
    if (exponent > 128) return infinity;
    if (exponent < -180) return 0;
    return static_cast<float>(static_cast<double>(odd) * fixed::powerOfTwo(static_cast<int>(exponent)));
}

// x^y for x > 0 when it is a float or the midpoint between two. Both have a
// finite binary expansion, with an odd part below 2^25. With x = a·2^e and
// y = b / 2^k (a and b odd), x^y has one only if a is a perfect 2^k-th power
// and 2^k divides e; and then, with the root s·2^d, (s·2^d)^b has one only if
// b > 0 or s = 1. Anything else has none.
std::optional<float> exactPower(float x, float y) {
    auto [odd, exponent] = oddTimesPowerOfTwo(x);
    auto [yOdd, yExponent] = oddTimesPowerOfTwo(y);
    for (; yExponent < 0; ++yExponent) {
        std::uint32_t root = squareRoot(odd);
        if (root * root != odd || exponent % 2 != 0) return std::nullopt;
        odd = root;
        exponent /= 2;
    }
    std::int64_t sign = y < 0 ? -1 : 1;
    if (odd == 1) {
        // Beyond 2^20 the power of two is far outside the float range anyway.
        std::int64_t whole = std::int64_t{yOdd} << std::min(yExponent, 20);
        return roundedOnce(1, exponent * whole * sign);
    }
    // odd >= 3, so odd^16 is already beyond 2^25.
    if (sign < 0 || yExponent > 4) return std::nullopt;
    std::uint64_t whole = std::uint64_t{yOdd} << yExponent;
    std::uint64_t value = 1;
    for (std::uint64_t factor = 0; factor < whole; ++factor) {
        value *= odd;
        if (value >= (1u << 25)) return std::nullopt;
    }
    return roundedOnce(value, exponent * static_cast<std::int64_t>(whole));
}

// ---------------------------------------------------------------------------
// The careful path.

// 2^t rounded once to the nearest float, for -152 < t < 130.
float roundedPowerOfTwo(fixed::Number t) {
    auto whole = static_cast<std::int32_t>(t[5]);
    t[5] = 0;
    fixed::Number mantissa = fixed::exp2OfFraction(t);
    if (mantissa[5] >= 2) {
        mantissa = fixed::shifted(mantissa, -1);
        ++whole;
    }
    if (whole >= 128) return infinity;
    if (whole < -150) return 0;
    // Bits of the mantissa below the float's last: 23 are kept of a normal
    // float, fewer of a subnormal one, whose last bit is 2^-149.
    int dropped = fixed::fractionBits - 23 + std::max(0, -126 - whole);
    fixed::Number keptAndRoundBit = fixed::shifted(mantissa, 1 - dropped);
    bool sticky = fixed::shifted(keptAndRoundBit, dropped - 1) != mantissa;
    std::uint32_t bits = keptAndRoundBit[0] >> 1;
    bool roundUp = (keptAndRoundBit[0] & 1) != 0 && (sticky || (bits & 1) != 0);
    if (whole >= -126) bits += static_cast<std::uint32_t>(whole + 126) << 23;
    return std::bit_cast<float>(bits + (roundUp ? 1 : 0));
}

float carefulPower(float x, float y) {
    auto [exponent, mBits] = splitBase(x);
    std::int64_t significand = (mBits & 0x7FFFFF) | 0x800000;
    std::int64_t unit = std::int64_t{1} << ((mBits >> 23) == 126 ? 24 : 23);
    fixed::Number log2m =
        fixed::times(fixed::lnOfRatio(significand, unit, fixed::termsNearOne), fixed::log2e);
    fixed::Number log2x = fixed::plus(fixed::from(exponent), log2m);
    // t = log2(x)·b·2^k with y = b·2^k; the shift comes first when it is to
    // the right, so that no intermediate value outgrows |t|.
    auto [yOdd, yExponent] = oddTimesPowerOfTwo(y);
    fixed::Number t = yExponent >= 0 ? fixed::shifted(fixed::timesWhole(log2x, yOdd), yExponent)
                                     : fixed::timesWhole(fixed::shifted(log2x, yExponent), yOdd);
    return roundedPowerOfTwo(y < 0 ? fixed::negated(t) : t);
}

float slowPower(float x, float y) {
    if (auto exact = exactPower(x, y)) return *exact;
    return carefulPower(x, y);
}

// ---------------------------------------------------------------------------
// The double paths.

// 2^(t/128) = 2^(n/128)·2^(r/128) with whole n and |r| <= 1/2: 2^(n/128) from
// the table, its power of two added straight to the exponent bits, and r.
// n comes from the stored bits of the rounded sum t + 1.5·2^52, and r from n
// itself: where the sum is computed in more precision first (x87), the
// compiler may take that value for the sum again, but n stays what was
// stored. r is exact.
constexpr double roundingShift = 0x1.8p52;  // rounds any double below 2^51 to a whole number

std::uint64_t roundedBits(double t) { return std::bit_cast<std::uint64_t>(t + roundingShift); }

std::pair<double, double> splitExponent(double t, std::uint64_t rounded) {
    auto n = static_cast<std::int32_t>(static_cast<std::uint32_t>(rounded));
    double r = t - n;
    auto fraction = std::bit_cast<std::uint64_t>(twoToTheFractions[static_cast<std::size_t>(n & 127)]);
    auto scale = std::bit_cast<double>(fraction + (static_cast<std::uint64_t>(n >> 7) << 52));
    return {scale, r};
}

// Whether a double within tolerance units of its last bit of x^y, and at
// least 2^-126, could round to another float than x^y: only when it lies that
// close to a midpoint between two floats, where the 29 bits of a double's
// significand below the float's last bit are 1 followed by zeros. A relative
// error e is at most e·2^53 such units.
bool nearMidpoint(double result, std::uint64_t tolerance) {
    auto bits = std::bit_cast<std::uint64_t>(result);
    return ((bits - 0x10000000 + tolerance) & 0x1FFFFFFF) <= 2 * tolerance;
}

// x^y for finite x > 0 and finite y other than 0, within 2^-43 before the
// last rounding: 2^-50.2 of |t| <= 151 from log2(x) and the product, 2^-50.5
// from 2^t; it decides wherever the power is 2^-39 away from a midpoint.
float precisePower(float x, float y) {
    auto [exponent, mBits] = splitBase(x);
    std::size_t interval = intervalOf(mBits);
    double z = static_cast<double>(std::bit_cast<float>(mBits)) * reciprocals[interval] - 1;  // exact
    double t = static_cast<double>(y) * 128 * (exponent + log2OfReciprocals[interval] + log2OfOnePlus(z));
    if (t >= 129 * 128) return infinity;
    if (t <= -151 * 128) return 0;
    auto [scale, r] = splitExponent(t, roundedBits(t));
    double result = scale * exp2OfSmall(r);
    if (result >= 0x1p-126) {
        return nearMidpoint(result, 1 << 14) ? slowPower(x, y) : static_cast<float>(result);
    }
    // Below 2^-126 the float's last bit is 2^-149: round both ends of the
    // interval that holds the power.
    constexpr double relativeError = 0x1p-40;
    auto below = static_cast<float>(result * (1 - relativeError));
    auto above = static_cast<float>(result * (1 + relativeError));
    return below == above ? below : slowPower(x, y);
}

// x^y for normal x > 0 and finite y other than 0, whose power lies from 2^-125
// to 2^129, within 2^-38.2: 2^-47.2 of |t| <= 151 from log2(x) and the
// product, 2^-38.7 from 2^t; it decides wherever the power is 2^-37 away from
// a midpoint.
float quickPower(float x, float y) {
    auto xBits = std::bit_cast<std::uint32_t>(x);
    auto offset = static_cast<std::int32_t>(xBits - intervalOrigin);
    int exponent = offset >> 23;
    auto interval = static_cast<std::size_t>((offset >> intervalBits) & 255);
    // splitBase, unrolled for the one case here, a normal x, and with m as a
    // double straight from its bits: the float's exponent field moves up to
    // the double's and is biased anew. This path is the one nearly every power
    // takes.
    auto mBits = static_cast<std::uint64_t>(xBits - (static_cast<std::uint32_t>(exponent) << 23));
    auto m = std::bit_cast<double>((mBits << 29) + (std::uint64_t{1023 - 127} << 52));
    double z = m * reciprocals[interval] - 1;  // exact
    double t =
        static_cast<double>(y) * 128 * (exponent + log2OfReciprocals[interval] + quickLog2OfOnePlus(z));
    // Powers from 2^-125 to 2^129 have n from -16000 to 16512, and only they
    // put the rounded sum's bits in that one short range: beyond 2^51, where
    // the sum no longer rounds, no t does.
    auto rounded = roundedBits(t);
    if (rounded - (std::bit_cast<std::uint64_t>(roundingShift) - 16000) > 32512) {
        if (t >= 129 * 128) return infinity;
        return t <= -151 * 128 ? 0 : precisePower(x, y);
    }
    auto [scale, r] = splitExponent(t, rounded);
    double result = scale * quickExp2OfSmall(r);
    return nearMidpoint(result, 1 << 16) ? precisePower(x, y) : static_cast<float>(result);
}

// ---------------------------------------------------------------------------
// The rest of C's rules.

// A base or an exponent that is 0, infinite or not a number.
float ruledPower(float base, float exponent) {
    if (exponent == 0 || base == 1) return 1;
    if (std::isnan(base) || std::isnan(exponent)) return notANumber;
    float size = std::fabs(base);
    if (std::isinf(exponent)) {
        if (size == 1) return 1;
        return (size < 1) == (exponent < 0) ? infinity : 0;
    }
    // The base is ±0 or ±infinity.
    float result = (size == 0) == (exponent < 0) ? infinity : 0;
    return std::signbit(base) && isOddInteger(exponent) ? -result : result;
}

// Every power but that of a normal positive base to a finite exponent other
// than 0: the ruled cases, subnormal bases and negative ones.
float otherPower(float base, float exponent) {
    if (!isFiniteAndNotZero(base) || !isFiniteAndNotZero(exponent)) return ruledPower(base, exponent);
    if (base > 0) return precisePower(base, exponent);
    if (!isInteger(exponent)) return notANumber;
    float size = precisePower(-base, exponent);
    return isOddInteger(exponent) ? -size : size;
}

}  // namespace

float power(float base, float exponent) {
    bool normalPositiveBase = std::bit_cast<std::uint32_t>(base) - 0x00800000 < 0x7F000000;
    if (normalPositiveBase && isFiniteAndNotZero(exponent)) return quickPower(base, exponent);
    return otherPower(base, exponent);
}
