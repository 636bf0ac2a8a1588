#pragma once

#include <string>
#include <string_view>

// What the operating system asks of a run, in one place. Called by main before
// anything is printed: the standard streams are made to carry the program's
// bytes as they are, and a console to show them.
void prepareStandardStreams();

// Gives back, when the run ends on any path, what prepareStandardStreams or
// readExpression changed outside the process.
void restoreStandardStreams();

// Whether standard output is a terminal, which an escape sequence in a text
// could drive.
bool standardOutputIsTerminal();

// Reads the expression as readWord does: its first word, empty when the input
// ended before one, false when a read failed. At a terminal that the program
// can draw on, the user edits the line after prompt, which is already shown.
bool readExpression(std::string_view prompt, std::string& word);
