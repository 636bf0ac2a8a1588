'use strict';

// The page is the calculator's terminal: it starts the program (in a worker,
// see ostrilume-worker.js), shows every byte the program writes, echoes each
// typed line after the prompt as a terminal does, and hands the line to the
// program's standard input. Nothing is evaluated here.
(() => {
    const log = document.getElementById('terminal');
    const form = document.getElementById('line');
    const field = document.getElementById('expression');
    const sendButton = document.getElementById('send');
    const stopButton = document.getElementById('stop');
    const debugSwitch = document.getElementById('debug');
    const status = document.getElementById('status');
    const answer = document.getElementById('answer');
    const notice = document.getElementById('notice');
    const share = document.getElementById('share');
    const link = document.getElementById('link');
    const copyButton = document.getElementById('copy');
    const linkCopy = document.getElementById('link-copy');
    const linkText = document.getElementById('link-text');
    const copied = document.getElementById('copied');
    const linkLine = document.getElementById('link-line');
    const tooLong = document.getElementById('too-long');

    // In a frame, as in a learning platform, the page is one part of another
    // and takes the keyboard only when the pupil gives it.
    const framed = window.top !== window.self;

    // ?debug turns the trace on and x= holds the lines to type. Read by hand:
    // URLSearchParams takes a + for a space, as forms write one, but a link
    // written as x=2+3 means 2+3.
    function addressParameters(query) {
        const parameters = new Map();
        for (const part of query.replace(/^\?/, '').split('&')) {
            const equals = part.includes('=') ? part.indexOf('=') : part.length;
            const name = decodeComponent(part.slice(0, equals));
            if (name !== '' && !parameters.has(name)) parameters.set(name, decodeComponent(part.slice(equals + 1)));
        }
        return parameters;
    }

    function decodeComponent(text) {
        try {
            return decodeURIComponent(text);
        } catch {
            return text;
        }
    }

    const address = addressParameters(location.search);
    debugSwitch.checked = address.has('debug');
    // An expression in the address is typed once, into the first run.
    let toType = address.has('x') ? address.get('x') : null;

    const workerSource = URL.createObjectURL(
        new Blob([`(${ostrilumeWorker})()`], { type: 'text/javascript' }));
    const programModule = WebAssembly.compile(
        Uint8Array.from(atob(ostrilumeWasm), (character) => character.charCodeAt(0)));

    let run = null;

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
    let writeScheduled = false;
    let lastWrite = -Infinity;
    let following = true;

    log.addEventListener('scroll', () => {
        following = log.scrollHeight - log.scrollTop - log.clientHeight < 8;
    }, { passive: true });

    function show(text) {
        if (text === '') return;
        run.pending.push(text);
        if (writeScheduled) return;
        writeScheduled = true;
        setTimeout(() => requestAnimationFrame(() => {
            writeScheduled = false;
            lastWrite = performance.now();
            writeOut(run);
        }), Math.max(0, lastWrite + writeInterval - performance.now()));
    }

    function writeOut(target) {
        if (target.pending.length === 0) return;
        const text = target.pending.join('');
        target.pending = [];
        appendLines(target, text);
        if (following) log.scrollTop = log.scrollHeight;
    }

    function appendLines(target, text) {
        for (let at = 0; at < text.length;) {
            if (target.block === null || target.blockLines === linesPerBlock) {
                target.block = document.createElement('div');
                target.block.className = 'block';
                target.element.append(target.block);
                target.blockLines = 0;
            }
            let plainFrom = at;
            while (at < text.length && target.blockLines < linesPerBlock) {
                const lineFeed = text.indexOf('\n', at);
                const lineEnd = lineFeed < 0 ? text.length : lineFeed + 1;
                if (target.shownLength + (lineEnd - at) > pieceLength) {
                    appendText(target.block, text.slice(plainFrom, at));
                    appendPieces(target.block, text.slice(at, lineEnd));
                    plainFrom = lineEnd;
                }
                target.shownLength = lineFeed < 0 ? target.shownLength + (lineEnd - at) : 0;
                if (lineFeed >= 0) target.blockLines++;
                at = lineEnd;
            }
            appendText(target.block, text.slice(plainFrom, at));
        }
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

    function passedOverNotice(line) {
        const word = line.split(/[ \t\n\v\f\r]+/).find((part) => part !== '') ?? '';
        const passed = [...new Set(word.replace(/[0-9.,+\-*/^()]/g, ''))];
        if (passed.length === 0) return '';
        const named = passed.slice(0, namedAtMost)
            .map((character) => (meant.has(character) ? `${character} (tarkoititko ${meant.get(character)}?)` : character));
        const more = passed.length > namedAtMost ? ' ja muita' : '';
        return `Laskin ohitti merkit, joita se ei tunne: ${named.join(', ')}${more}.`;
    }

    // The status region beside the terminal says what matters of a run in a
    // couple of hundred characters, once, when the run ends.
    function announce(said, noticeText) {
        notice.textContent = noticeText;
        notice.hidden = noticeText === '';
        answer.textContent = said;
    }

    // starting: the program is being started; waiting: it waits for a line;
    // running: it works on what it was given; ended: it has ended or was
    // stopped. The field keeps its focus throughout and is only read-only
    // while the program works.
    const statusTexts = {
        starting: 'Laskin käynnistyy…',
        waiting: 'Kirjoita lauseke ja paina Laske.',
        running: 'Lasketaan…',
        ended: 'Valmis. Kirjoita uusi lauseke ja paina Laske.',
    };

    function setState(state) {
        run.state = state;
        const working = state === 'running';
        field.readOnly = working;
        sendButton.disabled = working;
        stopButton.hidden = !working;
        status.textContent = statusTexts[state];
    }

    function startRun() {
        const element = document.createElement('div');
        element.className = 'run';
        log.append(element);
        const worker = new Worker(workerSource);
        const current = {
            worker, element, state: 'starting', typed: [],
            pending: [], block: null, blockLines: 0, shownLength: 0, line: '', answer: '', messages: [],
            notice: '', noticed: false,
        };
        run = current;
        worker.onmessage = (event) => {
            if (run === current && current.state !== 'ended') receive(event.data);
        };
        setState('starting');
        share.hidden = true;
        announce('', '');
        delete log.dataset.exitStatus;
        const args = debugSwitch.checked ? ['ostrilume', '--debug'] : ['ostrilume'];
        programModule.then(
            (module) => worker.postMessage({ kind: 'start', module, args, text: true }),
            (error) => failed(String(error)));
    }

    function receive(message) {
        if (message.kind === 'output') output(message.text);
        if (message.kind === 'input-wanted') inputWanted();
        if (message.kind === 'exit') ended(message.status);
        if (message.kind === 'failure') failed(message.message);
    }

    function output(text) {
        note(run, text);
        show(text);
    }

    function inputWanted() {
        performance.mark('ostrilume-prompt'); // what bench/web.py times
        setState('waiting');
        if (!framed && document.activeElement === document.body) field.focus({ preventScroll: true });
        if (toType !== null) {
            const line = toType;
            toType = null;
            type(line);
        }
    }

    // What a terminal does with a typed line: it shows it after the prompt,
    // with the line feed of the Enter key, and gives both to the program.
    function type(line) {
        run.typed.push(line);
        show(`${line}\n`);
        if (!run.noticed && line.trim() !== '') {
            run.noticed = true;
            run.notice = [firstWordNotice(line), passedOverNotice(line)].filter((text) => text !== '').join(' ');
        }
        send(new TextEncoder().encode(`${line}\n`), false);
    }

    function send(bytes, end) {
        setState('running');
        run.worker.postMessage({ kind: 'input', bytes, end });
    }

    function ended(statusCode) {
        log.dataset.exitStatus = String(statusCode);
        finish(summary(run, saidAtMost - run.notice.length));
        performance.mark('ostrilume-ended'); // what bench/web.py times
    }

    function failed(message) {
        run.worker.terminate();
        finish('Laskin pysähtyi virheeseen.',
            `Laskin pysähtyi virheeseen (${message}). Kirjoita uusi lauseke ja paina Laske.`);
    }

    function stop() {
        if (run.state === 'ended') return;
        run.worker.terminate();
        finish('Laskenta pysäytetty.', 'Laskenta pysäytetty. Kirjoita uusi lauseke ja paina Laske.');
    }

    function finish(said, statusText = statusTexts.ended) {
        writeOut(run);
        setState('ended');
        status.textContent = statusText;
        announce(said, run.notice);
        offerLink();
        offerAgain(run.typed);
    }

    // After a run the field holds its expression, selected: typing replaces
    // it, Enter runs it again, and a digit is changed without typing it all
    // anew. An expression longer than anyone edits by hand is not put back,
    // since the browser lays out a field of megabytes slowly.
    const longestKept = 10000;

    function offerAgain(lines) {
        const last = lines.findLast((line) => line.trim() !== '');
        if (last === undefined || last.length > longestKept) return;
        remember(last);
        recalled = earlier.length - 1;
        field.value = last;
        if (document.activeElement === field) field.select();
    }

    // ArrowUp and ArrowDown go through the expressions of this visit, as a
    // shell's history does. They are kept in the page only: a school's
    // computers are shared.
    const earlier = [];
    let recalled = 0;
    let draft = '';

    function remember(line) {
        if (line.trim() === '' || line.length > longestKept) return;
        if (earlier.at(-1) !== line) earlier.push(line);
        recalled = earlier.length;
        draft = '';
    }

    function recall(step) {
        const next = recalled + step;
        if (next < 0 || next > earlier.length) return;
        if (recalled === earlier.length) draft = field.value;
        recalled = next;
        field.value = next === earlier.length ? draft : earlier[next];
        field.setSelectionRange(field.value.length, field.value.length);
    }

    // An address that opens the page in the same mode and types the same
    // lines again.
    function addressOf(lines) {
        const parts = [];
        if (debugSwitch.checked) parts.push('debug');
        if (lines.length > 0) parts.push(`x=${encodeURIComponent(lines.join('\n'))}`);
        return location.href.replace(/[?#].*$/, '') + (parts.length > 0 ? `?${parts.join('&')}` : '');
    }

    // Past about 8,000 bytes a link no longer opens: browsers and servers
    // refuse longer addresses.
    const longestLink = 8000;

    function offerLink() {
        const address = addressOf(run.typed);
        const shareable = new TextEncoder().encode(address).length <= longestLink;
        linkLine.hidden = !shareable;
        tooLong.hidden = shareable;
        link.href = shareable ? address : './';
        linkText.value = shareable ? address : '';
        linkCopy.hidden = true;
        copied.textContent = '';
        share.hidden = false;
    }

    // The clipboard interface exists only where the page is served securely
    // (https, or this machine); elsewhere, as on a school's own http server,
    // the link is shown selected for the reader to copy.
    copyButton.addEventListener('click', () => {
        if (!navigator.clipboard || !window.isSecureContext) {
            offerLinkToCopy();
            return;
        }
        navigator.clipboard.writeText(link.href).then(() => {
            copied.textContent = 'Kopioitu.';
        }, offerLinkToCopy);
    });

    function offerLinkToCopy() {
        linkCopy.hidden = false;
        linkText.focus();
        linkText.select();
    }

    form.addEventListener('submit', (event) => {
        event.preventDefault();
        if (document.activeElement !== field) field.focus({ preventScroll: true });
        if (run.state === 'running') return;
        const line = field.value;
        field.value = '';
        remember(line);
        if (run.state === 'waiting') {
            type(line);
        } else if (run.state === 'starting') {
            toType = toType === null ? line : `${toType}\n${line}`;
        } else {
            if (line !== '') toType = line;
            startRun();
        }
    });

    stopButton.addEventListener('click', () => {
        stop();
        field.focus({ preventScroll: true });
    });

    // As in a terminal: Ctrl+D on an empty line ends the input, and Ctrl+C
    // with nothing selected stops the program. Shift and Caps Lock do not
    // matter.
    field.addEventListener('keydown', (event) => {
        if ((event.key === 'ArrowUp' || event.key === 'ArrowDown') && !event.ctrlKey && !event.altKey
            && !event.metaKey && !event.shiftKey) {
            event.preventDefault();
            recall(event.key === 'ArrowUp' ? -1 : 1);
            return;
        }
        if (!event.ctrlKey || event.altKey || event.metaKey) return;
        const key = event.key.toLowerCase();
        if (key === 'd' && field.value === '' && run.state === 'waiting') {
            event.preventDefault();
            send(new Uint8Array(0), true);
        } else if (key === 'c' && field.selectionStart === field.selectionEnd
            && (run.state === 'running' || run.state === 'waiting')) {
            event.preventDefault();
            stop();
        }
    });

    // The switch takes effect when a program starts, as an option does; a run
    // that has not been given a line yet, starting or waiting, starts again
    // with it, and after a run the same lines run again in the other mode.
    debugSwitch.addEventListener('change', () => {
        try {
            history.replaceState(null, '', addressOf([]));
        } catch {
            // A page opened from a file may not change its address.
        }
        if ((run.state === 'starting' || run.state === 'waiting') && run.typed.length === 0) {
            run.worker.terminate();
            run.element.remove();
            startRun();
        } else if (run.state === 'ended' && run.typed.length > 0 && toType === null) {
            toType = run.typed.join('\n');
            startRun();
        }
    });

    // Served from a web server, the page can be installed and works offline
    // after one visit (ostrilume-sw.js); opened from a file it needs neither,
    // and a browser would only complain of them.
    if (location.protocol === 'http:' || location.protocol === 'https:') {
        const manifest = document.createElement('link');
        manifest.rel = 'manifest';
        manifest.href = 'ostrilume.webmanifest';
        document.head.append(manifest);
        if ('serviceWorker' in navigator) {
            addEventListener('load', () => navigator.serviceWorker.register('ostrilume-sw.js').catch(() => {}));
        }
    }

    startRun();
})();
