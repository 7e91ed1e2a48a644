// What the page's tests share: Debian's Chromium through Playwright, the
// page opened from its folder, and the native tactimer-cli of the same
// commit, whose output is what the page must show.
import {spawnSync} from 'node:child_process';
import {mkdtempSync, writeFileSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';
import {pathToFileURL} from 'node:url';

import {chromium} from 'playwright-core';

export const PAGE = process.env.TACTIMER_PAGE;
export const CLI = process.env.TACTIMER_CLI;
export const OPENMSX = process.env.TACTIMER_OPENMSX || '/usr/share/games/openttd/baseset/openmsx';
const CHROMIUM = process.env.TACTIMER_CHROMIUM || '/usr/bin/chromium';

if (!PAGE || !CLI) {
  throw new Error('TACTIMER_PAGE and TACTIMER_CLI name the page and the native tactimer-cli');
}

export const PAGE_URL = pathToFileURL(PAGE).href;

export function launch() {
  return chromium.launch({executablePath: CHROMIUM});
}

// A fresh page with the start-up results shown. requests lists every URL
// the page asked for; errors every script error it raised.
export async function openPage(browser, contextOptions = {}) {
  const context = await browser.newContext({acceptDownloads: true, ...contextOptions});
  const page = await context.newPage();
  const requests = [];
  const errors = [];
  page.on('request', (request) => requests.push(request.url()));
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => message.type() === 'error' && errors.push(message.text()));
  await page.goto(PAGE_URL);
  await page.waitForSelector('body[data-state="ready"]');
  return {page, context, requests, errors};
}

// tactimer-cli's status, output bytes and error text.
export function cli(args, cwd = undefined, input = '') {
  const result = spawnSync(CLI, args, {cwd, input, maxBuffer: 1 << 30});
  if (result.error) {
    throw result.error;
  }
  return {status: result.status, out: result.stdout, err: result.stderr.toString()};
}

// The line the page shows for what tactimer-cli said: its first, without
// the program's name.
export function message(err) {
  return err.split('\n')[0].replace(/^tactimer-cli: /, '');
}

// CSV as tactimer-cli writes it: records of cells, the header first.
export function csv(bytes) {
  const records = bytes.toString().split('\r\n').map((line) => line.split(','));
  records.pop();
  return records;
}

// Chromium drops one download of a burst of ten or so within a second
// (seen here as a download that never comes): downloads are spaced.
const kDownloadGap = 150;
let lastDownload = 0;

// What a click on a download button saves: CSV, JSON, or any button named
// by its data-id.
export async function download(page, format) {
  const wait = lastDownload + kDownloadGap - Date.now();
  if (wait > 0) {
    await new Promise((resolve) => setTimeout(resolve, wait));
  }
  lastDownload = Date.now();
  const [saved] = await Promise.all([
    page.waitForEvent('download'),
    page.click(`[data-id="${format === 'csv' || format === 'json' ? 'download-' + format : format}"]`),
  ]);
  const stream = await saved.createReadStream();
  const chunks = [];
  for await (const chunk of stream) {
    chunks.push(chunk);
  }
  return {name: saved.suggestedFilename(), bytes: Buffer.concat(chunks)};
}

// Texts of the 32 result fields, by control id.
export function resultTexts(page) {
  return page.$$eval('td[data-id]', (cells) => Object.fromEntries(cells.map((cell) => [cell.dataset.id, cell.textContent])));
}

// The ids of the result fields in the order of the runner's rows: each
// note's ticks, then its milliseconds.
export const FIELD_IDS = [
  1009, 1010, 1011, 1012, 1015, 1016, 1017, 1018, 1013, 1014, 1019, 1020, 1021, 1022, 1023, 1024,
  1025, 1026, 1027, 1028, 1029, 1030, 1031, 1032, 1033, 1034, 1035, 1036, 1037, 1038, 1039, 1040,
];

// What the form must show for two typed texts: tactimer-cli's CSV cells,
// or "--" everywhere when it refuses the pair as the window clears it.
export function expectedFields(tempo, resolution, language = 'ja') {
  const result = cli(['--format', 'csv', '--lang', language, '--', tempo, resolution]);
  const fields = {};
  const records = result.status === 0 ? csv(result.out) : [];
  FIELD_IDS.forEach((id, i) => {
    const record = records[1 + (i >> 1)];
    fields[id] = record ? record[1 + (i & 1)] : '--';
  });
  return {fields, result};
}

// A folder of its own for files a test writes.
export function scratch(files = {}) {
  const folder = mkdtempSync(join(tmpdir(), 'tactimer-page-'));
  for (const [name, bytes] of Object.entries(files)) {
    writeFileSync(join(folder, name), bytes);
  }
  return folder;
}

// The cells of the page's table with data-key key under the container:
// the header row first.
export function tableCells(page, container, key) {
  return page.$$eval(`${container} table[data-key="${key}"] tr`, (rows) =>
    rows.map((row) => [...row.cells].map((cell) => cell.textContent)));
}

// A seeded generator of numbers from 0 to 1 (mulberry32).
export function seeded(seed) {
  let state = seed >>> 0;
  return () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}
