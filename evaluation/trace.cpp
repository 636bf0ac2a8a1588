#include "evaluation/trace.hpp"

#include <string>

#include "common/debug.hpp"
#include "common/output.hpp"

namespace {

long long tracedPosition(std::size_t position) {
    return position == std::string_view::npos ? -1 : static_cast<long long>(position);
}

void printLists(std::string_view header, std::span<const float> numbers, std::span<const char> operators) {
    println(header);
    print("   Numerot:     ");
    for (float number : numbers) print("{} ", number);
    println("");
    print("   Operaattorit: ");
    for (char op : operators) print("{} ", op);
    println("");
}

}  // namespace

void traceResolverStart(std::string_view text) {
    if (!DEBUG) return;
    println("\n{}", ruleLine);
    println("   LAUSEKKEEN ARVIOINTI ALOITETTU");
    println(ruleLine);
    println("📝 Alkuperäinen: {}", text);
}

void tracePass(long long pass) {
    if (DEBUG) println("\n▶️  SULKEIDEN KÄSITTELY #{}", pass);
}

void tracePositions(std::size_t open, std::size_t close) {
    if (DEBUG) println("   Paikat: {}...{}", tracedPosition(open), tracedPosition(close));
}

void traceGroupContents(std::string_view contents) {
    if (DEBUG) println("   Sisältö:  '{}'", contents);
}

void traceGroupValue(float value) {
    if (DEBUG) println("   Tulos:    {}", value);
}

void traceRewrite(std::string_view before, std::string_view after) {
    if (DEBUG) println("   Päivitetty: '{}{}'", before, after);
}

void traceFinalText(std::string_view work) {
    if (!DEBUG) return;
    println("▶️  LOPULLINEN ARVIOINTI (ilman sulkeita)");
    println("   Lauseke: '{}'", work);
}

void traceSingleOperand(float value) {
    if (DEBUG) println("ℹ️ Vain yksi numero: {}", value);
}

void traceScanned(std::span<const float> numbers, std::span<const char> operators) {
    if (DEBUG) printLists("\n📊  JÄSENNYKSEN JÄLKEEN:", numbers, operators);
}

void traceSignsTaken(std::span<const float> numbers, std::span<const char> operators) {
    if (DEBUG) printLists("\n🔁  ETUMERKIT YHDISTETTY:", numbers, operators);
}

void tracePhase(int phase) {
    if (!DEBUG) return;
    switch (phase) {
        case 1: println("\n🔹 VAIHE 1: Eksponentiointi (^)"); break;
        case 2: println("\n🔹 VAIHE 2: Kertolasku (*) ja Jakolasku (/)"); break;
        default: println("\n🔹 VAIHE 3: Yhteenlasku (+) ja Vähennyslasku (-)"); break;
    }
}

void printStep(std::size_t position, float left, char op, float right) {
    auto index = static_cast<long long>(position);
    if (op == '^') {
        println("   Indeksi {}: {} ^ {}", index, left, right);
    } else {
        println("   Indeksi {}: {} {} {}", index, left, op, right);
    }
}

void traceSimpleResult(float value) {
    if (DEBUG) println("\n✅ Yksinkertaisen lausekkeen tulos: {}", value);
}

float printOperation(float left, float right, char op, float result) {
    switch (op) {
        case '+': println("➕  Yhteenlasku: {} + {} = {}", left, right, result); break;
        case '-': println("➖  Vähennyslasku: {} - {} = {}", left, right, result); break;
        case '*': println("✖️  Kertolasku: {} × {} = {}", left, right, result); break;
        case '/': println("➗  Jakolasku: {} ÷ {} = {}", left, right, result); break;
        default: println("⬆️  Eksponentiointi: {} ^ {} = {}", left, right, result); break;
    }
    return result;
}
