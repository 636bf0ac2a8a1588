#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "console/platform.hpp"
#include "console/read_word.hpp"

namespace {

// The console's code pages as they were before the run, 0 without a console.
// The console belongs to whoever started the program, so they go back to it
// at the end, also when a key interrupts the run; the handler that Windows
// calls then takes no argument of ours, so they are kept here.
UINT originalOutputPage = 0;
UINT originalInputPage = 0;

BOOL WINAPI restoreOnInterrupt(DWORD) {
    restoreStandardStreams();
    return FALSE;  // and let Windows end the run as it would have
}

}  // namespace

void prepareStandardStreams() {
    // A failure ends the run with its exit status, never with a dialog box.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    // The bytes pass as they are, as on every other system: no carriage return
    // is added before a line feed, and no Ctrl-Z ends the input.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    // A console shows bytes in its own code page, 437 or 850, not in UTF-8.
    originalOutputPage = GetConsoleOutputCP();
    originalInputPage = GetConsoleCP();
    if (originalOutputPage == 0) return;
    SetConsoleCtrlHandler(restoreOnInterrupt, TRUE);
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
    // Unbuffered, each piece the program prints reaches the console in one
    // write, and no character's bytes are split between two.
    if (_isatty(_fileno(stdout))) std::setvbuf(stdout, nullptr, _IONBF, 0);
}

void restoreStandardStreams() {
    if (originalOutputPage == 0) return;
    SetConsoleOutputCP(originalOutputPage);
    SetConsoleCP(originalInputPage);
}

bool standardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

// The console's own line input edits the line, as at every Windows prompt.
bool readExpression(std::string_view, std::string& word) { return readWord(stdin, word); }
