#include "console/line_editor.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/output.hpp"

namespace {

// The line with a '|' where the cursor is.
std::string withCursor(const LineBeingEdited& line) {
    return line.text.substr(0, line.cursor) + "|" + line.text.substr(line.cursor);
}

struct Edited {
    std::string line;
    LineEnd end;
    bool operator==(const Edited&) const = default;
};

std::ostream& operator<<(std::ostream& stream, const Edited& edited) {
    return stream << "'" << edited.line << "', end " << static_cast<int>(edited.end);
}

// Feeds the keys in two reads, split at split, as a terminal may hand them
// over: whatever the first read leaves unused comes again with the second.
Edited editInTwoReads(const std::string& keys, std::size_t split) {
    LineBeingEdited line;
    LineEnd end = LineEnd::editing;
    std::string pending = keys.substr(0, split);
    pending.erase(0, applyKeys(line, pending, true, end));
    if (end == LineEnd::editing) {
        pending += keys.substr(split);
        applyKeys(line, pending, false, end);
    }
    return {withCursor(line), end};
}

TEST(LineEditor, EditsAsAShellPromptDoes) {
    const std::vector<std::pair<std::string, Edited>> rows = {
        {"3*(2+5)^2", {"3*(2+5)^2|", LineEnd::editing}},
        // Left, and Home and End in each of their encodings.
        {"abc\x1b[D", {"ab|c", LineEnd::editing}},
        {"abc\x1bOD", {"ab|c", LineEnd::editing}},
        {"abc\x02", {"ab|c", LineEnd::editing}},
        {"abc\x1b[D\x1b[C\x06", {"abc|", LineEnd::editing}},
        {"abc\x01", {"|abc", LineEnd::editing}},
        {"abc\x1b[H", {"|abc", LineEnd::editing}},
        {"abc\x1b[1~", {"|abc", LineEnd::editing}},
        {"abc\x1b[7~", {"|abc", LineEnd::editing}},
        {"abc\x1bOH", {"|abc", LineEnd::editing}},
        {"abc\x01\x05", {"abc|", LineEnd::editing}},
        {"abc\x01\x1b[F", {"abc|", LineEnd::editing}},
        {"abc\x01\x1b[4~", {"abc|", LineEnd::editing}},
        {"abc\x01\x1b[8~", {"abc|", LineEnd::editing}},
        {"abc\x01\x1bOF", {"abc|", LineEnd::editing}},
        {"2+5)^2\x1b[1~3*(", {"3*(|2+5)^2", LineEnd::editing}},
        // Whole characters, whatever the locale.
        {"2+\xc3\xa4\xe2\x82\xac\xc3\xb6\x7f\x7f\1773", {"2+3|", LineEnd::editing}},
        {"\xc3\xa4\xc3\xb6\xe2\x82\xac\x1b[D\x1b[D\x08", {"|\xc3\xb6\xe2\x82\xac", LineEnd::editing}},
        {"1\xf0\x9f\xa7\xae\x1b[D\x1b[D\x1b[C", {"1|\xf0\x9f\xa7\xae", LineEnd::editing}},
        {"1\xff\3032\x1b[D\x1b[D\x7f", {"1|\3032", LineEnd::editing}},
        // A byte that starts no valid sequence is a character of its own.
        {"\xe0\x80\x7f", {"\xe0|", LineEnd::editing}},
        {"\xed\xa0\x80\x7f", {"\xed\xa0|", LineEnd::editing}},
        {"\xf4\x90\x80\x80\x7f", {"\xf4\x90\x80|", LineEnd::editing}},
        {"\xf0\x90\x80x\x7f\x7f", {"\xf0\x90|", LineEnd::editing}},
        {"\xf4\x8f\xbf\xbf\xed\x9f\xbf\x7f\x7f", {"|", LineEnd::editing}},
        {"1\xc0\xf5\xff", {"1\xc0\xf5\xff|", LineEnd::editing}},
        // Nothing to move over or remove at either end.
        {"\x1b[D\x7f\033b1\x1b[C\033f\x1b[3~", {"1|", LineEnd::editing}},
        // Delete, Ctrl+D and Ctrl+W, Ctrl+U, Ctrl+K, Alt+Backspace.
        {"ab\x01\x1b[3~", {"|b", LineEnd::editing}},
        {"ab\x01\x04", {"|b", LineEnd::editing}},
        {"ab\x04", {"ab|", LineEnd::editing}},
        {"\x04", {"|", LineEnd::endOfInput}},
        {"1\x7f\x04", {"|", LineEnd::endOfInput}},
        {"7*7\0272+2", {"2+2|", LineEnd::editing}},
        {"1 7*7  \x17", {"1 |", LineEnd::editing}},
        {"abc\x1b[D\x1b[D\x15", {"|bc", LineEnd::editing}},
        {"abc\x01\x1b[C\x0b", {"a|", LineEnd::editing}},
        {"12+34\x1b\x7f", {"12+|", LineEnd::editing}},
        // Words: Alt+B, Alt+F, Ctrl+Left.
        {"12+34\033b", {"12+|34", LineEnd::editing}},
        {"12+34\x01\033f", {"12|+34", LineEnd::editing}},
        {"12+34\x1b[1;5D", {"12+|34", LineEnd::editing}},
        {"12+34\x01\x1b[1;5C", {"12|+34", LineEnd::editing}},
        {"1 + 2\033b\033b", {"|1 + 2", LineEnd::editing}},
        {"2^3\033b", {"2^|3", LineEnd::editing}},
        {"12+\x01\033f\033f", {"12+|", LineEnd::editing}},
        {"A.5,\xc3\xa4 x\x01\033f", {"A.5,\xc3\xa4| x", LineEnd::editing}},
        // Enter, with and without a word.
        {"2+3\r", {"2+3|", LineEnd::entered}},
        {"2+3\n", {"2+3|", LineEnd::entered}},
        {" \t\r", {"  |", LineEnd::blank}},
        {"\r", {"|", LineEnd::blank}},
        {"2+3\r4", {"2+3|", LineEnd::entered}},
        // A paste is text: its line feeds are spaces, its controls stay.
        {"\x1b[200~2+3\n4*5\r\x1b[201~", {"2+3 4*5 |", LineEnd::editing}},
        {"\x1b[200~\x01\x1b[D\x1b[201~\x1b[D", {"\x01\x1b[|D", LineEnd::editing}},
        {"1\x1b[200~\x1b[20\x1b[201~\r", {"1\x1b[20|", LineEnd::entered}},
        // What the editor does not know is passed over whole.
        {"1\x1b[5~2", {"12|", LineEnd::editing}},
        {"1\x1b[1;5X2\x1bx3\x07\x0c", {"123|", LineEnd::editing}},
        {"1\x1b[1\xc3\xa4", {"1\xc3\xa4|", LineEnd::editing}},
        {"1\x1b[1\x7f", {"|", LineEnd::editing}},
        {"\x1b[200~12\x1b[20", {"12\x1b[20|", LineEnd::editing}},
        {"1\x1b\x1b[D", {"|1", LineEnd::editing}},
        {"1\x1b", {"1|", LineEnd::editing}},
        {"1\x1b[20", {"1|", LineEnd::editing}},
        {"1\xe2\x82", {"1\xe2\x82|", LineEnd::editing}},
    };
    for (const auto& [keys, expected] : rows) {
        for (std::size_t split = 0; split <= keys.size(); ++split) {
            EXPECT_EQ(editInTwoReads(keys, split), expected) << "keys '" << keys << "' split at " << split;
        }
    }
}

// A key cut short by the end of a read waits for the rest.
TEST(LineEditor, LeavesAKeyCutShortForTheNextRead) {
    const std::vector<std::pair<std::string, std::size_t>> rows = {
        {"ab\x1b", 2},
        {"ab\x1b[", 2},
        {"ab\x1b[1;5", 2},
        {"ab\x1bO", 2},
        {"ab\xc3", 2},
        {"ab\xe2\x82", 2},
        {"ab\xf0\x9f\xa7", 2},
        {"ab\xc3\x41", 4},
        {"\x1b[200~12\x1b[20", 8},
        {"\x1b[200~12\x1b", 8},
        {"\x1b[200~12\x1b[201", 8},
        {"\x1b[200~12[201~", 13},
    };
    for (const auto& [keys, used] : rows) {
        LineBeingEdited line;
        LineEnd end = LineEnd::editing;
        EXPECT_EQ(applyKeys(line, keys, true, end), used) << "keys '" << keys << "'";
    }
}

LineBeingEdited lineWithCursor(const std::string& marked) {
    LineBeingEdited line;
    line.cursor = marked.find('|');
    line.text = marked.substr(0, line.cursor) + marked.substr(line.cursor + 1);
    return line;
}

// The prompt "➤ " takes two columns; the last column of the row stays free.
TEST(LineEditor, DrawsTheRowAroundTheCursor) {
    struct Row {
        std::string line;
        int width;
        std::string shown;
    };
    const std::string digits = "1234567890";
    const std::vector<Row> rows = {
        {"|", 80, "\r➤ \x1b[K\r\x1b[2C"},
        {"2+3|", 80, "\r➤ 2+3\x1b[K\r\x1b[5C"},
        {"2|+3", 80, "\r➤ 2+3\x1b[K\r\x1b[3C"},
        {"1234567|", 10, "\r➤ <34567\x1b[K\r\x1b[8C"},
        {"123456|", 10, "\r➤ 123456\x1b[K\r\x1b[8C"},
        {digits + "|", 10, "\r➤ <67890\x1b[K\r\x1b[8C"},
        {"|" + digits, 10, "\r➤ 123456>\x1b[K\r\x1b[2C"},
        {"12345|67890", 10, "\r➤ 123456>\x1b[K\r\x1b[7C"},
        {"1234567|890", 10, "\r➤ <34567>\x1b[K\r\x1b[8C"},
        {"1\0332|", 80, "\r➤ 1^[2\x1b[K\r\x1b[6C"},
        {"1\xc2\x9b|", 80, "\r➤ 1M-^[\x1b[K\r\x1b[7C"},
        {"\xe6\x97\xa5\xe6\x9c\xac|", 80, "\r➤ \xe6\x97\xa5\xe6\x9c\xac\x1b[K\r\x1b[6C"},
        {"e\xcc\x81|", 80, "\r➤ e\xcc\x81\x1b[K\r\x1b[3C"},
        {"1\xe2\x80\x8b\xe2\x83\x97\xef\xb8\x8f\xf0\x9f\xa7\xae|", 80,
         "\r➤ 1\xe2\x80\x8b\xe2\x83\x97\xef\xb8\x8f\xf0\x9f\xa7\xae\x1b[K\r\x1b[5C"},
        {"1\xff|", 80, "\r➤ 1\xef\xbf\xbd\x1b[K\r\x1b[4C"},
        {"|\xe6\x97\xa5\xe6\x97\xa5\xe6\x97\xa5", 8, "\r➤ \xe6\x97\xa5\xe6\x97\xa5>\x1b[K\r\x1b[2C"},
        {"12|", 2, "\r➤ <\x1b[K\r\x1b[3C"},
    };
    for (const auto& [marked, width, shown] : rows) {
        LineBeingEdited line = lineWithCursor(marked);
        EXPECT_EQ(renderLine(line, "➤ ", width), shown)
            << "line '" << marked << "' in " << width << " columns";
    }
}

// A view once scrolled stays where it is while the cursor is in it, and the
// line shows from its start again as soon as that shows the cursor.
TEST(LineEditor, KeepsTheViewWhileTheCursorIsInIt) {
    LineBeingEdited line = lineWithCursor("1234567890|");
    renderLine(line, "➤ ", 10);
    LineEnd end = LineEnd::editing;
    applyKeys(line, "\x1b[D\x1b[D\x1b[D", false, end);
    EXPECT_EQ(renderLine(line, "➤ ", 10), "\r➤ <67890\x1b[K\r\x1b[5C");
    applyKeys(line, "\x1b[D\x1b[D\x1b[D", false, end);
    EXPECT_EQ(renderLine(line, "➤ ", 10), "\r➤ 123456>\x1b[K\r\x1b[6C");
    applyKeys(line, "\x0b", false, end);
    EXPECT_EQ(renderLine(line, "➤ ", 10), "\r➤ 1234\x1b[K\r\x1b[6C");
}

TEST(LineEditor, DrawsTheRowAgainAfterAResize) {
    LineBeingEdited line = lineWithCursor(std::string(200, '1') + "|");
    renderLine(line, "➤ ", 80);
    ASSERT_EQ(line.shownCursorColumn, 78);
    EXPECT_EQ(renderAfterResize(line, "➤ ", 40),
              "\x1b[1A\r\x1b[J\r➤ <" + std::string(35, '1') + "\x1b[K\r\x1b[38C");
    EXPECT_EQ(renderAfterResize(line, "➤ ", 100),
              "\r\x1b[J\r➤ <" + std::string(95, '1') + "\x1b[K\r\x1b[98C");
    LineBeingEdited empty;
    EXPECT_EQ(renderAfterResize(empty, "", 100), "\r\x1b[J\r\x1b[K\r");
}

TEST(LineEditor, LeavesTheWholeLineOnTheScreen) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"3*(2+5)^2", "\r\x1b[K➤ 3*(2+5)^2\n"},
        {"1\x1b[31m2\x7f", "\r\x1b[K➤ 1^[[31m2^?\n"},
        {"1\xff\xc3\xa4", "\r\x1b[K➤ 1\xef\xbf\xbd\xc3\xa4\n"},
    };
    for (const auto& [text, shown] : rows) {
        LineBeingEdited line;
        line.text = text;
        EXPECT_EQ(renderFinalLine(line, "➤ "), shown) << "line '" << text << "'";
    }
}

// An expression's control characters, written on a terminal, are shown
// instead of acting; a pipe gets the bytes as they are.
TEST(LineEditor, ShowsControlCharactersAsCatDoes) {
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"1+2", "1+2"},
        {std::string("\x00\x01\x1b[2J\x1f\x7f", 8), "^@^A^[[2J^_^?"},
        {"\xc2\2332J\xc2\x80\xc2\xa0\xc3\xa4", "M-^[2JM-^@\xc2\xa0\xc3\xa4"},
        {std::string(4095, '1') + "\xc2\x9b", std::string(4095, '1') + "M-^["},
    };
    for (const auto& [text, visible] : rows) {
        std::string written;
        output::captureInto(&written);
        output::showControlCharacters(true);
        print("{}", text);
        output::showControlCharacters(false);
        print("|{}", text);
        output::captureInto(nullptr);
        EXPECT_EQ(written, visible + "|" + text);
    }
}

}  // namespace
