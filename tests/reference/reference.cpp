#include "tests/reference/reference.hpp"

#include <fast_float/fast_float.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "common/debug.hpp"
#include "common/output.hpp"
#include "tests/reference/reference_power.hpp"

namespace reference {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isPoint(char c) { return c == '.' || c == ','; }

bool startsOperand(const std::string& text, int i) {
    char c = text[i];
    if (isDigit(c)) return true;
    if (isPoint(c)) return i + 1 < static_cast<int>(text.size()) && isDigit(text[i + 1]);
    if (c != '-') return false;
    if (i == 0) return true;
    char before = text[i - 1];
    return before == '(' || before == '^' || before == '*' || before == '/';
}

// fast_float reads the number; a value that rounds to infinity, or to zero
// from a digit other than 0, is out of range.
float convert(const std::string& numberText) {
    std::string withPoints = numberText;
    for (char& c : withPoints) {
        if (c == ',') c = '.';
    }
    float value = 0;
    auto result = fast_float::from_chars(withPoints.data(), withPoints.data() + withPoints.size(), value);
    if (result.ec == std::errc::invalid_argument) {
        println("\n❌ VIRHE: Virheellinen luku: '{}'", numberText);
        return 0;
    }
    bool nonZeroDigit = false;
    for (const char* c = withPoints.data(); c != result.ptr; c++) {
        if (*c >= '1' && *c <= '9') nonZeroDigit = true;
    }
    if (result.ec != std::errc() || std::isinf(value) || (value == 0 && nonZeroDigit)) {
        println("\n❌ VIRHE: Luku on lukualueen ulkopuolella: '{}'", numberText);
        return 0;
    }
    return value;
}

bool inPhase(char op, int phase) {
    if (phase == 1) return op == '^';
    if (phase == 2) return op == '*' || op == '/';
    return op == '+' || op == '-';
}

void traceLists(const char* header, const std::vector<float>& numbers, const std::vector<char>& operators) {
    println(header);
    print("   Numerot:     ");
    for (float number : numbers) print("{} ", number);
    println("");
    print("   Operaattorit: ");
    for (char op : operators) print("{} ", op);
    println("");
}

void tracePhaseHeader(int phase) {
    if (!DEBUG) return;
    if (phase == 1) println("\n🔹 VAIHE 1: Eksponentiointi (^)");
    if (phase == 2) println("\n🔹 VAIHE 2: Kertolasku (*) ja Jakolasku (/)");
    if (phase == 3) println("\n🔹 VAIHE 3: Yhteenlasku (+) ja Vähennyslasku (-)");
}

std::string formatGroup(float value) {
    if (!std::isfinite(value)) {
        println("\n❌ VIRHE: Sulkeiden arvo ei ole äärellinen luku: {}", value);
        return "0";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.10g", static_cast<double>(value));
    std::string text = buffer;
    if (text.find('e') != std::string::npos) {
        text = std::string(
            buffer, std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr);
    }
    return text;
}

// Every NaN an operation yields is the negative quiet NaN.
float oneNan(float result) { return std::isnan(result) ? -std::numeric_limits<float>::quiet_NaN() : result; }

}  // namespace

float calculateAnswer(float left, float right, char op) {
    float result = 0;
    if (op == '+') {
        result = oneNan(left + right);
        if (DEBUG) println("➕  Yhteenlasku: {} + {} = {}", left, right, result);
    } else if (op == '-') {
        result = oneNan(left - right);
        if (DEBUG) println("➖  Vähennyslasku: {} - {} = {}", left, right, result);
    } else if (op == '*') {
        result = oneNan(left * right);
        if (DEBUG) println("✖️  Kertolasku: {} × {} = {}", left, right, result);
    } else if (op == '/') {
        if (right == 0) {
            println("\n❌  VIRHE: Nollalla jakaminen ei ole sallittu! ({} / {})", left, right);
            return 0;
        }
        result = oneNan(left / right);
        if (DEBUG) println("➗  Jakolasku: {} ÷ {} = {}", left, right, result);
    } else if (op == '^') {
        result = oneNan(referencePower(left, right));
        if (DEBUG) println("⬆️  Eksponentiointi: {} ^ {} = {}", left, right, result);
    } else {
        println("\n❌ VIRHE: Tuntematon operaattori: '{}'", op);
        return 0;
    }
    return result;
}

float evaluateSimple(const std::string& text) {
    std::vector<float> numbers;
    std::vector<char> operators;
    std::vector<int> numberStarts;
    std::vector<int> operatorPlaces;
    int i = 0;
    while (i < static_cast<int>(text.size())) {
        if (text[i] == ' ') {
            i++;
            continue;
        }
        if (startsOperand(text, i)) {
            numberStarts.push_back(i);
            std::string numberText;
            if (text[i] == '-') {
                numberText += '-';
                i++;
            }
            while (i < static_cast<int>(text.size()) && (isDigit(text[i]) || isPoint(text[i]))) {
                numberText += text[i];
                i++;
            }
            numbers.push_back(convert(numberText));
            continue;
        }
        char c = text[i];
        if (c == '+' || c == '-' || c == '/' || c == '*' || c == '^') {
            operators.push_back(c);
            operatorPlaces.push_back(i);
        }
        i++;
    }

    if (numbers.empty()) {
        println("\n❌ VIRHE: Ei numeroita lausekkeessa!");
        return 0;
    }
    if (numbers.size() == 1) {
        if (DEBUG) println("ℹ️ Vain yksi numero: {}", numbers[0]);
        return numbers[0];
    }
    if (DEBUG) traceLists("\n📊  JÄSENNYKSEN JÄLKEEN:", numbers, operators);
    if (operators.size() >= numbers.size()) {
        bool joined = false;
        int k = 0;
        while (k < static_cast<int>(operators.size())) {
            int place = operatorPlaces[k];
            bool afterPlusOrMinus = place > 0 && (text[place - 1] == '+' || text[place - 1] == '-');
            bool beforeNumber = place + 1 < static_cast<int>(text.size()) && startsOperand(text, place + 1);
            if (operators[k] == '-' && afterPlusOrMinus && beforeNumber) {
                for (int n = 0; n < static_cast<int>(numbers.size()); n++) {
                    if (numberStarts[n] == place + 1) numbers[n] = -numbers[n];
                }
                operators.erase(operators.begin() + k);
                operatorPlaces.erase(operatorPlaces.begin() + k);
                joined = true;
            } else {
                k++;
            }
        }
        if (joined && DEBUG) traceLists("\n🔁  ETUMERKIT YHDISTETTY:", numbers, operators);
    }
    if (operators.size() >= numbers.size()) {
        println("\n❌ VIRHE: Operaattorilta puuttuu luku!");
        return 0;
    }
    for (int phase = 1; phase <= 3; phase++) {
        tracePhaseHeader(phase);
        int p = 0;
        while (p < static_cast<int>(operators.size())) {
            if (!inPhase(operators[p], phase)) {
                p++;
                continue;
            }
            float left = numbers[p];
            float right = numbers[p + 1];
            char op = operators[p];
            if (DEBUG && op == '^') println("   Indeksi {}: {} ^ {}", p, left, right);
            if (DEBUG && op != '^') println("   Indeksi {}: {} {} {}", p, left, op, right);
            numbers[p] = calculateAnswer(left, right, op);
            numbers.erase(numbers.begin() + p + 1);
            operators.erase(operators.begin() + p);
        }
    }
    if (DEBUG) println("\n✅ Yksinkertaisen lausekkeen tulos: {}", numbers[0]);
    return numbers[0];
}

float evaluateExpression(const std::string& text) {
    std::string work = text;
    if (DEBUG) {
        println("\n{}", ruleLine);
        println("   LAUSEKKEEN ARVIOINTI ALOITETTU");
        println(ruleLine);
        println("📝 Alkuperäinen: {}", text);
    }
    int pass = 0;
    while (work.find('(') != std::string::npos) {
        pass++;
        if (DEBUG) println("\n▶️  SULKEIDEN KÄSITTELY #{}", pass);
        int open = static_cast<int>(work.rfind('('));
        auto found = work.find(')', open);
        int close = found == std::string::npos ? -1 : static_cast<int>(found);
        if (DEBUG) println("   Paikat: {}...{}", open, close);
        if (close == -1) {
            println("\n❌ VIRHE: Sulkeet eivät täsmää! Avaussulkua {} kohdalla ei löydy vastaavaa sulkea.",
                    open);
            return 0;
        }
        std::string contents = work.substr(open + 1, close - open - 1);
        if (DEBUG) println("   Sisältö:  '{}'", contents);
        float value = evaluateSimple(contents);
        if (DEBUG) println("   Tulos:    {}", value);
        work = work.substr(0, open) + formatGroup(value) + work.substr(close + 1);
        if (DEBUG) println("   Päivitetty: '{}'", work);
    }
    if (DEBUG) {
        println("▶️  LOPULLINEN ARVIOINTI (ilman sulkeita)");
        println("   Lauseke: '{}'", work);
    }
    return evaluateSimple(work);
}

}  // namespace reference
