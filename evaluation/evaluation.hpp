#pragma once

#include <string_view>

// Evaluates a whole expression: removes its parentheses innermost group first,
// writing each group's value back into the text, then evaluates what is left.
float evaluateExpression(std::string_view text);

// Evaluates a text without parentheses: ^ first, then * and /, then + and -,
// each level from left to right.
float evaluateSimple(std::string_view text);

// One binary operation in single precision; op is one of + - * / ^.
float calculateAnswer(float left, float right, char op);
