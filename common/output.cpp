#include "common/output.hpp"

#include <charconv>
#include <cstdio>

namespace output {

void appendValue(std::string& out, float value) {
    char text[64];
    auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out.append(text, end);
}

void appendValue(std::string& out, int value) { appendValue(out, static_cast<long long>(value)); }

void appendValue(std::string& out, long long value) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void appendValue(std::string& out, char value) { out += value; }

void appendValue(std::string& out, std::string_view value) { out += value; }

std::string_view appendUntilPlaceholder(std::string& out, std::string_view format) {
    auto placeholder = format.find("{}");
    if (placeholder == std::string_view::npos) {
        out += format;
        return {};
    }
    out += format.substr(0, placeholder);
    return format.substr(placeholder + 2);
}

void write(std::string_view text) {
    // Once standard output has failed nothing more can reach the reader; main
    // reports the failure in its exit status.
    if (std::ferror(stdout) == 0) {
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
}

}  // namespace output
