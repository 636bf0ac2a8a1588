'use strict';

// What the status region says of a run: its messages and result, read out of
// the program's output, and notices on what was typed.
const ostrilumeSummary = (() => {
    // What the status region reads out after a run: the messages and the
    // result, each found at the start of a line of the program's output. Of
    // a line, no more is kept than the region can say.
    const keptOfLine = 200;
    const saidAtMost = 200;

    function note(target, text) {
        for (let at = 0; at < text.length;) {
            const lineFeed = text.indexOf('\n', at);
            const end = lineFeed < 0 ? text.length : lineFeed;
            const room = keptOfLine - target.line.length;
            if (room > 0) target.line += text.slice(at, Math.min(end, at + room));
            if (lineFeed < 0) break;
            takeLine(target);
            at = lineFeed + 1;
        }
    }

    function takeLine(target) {
        const line = target.line;
        if (line.startsWith('Tulos:')) target.answer = line.replace(/^Tulos:\s+/, 'Tulos: ');
        const message = line.startsWith('❌') && /^❌\s+VIRHE:\s*(.*)$/.exec(line);
        if (message && target.messages.length < 2) target.messages.push(`Virhe: ${message[1]}`);
        target.line = '';
    }

    function shorten(text, length) {
        return text.length <= length ? text : `${text.slice(0, length - 1)}…`;
    }

    // Cut after the last whole word that fits, unless that leaves less than
    // half: a word of digits may be longer than the room.
    function shortenAtWord(text, length) {
        if (text.length <= length) return text;
        const kept = text.slice(0, length - 1);
        const space = text[length - 1] === ' ' ? length - 1 : kept.lastIndexOf(' ');
        return `${(space >= length / 2 ? kept.slice(0, space) : kept).trimEnd()}…`;
    }

    // The messages, each a sentence, then the result, in room characters.
    // The result is never cut; a message that does not fit is cut at a word
    // and ends with the ellipsis alone. A full stop after a number would make
    // it an ordinal in Finnish.
    function summary(target, room) {
        takeLine(target);
        const parts = [];
        let left = room - target.answer.length - 1;
        for (const message of target.messages) {
            const sentence = /[.!?]$/.test(message) ? message : `${message}.`;
            if (left < 20) break;
            parts.push(shortenAtWord(sentence, left));
            left -= parts.at(-1).length + 1;
        }
        return [...parts, target.answer].filter((part) => part !== '').join(' ');
    }

    // The program reads the first word of its input, as in a terminal. A
    // line of several words is not changed, but the page says what was read.
    const programSpace = /[ \t\v\f\r]+/;

    function firstWordNotice(line) {
        const words = line.split(programSpace).filter((word) => word !== '');
        if (words.length < 2) return '';
        return `Laskin luki vain ensimmäisen sanan, ${shorten(words[0], 30)}. Kirjoita lauseke ilman `
            + `välilyöntejä: ${shorten(words.join(''), 40)}`;
    }

    // The calculator passes over every character of its word that is not a
    // digit, a point, a comma, an operator or a parenthesis. A pupil who
    // pastes from a worksheet is told which, with what was probably meant.
    const meant = new Map([['−', '-'], ['–', '-'], ['×', '*'], ['·', '*'], ['÷', '/'], [':', '/'],
        ['²', '^2'], ['³', '^3']]);
    const namedAtMost = 6;

    // Searched, not split or replaced, so that a pasted line of megabytes
    // costs no copies of itself.
    const firstWord = /[^ \t\n\v\f\r]+/;
    const unknown = /[^0-9.,+\-*/^()]/g;

    function passedOverNotice(line) {
        const word = line.match(firstWord)?.[0] ?? '';
        const found = new Set();
        for (const [character] of word.matchAll(unknown)) found.add(character);
        const passed = [...found];
        if (passed.length === 0) return '';
        const named = passed.slice(0, namedAtMost)
            .map((character) => (meant.has(character) ? `${character} (tarkoititko ${meant.get(character)}?)` : character));
        const more = passed.length > namedAtMost ? ' ja muita' : '';
        return `Laskin ohitti merkit, joita se ei tunne: ${named.join(', ')}${more}.`;
    }

    function reader() {
        return { line: '', answer: '', messages: [] };
    }

    // What the region says when a run ends, the notices on what was typed
    // first.
    function said(target, notice) {
        return summary(target, saidAtMost - notice.length);
    }

    function notices(line) {
        return [firstWordNotice(line), passedOverNotice(line)].filter((text) => text !== '').join(' ');
    }

    return { reader, note, said, notices };
})();
