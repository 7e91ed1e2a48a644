// Figures of the page, side by side in one run (tools/web-bench.sh runs
// it): its size, the time from opening it to the first results, and its
// MIDI reader on the benchmarks' 31 MB song against the npm package
// midi-file parsing the same bytes in the same page, and on a 2 MB song
// against @tonejs/midi, with the native tactimer-cli on the same files.
// Figures only: nothing here passes or fails.
// Usage: node bench.mjs PAGE NATIVE_CLI NATIVE_REQUEST_BENCHMARK SONG_31MB SONG_2MB
import {spawnSync} from 'node:child_process';
import {readFileSync, statSync} from 'node:fs';
import {createRequire} from 'node:module';
import {basename} from 'node:path';
import {pathToFileURL} from 'node:url';
import {gzipSync} from 'node:zlib';

import {chromium} from 'playwright-core';

const [PAGE, CLI, NATIVE_REQUEST, LARGE, SMALL] = process.argv.slice(2);
const require = createRequire(import.meta.url);
const RUNS = 5;

const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
const best = (values) => Math.min(...values);
const ms = (value) => value.toFixed(1) + ' ms';

// midi-file is CommonJS: its parser, wrapped so that a page can hold it.
function midiFileScript() {
  const source = readFileSync(require.resolve('midi-file/lib/midi-parser.js'), 'utf8');
  return `window.parseMidi = (function () { var module = {exports: {}}; var exports = module.exports;\n${source}\nreturn module.exports; })();`;
}

// In the page: the page's own module, compiled from the page's own bytes,
// run as the page runs it, on the file's bytes in memory.
async function pageFigures(page, path, others) {
  await page.evaluate(() => {
    const input = document.createElement('input');
    input.type = 'file';
    input.id = 'bench-file';
    document.body.append(input);
  });
  await page.setInputFiles('#bench-file', path);
  return page.evaluate(async ([name, runs, others]) => {
    const bytes = new Uint8Array(await document.getElementById('bench-file').files[0].arrayBuffer());
    const {wasm} = await tactimerPacked;
    const runner = await startTactimer(await WebAssembly.compile(wasm));
    runner.sources[1] = (position, capacity) => bytes.subarray(position, position + capacity);
    // The best of a few batches, each the mean of its runs (the page's
    // clock counts in tenths of a millisecond), after warming up.
    const time = (work, warm, perBatch) => {
      let result;
      for (let i = 0; i < warm; i++) {
        result = work();
      }
      const times = [];
      for (let batch = 0; batch < runs; batch++) {
        const start = performance.now();
        for (let i = 0; i < perBatch; i++) {
          result = work();
        }
        times.push((performance.now() - start) / perBatch);
      }
      return {times, result};
    };
    const ours = time(() => runner.run(['--format', 'json', '--midi', name]), 20, 10);
    const report = parseJson(new TextDecoder().decode(ours.result.out));
    const figures = {ours: ours.times, status: ours.result.status, tempos: report.get('tempos').length,
                     endMs: report.get('end').get('ms').n, endTick: report.get('end').get('tick').n};
    if (others.includes('midi-file')) {
      const theirs = time(() => window.parseMidi(bytes), 1, 1);
      const parsed = theirs.result;
      // Their times are left to the caller: the usual sum in floating
      // point, over the first track's tempos (where this song keeps them).
      let microseconds = 0;
      let tempo = 500000;
      let lastTick = 0;
      let tick = 0;
      for (const event of parsed.tracks[0]) {
        tick += event.deltaTime;
        if (event.type === 'setTempo') {
          microseconds += ((tick - lastTick) * tempo) / parsed.header.ticksPerBeat;
          lastTick = tick;
          tempo = event.microsecondsPerBeat;
        }
      }
      const end = Math.max(...parsed.tracks.map((track) => track.reduce((sum, event) => sum + event.deltaTime, 0)));
      microseconds += ((end - lastTick) * tempo) / parsed.header.ticksPerBeat;
      Object.assign(figures, {midiFile: theirs.times, midiFileEvents: parsed.tracks.reduce((sum, track) => sum + track.length, 0),
                              midiFileEndMs: microseconds / 1000, midiFileEndTick: end});
    }
    if (others.includes('tonejs')) {
      const theirs = time(() => new window.Midi(bytes), 1, 1);
      Object.assign(figures, {tonejs: theirs.times, tonejsNotes: theirs.result.tracks.reduce((sum, track) => sum + track.notes.length, 0)});
    }
    return figures;
  }, [basename(path), RUNS, others]);
}

// The same request natively: in a process of its own on the bytes in
// memory (tests/bench/request_benchmark), and as tactimer-cli run on the
// file, process start included.
function nativeFigures(path) {
  const run = (program, args) => {
    const start = process.hrtime.bigint();
    const result = spawnSync(program, args, {maxBuffer: 1 << 30});
    if (result.status !== 0) {
      throw new Error(result.stderr.toString());
    }
    return {took: Number(process.hrtime.bigint() - start) / 1e6, out: result.stdout.toString()};
  };
  return {
    inMemory: Number(run(NATIVE_REQUEST, [path, String(RUNS * 10)]).out),
    cli: Array.from({length: RUNS}, () => run(CLI, ['--format', 'json', '--midi', path]).took),
  };
}

const browser = await chromium.launch({executablePath: process.env.TACTIMER_CHROMIUM || '/usr/bin/chromium'});
try {
  const html = readFileSync(PAGE);
  console.log(`page: ${PAGE}`);
  console.log(`  size                      ${html.length} bytes (${(html.length / 1024).toFixed(1)} KiB; gzip-compressed for a server ${gzipSync(html, {level: 9}).length} bytes)`);

  const firsts = [];
  for (let i = 0; i < RUNS; i++) {
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(pathToFileURL(PAGE).href);
    await page.waitForSelector('body[data-state="ready"]');
    firsts.push(await page.evaluate(() => performance.getEntriesByName('tactimer-first-results')[0].startTime));
    await context.close();
  }
  console.log(`  open to first results      median ${ms(median(firsts))}, best ${ms(best(firsts))} of ${RUNS} fresh loads from file://`);

  for (const [path, others] of [[LARGE, ['midi-file']], [SMALL, ['midi-file', 'tonejs']]]) {
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(pathToFileURL(PAGE).href);
    await page.waitForSelector('body[data-state="ready"]');
    await page.addScriptTag({content: midiFileScript()});
    if (others.includes('tonejs')) {
      await page.addScriptTag({path: require.resolve('@tonejs/midi/build/Midi.js')});
    }
    const figures = await pageFigures(page, path, others);
    // The page's own path, worker and drawing included: choose the file,
    // see the report.
    const start = Date.now();
    await page.setInputFiles('[data-id="midi"]', path);
    await page.waitForSelector('#midi-out[data-state="shown"]');
    const shown = Date.now() - start;
    await context.close();
    const native = nativeFigures(path);
    const size = statSync(path).size;
    const rate = (times) => `${ms(best(times))} (${(size / 1e6 / (best(times) / 1000)).toFixed(0)} MB/s)`;
    console.log(`\nsong: ${path}, ${(size / 1e6).toFixed(1)} MB, ${figures.tempos} tempo changes, ${figures.midiFileEvents} events`);
    console.log(`  Tactimer in the page      ${rate(figures.ours)}  (the tempo map, exact times, JSON; warmed up, best of ${RUNS} means of 10)`);
    console.log(`  midi-file in the page     ${rate(figures.midiFile)}  (its events only, times left to the caller; warmed up, best of ${RUNS})`);
    console.log(`  midi-file / Tactimer      ${(best(figures.midiFile) / best(figures.ours)).toFixed(1)} times as long`);
    if (figures.tonejs) {
      console.log(`  @tonejs/midi in the page  ${rate(figures.tonejs)}  (${figures.tonejsNotes} notes matched)`);
      console.log(`  @tonejs/midi / Tactimer   ${(best(figures.tonejs) / best(figures.ours)).toFixed(1)} times as long`);
    }
    console.log(`  native, in memory         ${rate([native.inMemory])}  (the same request, best of ${RUNS * 10})`);
    console.log(`  page / native             ${(best(figures.ours) / native.inMemory).toFixed(2)} times as long`);
    console.log(`  native tactimer-cli       ${ms(best(native.cli))} (the file read, a process started)`);
    console.log(`  page, chosen to shown     ${shown} ms (worker, file read in slices, JSON parsed, tables and graph drawn)`);
    console.log(`  end of the song           Tactimer ${figures.endMs} ms exactly; midi-file's ticks summed in floating point ${figures.midiFileEndMs} ms (tick ${figures.midiFileEndTick}, Tactimer's ${figures.endTick})`);
  }
} finally {
  await browser.close();
}
