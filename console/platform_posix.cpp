#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "console/platform.hpp"
#include "console/read_word.hpp"
#include "console/terminal.hpp"

// A reader that has gone away is one more output that cannot be written: the
// program finishes and says so in its exit status instead of being killed
// mid-line by SIGPIPE.
void prepareStandardStreams() { std::signal(SIGPIPE, SIG_IGN); }

void restoreStandardStreams() { restoreTerminal(); }

bool standardOutputIsTerminal() { return isTerminal(STDOUT_FILENO); }

// Pipes and files are read as they always were, byte for byte.
bool readExpression(std::string_view prompt, std::string& word) {
    if (isInteractiveTerminal()) return editLineAtTerminal(prompt, word);
    return readWord(stdin, word);
}
