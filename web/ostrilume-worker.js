'use strict';

// The calculator's own program, compiled to WebAssembly, runs in a worker of
// its own for each run, as a process would: the page stays responsive however
// long an evaluation takes. The page makes the worker from this function's
// text, so that it needs no file of its own and works from a folder on a disk
// too. The program asks its system for its arguments, its standard streams and
// its exit through the WebAssembly System Interface, which this gives it.
//
// Messages from the page: {kind: 'start', module, args, text, scrollback},
// then {kind:
// 'input', bytes, end} whenever a line is typed (end: no more input will
// come). To the page: {kind: 'output', bytes} or, when it asked for text,
// {kind: 'output', text, leftOut}; {kind: 'input-wanted'}, {kind: 'exit',
// status} and, should the program trap, {kind: 'failure', message}.
function ostrilumeWorker() {
    const success = 0;
    const badDescriptor = 8;
    const notSeekable = 70;
    const notSupported = 52;
    const characterDevice = 2;
    const readAndWriteRights = (1n << 1n) | (1n << 6n);

    // Output is read in parts of at most this many bytes, as a terminal reads
    // a program's output in pieces: a character may be split between two
    // parts, which are decoded as one stream. A page that asks for text has
    // it decoded here, off its own thread, and gathered into a message every
    // textDelay milliseconds: a traced run's megabytes took the page's thread
    // a sixth of a second to decode, and thousands of messages.
    const outputPart = 4096;
    const textDelay = 50;

    // A page that asks for text shows what a terminal's scrollback would:
    // the last scrollback.lines lines, in at most scrollback.characters
    // characters, but always the last scrollback.wholeLines lines, which
    // hold the answer box. What the program writes between two messages
    // beyond that could never be shown, so it is not sent: a message says
    // how many lines it left out, and a run of a billion characters costs the
    // page no more than one of a million. The program cannot be paused while
    // it runs, so this, and not a reply from the page, keeps the page's work
    // bounded.
    let scrollback = { lines: Infinity, characters: Infinity, wholeLines: 0 };

    // Standard input cannot block in a browser. When the program reads and
    // nothing has been typed, its call stack is unwound into this much memory
    // (binaryen's asyncify) and wound back once a line comes.
    const unwindBytes = 4096;

    let program;
    let args = [];
    let typed = new Uint8Array(0);
    let inputEnded = false;
    let unwindData = 0;
    let state = 'running';
    const output = new Uint8Array(outputPart);
    let outputLength = 0;
    let decoder = null;
    let textPosted = 0;

    // For such a page the output waits as bytes, in one buffer used again,
    // until a message goes, and whole parts of it go undecoded once the
    // parts after them hold all the lines the scrollback shows: a traced run
    // writes thirty million characters a second, and decoding all of them
    // took the renderer of a 20 MB traced sum to 1.4 GB, against 0.8 GB
    // now.
    let held = new Uint8Array(1 << 16);
    let heldStart = 0;
    let heldEnd = 0;
    let heldParts = [];
    let heldLines = 0;
    let droppedLines = 0;
    let cut = false;

    class Exit {
        constructor(status) {
            this.status = status;
        }
    }

    const view = () => new DataView(program.memory.buffer);
    const bytesAt = (pointer, length) => new Uint8Array(program.memory.buffer, pointer, length);

    // Hands on what the program wrote; all of it when whole, or the text
    // gathered so far once it is long or old enough.
    function flush(whole = true) {
        if (outputLength > 0 && decoder === null) postMessage({ kind: 'output', bytes: output.slice(0, outputLength) });
        if (outputLength > 0 && decoder !== null) hold(output.subarray(0, outputLength));
        outputLength = 0;
        if (heldEnd > heldStart && (whole || performance.now() - textPosted >= textDelay)) {
            const text = heldText();
            const shown = scrollbackStart(text);
            const leftOut = droppedLines + linesIn(text, 0, shown);
            if (shown < text.length || leftOut > 0) postMessage({ kind: 'output', text: text.slice(shown), leftOut });
            droppedLines = 0;
            textPosted = performance.now();
        }
    }

    function hold(bytes) {
        if (heldEnd + bytes.length > held.length) makeRoom(bytes.length);
        held.set(bytes, heldEnd);
        heldEnd += bytes.length;
        let lines = 0;
        for (let at = bytes.indexOf(10); at >= 0; at = bytes.indexOf(10, at + 1)) lines++;
        heldParts.push({ end: heldEnd, lines });
        heldLines += lines;
        while (heldParts.length > 1 && heldLines - heldParts[0].lines > scrollback.lines) {
            const first = heldParts.shift();
            heldStart = first.end;
            heldLines -= first.lines;
            droppedLines += first.lines;
            cut = true;
        }
    }

    // Moves what is held to the buffer's start, into a larger buffer when it
    // would fill more than half of this one.
    function makeRoom(length) {
        const size = heldEnd - heldStart;
        const target = size + length > held.length / 2 ? new Uint8Array(2 * (size + length)) : held;
        target.set(held.subarray(heldStart, heldEnd));
        for (const part of heldParts) part.end -= heldStart;
        held = target;
        heldStart = 0;
        heldEnd = size;
    }

    // The held output as text. After a cut it starts at the next line, which
    // also starts a character, and is decoded afresh from there.
    function heldText() {
        let bytes = held.subarray(heldStart, heldEnd);
        if (cut) {
            bytes = bytes.subarray(bytes.indexOf(10) + 1);
            droppedLines++;
            decoder = new TextDecoder();
            cut = false;
        }
        const text = decoder.decode(bytes, { stream: true });
        heldStart = 0;
        heldEnd = 0;
        heldParts = [];
        heldLines = 0;
        return text;
    }

    // Where the part of text that the scrollback holds begins: at the start
    // of a line, no earlier than the start of the last lines of the
    // scrollback nor than what fits its characters, and no later than the
    // start of the last whole lines.
    function scrollbackStart(text) {
        let start = text.length;
        for (let lines = 0; lines < scrollback.lines && start > 0; lines++) {
            const lineStart = start < 2 ? 0 : text.lastIndexOf('\n', start - 2) + 1;
            if (lines >= scrollback.wholeLines && text.length - lineStart > scrollback.characters) break;
            start = lineStart;
        }
        return start;
    }

    function linesIn(text, from, to) {
        let count = 0;
        for (let at = text.indexOf('\n', from); at >= 0 && at < to; at = text.indexOf('\n', at + 1)) count++;
        return count;
    }

    function emit(bytes) {
        for (let at = 0; at < bytes.length;) {
            const count = Math.min(outputPart - outputLength, bytes.length - at);
            output.set(bytes.subarray(at, at + count), outputLength);
            outputLength += count;
            at += count;
            if (outputLength === outputPart) flush(false);
        }
    }

    // Each iovec is a pointer and a length; calls back with each buffer.
    function forEachBuffer(iovecs, count, callback) {
        for (let i = 0; i < count; i++) {
            const pointer = view().getUint32(iovecs + 8 * i, true);
            const length = view().getUint32(iovecs + 8 * i + 4, true);
            if (callback(bytesAt(pointer, length)) === false) break;
        }
    }

    function fd_write(fd, iovecs, count, writtenPointer) {
        if (fd !== 1 && fd !== 2) return badDescriptor;
        let written = 0;
        forEachBuffer(iovecs, count, (buffer) => {
            emit(buffer);
            written += buffer.length;
        });
        view().setUint32(writtenPointer, written, true);
        return success;
    }

    function fd_read(fd, iovecs, count, readPointer) {
        if (state === 'rewinding') {
            program.asyncify_stop_rewind();
            state = 'running';
        }
        if (fd !== 0) return badDescriptor;
        if (typed.length === 0 && !inputEnded) {
            view().setUint32(unwindData, unwindData + 8, true);
            view().setUint32(unwindData + 4, unwindData + 8 + unwindBytes, true);
            program.asyncify_start_unwind(unwindData);
            state = 'unwinding';
            return success;
        }
        let read = 0;
        forEachBuffer(iovecs, count, (buffer) => {
            const taken = Math.min(buffer.length, typed.length);
            buffer.set(typed.subarray(0, taken));
            typed = typed.subarray(taken);
            read += taken;
            return typed.length > 0;
        });
        view().setUint32(readPointer, read, true);
        return success;
    }

    // The standard streams are a terminal's: a character device that cannot
    // seek, so that the program's output is line-buffered as in a terminal.
    function fd_fdstat_get(fd, pointer) {
        if (fd > 2) return badDescriptor;
        const stat = view();
        stat.setUint8(pointer, characterDevice);
        stat.setUint16(pointer + 2, 0, true);
        stat.setBigUint64(pointer + 8, readAndWriteRights, true);
        stat.setBigUint64(pointer + 16, 0n, true);
        return success;
    }

    const encodedArgs = () => args.map((arg) => new TextEncoder().encode(arg + '\0'));

    function args_sizes_get(countPointer, sizePointer) {
        const encoded = encodedArgs();
        view().setUint32(countPointer, encoded.length, true);
        view().setUint32(sizePointer, encoded.reduce((sum, arg) => sum + arg.length, 0), true);
        return success;
    }

    function args_get(pointers, buffer) {
        encodedArgs().forEach((arg, i) => {
            view().setUint32(pointers + 4 * i, buffer, true);
            bytesAt(buffer, arg.length).set(arg);
            buffer += arg.length;
        });
        return success;
    }

    function environ_sizes_get(countPointer, sizePointer) {
        view().setUint32(countPointer, 0, true);
        view().setUint32(sizePointer, 0, true);
        return success;
    }

    const system = {
        fd_write,
        fd_read,
        fd_fdstat_get,
        args_sizes_get,
        args_get,
        environ_sizes_get,
        environ_get: () => success,
        fd_close: () => success,
        fd_seek: () => notSeekable,
        proc_exit: (status) => {
            throw new Exit(status);
        },
    };

    // Whatever else the program's C library may ask for, it is told that
    // this system does not have it.
    function imports(module) {
        const given = {};
        for (const { module: from, name } of WebAssembly.Module.imports(module)) {
            if (from === 'wasi_snapshot_preview1') given[name] = system[name] || (() => notSupported);
        }
        return { wasi_snapshot_preview1: given };
    }

    function finish(message) {
        flush();
        const rest = decoder === null ? '' : decoder.decode();
        if (rest !== '') postMessage({ kind: 'output', text: rest, leftOut: 0 });
        postMessage(message);
        close();
    }

    // Runs the program from its start, or winds it back to where it waited
    // for input, until it waits again or ends.
    function run() {
        try {
            program._start();
            if (state !== 'unwinding') return finish({ kind: 'exit', status: 0 });
            program.asyncify_stop_unwind();
            state = 'waiting';
            flush();
            postMessage({ kind: 'input-wanted' });
        } catch (error) {
            if (error instanceof Exit) return finish({ kind: 'exit', status: error.status });
            finish({ kind: 'failure', message: String(error) });
        }
    }

    async function start(module, programArgs, wantsText, shown) {
        args = programArgs;
        decoder = wantsText ? new TextDecoder() : null;
        if (shown) scrollback = shown;
        try {
            program = (await WebAssembly.instantiate(module, imports(module))).exports;
            unwindData = program.malloc(8 + unwindBytes);
        } catch (error) {
            return finish({ kind: 'failure', message: String(error) });
        }
        run();
    }

    function takeInput(bytes, end) {
        if (typed.length === 0) {
            typed = bytes;
        } else {
            const joined = new Uint8Array(typed.length + bytes.length);
            joined.set(typed);
            joined.set(bytes, typed.length);
            typed = joined;
        }
        inputEnded = inputEnded || end;
        if (state !== 'waiting') return;
        program.asyncify_start_rewind(unwindData);
        state = 'rewinding';
        run();
    }

    onmessage = (event) => {
        const message = event.data;
        if (message.kind === 'start') start(message.module, message.args, message.text === true, message.scrollback);
        if (message.kind === 'input') takeInput(message.bytes, message.end);
    };
}
