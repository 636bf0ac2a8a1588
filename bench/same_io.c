/* The same input and output as one run of the calculator, and nothing else:
 * the banner and prompt, one word read with scanf, one number converted with
 * strtof, the answer box; about 1.1 kB written in a dozen printf calls. The
 * start-up latency of this dynamically linked C program is what the
 * calculator is measured against. */
#include <stdio.h>
#include <stdlib.h>

#define RULE "═════════════════════════════════════════════════════"

int main(void) {
    char word[4096];
    printf("%s\n", RULE);
    printf("  Tekijä: Ostrilume-kehitystiimi - tarkka laskin V2  \n");
    printf("-----------------------------------------------------\n");
    printf("                  🧮 Ostrilume V2                    \n");
    printf("%s\n", RULE);
    printf("📥 Syötä yhtälö\n   Esimerkki: (2^4) tai 3*(2+5)^2\n\n");
    printf("➤ ");
    fflush(stdout);
    if (scanf("%4095s", word) != 1) {
        printf("\n❌ VIRHE: Tyhjä lauseke!\n");
        return 1;
    }
    float value = strtof(word, NULL);
    printf("\n%s\n", RULE);
    printf("✨ LOPULLINEN VASTAUS\n");
    printf("%s\n", RULE);
    printf("Lauseke: %s\n", word);
    printf("Tulos:   %g\n", value);
    printf("%s\n", RULE);
    return 0;
}
