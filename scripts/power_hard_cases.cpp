// Searches for the pairs of floats whose exact power lies closest to a
// midpoint between two floats, where the power function's rarely taken paths
// decide; scripts/power-hard-cases builds and runs it. Three regions:
//
// - normal: results from 2^-126 up, where the quick and precise paths hand a
//   power within 2^-37 and 2^-39 of a midpoint to the exact and careful paths;
// - subnormal: results below 2^-126, whose midpoints lie 2^-149 apart and
//   where the precise path brackets the power within 2^-40;
// - zero: results just above 2^-150, the midpoint between 0 and 2^-149,
//   which round to 2^-149.
//
// Candidates come from long double powers (within 2^-63), the closest are
// checked with MPFR at 320 bits, and exact midpoints are left out: the exact
// path recognises those. Prints C++ rows {base, exponent, expected} with the
// distance of the power from the midpoint, relative to the power.
#include <mpfr.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/reference/mpfr_power.hpp"

namespace {

struct Candidate {
    float base;
    float exponent;
    long double distance;  // relative, from the long double power
};

// The last bit of a float near p: 2^(e-24) for a normal p = m·2^e, m in
// [1/2, 1), and 2^-149 for every subnormal one.
int lastBitExponent(int e) { return std::max(e - 24, -149); }

long double midpointDistance(long double p) {
    int e = 0;
    std::frexp(p, &e);
    int last = lastBitExponent(e);
    long double units = std::ldexp(p, -last);
    long double fromMidpoint = std::fabs(units - (std::floor(units) + 0.5L));
    return std::ldexp(fromMidpoint, last) / p;
}

// The same at 320 bits: the relative distance's binary logarithm, or nothing
// for a power that is a midpoint exactly.
bool exactDistance(float base, float exponent, double& log2Distance) {
    mpfr_exp_t savedMin = mpfr_get_emin();
    mpfr_exp_t savedMax = mpfr_get_emax();
    mpfr_set_emin(mpfr_get_emin_min());
    mpfr_set_emax(mpfr_get_emax_max());
    mpfr_t x, y, p, units, whole;
    mpfr_inits2(320, x, y, p, units, whole, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_flt(x, base, MPFR_RNDN);
    mpfr_set_flt(y, exponent, MPFR_RNDN);
    mpfr_pow(p, x, y, MPFR_RNDN);
    int last = lastBitExponent(static_cast<int>(mpfr_get_exp(p)));
    mpfr_mul_2si(units, p, -last, MPFR_RNDN);
    mpfr_floor(whole, units);
    mpfr_sub(units, units, whole, MPFR_RNDN);
    mpfr_sub_d(units, units, 0.5, MPFR_RNDN);
    bool onMidpoint = mpfr_zero_p(units) != 0;
    if (!onMidpoint) {
        mpfr_abs(units, units, MPFR_RNDN);
        mpfr_mul_2si(units, units, last, MPFR_RNDN);
        mpfr_div(units, units, p, MPFR_RNDN);
        mpfr_log2(units, units, MPFR_RNDN);
        log2Distance = mpfr_get_d(units, MPFR_RNDN);
    }
    mpfr_clears(x, y, p, units, whole, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_emin(savedMin);
    mpfr_set_emax(savedMax);
    return !onMidpoint;
}

// Keeps the closest candidates, checks them with MPFR and prints the best.
void printClosest(const char* region, std::vector<Candidate> candidates, std::size_t count) {
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate& a, const Candidate& b) { return a.distance < b.distance; });
    std::printf("        // %s\n", region);
    std::size_t printed = 0;
    for (const auto& candidate : candidates) {
        double log2Distance = 0;
        if (!exactDistance(candidate.base, candidate.exponent, log2Distance)) continue;
        float expected = mpfrPower(candidate.base, candidate.exponent);
        std::printf("        {%af, %af, %af},  // 2^%.1f from a midpoint\n",
                    static_cast<double>(candidate.base), static_cast<double>(candidate.exponent),
                    static_cast<double>(expected), log2Distance);
        if (++printed == count) break;
    }
}

float randomFloat(std::mt19937_64& random, float low, float high) {
    return std::uniform_real_distribution<float>(low, high)(random);
}

// Pairs whose power lies between 2^low and 2^high: a base, a target t, and
// the exponent t / log2(base) as a float.
std::vector<Candidate> searchByTarget(std::uint64_t pairs, double low, double high, long double threshold,
                                      std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::vector<Candidate> found;
    for (std::uint64_t i = 0; i < pairs; ++i) {
        float base = std::ldexp(randomFloat(random, 1, 2), static_cast<int>(random() % 40) - 20);
        if (base == 1) continue;
        double t = std::uniform_real_distribution<double>(low, high)(random);
        auto exponent = static_cast<float>(t / std::log2(static_cast<double>(base)));
        long double p = std::pow(static_cast<long double>(base), static_cast<long double>(exponent));
        if (p < std::ldexp(1.0L, -149) || p >= std::ldexp(1.0L, 128)) continue;
        long double distance = midpointDistance(p);
        if (distance < threshold) found.push_back({base, exponent, distance});
    }
    return found;
}

// Every base of the given binades, with the exponents that put y·log2(x)
// just above -150.
std::vector<Candidate> searchAboveHalfTheSmallest(int binades, long double threshold) {
    std::vector<Candidate> found;
    for (int binade = 1; binade <= binades; ++binade) {
        auto first = std::bit_cast<std::uint32_t>(std::ldexp(1.0f, -binade));
        for (std::uint32_t bits = first; bits < first + (1u << 23); ++bits) {
            auto base = std::bit_cast<float>(bits);
            long double log2Base = std::log2(static_cast<long double>(base));
            auto nearest = static_cast<float>(-150 / log2Base);
            for (float exponent : {std::nextafter(nearest, 0.0f), nearest, std::nextafter(nearest, 1e30f)}) {
                long double above = exponent * log2Base + 150;
                if (above > 0 && above < threshold) found.push_back({base, exponent, above});
            }
        }
    }
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    std::uint64_t pairs = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000000;
    int perRegion = argc > 2 ? std::atoi(argv[2]) : 12;
    printClosest("normal results: the precise path's tolerance, the exact and careful paths",
                 searchByTarget(pairs, -126, 128, std::ldexp(1.0L, -40), 1), perRegion);
    printClosest("subnormal results: the precise path's bracket, the careful path's last bits",
                 searchByTarget(pairs / 4, -149, -126, std::ldexp(1.0L, -36), 2), perRegion);
    printClosest("just above 2^-150, halfway between 0 and 2^-149: the careful path's cut",
                 searchAboveHalfTheSmallest(8, std::ldexp(1.0L, -30)), perRegion);
}
