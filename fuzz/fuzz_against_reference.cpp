// The evaluator against the literal reference, with the trace off and on: any
// difference in value or in a printed byte is a failure.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/debug.hpp"
#include "tests/reference/compare.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    for (bool trace : {false, true}) {
        DEBUG = trace;
        std::string difference = differenceFromReference(text);
        if (!difference.empty()) {
            std::fprintf(stderr, "%s differs from the reference:\n%s",
                         trace ? "with the trace" : "without the trace", difference.c_str());
            std::abort();
        }
    }
    return 0;
}
