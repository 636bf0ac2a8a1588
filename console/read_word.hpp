#pragma once

#include <cstdio>
#include <string>

// Space, tab, line feed, carriage return, vertical tab and form feed: the
// bytes that end a word.
bool isWordSeparator(char byte);

// Reads the first whitespace-delimited word of input into word: leading
// spaces, tabs, line feeds, carriage returns, vertical tabs and form feeds are
// skipped, and the word ends before the next of them or at the end of input.
// Returns false when a read failed, also after part of the word was read; word
// is left empty when the input ended before any other byte.
bool readWord(std::FILE* input, std::string& word);
