#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Space, tab, line feed, carriage return, vertical tab and form feed: the
// bytes that end a word.
bool isWordSeparator(char byte);

// The first word of text, as readWord reads it from a stream: the line typed
// at a terminal is read whole and its first word taken.
std::string_view firstWord(std::string_view text);

// Reads the first whitespace-delimited word of input into word: leading
// spaces, tabs, line feeds, carriage returns, vertical tabs and form feeds are
// skipped, and the word ends before the next of them or at the end of input.
// Returns false when a read failed, also after part of the word was read; word
// is left empty when the input ended before any other byte.
bool readWord(std::FILE* input, std::string& word);
