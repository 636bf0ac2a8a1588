#include "console/read_word.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>

bool isWordSeparator(char byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\v' || byte == '\f';
}

std::string_view firstWord(std::string_view text) {
    auto start = std::find_if_not(text.begin(), text.end(), isWordSeparator);
    auto end = std::find_if(start, text.end(), isWordSeparator);
    return {start, end};
}

namespace {

// A short line leaves thousands of the filling line feeds after it, which a
// run that evaluates one short expression would otherwise spend much of its
// own time stepping back over a byte at a time: a block of them holds no NUL
// and is passed over whole.
std::size_t lastNul(const char (&chunk)[4096]) {
    static constexpr std::string_view fill =
        "\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n"
        "\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n";
    // The NUL that fgets stores stops this within the chunk.
    std::size_t end = sizeof chunk;
    while (std::memcmp(chunk + end - fill.size(), fill.data(), fill.size()) == 0) end -= fill.size();
    std::size_t position = end - 1;
    while (chunk[position] != '\0') --position;
    return position;
}

// fgets returns at the end of each line, so a line typed on a terminal is
// taken as soon as it is entered. It reports no count, and the input may hold
// NUL bytes of its own, so the chunk is first filled with line feeds: the NUL
// that fgets stores after what it read is then the last NUL in the chunk.
// Returns false at the end of input and when the read failed.
bool readChunk(std::FILE* input, char (&chunk)[4096], std::string_view& text) {
    std::memset(chunk, '\n', sizeof chunk);
    if (std::fgets(chunk, sizeof chunk, input) == nullptr) {
        return false;
    }
    text = std::string_view(chunk, lastNul(chunk));
    return true;
}

}  // namespace

bool readWord(std::FILE* input, std::string& word) {
    word.clear();
    char chunk[4096];
    std::string_view text;
    while (readChunk(input, chunk, text)) {
        auto start =
            word.empty() ? std::find_if_not(text.begin(), text.end(), isWordSeparator) : text.begin();
        auto end = std::find_if(start, text.end(), isWordSeparator);
        word.append(start, end);
        if (end != text.end()) {
            return true;
        }
    }
    return std::ferror(input) == 0;
}
