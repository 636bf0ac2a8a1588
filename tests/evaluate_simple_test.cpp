#include <limits>
#include <string>
#include <vector>

#include "evaluation/evaluation.hpp"
#include "messages.hpp"
#include "printed.hpp"

namespace {

TEST(EvaluateSimple, AppliesPrecedenceLeftToRight) {
    expectRows(evaluateSimple, {
                                   {"2+3*4", {14, ""}},
                                   {"8/4/2", {1, ""}},
                                   {"2^3^2", {64, ""}},
                                   {"10-4-3", {3, ""}},
                                   {"2*3^2-8/4+1", {17, ""}},
                                   {"2 + 3", {5, ""}},
                                   {"16777217", {16777216, ""}},
                                   {"0.1+0.2", {0.3f, ""}},
                                   {"1/3", {0.33333334f, ""}},
                                   {"2^200", {std::numeric_limits<float>::infinity(), ""}},
                                   {"0*2^200", {negativeNan, ""}},
                                   {"2^200-2^200", {negativeNan, ""}},
                                   {"2^200/2^200", {negativeNan, ""}},
                                   {"-2^0.5", {negativeNan, ""}},
                                   {"-8^0.5^3", {negativeNan, ""}},
                               });
}

TEST(EvaluateSimple, ReadsSignsOnlyWhereAnOperandIsExpected) {
    expectRows(evaluateSimple, {
                                   {"-3^2", {9, ""}},
                                   {"2*-3", {-6, ""}},
                                   {"2^-1", {0.5f, ""}},
                                   {"8/-2", {-4, ""}},
                                   {"-5", {-5, ""}},
                                   {"-0", {-0.0f, ""}},
                                   {"-.5", {-0.5f, ""}},
                                   {"5*", {5, ""}},
                                   {"*5", {5, ""}},
                                   // A - between + or - and a number, where the operators
                                   // would otherwise outnumber the operands, is its sign.
                                   {"2+-3", {-1, ""}},
                                   {"3--5", {8, ""}},
                                   {"1-2--3", {2, ""}},
                                   {"5--2^2", {1, ""}},
                                   {"1--.5", {1.5f, ""}},
                                   {"1--,5", {1.5f, ""}},
                                   {"1--0", {1, ""}},
                               });
}

TEST(EvaluateSimple, ReadsPointAndCommaAsDecimalPoint) {
    expectRows(evaluateSimple, {
                                   {".5", {0.5f, ""}},
                                   {"2*.5", {1, ""}},
                                   {"..5", {0.5f, ""}},
                                   {"1.2.3", {1.2f, ""}},
                                   {"5.", {5, ""}},
                                   {"007", {7, ""}},
                                   {"0.0.5", {0, ""}},
                                   {"1,5", {1.5f, ""}},
                                   {"3,14*2", {6.28f, ""}},
                                   {"1,2.3", {1.2f, ""}},
                                   {",5", {0.5f, ""}},
                                   {"-,25", {-0.25f, ""}},
                                   {"4,", {4, ""}},
                                   // Rounded once, straight to single precision: through a
                                   // double the first would land on the halfway point.
                                   {"1.00000005960464477539062500001", {1.00000012f, ""}},
                                   {"1.000000059604644775390625", {1, ""}},
                                   {"1.00000005960464477539062499999", {1, ""}},
                               });
}

// Whole numbers of up to nine digits take a shorter way than the others; both
// must round alike.
TEST(EvaluateSimple, RoundsWholeNumbersOfEveryLengthAlike) {
    expectRows(evaluateSimple, {
                                   {"0", {0, ""}},
                                   {"-0", {-0.0f, ""}},
                                   {"000000000", {0, ""}},
                                   {"9999999", {9999999, ""}},
                                   {"16777217", {16777216, ""}},
                                   {"16777219", {16777220, ""}},
                                   {"-123456789", {-123456792, ""}},
                                   {"999999999", {1e9f, ""}},
                                   {"0000000001", {1, ""}},
                                   {"2147483647", {2147483648.0f, ""}},
                                   {"9999999999", {1e10f, ""}},
                                   {"-99999999999", {-1e11f, ""}},
                               });
}

TEST(EvaluateSimple, PassesOverOtherBytes) {
    expectRows(evaluateSimple, {
                                   {"2a3", {2, ""}},
                                   {"7)", {7, ""}},
                                   {"2a3+4", {5, ""}},
                                   {"x=2+2", {4, ""}},
                                   {"7%2", {7, ""}},  // not an operator: 7 and 2, nothing joins them
                                   {"2\t+\n3", {5, ""}},
                                   {"\303\2442+\3773", {5, ""}},  // bytes of "ä", then "2+", 0xff, "3"
                                   {"", {0, noOperand}},
                                   {"   ", {0, noOperand}},
                                   {"abc+-*", {0, noOperand}},
                                   {".", {0, noOperand}},
                               });
}

TEST(EvaluateSimple, ReportsNumbersItCannotRead) {
    const std::string tooLarge = "340282356779733661637539395458142568448";
    const std::string largest = "340282346638528859811704183484516925440";
    const std::string tooSmall = "0." + std::string(50, '0') + "1";
    const std::string smallestSubnormal = "0." + std::string(44, '0') + "1";
    expectRows(evaluateSimple, {
                                   {"-", {0, invalidNumber("-")}},
                                   {"-.", {0, invalidNumber("-.")}},
                                   {"-..5", {0, invalidNumber("-..5")}},
                                   {"--5", {-5, invalidNumber("-")}},
                                   {"5*-", {0, invalidNumber("-")}},
                                   {"-,", {0, invalidNumber("-,")}},
                                   {tooLarge, {0, outOfRange(tooLarge)}},
                                   {"-" + tooLarge + "*2", {0, outOfRange("-" + tooLarge)}},
                                   {tooSmall, {0, outOfRange(tooSmall)}},
                                   {largest, {3.4028235e38f, ""}},
                                   {smallestSubnormal, {1e-45f, ""}},
                                   {"0." + std::string(60, '0'), {0, ""}},
                               });
}

TEST(EvaluateSimple, ReportsFailuresAndGoesOnWithZero) {
    expectRows(evaluateSimple, {
                                   {"1---2", {0, missingOperand}},
                                   {"2*+3", {0, missingOperand}},
                                   {"2+3*", {0, missingOperand}},
                                   {"2+3--", {0, missingOperand}},
                                   {"2* -3", {0, missingOperand}},
                                   {"1/0", {0, divisionByZero("1 / 0")}},
                                   {"1/0+5", {5, divisionByZero("1 / 0")}},
                                   {"1/-0", {0, divisionByZero("1 / -0")}},
                                   {"0/0", {0, divisionByZero("0 / 0")}},
                                   {"2/0*3/0", {0, divisionByZero("2 / 0") + divisionByZero("0 / 0")}},
                               });
}

}  // namespace
