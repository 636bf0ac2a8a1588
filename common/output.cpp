#include "common/output.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace output {

namespace {

std::string* captured = nullptr;
bool controlCharactersShown = false;

bool isC0OrDelete(unsigned char byte) { return byte < 0x20 || byte == 0x7f; }

// U+0080 to U+009F, which UTF-8 writes as C2 80 to C2 9F.
bool startsC1Control(std::string_view text, std::size_t at) {
    return at + 1 < text.size() && static_cast<unsigned char>(text[at]) == 0xc2 &&
           static_cast<unsigned char>(text[at + 1]) < 0xa0;
}

void appendCaret(std::string& visible, unsigned char control) {
    visible += '^';
    visible += control == 0x7f ? '?' : static_cast<char>(control + 0x40);
}

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

void showControlCharacters(bool shown) { controlCharactersShown = shown; }

void appendVisible(std::string& visible, std::string_view text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        auto byte = static_cast<unsigned char>(text[at]);
        if (isC0OrDelete(byte)) {
            appendCaret(visible, byte);
        } else if (startsC1Control(text, at)) {
            visible += "M-";
            appendCaret(visible, static_cast<unsigned char>(text[++at]) - 0x80);
        } else {
            visible += text[at];
        }
    }
}

void writeValue(std::string_view value) {
    if (!controlCharactersShown) {
        write(value);
        return;
    }
    // Written a piece at a time, so that a long text is never copied whole;
    // no piece ends between the two bytes of a C1 control.
    std::string visible;
    for (std::size_t at = 0, end = 0; at < value.size(); at = end) {
        end = std::min(value.size(), at + 4096);
        if (end < value.size() && static_cast<unsigned char>(value[end - 1]) == 0xc2) ++end;
        visible.clear();
        appendVisible(visible, value.substr(at, end - at));
        write(visible);
    }
}

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
