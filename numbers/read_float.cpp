#include "numbers/read_float.hpp"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <cmath>

// fast_float, on which libstdc++'s own from_chars is built, does the reading;
// versions before 5 leave the range to their caller, later ones report it.
std::from_chars_result readFloat(const char* first, const char* last, float& value) {
    float read = 0;
    auto [end, error] = fast_float::from_chars(first, last, read);
    if (error == std::errc::invalid_argument) return {first, error};
    bool someDigitIsNotZero = std::any_of(first, end, [](char byte) { return byte >= '1' && byte <= '9'; });
    if (error != std::errc() || std::isinf(read) || (read == 0 && someDigitIsNotZero)) {
        return {end, std::errc::result_out_of_range};
    }
    value = read;
    return {end, std::errc()};
}
