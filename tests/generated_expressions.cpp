#include "tests/generated_expressions.hpp"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

// Random expressions of every kind the scanner and resolver meet, from a fixed
// seed. mt19937's sequence is the same everywhere; its distributions are not,
// so choices are taken modulo.
std::mt19937 randomBits(20261209);

int below(int count) { return static_cast<int>(randomBits() % static_cast<std::uint32_t>(count)); }

std::string pick(const std::vector<std::string>& choices) {
    return choices[below(static_cast<int>(choices.size()))];
}

std::string digits(int most) {
    std::string text;
    for (int count = 1 + below(most); count > 0; --count) text += static_cast<char>('0' + below(10));
    return text;
}

// Subnormal, or so small that it underflows.
std::string tinyNumber() {
    std::string text = "0.";
    text.append(static_cast<std::size_t>(30 + below(25)), '0');
    return text += digits(3);
}

// Half of the expressions are well formed, so that whole evaluations run
// through all three phases; the other half break every rule.
bool noisy = false;

// Each random piece is drawn in a statement of its own: the operands of + are
// made in an unspecified order (g++ makes them right to left on x86, left to
// right elsewhere), and every machine must draw the same expressions.
std::string number() {
    const int wellFormed[] = {0, 1, 3, 9};
    std::string text;
    switch (noisy ? below(12) : wellFormed[below(4)]) {
        case 0: return digits(3);
        case 1: text = digits(4) + "."; return text += digits(4);
        case 2: text = pick({".", ","}); return text += digits(3);
        case 3: text = digits(2) + ","; return text += digits(3);
        case 4: text = digits(2); return text += pick({".", ",", ".."});
        case 5:
            text = digits(2) + ".";
            text += digits(2);
            text += pick({".", ","});
            return text += digits(2);
        case 6: return digits(45) + "9";  // beyond single precision from 39 digits
        case 7: return tinyNumber();
        case 8: return pick({"16777217", "340282356779733661637539395458142568448", "3.4028235e38", "1e-45"});
        case 9: return "0";
        case 10: return pick({"..", ".,", "-.", "-,"});
        default: return std::string("00") += digits(2);
    }
}

// Bytes that mean nothing to an expression, look-alikes of its operators among them.
std::string junk() {
    return pick({"a",    "e",    "E", "x", "inf", "nan", "=", " ", "\t",
                 "\n",   "×",    "÷", "−", "–",   "＋",  "π", "é", std::string(1, '\0'),
                 "\xff", "\x80", "[", "]", "{"});
}

std::string operators() {
    std::string ops = pick({"+", "-", "*", "/", "^"});
    if (!noisy) return ops;
    if (below(6) == 0) ops += pick({"+", "-", "*", "/", "^"});
    if (below(20) == 0) ops += pick({" ", "-"});
    return ops;
}

std::string expression(int depth);

std::string group(int depth) {
    std::string inside = below(10) == 0 ? "" : expression(depth - 1);
    return "(" + inside + (noisy && below(20) == 0 ? "" : ")");
}

// A group of two short numbers: its value is often a little longer or
// shorter than the group itself, which is where rewriting the text in place
// has its edge cases.
std::string shortGroup() {
    auto shortNumber = [] {
        if (below(3) == 0) return digits(2);
        std::string text = digits(1) + ".";
        return text += digits(2);
    };
    std::string text = "(";
    text += shortNumber();
    text += pick({"+", "-", "*", "/"});
    text += shortNumber();
    return text += ")";
}

std::string expression(int depth) {
    std::string text;
    for (int term = 1 + below(5); term > 0; --term) {
        if (!text.empty() || (noisy && below(8) == 0)) text += operators();
        bool signAllowed = text.empty() || text.back() == '*' || text.back() == '/' || text.back() == '^';
        int kind = noisy ? below(11) : below(10);
        if (below(5) == 0 && (noisy || (signAllowed && kind < 5))) text += "-";
        if (kind < 5) {
            text += number();
        } else if (kind < 8 && depth > 0) {
            text += group(depth);
        } else if (kind < 9 || !noisy) {
            text += shortGroup();
        } else if (kind < 10) {
            text += junk();
            text += number();
        } else {
            text += junk();
        }
    }
    if (noisy && below(25) == 0) text += pick({")", "(", "()", ")("});
    return text;
}

}  // namespace

std::vector<std::string> generatedExpressions() {
    randomBits.seed(20261209);
    std::vector<std::string> texts;
    for (int count = 0; count < 4000; ++count) {
        noisy = count % 2 == 1;
        texts.push_back(expression(below(5)));
    }
    return texts;
}
