#pragma once

#include <string>

// Evaluates text with the calculator and with the reference, in the current
// trace mode, capturing what each prints. Returns an empty text when both
// gave the same value, bit for bit, and printed the same bytes; otherwise
// what differs.
std::string differenceFromReference(const std::string& text);
