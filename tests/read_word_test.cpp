#include "console/read_word.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Reads word from a file that holds the bytes, as a redirected input would.
bool readFrom(const std::string& bytes, std::string& word) {
    std::FILE* file = std::fopen("read-word-input.tmp", "w+b");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    bool read = readWord(file, word);
    std::fclose(file);
    std::remove("read-word-input.tmp");
    return read;
}

TEST(ReadWord, TakesTheFirstWhitespaceDelimitedWord) {
    const std::string longWord(10000, '7');
    const std::string chunkWord(4095, '9');  // exactly what one read takes
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"3*(2+5)^2\n", "3*(2+5)^2"},
        {"2 + 3\n", "2"},
        {"\n\n  \t1+1", "1+1"},
        {"\v\f\r 4\t5", "4"},
        {"2*3\r\n4\r\n", "2*3"},
        {std::string("1\0+2\377", 5) + "\n", std::string("1\0+2\377", 5)},
        {longWord + " 8", longWord},
        {chunkWord + " 8", chunkWord},
        {std::string(5000, ' ') + "6\n", "6"},
        {std::string(4095, ' ') + "12", "12"},
        {"", ""},
        {" \n\t\r\v\f", ""},
    };
    for (const auto& [input, expected] : rows) {
        std::string word = "left over";
        EXPECT_TRUE(readFrom(input, word)) << "input '" << input << "'";
        EXPECT_EQ(word, expected) << "input '" << input << "'";
    }
}

// A stream that serves its bytes and then fails instead of ending, with
// glibc's fopencookie, and a directory.
#ifdef __GLIBC__
struct FailingInput {
    std::string bytes;
    std::size_t served = 0;
};

ssize_t serveThenFail(void* cookie, char* buffer, std::size_t size) {
    auto* input = static_cast<FailingInput*>(cookie);
    if (input->served == input->bytes.size()) {
        return -1;
    }
    std::size_t count = std::min(size, input->bytes.size() - input->served);
    input->bytes.copy(buffer, count, input->served);
    input->served += count;
    return static_cast<ssize_t>(count);
}

TEST(ReadWord, ReportsAFailedRead) {
    for (const std::string& before : std::vector<std::string>{"", "  ", "12+", std::string(9000, '1')}) {
        FailingInput failing{before};
        std::FILE* input = fopencookie(&failing, "r", {serveThenFail, nullptr, nullptr, nullptr});
        std::string word;
        EXPECT_FALSE(readWord(input, word)) << "after '" << before << "'";
        std::fclose(input);
    }
    std::FILE* directory = std::fopen("/", "r");
    ASSERT_NE(directory, nullptr);
    std::string word;
    EXPECT_FALSE(readWord(directory, word));
    std::fclose(directory);
}
#endif

}  // namespace
