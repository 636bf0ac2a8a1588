#include <cstdio>

#include "console/platform.hpp"
#include "console/read_word.hpp"

// A WebAssembly program has no signals and no console of its own: whoever
// runs it, Node or the web page, hands it its standard streams as they are,
// and an output that cannot be written comes back as a failed write, which
// main reports in the exit status. The page shows text, not a terminal, so
// nothing in it is drawn or driven, and the input comes as typed.
void prepareStandardStreams() {}

void restoreStandardStreams() {}

bool standardOutputIsTerminal() { return false; }

bool readExpression(std::string_view, std::string& word) { return readWord(stdin, word); }
