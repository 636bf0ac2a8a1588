#include "common/output.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace output {

namespace {

std::string* captured = nullptr;

}  // namespace

void captureInto(std::string* into) { captured = into; }

void write(std::string_view text) {
    if (captured != nullptr) {
        captured->append(text);
        return;
    }
    // Once standard output has failed nothing more can reach the reader; main
    // reports the failure in its exit status. An empty text may have no data
    // pointer at all, which fwrite must not be given.
    if (!text.empty() && std::ferror(stdout) == 0) {
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
}

// Infinities and NaNs are written here: the C++ libraries spell a NaN
// differently (libc++ writes -nan(ind)).
void writeValue(float value) {
    if (std::isnan(value)) {
        write(std::signbit(value) ? "-nan" : "nan");
        return;
    }
    if (std::isinf(value)) {
        write(value < 0 ? "-inf" : "inf");
        return;
    }
    char text[64];
    write({text, std::to_chars(text, text + sizeof text, value).ptr});
}

void writeValue(int value) { writeValue(static_cast<long long>(value)); }

void writeValue(long long value) {
    char digits[24];
    write({digits, std::to_chars(digits, digits + sizeof digits, value).ptr});
}

void writeValue(char value) { write({&value, 1}); }

void writeValue(std::string_view value) { write(value); }

std::string_view writeUntilPlaceholder(std::string_view format) {
    auto placeholder = format.find("{}");
    if (placeholder == std::string_view::npos) {
        write(format);
        return {};
    }
    write(format.substr(0, placeholder));
    return format.substr(placeholder + 2);
}

}  // namespace output
