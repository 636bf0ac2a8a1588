'use strict';

// The page is the calculator's terminal: it starts the program (in a worker,
// see ostrilume-worker.js), shows every byte the program writes
// (ostrilume-transcript.js), echoes each typed line after the prompt as a
// terminal does, and hands the line to the program's standard input. This is
// a run's course from start to end; nothing is evaluated here.
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

    // A new release reaches a server file by file, and each file's name holds
    // its digest: a visit in between may miss one of the new files, but never
    // gets an old one in its place. Then nothing starts.
    const parts = [typeof ostrilumeWasm, typeof ostrilumeWorker, typeof ostrilumeAddress, typeof ostrilumeTranscript,
        typeof ostrilumeSummary, typeof ostrilumeField, typeof ostrilumeShare];
    if (parts.includes('undefined')) {
        status.textContent = 'Laskimen kaikki tiedostot eivät latautuneet. Lataa sivu hetken kuluttua uudelleen.';
        return;
    }

    // In a frame, as in a learning platform, the page is one part of another
    // and takes the keyboard only when the pupil gives it.
    const framed = window.top !== window.self;

    // ?debug turns the trace on and x= holds the lines to type.
    const address = ostrilumeAddress.parameters(location.search);
    debugSwitch.checked = address.has('debug');
    // An expression in the address is typed once, into the first run.
    let toType = address.has('x') ? address.get('x') : null;

    const workerSource = URL.createObjectURL(
        new Blob([`(${ostrilumeWorker})()`], { type: 'text/javascript' }));
    const programModule = WebAssembly.compile(
        Uint8Array.from(atob(ostrilumeWasm), (character) => character.charCodeAt(0)));

    let run = null;

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
        const worker = new Worker(workerSource);
        const current = {
            worker, state: 'starting', typed: [], part: ostrilumeTranscript.part(), reader: ostrilumeSummary.reader(),
            notice: '', noticed: false,
        };
        run = current;
        worker.onmessage = (event) => {
            if (run === current && current.state !== 'ended') receive(event.data);
        };
        setState('starting');
        ostrilumeShare.hide();
        announce('', '');
        delete log.dataset.exitStatus;
        const args = debugSwitch.checked ? ['ostrilume', '--debug'] : ['ostrilume'];
        programModule.then(
            (module) => worker.postMessage(
                { kind: 'start', module, args, text: true, scrollback: ostrilumeTranscript.scrollback }),
            (error) => failed(String(error)));
    }

    function receive(message) {
        if (message.kind === 'output') output(message.text, message.leftOut);
        if (message.kind === 'input-wanted') inputWanted();
        if (message.kind === 'exit') ended(message.status);
        if (message.kind === 'failure') failed(message.message);
    }

    function output(text, lines) {
        if (lines > 0) ostrilumeTranscript.leaveOut(run.part, lines);
        ostrilumeSummary.note(run.reader, text);
        ostrilumeTranscript.show(run.part, text);
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
        ostrilumeTranscript.show(run.part, `${line}\n`);
        if (!run.noticed && line.trim() !== '') {
            run.noticed = true;
            run.notice = ostrilumeSummary.notices(line);
        }
        send(new TextEncoder().encode(`${line}\n`), false);
    }

    // The bytes move to the worker rather than being copied: a pasted line
    // may be megabytes.
    function send(bytes, end) {
        setState('running');
        run.worker.postMessage({ kind: 'input', bytes, end }, [bytes.buffer]);
    }

    // A run has ended once everything it wrote is on the screen; until then
    // it can still be stopped.
    function ended(statusCode) {
        ostrilumeTranscript.whenWritten(run.part, () => {
            log.dataset.exitStatus = String(statusCode);
            finish(ostrilumeSummary.said(run.reader, run.notice));
            performance.mark('ostrilume-ended'); // what bench/web.py times
        });
    }

    function failed(message) {
        run.worker.terminate();
        ostrilumeTranscript.whenWritten(run.part, () => finish('Laskin pysähtyi virheeseen.',
            `Laskin pysähtyi virheeseen (${message}). Kirjoita uusi lauseke ja paina Laske.`));
    }

    // What the program wrote but the page has not shown yet is dropped, so
    // that the stop shows at once.
    function stop() {
        if (run.state === 'ended') return;
        run.worker.terminate();
        ostrilumeTranscript.drop(run.part);
        finish('Laskenta pysäytetty.', 'Laskenta pysäytetty. Kirjoita uusi lauseke ja paina Laske.');
    }

    function finish(said, statusText = statusTexts.ended) {
        setState('ended');
        status.textContent = statusText;
        announce(said, run.notice);
        ostrilumeShare.offer(run.typed, debugSwitch.checked);
        ostrilumeField.offerAgain(run.typed);
    }

    form.addEventListener('submit', (event) => {
        event.preventDefault();
        if (document.activeElement !== field) field.focus({ preventScroll: true });
        if (run.state === 'running') return;
        const line = ostrilumeField.take();
        ostrilumeField.remember(line);
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
            ostrilumeField.recall(event.key === 'ArrowUp' ? -1 : 1);
            return;
        }
        if (!event.ctrlKey || event.altKey || event.metaKey) return;
        const key = event.key.toLowerCase();
        if (key === 'd' && ostrilumeField.isEmpty() && run.state === 'waiting') {
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
            history.replaceState(null, '', ostrilumeAddress.of([], debugSwitch.checked));
        } catch {
            // A page opened from a file may not change its address.
        }
        if ((run.state === 'starting' || run.state === 'waiting') && run.typed.length === 0) {
            run.worker.terminate();
            ostrilumeTranscript.remove(run.part);
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
        if ('serviceWorker' in navigator) keepOffline();
    }

    // A release that installs takes over the open tab too; a tab that ran
    // an earlier one says so once and offers to load the new one, and never
    // reloads by itself, which could end a run.
    function keepOffline() {
        addEventListener('load', () => navigator.serviceWorker.register('ostrilume-sw.js').catch((error) => {
            console.error(`Ostrilume: the page cannot be kept for use offline: ${error.message}`);
        }));
        let earlier = navigator.serviceWorker.controller !== null;
        navigator.serviceWorker.addEventListener('controllerchange', () => {
            if (earlier) document.getElementById('update').hidden = false;
            earlier = true;
        });
        document.getElementById('reload').addEventListener('click', () => location.reload());
    }

    startRun();
})();
