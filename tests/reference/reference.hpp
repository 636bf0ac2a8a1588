#pragma once

#include <string>

// A second evaluator, written step by step as the calculator's rules read and
// with no thought for speed: the resolver copies and rewrites the whole text
// at every pass, every reduction erases from the two lists, and group values
// are formatted with snprintf. Its powers come from MPFR where that is
// installed. The tests hold the real evaluator to it.
namespace reference {

float evaluateExpression(const std::string& text);
float evaluateSimple(const std::string& text);
float calculateAnswer(float left, float right, char op);

}  // namespace reference
