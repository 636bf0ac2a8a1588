// The whole evaluation of a text; built twice, with the trace off and on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/debug.hpp"
#include "common/output.hpp"
#include "evaluation/evaluation.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DEBUG = FUZZ_TRACE;
    // What the evaluation prints is kept in memory and dropped, as the
    // fuzzer looks only for crashes and undefined behaviour.
    std::string printed;
    output::captureInto(&printed);
    evaluateExpression(std::string_view(reinterpret_cast<const char*>(data), size));
    output::captureInto(nullptr);
    return 0;
}
