#include "tests/reference/mpfr_power.hpp"
#include "tests/reference/reference_power.hpp"

float referencePower(float base, float exponent) { return mpfrPower(base, exponent); }
