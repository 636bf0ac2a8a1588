// The flat evaluator alone, on texts that may still hold parentheses.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/debug.hpp"
#include "common/output.hpp"
#include "evaluation/evaluation.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DEBUG = size > 0 && data[0] == '#';  // both modes, chosen by the input itself
    // What the evaluation prints is kept in memory and dropped, as the
    // fuzzer looks only for crashes and undefined behaviour.
    std::string printed;
    output::captureInto(&printed);
    evaluateSimple(std::string_view(reinterpret_cast<const char*>(data), size));
    output::captureInto(nullptr);
    return 0;
}
