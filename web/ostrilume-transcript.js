'use strict';

// The calculator's terminal on the page: what the program writes and what
// was typed, each run in its own element, in the order it came.
const ostrilumeTranscript = (() => {
    const log = document.getElementById('terminal');
    const leftOutLine = document.getElementById('left-out');

    // The transcript grows in blocks of whole lines. What arrives is written
    // at most once per animation frame, and while output streams in at most
    // ten times a second, since each write costs a layout and a paint of the
    // view; nothing is read back but the height, once a write, to follow the
    // newest line. The browser lays out the newest block and skips those out
    // of view (content-visibility), so that a write costs the same however
    // much is already shown. A browser shapes the text of a block as a
    // whole, and a line of a megabyte took it half a second at every write:
    // what a line holds beyond its first 4,096 characters is laid out in
    // pieces of as many, each shaped on its own, and only once it comes into
    // view.
    const linesPerBlock = 256;
    const pieceLength = 4096;
    const writeInterval = 100;

    // One write takes at most this many characters and leaves the rest for
    // the next frame, so that no line, however long, keeps the page from
    // answering a key or a button; a block closes at the end of a line once
    // it holds as many, so that the scrollback can let a long line go.
    const charactersPerWrite = 1 << 20;
    let writeScheduled = false;
    let lastWrite = -Infinity;
    let following = true;

    // Like a terminal's scrollback, the transcript keeps the last lines of
    // all runs, in about as many characters as 10,000 rows of 200 columns,
    // and always the last few lines whole, which hold the answer box; the
    // oldest blocks go first. The worker applies the same bounds to what it
    // sends, and a line above the transcript says how many lines were left
    // out.
    const scrollback = { lines: 10000, characters: 1 << 21, wholeLines: 6 };
    const blocks = [];
    let shownLines = 0;
    let shownCharacters = 0;
    let leftOut = 0;

    // The run being written to, whose own element stays while it runs.
    let latest = null;

    log.addEventListener('scroll', () => {
        following = log.scrollHeight - log.scrollTop - log.clientHeight < 8;
    }, { passive: true });

    // A run's part of the transcript: its element, the text not yet
    // written, its newest block, the length of its unfinished line, and what
    // to do once all is written.
    function part() {
        const element = document.createElement('div');
        element.className = 'run';
        log.append(element);
        latest = { element, pending: [], block: null, shownLength: 0, written: null };
        return latest;
    }

    function show(target, text) {
        if (text === '') return;
        target.pending.push(text);
        scheduleWrite(lastWrite + writeInterval - performance.now());
    }

    function scheduleWrite(delay) {
        if (writeScheduled) return;
        writeScheduled = true;
        setTimeout(() => requestAnimationFrame(() => {
            writeScheduled = false;
            lastWrite = performance.now();
            writeOut(latest);
        }), Math.max(0, delay));
    }

    // Calls done once everything shown so far is written, frame by frame.
    function whenWritten(target, done) {
        target.written = done;
        if (target.pending.length === 0) {
            allWritten(target);
        } else {
            scheduleWrite(0);
        }
    }

    function allWritten(target) {
        const done = target.written;
        target.written = null;
        if (done !== null) done();
    }

    // What the program wrote but the page has not shown yet is dropped, as
    // when a run is stopped.
    function drop(target) {
        target.pending = [];
        target.written = null;
    }

    // A run that showed only what every run shows, the banner and the
    // prompt, goes when it is started again in the other mode.
    function remove(target) {
        for (const block of blocks.filter((each) => each.run === target.element)) {
            shownLines -= block.lines;
            shownCharacters -= block.characters;
        }
        blocks.splice(0, blocks.length, ...blocks.filter((block) => block.run !== target.element));
        target.element.remove();
    }

    function writeOut(target) {
        if (target.pending.length === 0) return;
        appendLines(target, takeWrite(target));
        trimScrollback();
        if (following) log.scrollTop = log.scrollHeight;
        if (target.pending.length > 0) {
            scheduleWrite(0);
        } else {
            allWritten(target);
        }
    }

    // The next charactersPerWrite characters of what is pending, never
    // splitting a character of two code units.
    function takeWrite(target) {
        const taken = [];
        let length = 0;
        while (target.pending.length > 0 && length < charactersPerWrite) {
            const text = target.pending.shift();
            let end = Math.min(text.length, charactersPerWrite - length);
            if (end < text.length && (text.charCodeAt(end) & 0xfc00) === 0xdc00) end++;
            taken.push(text.slice(0, end));
            if (end < text.length) target.pending.unshift(text.slice(end));
            length += end;
        }
        return taken.join('');
    }

    // The worker leaves lines out only when what it sends fills the
    // scrollback by itself: everything before them is too old to show.
    function leaveOut(target, lines) {
        leftOut += lines + target.pending.reduce((sum, text) => sum + linesIn(text), 0);
        target.pending = [];
        while (blocks.length > 0) dropOldest();
        target.block = null;
        target.shownLength = 0;
        showLeftOut();
    }

    function dropOldest() {
        const oldest = blocks.shift();
        oldest.element.remove();
        if (oldest.run.childElementCount === 0 && oldest.run !== latest.element) oldest.run.remove();
        shownLines -= oldest.lines;
        shownCharacters -= oldest.characters;
        leftOut += oldest.lines;
    }

    function linesIn(text) {
        let count = 0;
        for (let at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) count++;
        return count;
    }

    function appendLines(target, text) {
        for (let at = 0; at < text.length;) {
            if (target.block === null || full(target.block, target)) {
                target.block = { element: document.createElement('div'), run: target.element, lines: 0, characters: 0 };
                target.block.element.className = 'block';
                target.element.append(target.block.element);
                blocks.push(target.block);
            }
            const block = target.block;
            let plainFrom = at;
            while (at < text.length && !full(block, target)) {
                const lineFeed = text.indexOf('\n', at);
                const lineEnd = lineFeed < 0 ? text.length : lineFeed + 1;
                if (target.shownLength + (lineEnd - at) > pieceLength) {
                    appendText(block.element, text.slice(plainFrom, at));
                    appendPieces(block.element, text.slice(at, lineEnd));
                    plainFrom = lineEnd;
                }
                target.shownLength = lineFeed < 0 ? target.shownLength + (lineEnd - at) : 0;
                block.characters += lineEnd - at;
                shownCharacters += lineEnd - at;
                if (lineFeed >= 0) {
                    block.lines++;
                    shownLines++;
                }
                at = lineEnd;
            }
            appendText(block.element, text.slice(plainFrom, at));
        }
    }

    // A block is full at linesPerBlock lines, or at the end of a line once it
    // holds charactersPerWrite characters.
    function full(block, target) {
        return block.lines === linesPerBlock || (block.characters >= charactersPerWrite && target.shownLength === 0);
    }

    function trimScrollback() {
        while (blocks.length > 1) {
            const rest = shownLines - blocks[0].lines;
            const tooMany = rest >= scrollback.lines
                || (shownCharacters > scrollback.characters && rest >= scrollback.wholeLines);
            if (!tooMany) break;
            dropOldest();
        }
        showLeftOut();
    }

    function showLeftOut() {
        leftOutLine.hidden = leftOut === 0;
        leftOutLine.textContent = `Tulosteen alusta jätettiin pois ${leftOut.toLocaleString('fi')} riviä: `
            + `sivu näyttää enintään ${scrollback.lines.toLocaleString('fi')} viimeistä riviä.`;
    }

    function appendText(block, text) {
        if (text !== '') block.append(text);
    }

    // Pieces end before an ASCII character, which never joins the character
    // before it, so that no glyph is split between two; a piece without one
    // ends at least between two characters.
    function appendPieces(block, text) {
        for (let at = 0; at < text.length;) {
            let end = Math.min(at + pieceLength, text.length);
            let ascii = end;
            while (ascii > at && ascii < text.length && text.charCodeAt(ascii) >= 0x80) ascii--;
            if (ascii > at) {
                end = ascii;
            } else if ((text.charCodeAt(end) & 0xfc00) === 0xdc00) {
                end++;
            }
            const piece = document.createElement('span');
            piece.className = 'piece';
            piece.style.containIntrinsicWidth = `auto ${end - at}ch`;
            piece.textContent = text.slice(at, end);
            block.append(piece);
            at = end;
        }
    }

    return { scrollback, part, show, whenWritten, leaveOut, drop, remove };
})();
