#include <string>
#include <vector>

#include "evaluation/evaluation.hpp"
#include "messages.hpp"
#include "printed.hpp"

namespace {

TEST(EvaluateExpression, ResolvesInnermostGroupsFirst) {
    expectRows(evaluateExpression, {
                                       {"(2^4)", {16, ""}},
                                       {"3*(2+5)^2", {147, ""}},
                                       {"((1+2)*(3+4))", {21, ""}},
                                       {"2*(3+(4-1)*2)", {18, ""}},
                                       {"1+2)", {3, ""}},
                                       {"(1/3)*3", {1, ""}},
                                       {"(1/0+5)*2", {10, divisionByZero("1 / 0")}},
                                       {"()", {0, noOperand}},
                                       {"(()+1)", {1, noOperand}},
                                   });
}

TEST(EvaluateExpression, SplicesGroupValuesIntoTheText) {
    expectRows(evaluateExpression, {
                                       {"2(3)", {23, ""}},
                                       {"(2)(3)", {23, ""}},
                                       {"(2)(3)(4)", {234, ""}},
                                       {"1(2(3)4)5", {12345, ""}},
                                       {"(1))+(2)", {3, ""}},
                                       {"(1)2", {12, ""}},
                                       {"(2-5)*3", {-9, ""}},
                                       {"2*(2-5)", {-6, ""}},
                                       {"2^(0-1)", {0.5f, ""}},
                                       {"+(2-5)", {3, ""}},
                                       {"2+(2-5)", {-1, ""}},
                                       {"10-(3-5)", {12, ""}},
                                       {"1-(0-2)", {3, ""}},
                                       {"(1-2)-(3-4)", {0, ""}},
                                       {"5-(0-2)^2", {1, ""}},
                                       {"10-(3-5)*2", {14, ""}},
                                       {"-(2-5)", {-3, invalidNumber("-")}},
                                       {"(0*-1)+1", {1, ""}},
                                       // The value 0.3219999969 is one byte longer than its group.
                                       {"5+(0.1+0.222)", {5.322f, ""}},
                                   });
}

TEST(EvaluateExpression, WritesBackValuesBeyondPlainDecimalExactly) {
    expectRows(evaluateExpression, {
                                       {"(100000*100000)", {1e10f, ""}},
                                       {"(1/100000)", {1e-5f, ""}},
                                       {"(2^100)", {1.2676506e30f, ""}},
                                       {"(0-2^100)/2", {-6.338253e29f, ""}},
                                       {"(340282346638528859811704183484516925440)", {3.4028235e38f, ""}},
                                       {"(0.5^149)", {1e-45f, ""}},
                                       {"(0-0.5^149)*2", {-3e-45f, ""}},
                                       {"(0.00001234567)*100000", {1.234567f, ""}},
                                       {"(9999999999)+1", {1e10f, ""}},
                                   });
}

TEST(EvaluateExpression, ReportsGroupsWithoutFiniteValue) {
    expectRows(evaluateExpression, {
                                       {"(2^200)", {0, notFinite("inf")}},
                                       {"1+(0-2^200)", {1, notFinite("-inf")}},
                                       {"(2^200-2^200)+2", {2, notFinite("-nan")}},
                                       {"(0/0)", {0, divisionByZero("0 / 0")}},
                                   });
}

TEST(EvaluateExpression, ReportsUnmatchedOpeningParenthesis) {
    expectRows(evaluateExpression, {
                                       {"(1+2", {0, unmatched(0)}},
                                       {"((2)", {0, unmatched(0)}},
                                       {"(1)+(2", {0, unmatched(4)}},
                                       {"1+(2*(3)+(4", {0, unmatched(9)}},
                                       {"(((1)+(2))+(3)+(", {0, unmatched(15)}},
                                       {"(((1)+(2))+(3)+(4)", {0, unmatched(0)}},
                                       {"(", {0, unmatched(0)}},
                                       {")(", {0, unmatched(1)}},
                                   });
}

std::string repeated(std::string_view piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

TEST(EvaluateExpression, HandlesLongAndDeepTexts) {
    const int many = 1000000;
    expectRows(evaluateExpression,
               {
                   {repeated("1+", many) + "0", {1e6f, ""}},
                   {repeated("(", many) + "1+1" + repeated(")", many), {2, ""}},
                   {repeated("(", many) + "0-1" + repeated(")", many) + "*3", {-3, ""}},
                   {repeated("(1+2)+", many) + "0", {3e6f, ""}},
                   // Each value is longer than its group, so the text grows pass by pass.
                   {repeated("(2^99)/(2^99)+", 100000) + "0", {1e5f, ""}},
                   {repeated("((2^99)/(2^99)+", 1000) + "0" + repeated(")", 1000), {1000, ""}},
                   {"(1)+(" + repeated("(1)+", 100000) + "1", {0, unmatched(4)}},
                   {repeated("(", many), {0, unmatched(many - 1)}},
                   {repeated(")", many) + "5", {5, ""}},
                   {"0." + std::string(many, '7'), {0.7777778f, ""}},
               });
}

}  // namespace
