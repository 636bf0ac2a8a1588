#include "tests/reference/mpfr_power.hpp"

#include <mpfr.h>

namespace {

// MPFR writes a number as m·2^e with 1/2 <= m < 1, so single precision's
// normal range [2^-126, 2^128) is e from -125 to 128, and its smallest
// subnormal, 2^-149, has e = -148.
struct SinglePrecision {
    mpfr_t base, exponent, power;
    SinglePrecision() {
        mpfr_set_emin(-148);
        mpfr_set_emax(128);
        mpfr_inits2(24, base, exponent, power, static_cast<mpfr_ptr>(nullptr));
    }
    // A thread's own caches of MPFR's constants go with the thread.
    ~SinglePrecision() {
        mpfr_clears(base, exponent, power, static_cast<mpfr_ptr>(nullptr));
        mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE);
    }
    SinglePrecision(const SinglePrecision&) = delete;
    SinglePrecision& operator=(const SinglePrecision&) = delete;
};

}  // namespace

float mpfrPower(float base, float exponent) {
    // One set a thread: the power check asks from every core.
    static thread_local SinglePrecision numbers;
    mpfr_set_flt(numbers.base, base, MPFR_RNDN);
    mpfr_set_flt(numbers.exponent, exponent, MPFR_RNDN);
    int rounding = mpfr_pow(numbers.power, numbers.base, numbers.exponent, MPFR_RNDN);
    rounding = mpfr_check_range(numbers.power, rounding, MPFR_RNDN);
    mpfr_subnormalize(numbers.power, rounding, MPFR_RNDN);
    return mpfr_get_flt(numbers.power, MPFR_RNDN);
}
