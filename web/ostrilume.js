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
    const debugSwitch = document.getElementById('debug');
    const status = document.getElementById('status');
    const share = document.getElementById('share');
    const link = document.getElementById('link');
    const copyButton = document.getElementById('copy');

    const address = new URLSearchParams(location.search);
    debugSwitch.checked = address.has('debug');
    // An expression in the address is typed once, into the first run.
    let toType = address.get('x');

    const workerSource = URL.createObjectURL(
        new Blob([`(${ostrilumeWorker})()`], { type: 'text/javascript' }));
    const programModule = WebAssembly.compile(
        Uint8Array.from(atob(ostrilumeWasm), (character) => character.charCodeAt(0)));

    let run = null;

    // Appends text to the run's part of the log and keeps the newest line in
    // view, unless the reader has scrolled up.
    function show(text) {
        if (text === '') return;
        const following = log.scrollHeight - log.scrollTop - log.clientHeight < 8;
        run.element.append(text);
        if (following) log.scrollTop = log.scrollHeight;
    }

    function setInputEnabled(enabled) {
        field.disabled = !enabled;
        sendButton.disabled = !enabled;
        if (enabled) field.focus({ preventScroll: true });
    }

    function startRun() {
        const element = document.createElement('span');
        element.className = 'run';
        log.append(element);
        const worker = new Worker(workerSource);
        const current = { worker, element, decoder: new TextDecoder(), state: 'running', typed: [] };
        run = current;
        worker.onmessage = (event) => {
            if (run === current) receive(event.data);
        };
        setInputEnabled(false);
        share.hidden = true;
        delete log.dataset.exitStatus;
        status.textContent = 'Ohjelma käynnistyy…';
        const args = debugSwitch.checked ? ['ostrilume', '--debug'] : ['ostrilume'];
        programModule.then(
            (module) => worker.postMessage({ kind: 'start', module, args }),
            (error) => failed(String(error)));
    }

    function receive(message) {
        if (message.kind === 'output') show(run.decoder.decode(message.bytes, { stream: true }));
        if (message.kind === 'input-wanted') inputWanted();
        if (message.kind === 'exit') ended(message.status);
        if (message.kind === 'failure') failed(message.message);
    }

    function inputWanted() {
        performance.mark('ostrilume-prompt');  // what bench/web.py times
        run.state = 'waiting';
        status.textContent = 'Ohjelma odottaa syötettä: kirjoita lauseke ja paina Enter (Ctrl+D: syötteen loppu).';
        setInputEnabled(true);
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
        show(line + '\n');
        send(new TextEncoder().encode(line + '\n'), false);
    }

    function send(bytes, end) {
        run.state = 'running';
        setInputEnabled(false);
        status.textContent = 'Lasketaan…';
        run.worker.postMessage({ kind: 'input', bytes, end });
    }

    function ended(statusCode) {
        show(run.decoder.decode());
        run.state = 'ended';
        log.dataset.exitStatus = String(statusCode);
        status.textContent = `Ohjelma päättyi paluuarvoon ${statusCode}. Enter aloittaa uuden laskennan.`;
        offerLink();
        setInputEnabled(true);
    }

    function failed(message) {
        show(run.decoder.decode());
        run.state = 'ended';
        run.worker.terminate();
        status.textContent = `Ohjelma pysähtyi virheeseen: ${message}. Enter aloittaa uuden laskennan.`;
        setInputEnabled(true);
    }

    // An address that opens the page in the same mode and types the same
    // lines again.
    function addressOf(lines) {
        const parts = [];
        if (debugSwitch.checked) parts.push('debug');
        if (lines.length > 0) parts.push('x=' + encodeURIComponent(lines.join('\n')));
        return location.href.replace(/[?#].*$/, '') + (parts.length > 0 ? '?' + parts.join('&') : '');
    }

    function offerLink() {
        link.href = addressOf(run.typed);
        share.hidden = false;
    }

    copyButton.addEventListener('click', () => {
        navigator.clipboard.writeText(link.href).then(
            () => { status.textContent = 'Linkki kopioitu.'; },
            () => { status.textContent = `Kopioi linkki: ${link.href}`; });
    });

    form.addEventListener('submit', (event) => {
        event.preventDefault();
        const line = field.value;
        field.value = '';
        if (run.state === 'waiting') {
            type(line);
        } else if (run.state === 'ended') {
            if (line !== '') toType = line;
            startRun();
        }
    });

    // Ctrl+D on an empty line ends the input, as in a terminal.
    field.addEventListener('keydown', (event) => {
        if (event.key !== 'd' || !event.ctrlKey || field.value !== '' || run.state !== 'waiting') return;
        event.preventDefault();
        send(new Uint8Array(0), true);
    });

    // The switch takes effect when a program starts, as an option does; a run
    // that has not been given a line yet starts again with it.
    debugSwitch.addEventListener('change', () => {
        try {
            history.replaceState(null, '', addressOf([]));
        } catch {
            // A page opened from a file may not change its address.
        }
        if (run.state === 'waiting' && run.typed.length === 0) {
            run.worker.terminate();
            run.element.remove();
            startRun();
        }
    });

    startRun();
})();
