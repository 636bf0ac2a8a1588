#pragma once

// base ^ exponent as MPFR computes it, rounded to nearest with the exponent
// range and subnormals of single precision: the exact power rounded once,
// with the special cases of C's powf.
float mpfrPower(float base, float exponent);
