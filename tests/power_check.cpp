// Holds the power function to MPFR on seeded random pairs of every family, to
// the identities that IEEE arithmetic answers exactly, over the bit patterns
// of all floats or a sample of them, and to the exact powers of the integers
// up to 2^24. It counts the pairs on which the C library's powf misses too.
//
//   power_check [PAIRS] [--all-floats]
//
// PAIRS defaults to 1,000,000; without --all-floats the identities take every
// 4,099th bit pattern. Exit status 1 when any result differs.
#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "harness/power_pairs.hpp"
#include "numbers/power.hpp"
#include "tests/reference/mpfr_power.hpp"

namespace {

// Bit for bit, but any NaN matches any NaN: the calculator makes every NaN the
// same one after the operation.
bool same(float a, float b) {
    if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

std::atomic<int> reported = 0;

void report(const char* what, float x, float y, float actual, float expected) {
    if (++reported <= 20) {
        std::printf("  WRONG %s: %a ^ %a gave %a (%.9g), expected %a (%.9g)\n", what, static_cast<double>(x),
                    static_cast<double>(y), static_cast<double>(actual), static_cast<double>(actual),
                    static_cast<double>(expected), static_cast<double>(expected));
    }
}

struct MpfrCounts {
    std::array<long, powerFamilyCount> checked{}, wrong{}, glibcWrong{};
};

MpfrCounts checkAgainstMpfr(long pairs) {
    std::mt19937_64 random(20261209);
    MpfrCounts counts;
    auto& [checked, wrong, glibcWrong] = counts;
    for (long i = 0; i < pairs; ++i) {
        int family = static_cast<int>(i % powerFamilyCount);
        auto [x, y] = powerPair(random, family);
        float expected = mpfrPower(x, y);
        float actual = power(x, y);
        ++checked[family];
        if (!same(actual, expected)) {
            ++wrong[family];
            report("against MPFR", x, y, actual, expected);
        }
        if (!same(std::pow(x, y), expected)) ++glibcWrong[family];
    }
    return counts;
}

long reportMpfr(const MpfrCounts& counts, long pairs) {
    const auto& [checked, wrong, glibcWrong] = counts;
    long total = 0;
    long glibcTotal = 0;
    std::printf("power against MPFR, %ld seeded random pairs:\n", pairs);
    for (int family = 0; family < powerFamilyCount; ++family) {
        std::printf("  %-48s %9ld pairs, %ld wrong (the C library's powf: %ld)\n",
                    std::string(powerFamilyName(family)).c_str(), checked[family], wrong[family],
                    glibcWrong[family]);
        total += wrong[family];
        glibcTotal += glibcWrong[family];
    }
    std::printf("  all: %ld wrong; the C library's powf: %ld wrong\n", total, glibcTotal);
    return total;
}

// x^2 = x·x, x^0.5 = sqrt(x) for x >= +0, x^1 = x and x^-1 = 1/x, each
// correctly rounded by IEEE arithmetic.
long identityFailures(float x) {
    long failures = 0;
    auto check = [&](const char* what, float y, float actual, float expected) {
        if (same(actual, expected)) return;
        ++failures;
        report(what, x, y, actual, expected);
    };
    check("x^2 = x*x", 2, power(x, 2), x * x);
    if (!std::signbit(x)) check("x^0.5 = sqrt(x)", 0.5f, power(x, 0.5f), std::sqrt(x));
    check("x^1 = x", 1, power(x, 1), x);
    check("x^-1 = 1/x", -1, power(x, -1), 1 / x);
    return failures;
}

long checkIdentities(std::uint64_t stride) {
    unsigned workers = std::max(1u, std::thread::hardware_concurrency());
    std::vector<long> failures(workers);
    std::vector<std::thread> threads;
    for (unsigned worker = 0; worker < workers; ++worker) {
        // Each counts on its own and writes its count once: a count that
        // the threads keep side by side in memory, written at every float,
        // made them wait for each other's caches and took twice as long.
        threads.emplace_back([&, worker] {
            long found = 0;
            for (std::uint64_t bits = worker * stride; bits <= 0xFFFFFFFF; bits += workers * stride) {
                found += identityFailures(std::bit_cast<float>(static_cast<std::uint32_t>(bits)));
            }
            failures[worker] = found;
        });
    }
    long total = 0;
    for (unsigned worker = 0; worker < workers; ++worker) {
        threads[worker].join();
        total += failures[worker];
    }
    return total;
}

long reportIdentities(long failures, std::uint64_t stride) {
    std::printf("identities x^2 = x*x, x^0.5 = sqrt(x), x^1 = x, x^-1 = 1/x over %s: %ld wrong\n",
                stride == 1 ? "every float" : "every 4,099th float bit pattern", failures);
    return failures;
}

// x^n for every integer x from 1 to 2^24 and every n >= 2 for which x^n fits
// 64 bits, against the exact power rounded once by the conversion to float.
long checkIntegerPowers() {
    long checked = 0;
    long wrong = 0;
    for (std::uint64_t x = 1; x <= (1u << 24); ++x) {
        std::uint64_t exact = x;
        for (int n = 2; n <= 64 && exact <= UINT64_MAX / x; ++n) {
            exact *= x;
            float expected = static_cast<float>(exact);
            float actual = power(static_cast<float>(x), static_cast<float>(n));
            ++checked;
            if (!same(actual, expected)) {
                ++wrong;
                report("exact integer power", static_cast<float>(x), static_cast<float>(n), actual, expected);
            }
        }
    }
    std::printf(
        "exact integer powers x^n, x from 1 to 2^24, n from 2 while x^n < 2^64: %ld powers, %ld wrong\n",
        checked, wrong);
    return wrong;
}

}  // namespace

int main(int argc, char** argv) {
    long pairs = 1000000;
    bool allFloats = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--all-floats") == 0) {
            allFloats = true;
        } else {
            pairs = std::atol(argv[i]);
        }
    }
    // MPFR draws its pairs in order on one core while the identities take
    // every core; each reports in turn once both are done.
    MpfrCounts counts;
    std::thread mpfr([&] { counts = checkAgainstMpfr(pairs); });
    std::uint64_t stride = allFloats ? 1 : 4099;
    long identities = checkIdentities(stride);
    mpfr.join();
    long failures = reportMpfr(counts, pairs);
    failures += reportIdentities(identities, stride);
    failures += checkIntegerPowers();
    return failures == 0 ? 0 : 1;
}
