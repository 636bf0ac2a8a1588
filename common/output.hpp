#pragma once

#include <string>
#include <string_view>

// The two output primitives. Every byte the program shows goes through them to
// standard output. A format text holds "{}" placeholders, filled from the
// arguments in order: a float in its shortest round-trip form, an integer in
// decimal, a char as that one byte, a text as its bytes. The pieces go straight
// to the stdio buffer, so a long text is never copied to be printed.

namespace output {

void write(std::string_view text);
void writeValue(float value);
void writeValue(int value);
void writeValue(long long value);
void writeValue(char value);
void writeValue(std::string_view value);

// Writes format up to its first placeholder and returns what follows the
// placeholder (or nothing, when there is none).
std::string_view writeUntilPlaceholder(std::string_view format);

// While into is not null, the bytes are appended to it instead of going to
// standard output: the tests read what a call printed this way on every
// system, since not every C library lets standard output be pointed
// elsewhere and back.
void captureInto(std::string* into);

// A text written on a terminal could drive it: an expression read from a file
// may hold an escape sequence. While shown is true, the control characters in
// every text argument are written as cat -v writes them instead: C0 and DEL in
// caret notation (ESC as "^["), the UTF-8 C1 controls as "M-^[" and the like.
// The format texts are the program's own and always pass as they are.
void showControlCharacters(bool shown);

// Appends text to visible with its control characters written as above.
[[gnu::cold]] void appendVisible(std::string& visible, std::string_view text);

}  // namespace output

template <typename... Args>
void print(std::string_view format, const Args&... args) {
    ((format = output::writeUntilPlaceholder(format), output::writeValue(args)), ...);
    output::write(format);
}

template <typename... Args>
void println(std::string_view format, const Args&... args) {
    print(format, args...);
    output::write("\n");
}

// The frame of the banner, the answer box and the trace header.
inline constexpr std::string_view ruleLine = "═════════════════════════════════════════════════════";
