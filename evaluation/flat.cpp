#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "common/output.hpp"
#include "evaluation/evaluation.hpp"
#include "evaluation/trace.hpp"
#include "numbers/power.hpp"
#include "numbers/read_float.hpp"

namespace {

bool isDigit(char byte) { return byte >= '0' && byte <= '9'; }

// A comma is the Finnish decimal point; inside a number it counts as one.
bool isDecimalPoint(char byte) { return byte == '.' || byte == ','; }

bool isOperator(char byte) { return byte == '+' || byte == '-' || byte == '*' || byte == '/' || byte == '^'; }

// A number starts at a digit, or at a point or comma right before a digit
// (.5 is 0.5). A minus is a sign only where an operand is expected: at the
// very start or right after ( ^ * /. After + or - the scan reads it as one
// more operator, which takeSignsAfterOperators takes back as a sign when the
// operands would otherwise not outnumber the operators.
bool startsOperand(std::string_view text, std::size_t i) {
    char byte = text[i];
    if (isDigit(byte)) {
        return true;
    }
    if (isDecimalPoint(byte)) {
        return i + 1 < text.size() && isDigit(text[i + 1]);
    }
    if (byte != '-') {
        return false;
    }
    if (i == 0) {
        return true;
    }
    char before = text[i - 1];
    return before == '(' || before == '^' || before == '*' || before == '/';
}

// Most operands are short whole numbers. One of up to nine digits fits an
// int, and converting that int to float rounds to nearest, ties to even,
// exactly as readFloat rounds the digits, only with much less work.
float wholeNumber(std::string_view digits, bool negative) {
    int whole = 0;
    for (char digit : digits) {
        whole = whole * 10 + (digit - '0');
    }
    return negative ? -static_cast<float>(whole) : static_cast<float>(whole);
}

// readFloat reads the longest leading decimal number ("1.2.3" is 1.2, "5."
// is 5) and never depends on the locale. A number it cannot read, or one that
// single precision cannot hold, is reported and counts as 0.
float readNumber(std::string_view numberText) {
    std::string withPoints;
    std::string_view digits = numberText;
    if (std::find(numberText.begin(), numberText.end(), ',') != numberText.end()) {
        withPoints = numberText;
        std::replace(withPoints.begin(), withPoints.end(), ',', '.');
        digits = withPoints;
    }
    float value = 0;
    auto error = readFloat(digits.data(), digits.data() + digits.size(), value).ec;
    if (error == std::errc::invalid_argument) {
        println("\n❌ VIRHE: Virheellinen luku: '{}'", numberText);
        return 0;
    }
    if (error == std::errc::result_out_of_range) {
        println("\n❌ VIRHE: Luku on lukualueen ulkopuolella: '{}'", numberText);
        return 0;
    }
    return value;
}

std::size_t endOfDigits(std::string_view text, std::size_t i) {
    while (i < text.size() && isDigit(text[i])) {
        ++i;
    }
    return i;
}

std::size_t endOfNumberText(std::string_view text, std::size_t i) {
    while (i < text.size() && (isDigit(text[i]) || isDecimalPoint(text[i]))) {
        ++i;
    }
    return i;
}

// Reads the operand that starts at start into numbers and returns the position
// of the byte that ended it. A whole number of up to nine digits, with no point
// after them, takes the short way.
std::size_t scanOperand(std::string_view text, std::size_t start, std::vector<float>& numbers) {
    bool negative = text[start] == '-';
    std::size_t digitsStart = negative ? start + 1 : start;
    std::size_t end = endOfDigits(text, digitsStart);
    std::size_t digitCount = end - digitsStart;
    if (digitCount > 0 && digitCount <= 9 && (end == text.size() || !isDecimalPoint(text[end]))) {
        numbers.push_back(wholeNumber(text.substr(digitsStart, digitCount), negative));
        return end;
    }
    end = endOfNumberText(text, end);
    numbers.push_back(readNumber(text.substr(start, end - start)));
    return end;
}

// Walks the text as the scan reads it: onOperand(start) is called where an
// operand starts and returns the position of the byte that ended it,
// onOperator(i) at every operator byte. Spaces, letters, parentheses and every
// other byte that neither starts an operand nor is an operator are passed over.
template <typename OnOperand, typename OnOperator>
void walkTokens(std::string_view text, OnOperand onOperand, OnOperator onOperator) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (startsOperand(text, i)) {
            i = onOperand(i);
            continue;
        }
        if (isOperator(text[i])) {
            onOperator(i);
        }
        ++i;
    }
}

void scan(std::string_view text, std::vector<float>& numbers, std::vector<char>& operators) {
    walkTokens(
        text, [&](std::size_t start) { return scanOperand(text, start, numbers); },
        [&](std::size_t i) { operators.push_back(text[i]); });
}

std::size_t endOfOperand(std::string_view text, std::size_t start) {
    return endOfNumberText(text, text[start] == '-' ? start + 1 : start);
}

// A - right after + or - and right before a number: 10--2, or 10-(3-5) once
// its group is written back.
bool isSignAfterOperator(std::string_view text, std::size_t i) {
    return text[i] == '-' && i > 0 && (text[i - 1] == '+' || text[i - 1] == '-') && i + 1 < text.size() &&
           startsOperand(text, i + 1);
}

// A minus right after + or - and before a number, typed (10--2) or left by a
// negative group written back (10-(3-5) becomes 10--2), is one more operator
// to the scan, and the operands no longer outnumber the operators. Then each
// such - is taken back as the sign of the number it stands before, so that
// both subtract -2. Returns whether any was taken.
bool takeSignsAfterOperators(std::string_view text, std::vector<float>& numbers,
                             std::vector<char>& operators) {
    std::size_t operand = 0;
    std::size_t kept = 0;
    std::size_t read = 0;
    walkTokens(
        text,
        [&](std::size_t start) {
            ++operand;
            return endOfOperand(text, start);
        },
        [&](std::size_t i) {
            if (isSignAfterOperator(text, i)) {
                numbers[operand] = -numbers[operand];
            } else {
                operators[kept++] = operators[read];
            }
            ++read;
        });
    bool taken = kept < operators.size();
    operators.resize(kept);
    return taken;
}

// Phase 1 is ^, phase 2 * and /, phase 3 + and -.
bool belongsToPhase(char op, int phase) {
    switch (op) {
        case '^': return phase == 1;
        case '*':
        case '/': return phase == 2;
        default: return phase == 3;
    }
}

// Operator p joins numbers[p] and numbers[p + 1]. A phase walks the operators
// once from the left: a reduction leaves its result in place of its left
// operand and an operator of another phase is kept, packed after the ones kept
// before it, so the lists end up exactly as if each reduction had erased its
// operator and right operand, without moving the rest of the lists each time.
// The trace position is the operator's place in that shrinking list: kept.
// Before the phase's first operator the lists stay as they are, so the walk
// starts there.
void reducePhase(std::vector<float>& numbers, std::vector<char>& operators, int phase) {
    auto first = std::find_if(operators.begin(), operators.end(),
                              [phase](char op) { return belongsToPhase(op, phase); });
    auto kept = static_cast<std::size_t>(first - operators.begin());
    for (std::size_t p = kept; p < operators.size(); ++p) {
        char op = operators[p];
        float right = numbers[p + 1];
        if (!belongsToPhase(op, phase)) {
            operators[kept] = op;
            numbers[++kept] = right;
            continue;
        }
        traceStep(kept, numbers[kept], op, right);
        numbers[kept] = calculateAnswer(numbers[kept], right, op);
    }
    operators.resize(kept);
    numbers.resize(kept + 1);
}

// IEEE 754 leaves the sign of a NaN to the machine: x86 makes it negative,
// most other processors positive. The sign is printed, so every NaN an
// operation yields becomes the one x86 has always shown. That NaN comes from a
// call, which keeps the test a branch that is almost never taken: a selection
// would make each reduction wait for the test, and reductions in a row wait
// for each other's results.
[[gnu::noinline]] float negativeNan() { return -std::numeric_limits<float>::quiet_NaN(); }

float sameNanOnEveryMachine(float result) {
    if (result != result) return negativeNan();
    return result;
}

// The parts of an operation that call other functions stay out of
// calculateAnswer, each reached by a jump at its end: the compiler then needs
// to save nothing on the way, and +, -, * and / take a few instructions only.
[[gnu::noinline]] float divisionByZero(float left, float right) {
    println("\n❌  VIRHE: Nollalla jakaminen ei ole sallittu! ({} / {})", left, right);
    return 0;
}

[[gnu::noinline]] float unknownOperator(char op) {
    println("\n❌ VIRHE: Tuntematon operaattori: '{}'", op);
    return 0;
}

[[gnu::noinline]] float powerOperation(float left, float right) {
    return traceOperation(left, right, '^', sameNanOnEveryMachine(power(left, right)));
}

}  // namespace

float evaluateSimple(std::string_view text) {
    // Reserved for the most operands and operators the text can hold, so that
    // the lists never reallocate: growing by copying would double the memory
    // that a long expression needs at its peak.
    std::vector<float> numbers;
    std::vector<char> operators;
    numbers.reserve(text.size() / 2 + 1);
    operators.reserve(text.size());
    scan(text, numbers, operators);
    if (numbers.empty()) {
        println("\n❌ VIRHE: Ei numeroita lausekkeessa!");
        return 0;
    }
    if (numbers.size() == 1) {
        traceSingleOperand(numbers[0]);
        return numbers[0];
    }
    traceScanned(numbers, operators);
    if (operators.size() >= numbers.size() && takeSignsAfterOperators(text, numbers, operators)) {
        traceSignsTaken(numbers, operators);
    }
    if (operators.size() >= numbers.size()) {
        println("\n❌ VIRHE: Operaattorilta puuttuu luku!");
        return 0;
    }
    for (int phase = 1; phase <= 3; ++phase) {
        tracePhase(phase);
        reducePhase(numbers, operators, phase);
    }
    traceSimpleResult(numbers[0]);
    return numbers[0];
}

float calculateAnswer(float left, float right, char op) {
    float result = 0;
    switch (op) {
        case '+': result = left + right; break;
        case '-': result = left - right; break;
        case '*': result = left * right; break;
        case '/':
            if (right == 0) return divisionByZero(left, right);
            result = left / right;
            break;
        case '^': return powerOperation(left, right);
        default: return unknownOperator(op);
    }
    return traceOperation(left, right, op, sameNanOnEveryMachine(result));
}
