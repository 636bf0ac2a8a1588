#pragma once

// base ^ exponent as the exact real power rounded once to the nearest float,
// ties to even, like every other operation of the calculator. The special
// cases (zeros, infinities, NaNs, a negative base) are those of C's powf.
float power(float base, float exponent);
