// Runs a WebAssembly command module (a test suite built for wasm32-wasip1) under node's
// built-in WASI, with the arguments and environment it is given; exits with its status.
//   node scripts/wasi-run.mjs MODULE.wasm [ARGUMENTS...]
// Works from node 18 (Debian 12's) on: the WASI object's own import table and an explicit
// preview 1, which node 20 requires and node 18 accepts.
import { readFile } from 'node:fs/promises';
import { WASI } from 'node:wasi';

const [path, ...args] = process.argv.slice(2);
const wasi = new WASI({ version: 'preview1', args: [path, ...args], env: process.env,
                        returnOnExit: true });
const module = await WebAssembly.compile(await readFile(path));
const instance = await WebAssembly.instantiate(module, { wasi_snapshot_preview1: wasi.wasiImport });
process.exitCode = wasi.start(instance);
