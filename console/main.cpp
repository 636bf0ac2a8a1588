#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "common/debug.hpp"
#include "common/output.hpp"
#include "evaluation/evaluation.hpp"

namespace {

bool hasDebugOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--debug") {
            return true;
        }
    }
    return false;
}

void printBanner() {
    println(ruleLine);
    println("  Tekijä: Ostrilume-kehitystiimi - tarkka laskin V2  ");
    println("-----------------------------------------------------");
    println("                  🧮 Ostrilume V2                    ");
    println(ruleLine);
}

void printRequest() {
    println("📥 Syötä yhtälö");
    println("   Esimerkki: (2^4) tai 3*(2+5)^2\n");
    print("➤ ");
}

void printAnswer(std::string_view expression, float result) {
    println("");
    println(ruleLine);
    println("✨ LOPULLINEN VASTAUS");
    println(ruleLine);
    println("Lauseke: {}", expression);
    println("Tulos:   {}", result);
    println(ruleLine);
}

// Output that never reached the reader is a failure even after a good
// evaluation.
int exitStatus(int status) {
    bool written = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    return written ? status : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // A reader that has gone away is one more output that cannot be written:
    // the program finishes and says so in its exit status instead of being
    // killed mid-line.
    std::signal(SIGPIPE, SIG_IGN);
    // Input is read only through std::cin; untying it from C stdio lets it
    // buffer, which matters for very long expressions.
    std::ios::sync_with_stdio(false);
    DEBUG = hasDebugOption(argc, argv);
    printBanner();
    if (DEBUG) {
        println("🐛 DEBUG-TILA AKTIVOITU\n");
    }
    printRequest();
    std::fflush(stdout);

    std::string expression;
    if (!(std::cin >> expression)) {
        println("\n❌ VIRHE: Tyhjä lauseke!");
        return exitStatus(1);
    }
    float result = evaluateExpression(expression);
    printAnswer(expression, result);
    return exitStatus(0);
}
