#pragma once

// The reference evaluator's powers: MPFR's where MPFR is installed, so that
// the differential test compares two independent computations; elsewhere (the
// cross and Windows builds) the calculator's own, which the power digest holds
// to the results that MPFR checked on amd64.
float referencePower(float base, float exponent);
