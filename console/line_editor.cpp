#include "console/line_editor.hpp"

#include <algorithm>
#include <limits>
#include <utility>

#include "common/output.hpp"
#include "console/read_word.hpp"

namespace {

constexpr char escape = '\x1b';
constexpr std::string_view pasteEnd = "\x1b[201~";

// ---- Characters -------------------------------------------------------------

unsigned char byteAt(std::string_view text, std::size_t at) { return static_cast<unsigned char>(text[at]); }

bool isContinuation(unsigned char byte) { return (byte & 0xc0) == 0x80; }

// The length of the valid UTF-8 sequence at at, or 0. The lead byte bounds
// the second byte more tightly where a shorter form or a surrogate would do.
std::size_t sequenceLength(std::string_view text, std::size_t at) {
    unsigned char lead = byteAt(text, at);
    std::size_t length = lead < 0x80   ? 1
                         : lead < 0xc2 ? 0
                         : lead < 0xe0 ? 2
                         : lead < 0xf0 ? 3
                         : lead < 0xf5 ? 4
                                       : 0;
    if (length < 2 || at + length > text.size()) return length == 1 ? 1 : 0;
    unsigned char second = byteAt(text, at + 1);
    unsigned char low = lead == 0xe0 ? 0xa0 : lead == 0xf0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xed ? 0x9f : lead == 0xf4 ? 0x8f : 0xbf;
    if (second < low || second > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (!isContinuation(byteAt(text, at + i))) return 0;
    }
    return length;
}

std::size_t characterLength(std::string_view text, std::size_t at) {
    return std::max<std::size_t>(1, sequenceLength(text, at));
}

std::size_t previousCharacter(std::string_view text, std::size_t at) {
    for (std::size_t back = 2; back <= 4 && back <= at; ++back) {
        if (sequenceLength(text, at - back) == back) return at - back;
    }
    return at - 1;
}

std::size_t nextCharacter(std::string_view text, std::size_t at) { return at + characterLength(text, at); }

char32_t codePoint(std::string_view text, std::size_t at, std::size_t length) {
    static constexpr unsigned char leadBits[] = {0, 0x7f, 0x1f, 0x0f, 0x07};
    char32_t point = byteAt(text, at) & leadBits[length];
    for (std::size_t i = 1; i < length; ++i) point = point << 6 | (byteAt(text, at + i) & 0x3f);
    return point;
}

bool isControl(char32_t point) { return point < 0x20 || (point >= 0x7f && point < 0xa0); }

bool isCombining(char32_t point) {
    return (point >= 0x300 && point < 0x370) || (point >= 0x200b && point < 0x2010) ||
           (point >= 0x20d0 && point < 0x2100) || (point >= 0xfe00 && point < 0xfe10);
}

// East Asian wide and full-width characters and the emoji blocks, as
// terminals show them: two columns each.
bool isWide(char32_t point) {
    static constexpr std::pair<char32_t, char32_t> wide[] = {
        {0x1100, 0x115f},   {0x2e80, 0x303e},   {0x3041, 0xa4cf},  {0xac00, 0xd7a3},
        {0xf900, 0xfaff},   {0xfe30, 0xfe4f},   {0xff00, 0xff60},  {0xffe0, 0xffe6},
        {0x1f300, 0x1f64f}, {0x1f900, 0x1f9ff}, {0x20000, 0x3fffd}};
    return std::any_of(std::begin(wide), std::end(wide),
                       [point](auto range) { return point >= range.first && point <= range.second; });
}

// What a character shows on the terminal, and in how many columns: a control
// character as cat -v shows it, a byte that is no character as U+FFFD.
struct Shown {
    std::string_view bytes;
    int columns;
};

Shown shownCharacter(std::string_view text, std::size_t at, std::string& scratch) {
    std::size_t length = sequenceLength(text, at);
    if (length == 0) return {"\xef\xbf\xbd", 1};
    std::string_view bytes = text.substr(at, length);
    char32_t point = codePoint(text, at, length);
    if (isControl(point)) {
        scratch.clear();
        output::appendVisible(scratch, bytes);
        return {scratch, static_cast<int>(scratch.size())};
    }
    return {bytes, isCombining(point) ? 0 : isWide(point) ? 2 : 1};
}

int columnsOf(std::string_view text, std::size_t at) {
    std::string scratch;
    return shownCharacter(text, at, scratch).columns;
}

// ---- Edits ------------------------------------------------------------------

// The digits, letters and points of a number, and every character beyond
// ASCII, make up the words that Alt+B, Alt+F and Alt+Backspace move over.
bool isWordByte(char byte) {
    auto value = static_cast<unsigned char>(byte);
    return value >= 0x80 || (value >= '0' && value <= '9') ||
           ((value | 0x20) >= 'a' && (value | 0x20) <= 'z') || byte == '.' || byte == ',';
}

std::size_t wordStartBefore(std::string_view text, std::size_t at, bool (*inWord)(char)) {
    while (at > 0 && !inWord(text[at - 1])) --at;
    while (at > 0 && inWord(text[at - 1])) --at;
    return at;
}

std::size_t wordEndAfter(std::string_view text, std::size_t at) {
    while (at < text.size() && !isWordByte(text[at])) ++at;
    while (at < text.size() && isWordByte(text[at])) ++at;
    return at;
}

bool isNotSeparator(char byte) { return !isWordSeparator(byte); }

void erase(LineBeingEdited& line, std::size_t from, std::size_t to) {
    line.text.erase(from, to - from);
    line.cursor = from;
}

void insert(LineBeingEdited& line, std::string_view text) {
    line.text.insert(line.cursor, text);
    line.cursor += text.size();
}

// Pasted text goes in as it is, but for the bytes that end a word, which go in
// as spaces: a pasted line feed then neither ends the line nor shows as one,
// and the first word is the same.
void insertPasted(LineBeingEdited& line, std::string_view text) {
    std::size_t start = line.cursor;
    insert(line, text);
    std::replace_if(line.text.begin() + static_cast<std::ptrdiff_t>(start),
                    line.text.begin() + static_cast<std::ptrdiff_t>(line.cursor), isWordSeparator, ' ');
}

enum class Key {
    none,
    left,
    right,
    wordLeft,
    wordRight,
    home,
    end,
    backspace,
    deleteForward,
    deleteOrEnd,
    killWordBack,
    killAlnumWordBack,
    killToStart,
    killToEnd,
    enter,
    tab,
    pasteStart
};

LineEnd apply(LineBeingEdited& line, Key key) {
    std::string_view text = line.text;
    std::size_t at = line.cursor;
    switch (key) {
        case Key::left: line.cursor = at > 0 ? previousCharacter(text, at) : 0; break;
        case Key::right: line.cursor = at < text.size() ? nextCharacter(text, at) : at; break;
        case Key::wordLeft: line.cursor = wordStartBefore(text, at, isWordByte); break;
        case Key::wordRight: line.cursor = wordEndAfter(text, at); break;
        case Key::home: line.cursor = 0; break;
        case Key::end: line.cursor = text.size(); break;
        case Key::backspace:
            if (at > 0) erase(line, previousCharacter(text, at), at);
            break;
        case Key::deleteOrEnd:
            if (text.empty()) return LineEnd::endOfInput;
            [[fallthrough]];
        case Key::deleteForward:
            if (at < text.size()) erase(line, at, nextCharacter(text, at));
            break;
        case Key::killWordBack: erase(line, wordStartBefore(text, at, isNotSeparator), at); break;
        case Key::killAlnumWordBack: erase(line, wordStartBefore(text, at, isWordByte), at); break;
        case Key::killToStart: erase(line, 0, at); break;
        case Key::killToEnd: line.text.erase(at); break;
        case Key::enter: return firstWord(text).empty() ? LineEnd::blank : LineEnd::entered;
        case Key::tab: line.text.insert(line.cursor++, 1, ' '); break;
        case Key::pasteStart: line.pasting = true; break;
        case Key::none: break;
    }
    return LineEnd::editing;
}

// ---- Keys -------------------------------------------------------------------

Key controlKey(char byte) {
    switch (byte) {
        case '\x01': return Key::home;
        case '\x02': return Key::left;
        case '\x04': return Key::deleteOrEnd;
        case '\x05': return Key::end;
        case '\x06': return Key::right;
        case '\x08':
        case '\x7f': return Key::backspace;
        case '\t': return Key::tab;
        case '\n':
        case '\r': return Key::enter;
        case '\x0b': return Key::killToEnd;
        case '\x15': return Key::killToStart;
        case '\x17': return Key::killWordBack;
        default: return Key::none;
    }
}

// The keys that end a CSI or SS3 sequence: ESC [ 1 ; 5 D is Ctrl+Left, and
// ESC [ 1 ~, ESC [ 7 ~, ESC [ H and ESC O H are Home on one terminal or
// another.
Key sequenceKey(std::string_view parameters, char final) {
    bool modified = parameters.find(';') != std::string_view::npos;
    switch (final) {
        case 'D': return modified ? Key::wordLeft : Key::left;
        case 'C': return modified ? Key::wordRight : Key::right;
        case 'H': return Key::home;
        case 'F': return Key::end;
        case '~': break;
        default: return Key::none;
    }
    std::string_view number = parameters.substr(0, parameters.find(';'));
    if (number == "1" || number == "7") return Key::home;
    if (number == "4" || number == "8") return Key::end;
    if (number == "3") return Key::deleteForward;
    if (number == "200") return Key::pasteStart;
    return Key::none;
}

Key altKey(char byte) {
    switch (byte) {
        case 'b': return Key::wordLeft;
        case 'f': return Key::wordRight;
        case '\x08':
        case '\x7f': return Key::killAlnumWordBack;
        default: return Key::none;
    }
}

struct Decoded {
    Key key;
    std::size_t length;  // 0: cut short
};

// A sequence that an unknown byte breaks ends before that byte, which is then
// read anew.
Decoded decodeEscape(std::string_view input, std::size_t at) {
    if (at + 1 >= input.size()) return {Key::none, 0};
    char kind = input[at + 1];
    if (kind == 'O') {
        if (at + 2 >= input.size()) return {Key::none, 0};
        return {sequenceKey("", input[at + 2]), 3};
    }
    if (kind != '[') return {kind == escape ? Key::none : altKey(kind), kind == escape ? 1u : 2u};
    std::size_t end = at + 2;
    while (end < input.size() && input[end] >= 0x20 && input[end] < 0x40) ++end;
    if (end == input.size()) return {Key::none, 0};
    if (input[end] < 0x40 || input[end] > 0x7e) return {Key::none, end - at};
    return {sequenceKey(input.substr(at + 2, end - at - 2), input[end]), end - at + 1};
}

bool isKeyByte(char byte) { return static_cast<unsigned char>(byte) < 0x20 || byte == '\x7f'; }

// Ordinary characters up to the next key, leaving a character cut short at the
// end for the next read when more may follow.
std::size_t textRunEnd(std::string_view input, std::size_t at, bool moreMayFollow) {
    std::size_t end = at;
    while (end < input.size() && !isKeyByte(input[end])) {
        std::size_t length = sequenceLength(input, end);
        if (length == 0 && moreMayFollow && byteAt(input, end) >= 0xc2 && byteAt(input, end) < 0xf5) {
            std::size_t available = input.size() - end;
            bool cutShort =
                available < 4 &&
                std::all_of(input.begin() + static_cast<std::ptrdiff_t>(end) + 1, input.end(),
                            [](char byte) { return isContinuation(static_cast<unsigned char>(byte)); });
            if (cutShort) break;
        }
        end += std::max<std::size_t>(1, length);
    }
    return end;
}

// How much of the pasted text can go in now: all of it up to the end mark,
// but for a tail that may be the start of the mark while more may follow.
std::size_t pastedRunEnd(std::string_view input, std::size_t at, bool moreMayFollow) {
    std::size_t mark = input.find(pasteEnd, at);
    if (mark != std::string_view::npos || !moreMayFollow) return std::min(mark, input.size());
    for (std::size_t keep = std::min(pasteEnd.size() - 1, input.size() - at); keep > 0; --keep) {
        if (pasteEnd.starts_with(input.substr(input.size() - keep))) return input.size() - keep;
    }
    return input.size();
}

}  // namespace

std::size_t applyKeys(LineBeingEdited& line, std::string_view input, bool moreMayFollow, LineEnd& end) {
    end = LineEnd::editing;
    std::size_t at = 0;
    while (at < input.size() && end == LineEnd::editing) {
        if (line.pasting) {
            std::size_t runEnd = pastedRunEnd(input, at, moreMayFollow);
            insertPasted(line, input.substr(at, runEnd - at));
            at = runEnd;
            if (!input.substr(at).starts_with(pasteEnd)) break;
            at += pasteEnd.size();
            line.pasting = false;
        } else if (input[at] == escape) {
            // A sequence cut short runs to the end of the input.
            Decoded decoded = decodeEscape(input, at);
            if (decoded.length == 0 && moreMayFollow) break;
            end = apply(line, decoded.key);
            at = decoded.length == 0 ? input.size() : at + decoded.length;
        } else if (isKeyByte(input[at])) {
            end = apply(line, controlKey(input[at]));
            ++at;
        } else {
            std::size_t runEnd = textRunEnd(input, at, moreMayFollow);
            if (runEnd == at) break;
            insert(line, input.substr(at, runEnd - at));
            at = runEnd;
        }
    }
    return at;
}

namespace {

// The columns from from to to, counted no further than limit.
int columnsUpTo(std::string_view text, std::size_t from, std::size_t to, int limit) {
    int columns = 0;
    for (std::size_t at = from; at < to && columns < limit; at = nextCharacter(text, at)) {
        columns += columnsOf(text, at);
    }
    return columns;
}

// Where a view that ends at to starts: as far back as fits with the "<".
std::size_t startOfTail(std::string_view text, std::size_t to, int room) {
    std::size_t start = to;
    for (int columns = 1; start > 0;) {
        std::size_t before = previousCharacter(text, start);
        columns += columnsOf(text, before);
        if (columns >= room) break;
        start = before;
    }
    return start;
}

// Keeps the cursor inside the shown part of the row, with a column to spare
// for the ">" that may follow; shows the line from its start whenever that
// shows the cursor, and as much as fits before its end when the end is shown.
// Every walk stops within a row's width of where it starts, so a megabyte's
// line costs no more to draw than a short one.
void scrollToCursor(LineBeingEdited& line, int room) {
    std::string_view text = line.text;
    if (columnsUpTo(text, 0, line.cursor, room) < room) {
        line.viewStart = 0;
        return;
    }
    // From here on the row starts with "<", which takes a column.
    line.viewStart = std::min(line.viewStart, line.cursor);
    if (line.viewStart == 0 || 1 + columnsUpTo(text, line.viewStart, line.cursor, room) >= room) {
        line.viewStart = startOfTail(text, line.cursor, room);
    }
    if (1 + columnsUpTo(text, line.viewStart, text.size(), room) < room) {
        line.viewStart = startOfTail(text, text.size(), room);
    }
}

}  // namespace

std::string renderLine(LineBeingEdited& line, std::string_view prompt, int width) {
    int promptColumns = columnsUpTo(prompt, 0, prompt.size(), std::numeric_limits<int>::max());
    // The last column stays free: a terminal that has written it may already
    // have moved to the next row.
    int room = std::max(2, width - promptColumns - 1);
    scrollToCursor(line, room);

    std::string shown = "\r";
    shown += prompt;
    int columns = 0;
    if (line.viewStart > 0) {
        shown += '<';
        columns = 1;
    }
    std::string_view text = line.text;
    std::string scratch;
    int cursorColumn = columns;
    std::size_t at = line.viewStart;
    for (; at < text.size(); at = nextCharacter(text, at)) {
        Shown character = shownCharacter(text, at, scratch);
        bool last = nextCharacter(text, at) >= text.size();
        if (columns + character.columns > room - (last ? 0 : 1)) break;
        if (at == line.cursor) cursorColumn = columns;
        shown += character.bytes;
        columns += character.columns;
    }
    if (line.cursor >= at) cursorColumn = columns;
    if (at < text.size()) shown += '>';
    shown += "\x1b[K\r";
    line.shownCursorColumn = promptColumns + cursorColumn;
    if (line.shownCursorColumn > 0) shown += "\x1b[" + std::to_string(line.shownCursorColumn) + "C";
    return shown;
}

std::string renderAfterResize(LineBeingEdited& line, std::string_view prompt, int width) {
    int rowsBelow = line.shownCursorColumn / std::max(1, width);
    std::string shown = rowsBelow > 0 ? "\x1b[" + std::to_string(rowsBelow) + "A" : "";
    shown += "\r\x1b[J";
    return shown + renderLine(line, prompt, width);
}

std::string renderFinalLine(const LineBeingEdited& line, std::string_view prompt) {
    std::string shown = "\r\x1b[K";
    shown += prompt;
    std::string_view text = line.text;
    std::string scratch;
    for (std::size_t at = 0; at < text.size(); at = nextCharacter(text, at)) {
        shown += shownCharacter(text, at, scratch).bytes;
    }
    shown += '\n';
    return shown;
}
