#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <string_view>

#include "console/line_editor.hpp"
#include "console/read_word.hpp"
#include "console/terminal.hpp"

// The terminal in the kernel's canonical mode keeps at most 4,095 bytes of a
// line, knows no cursor keys, and leaves whatever the program did not read
// for the shell. So while the user types, the terminal hands every byte over
// as it comes (no ICANON, no ECHO) and the line editor draws the line itself.
// The kernel still turns Ctrl+C, Ctrl+\ and Ctrl+Z into signals (ISIG), and
// every one of them, like every other way out, gives the terminal back first.

namespace {

constexpr std::string_view bracketedPasteOn = "\x1b[?2004h";
constexpr std::string_view bracketedPasteOff = "\x1b[?2004l";
// A key's sequence comes in one piece; an Esc with nothing after it within
// this time was pressed alone.
constexpr int sequenceWaitMilliseconds = 100;

termios original{};
volatile std::sig_atomic_t changed = 0;
volatile std::sig_atomic_t resized = 0;
volatile std::sig_atomic_t resumed = 0;

// A write or a read that a handler interrupts is restarted: the handlers are
// installed with std::signal, which asks for that.
void writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written <= 0) return;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

// TCSADRAIN, not TCSAFLUSH: keys typed ahead stay for whoever reads next.
void enterEditingMode() {
    if (tcgetattr(STDIN_FILENO, &original) != 0) return;
    termios editing = original;
    editing.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);
    editing.c_iflag &= ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR);
    editing.c_cc[VMIN] = 1;
    editing.c_cc[VTIME] = 0;
    if (tcsetattr(STDIN_FILENO, TCSADRAIN, &editing) != 0) return;
    changed = 1;
    writeAll(bracketedPasteOn);
}

int windowWidth() {
    winsize size{};
    ioctl(STDOUT_FILENO, TIOCGWINSZ, &size);
    return size.ws_col > 0 ? size.ws_col : 80;
}

bool inputWithin(int milliseconds) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    return poll(&input, 1, milliseconds) > 0;
}

enum class Wait { input, signal, failed };

// Waits for a key, or for a signal that may ask for the row to be drawn again.
Wait waitForInput() {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, -1) >= 0) return Wait::input;
    return errno == EINTR ? Wait::signal : Wait::failed;
}

// ---- Signals ----------------------------------------------------------------

// The program links every C library function it calls at its start, so each
// new one costs every run: the handlers use std::signal and raise, which
// it has anyway, rather than sigaction and signal masks. std::signal's
// handlers restart an interrupted read but not poll, which the editor waits
// in.

volatile std::sig_atomic_t suspended = 0;

// The signal, now left to its default, is delivered as the handler returns.
void deliverOnReturn(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// The key shows as the terminal itself would have echoed it, and the signal's
// own default then ends the run, so the shell sees how it ended (status 130
// after Ctrl+C). The terminal test runs it, but a run that a signal ends
// writes no coverage data, so coverage leaves it out.
// GCOVR_EXCL_START
void endBySignal(int signal) {
    if (changed != 0 && (original.c_lflag & ECHO) != 0 && (original.c_lflag & ECHOCTL) != 0) {
        if (signal == SIGINT) writeAll("^C");
        if (signal == SIGQUIT) writeAll("^\\");
    }
    restoreTerminal();
    deliverOnReturn(signal);
}
// GCOVR_EXCL_STOP

// Ctrl+Z: the shell gets its terminal back while the program is stopped, and
// after fg the line is drawn again as it was.
void suspend(int signal) {
    int savedErrno = errno;
    restoreTerminal();
    suspended = 1;
    deliverOnReturn(signal);
    errno = savedErrno;
}

void resume(int) {
    if (suspended == 0) return;
    int savedErrno = errno;
    suspended = 0;
    std::signal(SIGTSTP, suspend);
    enterEditingMode();
    resumed = 1;
    errno = savedErrno;
}

void noteResize(int) { resized = 1; }

struct Caught {
    int signal;
    void (*handler)(int);
    void (*previous)(int);
};

// The signals that end the run by default and that a user or the system sends
// while the line is typed, and those that the editor follows.
Caught caught[] = {{SIGINT, endBySignal, SIG_DFL},  {SIGQUIT, endBySignal, SIG_DFL},
                   {SIGTERM, endBySignal, SIG_DFL}, {SIGHUP, endBySignal, SIG_DFL},
                   {SIGTSTP, suspend, SIG_DFL},     {SIGCONT, resume, SIG_DFL},
                   {SIGWINCH, noteResize, SIG_DFL}};

// A signal that the program was started to ignore stays ignored.
void catchSignals() {
    for (Caught& each : caught) {
        each.previous = std::signal(each.signal, each.handler);
        if (each.previous == SIG_IGN) std::signal(each.signal, SIG_IGN);
    }
}

void releaseSignals() {
    for (const Caught& each : caught) std::signal(each.signal, each.previous);
}

// ---- The line ---------------------------------------------------------------

// Applies what has arrived; a line Entered without a word stays on the
// screen, and a fresh prompt follows it, as at a shell.
LineEnd takeKeys(LineBeingEdited& line, std::string& pending, bool moreMayFollow, std::string_view prompt) {
    LineEnd end = LineEnd::editing;
    while (!pending.empty()) {
        pending.erase(0, applyKeys(line, pending, moreMayFollow, end));
        if (end != LineEnd::blank) break;
        writeAll(renderFinalLine(line, prompt));
        line = LineBeingEdited{};
        writeAll(renderLine(line, prompt, windowWidth()));
        end = LineEnd::editing;
    }
    return end;
}

enum class ReadResult { line, endOfInput, failed };

ReadResult editLine(std::string_view prompt, LineBeingEdited& line) {
    int width = windowWidth();
    writeAll(renderLine(line, prompt, width));
    std::string pending;
    char buffer[65536];
    while (true) {
        if (resized != 0) {
            resized = 0;
            width = windowWidth();
            writeAll(renderAfterResize(line, prompt, width));
        }
        if (resumed != 0) {
            resumed = 0;
            writeAll(renderLine(line, prompt, width));
        }
        Wait wait = waitForInput();
        if (wait == Wait::signal) continue;
        if (wait == Wait::failed) return ReadResult::failed;
        ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
        if (count < 0) return ReadResult::failed;
        // The terminal has gone: what was typed is all there is.
        if (count == 0) return firstWord(line.text).empty() ? ReadResult::endOfInput : ReadResult::line;
        pending.append(buffer, static_cast<std::size_t>(count));
        LineEnd end = takeKeys(line, pending, true, prompt);
        if (end == LineEnd::editing && !pending.empty() && !inputWithin(sequenceWaitMilliseconds)) {
            end = takeKeys(line, pending, false, prompt);
        }
        if (end == LineEnd::entered) return ReadResult::line;
        if (end == LineEnd::endOfInput) return ReadResult::endOfInput;
        // A paste arrives in many reads; the row is drawn once it has all come.
        if (!inputWithin(0)) writeAll(renderLine(line, prompt, width));
    }
}

}  // namespace

bool isTerminal(int descriptor) {
    termios settings{};
    return tcgetattr(descriptor, &settings) == 0;
}

bool isInteractiveTerminal() {
    const char* term = std::getenv("TERM");
    return isTerminal(STDIN_FILENO) && isTerminal(STDOUT_FILENO) && term != nullptr && *term != '\0' &&
           std::string_view(term) != "dumb";
}

bool editLineAtTerminal(std::string_view prompt, std::string& word) {
    catchSignals();
    enterEditingMode();
    LineBeingEdited line;
    ReadResult result = editLine(prompt, line);
    if (result == ReadResult::line) writeAll(renderFinalLine(line, prompt));
    restoreTerminal();
    releaseSignals();
    word = result == ReadResult::line ? firstWord(line.text) : std::string_view();
    return result != ReadResult::failed;
}

void restoreTerminal() {
    if (changed == 0) return;
    changed = 0;
    writeAll(bracketedPasteOff);
    tcsetattr(STDIN_FILENO, TCSADRAIN, &original);
}
