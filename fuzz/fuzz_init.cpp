#include <cstdio>

// Everything the evaluation prints is discarded while fuzzing.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::freopen("/dev/null", "w", stdout);
    return 0;
}
