// What the command line adds, below the form: each option's table and facts
// against tactimer-cli's output for the same options, the CSV and JSON
// downloads byte for byte, each refused value with tactimer-cli's message
// beside its field, and the tempo for a length.
import assert from 'node:assert/strict';
import {after, before, test} from 'node:test';

import {cli, csv, download, launch, message, openPage, tableCells} from './harness.mjs';

let browser;
let page;

before(async () => {
  browser = await launch();
  ({page} = await openPage(browser));
});
after(() => browser?.close());

const FIELDS = {'--tuplets': '#opt-tuplets', '--samples': '#opt-samples', '--tempo-us': '#opt-tempo-us'};
const CHECKS = {'--exact': '#opt-exact', '--hz': '#opt-hz'};
const SELECTS = {'--fps': '#opt-fps'};

// Types the pair into the form, calculates, and sets the options.
async function choose(language, tempo, resolution, options) {
  await page.check(`input[name="lang"][value="${language}"]`);
  await page.fill('[data-id="1007"]', tempo);
  await page.fill('[data-id="1008"]', resolution);
  await page.click('[data-id="1001"]');
  for (const [option, selector] of Object.entries(FIELDS)) {
    await page.fill(selector, options[option] ?? '');
  }
  for (const [option, selector] of Object.entries(CHECKS)) {
    await page.setChecked(selector, option in options);
  }
  for (const [option, selector] of Object.entries(SELECTS)) {
    await page.selectOption(selector, options[option] ?? '');
  }
}

// tactimer-cli's arguments for the same choice.
function cliArguments(tempo, resolution, options) {
  const args = [];
  for (const [option, value] of Object.entries(options)) {
    if (option !== '--tempo-us') {
      args.push(option, ...(value === true ? [] : [value]));
    }
  }
  return '--tempo-us' in options ? [...args, '--tempo-us', '--', options['--tempo-us'], resolution]
    : [...args, '--', tempo, resolution];
}

// The top-level facts of tactimer-cli's JSON, as their texts.
function facts(json) {
  const head = json.toString().split('"notes"')[0];
  return [...head.matchAll(/"(\w+)": (null|"[^"]*"|[^,}\s]+)/g)].map(([, key, value]) => [key, value === 'null' ? '—' : value.replace(/^"|"$/g, '')]);
}

const CASES = [
  ['ja', '120', '480', {'--tuplets': '3,5,7,2:3'}],
  ['en', '140', '960', {'--tuplets': '3', '--exact': true}],
  ['ja', '93.5', '480', {'--samples': '48000', '--hz': true}],
  ['en', '120', '480', {'--tuplets': '7', '--exact': true, '--samples': '44100', '--hz': true}],
  ['ja', '120', '480', {'--tempo-us': '641711'}],
  ['en', '0', '480', {'--tuplets': '3', '--samples': '48000', '--hz': true}],
  ['ja', '１２０', '１０００.５', {'--exact': true, '--tuplets': '9:8,5:3'}],
  ['en', '120', '480', {'--tempo-us': '1', '--exact': true}],
  ['en', '93.5', '480', {'--fps': '24', '--tuplets': '3'}],
  ['ja', '120', '960', {'--fps': '29.97df', '--exact': true, '--tempo-us': '641711'}],
  ['en', '0', '480', {'--fps': '25'}],
];

test("each option's table, facts and downloads are tactimer-cli's", async () => {
  for (const [language, tempo, resolution, options] of CASES) {
    const label = JSON.stringify([language, tempo, resolution, options]);
    await choose(language, tempo, resolution, options);
    const args = ['--lang', language, ...cliArguments(tempo, resolution, options)];
    const table = csv(cli(['--format', 'csv', ...args]).out);
    const shown = await tableCells(page, '#notes-out', 'notes');
    assert.equal(shown.length, table.length, label);
    // The table's own texts, "inf" and "--" included.
    assert.deepEqual(shown.slice(1), table.slice(1), label);
    const json = cli(['--format', 'json', ...args]).out;
    const shownFacts = await page.$$eval('#notes-out dl.facts dd', (cells) => cells.map((cell) => cell.textContent));
    assert.deepEqual(shownFacts, facts(json).map(([, value]) => value), label);
    assert.deepEqual((await download(page, 'json')).bytes, json, label);
    const saved = await download(page, 'csv');
    assert.deepEqual(saved.bytes, cli(['--format', 'csv', ...args]).out, label);
    assert.equal(saved.name, 'tactimer.csv');
    assert.equal(await page.$$eval('#note-options .error', (errors) => errors.map((error) => error.textContent).join('')), '', label);
  }
});

test("a refused value gets tactimer-cli's message beside its field, and the rest still works", async () => {
  for (const [option, value, others] of [
    ['--tuplets', '3,5x', {'--exact': true}],
    ['--tuplets', '1', {'--hz': true}],
    ['--tuplets', Array.from({length: 33}, (_, i) => String(i + 2)).join(','), {}],
    ['--samples', 'abc', {'--tuplets': '3'}],
    ['--samples', '-48000', {}],
    ['--tempo-us', '0', {'--exact': true}],
    ['--tempo-us', '12.5', {}],
    ['--tempo-us', '99999999', {'--tuplets': '5'}],
  ]) {
    const label = `${option} ${value}`;
    await choose('en', '120', '480', {...others, [option]: value});
    const refused = cli(['--format', 'json', ...cliArguments('120', '480', {[option]: value})]);
    assert.notEqual(refused.status, 0, label);
    const selector = FIELDS[option];
    assert.equal(await page.textContent(`${selector} ~ .error`), message(refused.err), label);
    assert.equal(await page.getAttribute(selector, 'aria-invalid'), 'true', label);
    // The table is the one of the other options.
    const taken = cli(['--format', 'csv', '--lang', 'en', ...cliArguments('120', '480', others)]);
    const shown = await tableCells(page, '#notes-out', 'notes');
    if (Object.keys(others).length > 0) {
      assert.deepEqual(shown.slice(1), csv(taken.out).slice(1), label);
    }
    assert.deepEqual((await download(page, 'csv')).bytes, taken.out, label);
  }
  // Mended, the message goes.
  await page.fill('#opt-tuplets', '3');
  assert.equal(await page.textContent('#opt-tuplets ~ .error'), '');
  assert.equal(await page.getAttribute('#opt-tuplets', 'aria-invalid'), null);
});

test("numbers tactimer-cli refuses: its message, and no download", async () => {
  await choose('ja', '120', '0', {'--tuplets': '3'});
  const refused = cli(['--format', 'csv', '--tuplets', '3', '--', '120', '0']);
  assert.equal(refused.status, 1);
  assert.equal(await page.textContent('#form-error'), message(refused.err));
  assert.equal(await page.textContent('#notes-out'), message(refused.err));
  const downloads = [];
  page.on('download', (saved) => downloads.push(saved));
  await page.click('[data-id="download-csv"]');
  await page.waitForTimeout(200);
  assert.equal(downloads.length, 0);
});

test("the tempo for a length is tactimer-cli's, and so is what it refuses", async () => {
  await choose('ja', '120', '480', {});
  for (const [language, ms, note] of [
    ['ja', '375', '付点1/8'], ['en', '375', 'dotted 1/8'], ['ja', '500', 'triplet 1/4'],
    ['en', '１２５', '3連1/16'], ['ja', 'abc', '1/4'], ['en', '375', 'dotted 1/7'], ['ja', '0', '1/4'],
    ['en', '', '1/4'],
  ]) {
    await page.check(`input[name="lang"][value="${language}"]`);
    await page.fill('#for-ms', ms);
    await page.fill('#for-note', note);
    const result = cli(['--format', 'json', '--lang', language, '--tempo-for', ms, note]);
    const label = `${language} ${ms} ${note}`;
    if (result.status === 0) {
      const shown = await page.$$eval('#tempo-for-out dd', (cells) => cells.map((cell) => cell.textContent));
      assert.deepEqual(shown, facts(result.out).map(([, value]) => value), label);
      assert.equal(await page.textContent('#tempo-for-error'), '', label);
    } else {
      assert.equal(await page.textContent('#tempo-for-error'), message(result.err), label);
      assert.equal(await page.textContent('#tempo-for-out'), '', label);
    }
  }
});

// ---- Fitting to picture ----

const FIT_FIELDS = {
  '--fps': '#fit-fps', '--start': '#fit-start', '--grid': '#fit-grid', '--range': '#fit-range', '--step': '#fit-step',
  '--best': '#fit-best', '--resolution': '#fit-resolution', '--time-signature': '#fit-time-signature',
};

async function fit(hits, options) {
  await page.fill('#fit-hits', '');
  for (const [option, selector] of Object.entries(FIT_FIELDS)) {
    if (option === '--fps') {
      await page.selectOption(selector, options[option] ?? '');
    } else {
      await page.fill(selector, options[option] ?? '');
    }
  }
  await page.fill('#fit-hits', hits);
}

const fitArguments = (hits, options) => [...Object.entries(options).flat(), '--fit', hits];

// CSV records of one kind, their named cells; a position as the page shows it.
function records(bytes, kind = null) {
  const [header, ...rows] = csv(bytes);
  return rows.filter((row) => kind === null || row[0] === kind).map((row) => (name) =>
    name === 'position' ? ['bar', 'beat', 'beat_tick'].map((part) => row[header.indexOf(part)]).join(':') : row[header.indexOf(name)]);
}

const CUE = '01:00:52;00,01:00:53;18,01:00:55;06,01:00:56;16,01:00:58;12,01:01:00;10,01:01:01;20,01:01:03;24';

test("the tempos that fit the hits, and the best one's hits, are tactimer-cli's", async () => {
  await page.check('input[name="lang"][value="en"]');
  for (const [hits, options] of [
    [CUE, {'--fps': '29.97df', '--start': '01:00:52;00', '--best': '5'}],
    ['0,510,1020,1490,2250', {'--grid': 'triplet 1/8', '--range': '90-130', '--step': '0.05', '--best': '3', '--time-signature': '3/4', '--resolution': '480'}],
    ['0, 250.25, 500', {}],
  ]) {
    const label = JSON.stringify([hits, options]);
    await fit(hits, options);
    const rows = records(cli(['--format', 'csv', ...fitArguments(hits, options)]).out);
    const columns = ['bpm', 'us_per_quarter', 'max_error_ms', ...('--fps' in options ? ['max_error_frames'] : [])];
    const fits = rows.filter((row) => row('hit') === '1').map((row) => columns.map(row));
    assert.deepEqual((await tableCells(page, '#fit-out', 'fits')).slice(1), fits, label);
    const hitColumns = ['ms', ...('--fps' in options ? ['timecode'] : []), 'position', 'tick', 'error_ms'];
    const best = rows.filter((row) => row('rank') === '1').map((row) => hitColumns.map(row));
    assert.deepEqual((await tableCells(page, '#fit-out', 'fits.hits')).slice(1), best, label);
    assert.equal(await page.textContent('#fit-hits ~ .error'), '', label);
    // Fits are no map: nothing to save as one.
    assert.equal(await page.isDisabled('[data-id="save-fit-map"]'), true, label);
  }
});

test('an exact map is drawn as a tempo map with its hits, and refusals are said beside their fields', async () => {
  const hits = '1:1@01:00:52;00,1:4@01:00:53;18,door=4:4:480@01:01:00;10,6:3@01:01:03;24';
  const options = {'--fps': '29.97df', '--start': '01:00:52;00', '--time-signature': '4/4'};
  await fit(hits, options);
  const printed = cli(['--format', 'csv', ...fitArguments(hits, options)]).out;
  const tempos = records(printed, 'tempo').map((row) => ['tick', 'position', 'ms', 'timecode', 'us_per_quarter', 'bpm'].map(row).concat(''));
  assert.deepEqual((await tableCells(page, '#fit-out', 'tempos')).slice(1), tempos);
  const shown = records(printed, 'hit').map((row) => ['tick', 'position', 'ms', 'timecode', 'error_us'].map(row).concat(row('name') === '' ? [] : [row('name')]));
  assert.deepEqual((await tableCells(page, '#fit-out', 'hits')).slice(1).map((cells) => cells.filter((cell, i) => i < 5 || cell !== '')), shown);
  assert.ok(await page.$('#fit-out svg.graph'));
  // Saved as the tempo-map file tactimer-cli writes, markers and SMPTE
  // offset included.
  const saved = await download(page, 'save-fit-map');
  assert.equal(saved.name, 'tactimer-fit.mid');
  assert.deepEqual(saved.bytes, cli([...fitArguments(hits, options), '--write-tempo-map', '-']).out);
  for (const [field, value, others, typed] of [
    ['--grid', '1/7', {}, '0,500'],
    ['--range', '100', {}, '0,500'],
    ['--best', '0', {'--grid': '1/4'}, '0,500'],
    ['--start', '01:01:00;00', {'--fps': '29.97df'}, '0,500'],
    ['--grid', '1/4', {}, hits],
    ['--time-signature', '4/3', {}, hits],
  ]) {
    const label = `${field} ${value} ${typed}`;
    await fit(typed, {...others, [field]: value});
    const refused = cli(fitArguments(typed, {...others, [field]: value}));
    assert.equal(refused.status, 2, label);
    assert.equal(await page.textContent(`${FIT_FIELDS[field]} ~ .error`), message(refused.err), label);
  }
  // Hits that need a frame rate, or that no tempo can land: said beside the hits.
  for (const typed of ['0,01:00:00:00', '0,1000,999', '0@0,1@20000']) {
    await fit(typed, {});
    const refused = cli(['--fit', typed]);
    assert.notEqual(refused.status, 0, typed);
    assert.equal(await page.textContent('#fit-hits ~ .error'), message(refused.err), typed);
    assert.equal(await page.textContent('#fit-out'), '', typed);
  }
  await fit('', {});
  assert.equal(await page.textContent('#fit-hits ~ .error'), '');
});
