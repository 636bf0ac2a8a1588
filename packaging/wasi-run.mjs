#!/usr/bin/env -S node --no-warnings --experimental-wasi-unstable-preview1
// Runs a WebAssembly program built for WASI under Node, as a cross build's
// tests run their programs under an emulator: wasi-run.mjs PROGRAM [ARG...].
// Standard input, output and error are the process's own; the working folder is
// the program's root folder, so that a test that names files relative to it
// works as on every other system; the exit status is the program's. (Node 18
// needs the flag for WASI; Node 20 accepts it and needs none.)
import { readFile } from 'node:fs/promises';
import { WASI } from 'node:wasi';

const [program, ...args] = process.argv.slice(2);
const wasi = new WASI({
    version: 'preview1',
    args: [program, ...args],
    env: {},
    preopens: { '/': process.cwd() },
    returnOnExit: true,
});
const module = await WebAssembly.compile(await readFile(program));
const instance = await WebAssembly.instantiate(module, wasi.getImportObject());
process.exitCode = wasi.start(instance);
