#!/usr/bin/env -S node --no-warnings
// Runs the web page's program under Node through the page's own system
// interface (web/ostrilume-worker.js), as the page's worker runs it:
//   page_program.mjs PROGRAM.wasm [ARG...] < INPUT
// The whole of standard input is the typed input, followed by its end; what
// the program writes goes to standard output, and its exit status is this
// process's. Node's own WASI would do for small inputs, but Node 20's crashes
// on inputs of some 16 MB, and this also holds the page's interface to them.
import { readFileSync, writeSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const [program, ...args] = process.argv.slice(2);
const workerSource = readFileSync(join(dirname(fileURLToPath(import.meta.url)), '../web/ostrilume-worker.js'), 'utf8');

function writeAll(bytes) {
    for (let at = 0; at < bytes.length;) at += writeSync(1, bytes, at, bytes.length - at);
}

globalThis.onmessage = null;
globalThis.close = () => {};
globalThis.postMessage = (message) => {
    if (message.kind === 'output') writeAll(message.bytes);
    if (message.kind === 'exit') process.exitCode = message.status;
    if (message.kind === 'failure') {
        console.error(`the program failed: ${message.message}`);
        process.exitCode = 70;
    }
};
(0, eval)(`${workerSource}\nostrilumeWorker();`);

const module = await WebAssembly.compile(readFileSync(program));
globalThis.onmessage({ data: { kind: 'input', bytes: new Uint8Array(readFileSync(0)), end: true } });
globalThis.onmessage({ data: { kind: 'start', module, args: [program, ...args] } });
