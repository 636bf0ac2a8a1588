#pragma once

#include <string>
#include <string_view>

// The two output primitives. Every byte the program shows goes through them to
// standard output. A format text holds "{}" placeholders, filled from the
// arguments in order: a float in its shortest round-trip form, an integer in
// decimal, a char as that one byte, a text as its bytes.

namespace output {

void appendValue(std::string& out, float value);
void appendValue(std::string& out, char value);
void appendValue(std::string& out, std::string_view value);

void appendValue(std::string& out, int value);
void appendValue(std::string& out, long long value);

// Copies format up to its first placeholder into out and returns what follows
// the placeholder (or nothing, when there is none).
std::string_view appendUntilPlaceholder(std::string& out, std::string_view format);

void write(std::string_view text);

template <typename... Args>
std::string format(std::string_view pattern, const Args&... args) {
    std::string out;
    ((pattern = appendUntilPlaceholder(out, pattern), appendValue(out, args)), ...);
    out += pattern;
    return out;
}

}  // namespace output

template <typename... Args>
void print(std::string_view pattern, const Args&... args) {
    output::write(output::format(pattern, args...));
}

template <typename... Args>
void println(std::string_view pattern, const Args&... args) {
    std::string line = output::format(pattern, args...);
    line += '\n';
    output::write(line);
}

// The frame of the banner, the answer box and the trace header.
inline constexpr std::string_view ruleLine = "═════════════════════════════════════════════════════";
