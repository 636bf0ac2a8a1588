#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The line the user types at a terminal, edited as at a shell's prompt. This
// part knows no terminal: it turns the bytes that keys and pastes send into
// edits of the line, and the line into the bytes that show it on a row of a
// given width. The terminal itself is console/terminal_posix.cpp's.
//
// The line is bytes, as the expression is; it is decoded as UTF-8 whatever
// the locale says, since the program writes UTF-8. A byte that starts no
// valid sequence is a character of its own.
//
// Its functions run only at a terminal, while a person types. They are marked
// cold, so that the compiler places them apart from the code that every run
// goes through: a run from a pipe then loads no more pages of the program at
// its start than it did before the editor existed.

struct LineBeingEdited {
    std::string text;
    std::size_t cursor = 0;     // a byte offset at the start of a character
    std::size_t viewStart = 0;  // the first character shown when the line is wider than the row
    int shownCursorColumn = 0;  // where the last rendering left the cursor, the prompt included
    bool pasting = false;       // between the terminal's bracketed-paste marks
};

enum class LineEnd { editing, entered, blank, endOfInput };

// Applies the keys in input to line and returns how many bytes it used. It
// stops after Enter, which gives entered, or blank when the line holds no
// word, and after Ctrl+D on an empty line (endOfInput). A key sequence cut
// short at the end of input is left unused while moreMayFollow; otherwise it
// counts for what it is: a lone Esc, or the bytes that arrived.
[[gnu::cold]] std::size_t applyKeys(LineBeingEdited& line, std::string_view input, bool moreMayFollow,
                                    LineEnd& end);

// Redraws the row: the prompt, as much of the line around the cursor as fits
// in width columns, "<" and ">" where more of it lies beyond either edge, and
// the cursor in its place. Moves line.viewStart so that the cursor is shown.
[[gnu::cold]] std::string renderLine(LineBeingEdited& line, std::string_view prompt, int width);

// The same after the terminal changed its width. A terminal that rewraps its
// rows has put the cursor that many rows below the prompt, so the rendering
// starts there and clears what lies below.
[[gnu::cold]] std::string renderAfterResize(LineBeingEdited& line, std::string_view prompt, int width);

// The row as it stays on the screen once the line is done: the prompt and the
// whole line, wrapped by the terminal, and a line feed.
[[gnu::cold]] std::string renderFinalLine(const LineBeingEdited& line, std::string_view prompt);
