#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

#include "common/output.hpp"
#include "evaluation/evaluation.hpp"
#include "evaluation/trace.hpp"

namespace {

// The value goes back into the text as digits that the flat evaluator reads
// back to the same float. "%.10g" does that for zero and for magnitudes from
// 1e-4 to below 1e10; elsewhere it writes an exponent, whose letters and sign
// the scanner would misread, so those values are written out positionally in
// the shortest form that reads back exactly.
std::string formatGroupValue(float value) {
    char buffer[64];
    int length = std::snprintf(buffer, sizeof buffer, "%.10g", static_cast<double>(value));
    std::string_view text(buffer, static_cast<std::size_t>(length));
    if (text.find('e') == std::string_view::npos) {
        return std::string(text);
    }
    auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr;
    return std::string(buffer, end);
}

// An infinite or NaN group has no digits that could stand in the text; it is
// reported and counts as 0 so the rest of the expression still evaluates.
std::string groupValueText(float value) {
    if (std::isfinite(value)) {
        return formatGroupValue(value);
    }
    println("\n❌ VIRHE: Sulkeiden arvo ei ole äärellinen luku: {}", value);
    return "0";
}

}  // namespace

// The last ( and the first ) after it always enclose a group without
// parentheses, so each pass evaluates one innermost group and splices its value
// into the text in place of the group.
float evaluateExpression(std::string_view text) {
    std::string work(text);
    traceResolverStart(text);
    long long pass = 0;
    for (auto open = work.rfind('('); open != std::string::npos; open = work.rfind('(')) {
        tracePass(++pass);
        auto close = work.find(')', open);
        tracePositions(open, close);
        if (close == std::string::npos) {
            println("\n❌ VIRHE: Sulkeet eivät täsmää! Avaussulkua {} kohdalla ei löydy vastaavaa sulkea.",
                    static_cast<long long>(open));
            return 0;
        }
        auto contents = std::string_view(work).substr(open + 1, close - open - 1);
        traceGroupContents(contents);
        float value = evaluateSimple(contents);
        traceGroupValue(value);
        work = work.substr(0, open) + groupValueText(value) + work.substr(close + 1);
        traceRewrite(work);
    }
    traceFinalText(work);
    return evaluateSimple(work);
}
