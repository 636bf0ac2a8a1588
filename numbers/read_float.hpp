#pragma once

#include <charconv>

// Reads the longest leading decimal number of [first, last) to the nearest
// float, ties to even, the same in every locale and with every C++ library,
// as std::from_chars does: ptr is where the number ends; ec is
// invalid_argument when no number starts at first, and result_out_of_range
// when the number rounds to infinity or, from digits that are not all zero,
// to 0. On an error value keeps what it held.
std::from_chars_result readFloat(const char* first, const char* last, float& value);
