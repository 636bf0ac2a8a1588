#pragma once

#include <string>
#include <string_view>

// The terminal side of the line editor, for systems with POSIX terminals.

// Whether the descriptor is a terminal.
bool isTerminal(int descriptor);

// Whether standard input and standard output are both a terminal that can
// move its cursor: TERM is set, and not to dumb.
bool isInteractiveTerminal();

// Shows prompt, lets the user edit a line at the terminal, and gives its
// first word. Empty when the input ended (Ctrl+D on an empty line) before a
// word; false when a read failed. The terminal is left as it was found.
[[gnu::cold]] bool editLineAtTerminal(std::string_view prompt, std::string& word);

// Gives the terminal back as it was found, if the editor has changed it.
// Safe in a signal handler.
void restoreTerminal();
