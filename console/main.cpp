#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "common/debug.hpp"
#include "common/output.hpp"
#include "console/platform.hpp"
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

constexpr std::string_view prompt = "➤ ";

void printRequest() {
    println("📥 Syötä yhtälö");
    println("   Esimerkki: (2^4) tai 3*(2+5)^2\n");
    print(prompt);
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
    restoreStandardStreams();
    return written ? status : 1;
}

// Called by every allocation that finds no memory, wherever it happens: the
// run cannot go on, so it ends here with a message instead of unwinding, which
// would itself need memory for the exception.
[[noreturn]] void reportMemoryExhausted() {
    println("\n❌ VIRHE: Muisti loppui kesken!");
    std::fflush(stdout);
    restoreStandardStreams();
    std::_Exit(1);
}

}  // namespace

int main(int argc, char** argv) {
    prepareStandardStreams();
    std::set_new_handler(reportMemoryExhausted);
    DEBUG = hasDebugOption(argc, argv);
    output::showControlCharacters(standardOutputIsTerminal());
    printBanner();
    if (DEBUG) {
        println("🐛 DEBUG-TILA AKTIVOITU\n");
    }
    printRequest();
    std::fflush(stdout);

    std::string expression;
    if (!readExpression(prompt, expression)) {
        println("\n❌ VIRHE: Syötteen lukeminen epäonnistui!");
        return exitStatus(1);
    }
    if (expression.empty()) {
        println("\n❌ VIRHE: Tyhjä lauseke!");
        return exitStatus(1);
    }
    float result = evaluateExpression(expression);
    printAnswer(expression, result);
    return exitStatus(0);
}
