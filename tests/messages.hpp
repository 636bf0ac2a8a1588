#pragma once

#include <string>

// Every message the evaluation can print, byte for byte, line feeds included.

inline const std::string noOperand = "\n❌ VIRHE: Ei numeroita lausekkeessa!\n";
inline const std::string missingOperand = "\n❌ VIRHE: Operaattorilta puuttuu luku!\n";

inline std::string invalidNumber(const std::string& text) {
    return "\n❌ VIRHE: Virheellinen luku: '" + text + "'\n";
}

inline std::string outOfRange(const std::string& text) {
    return "\n❌ VIRHE: Luku on lukualueen ulkopuolella: '" + text + "'\n";
}

inline std::string divisionByZero(const std::string& operands) {
    return "\n❌  VIRHE: Nollalla jakaminen ei ole sallittu! (" + operands + ")\n";
}

inline std::string unknownOperator(char op) {
    return std::string("\n❌ VIRHE: Tuntematon operaattori: '") + op + "'\n";
}

inline std::string unmatched(int position) {
    return "\n❌ VIRHE: Sulkeet eivät täsmää! Avaussulkua " + std::to_string(position) +
           " kohdalla ei löydy vastaavaa sulkea.\n";
}

inline std::string notFinite(const std::string& value) {
    return "\n❌ VIRHE: Sulkeiden arvo ei ole äärellinen luku: " + value + "\n";
}
