// The least any evaluation of a word can cost: read it from standard input as
// the calculator does and convert every run of digits and points in it with
// the calculator's number reader. Prints the sum so that nothing is optimized
// away.
#include <cstdio>
#include <string>

#include "console/read_word.hpp"
#include "numbers/read_float.hpp"

int main() {
    std::string word;
    if (!readWord(stdin, word)) return 1;
    const char* position = word.data();
    const char* end = word.data() + word.size();
    double sum = 0;
    while (position < end) {
        float value = 0;
        auto result = readFloat(position, end, value);
        sum += value;
        position = result.ec == std::errc() ? result.ptr + 1 : position + 1;
    }
    std::printf("%g\n", sum);
}
