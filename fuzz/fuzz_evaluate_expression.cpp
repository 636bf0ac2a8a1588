// The whole evaluation of a text; built twice, with the trace off and on.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/debug.hpp"
#include "evaluation/evaluation.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DEBUG = FUZZ_TRACE;
    evaluateExpression(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
