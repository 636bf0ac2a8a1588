#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "common/output.hpp"
#include "evaluation/evaluation.hpp"
#include "evaluation/trace.hpp"

namespace {

// Room for the longest value text: the positional form of the smallest
// negative float, -0.000…001, takes 48 bytes.
using ValueBuffer = char[64];

// The value goes back into the text as digits that the flat evaluator reads
// back to the same float: those of printf's "%.10g" (which to_chars with
// precision 10 gives byte for byte, many times faster) for zero and for
// magnitudes from 1e-4 to below 1e10. Elsewhere that form has an exponent,
// whose letters and sign the scanner would misread, so those values are written
// out positionally in the shortest form that reads back exactly.
std::string_view formatGroupValue(float value, ValueBuffer& buffer) {
    auto end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                             std::chars_format::general, 10)
                   .ptr;
    if (std::find(buffer, end, 'e') != end) {
        end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr;
    }
    return {buffer, end};
}

// An infinite or NaN group has no digits that could stand in the text; it is
// reported and counts as 0 so the rest of the expression still evaluates.
std::string_view groupValueText(float value, ValueBuffer& buffer) {
    if (std::isfinite(value)) {
        return formatGroupValue(value, buffer);
    }
    println("\n❌ VIRHE: Sulkeiden arvo ei ole äärellinen luku: {}", value);
    return "0";
}

// The working text lives in one buffer as work[0, prefixEnd) followed by
// work[suffixStart, end), with unused bytes between. A pass never changes the
// text before its (, and the text after its ) holds no ( at all, so each pass
// moves what lies after its ( to the rewritten side once, writes the group's
// value right-aligned over the group, and leaves the prefix untouched. Every
// byte is then moved and scanned a bounded number of times, however many
// groups there are.

std::size_t lastOpen(const std::string& work, std::size_t prefixEnd) {
    return std::string_view(work).substr(0, prefixEnd).rfind('(');
}

// Moves work[open, prefixEnd) to just before suffixStart; returns the new
// suffixStart, where the ( now stands.
std::size_t moveToSuffix(std::string& work, std::size_t open, std::size_t prefixEnd,
                         std::size_t suffixStart) {
    std::copy_backward(work.begin() + static_cast<std::ptrdiff_t>(open),
                       work.begin() + static_cast<std::ptrdiff_t>(prefixEnd),
                       work.begin() + static_cast<std::ptrdiff_t>(suffixStart));
    return suffixStart - (prefixEnd - open);
}

// Writes value so that it ends where the group ended; returns its start. When
// the gap before it is too small, the gap grows by at least the length of the
// rewritten side, so that growing stays rare.
std::size_t writeGroupValue(std::string& work, std::size_t prefixEnd, std::size_t groupEnd,
                            std::string_view value) {
    if (groupEnd - prefixEnd < value.size()) {
        std::size_t growth = value.size() + (work.size() - prefixEnd);
        work.insert(prefixEnd, growth, ' ');
        groupEnd += growth;
    }
    std::size_t start = groupEnd - value.size();
    std::copy(value.begin(), value.end(), work.begin() + static_cast<std::ptrdiff_t>(start));
    return start;
}

// The last ( and the first ) after it always enclose a group without
// parentheses, so each pass evaluates one innermost group and writes its value
// into the text in place of the group. Returns false, after the message, when
// a ( has no ) after it.
bool resolveGroups(std::string& work) {
    std::size_t prefixEnd = work.size();
    std::size_t suffixStart = work.size();
    long long pass = 0;
    for (auto open = lastOpen(work, prefixEnd); open != std::string::npos; open = lastOpen(work, prefixEnd)) {
        tracePass(++pass);
        suffixStart = moveToSuffix(work, open, prefixEnd, suffixStart);
        prefixEnd = open;
        auto close = work.find(')', suffixStart);
        tracePositions(open, close == std::string::npos ? close : open + (close - suffixStart));
        if (close == std::string::npos) {
            println("\n❌ VIRHE: Sulkeet eivät täsmää! Avaussulkua {} kohdalla ei löydy vastaavaa sulkea.",
                    static_cast<long long>(open));
            return false;
        }
        auto contents = std::string_view(work).substr(suffixStart + 1, close - suffixStart - 1);
        traceGroupContents(contents);
        float value = evaluateSimple(contents);
        traceGroupValue(value);
        ValueBuffer buffer;
        suffixStart = writeGroupValue(work, prefixEnd, close + 1, groupValueText(value, buffer));
        traceRewrite(std::string_view(work).substr(0, prefixEnd), std::string_view(work).substr(suffixStart));
    }
    work.erase(prefixEnd, suffixStart - prefixEnd);
    return true;
}

}  // namespace

float evaluateExpression(std::string_view text) {
    traceResolverStart(text);
    std::string work;
    if (text.find('(') != std::string_view::npos) {  // a text without groups is evaluated in place
        work = text;
        if (!resolveGroups(work)) {
            return 0;
        }
        text = work;
    }
    traceFinalText(text);
    return evaluateSimple(text);
}
