// The request runner as the page binds it writes the same bytes, says the
// same on standard error and ends with the same status as the native
// tactimer-cli, for every case that the Windows build is held to
// (tests/cli/same_bytes_cases.txt): standard input, files, help, usage
// errors and failures included.
import assert from 'node:assert/strict';
import {existsSync, readFileSync, statSync} from 'node:fs';
import {dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';
import {after, before, test} from 'node:test';

import {cli, launch, openPage} from './harness.mjs';

const ROOT = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const CASES = readFileSync(join(ROOT, 'tests', 'cli', 'same_bytes_cases.txt'), 'utf8').split('\n').filter((line) => line !== '');

let browser;
let page;

before(async () => {
  browser = await launch();
  ({page} = await openPage(browser));
  // The page's own module, compiled from the page's own bytes.
  await page.evaluate(async () => {
    const {wasm} = await tactimerPacked;
    window.testRunner = await startTactimer(await WebAssembly.compile(wasm));
  });
});
after(() => browser?.close());

test('every case of same_bytes_cases.txt gives the native bytes, messages and status', async () => {
  assert.ok(CASES.length > 30);
  for (const line of CASES) {
    const [words, input = null] = line.split(' <<< ');
    const args = words.split(' ').filter((word) => word !== '');
    const stdin = input === null ? '' : input.replaceAll('|', '\n');
    // The file a --midi case names, as the page would hold it.
    const named = args.map((arg) => arg.replace(/^--midi=/, '')).find((arg, i) => args[i - 1] === '--midi' || args[i].startsWith('--midi='));
    // A page holds files only: a folder is no case for it. What it writes
    // to a name is a download, which can be neither the file it reads nor
    // one that exists.
    if (named && existsSync(join(ROOT, named)) && statSync(join(ROOT, named)).isDirectory()) {
      continue;
    }
    const output = args.findIndex((arg) => arg === '--write' || arg === '--write-tempo-map');
    if (output >= 0 && args[output + 1] !== '-') {
      continue;
    }
    const file = named && existsSync(join(ROOT, named)) ? readFileSync(join(ROOT, named)).toString('base64') : null;
    const result = await page.evaluate(([args, stdin, file]) => {
      const bytes = (base64) => Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      const source = (data) => (data === null ? null : (position, capacity) => data.subarray(position, position + capacity));
      window.testRunner.sources[0] = source(new TextEncoder().encode(stdin));
      window.testRunner.sources[1] = source(file === null ? null : bytes(file));
      const run = window.testRunner.run(args);
      let out = '';
      for (let i = 0; i < run.out.length; i += 4096) {
        out += String.fromCharCode(...run.out.subarray(i, i + 4096));
      }
      return {status: run.status, out: btoa(out), err: run.err};
    }, [args, stdin, file]);
    const native = cli(args, ROOT, stdin);
    assert.equal(result.status, native.status, line);
    assert.deepEqual(Buffer.from(result.out, 'base64'), native.out, line);
    assert.equal(result.err, native.err, line);
  }
});
