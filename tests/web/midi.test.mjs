// MIDI files in the page: every openttd-openmsx song's JSON download
// byte for byte what tactimer-cli prints for it, the tempo map as the page
// shows it and graphs it, lookups, the table at a tick, every class of bad
// file with tactimer-cli's message, lenient files, the 256 MiB refusal,
// dropping a file, and closing it.
import assert from 'node:assert/strict';
import {closeSync, mkdtempSync, openSync, readdirSync, readFileSync, ftruncateSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {basename, dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';
import {after, before, test} from 'node:test';

import {OPENMSX, cli, csv, download, launch, message, openPage, scratch, tableCells} from './harness.mjs';

const SONGS = join(dirname(fileURLToPath(import.meta.url)), '..', 'midi', 'songs');

let browser;
let page;

before(async () => {
  browser = await launch();
  ({page} = await openPage(browser));
});
after(() => browser?.close());

// Opens the file with the file chooser and waits until the page shows its
// report, or its error.
async function open(path) {
  await page.setInputFiles('[data-id="midi"]', path);
  await page.waitForFunction((name) => {
    const out = document.getElementById('midi-out');
    const shown = out.dataset.state === 'shown' && out.querySelector('dd')?.textContent === name;
    return shown || document.getElementById('midi-error').textContent !== '';
  }, basename(path));
}

// The rows of one kind of tactimer-cli's CSV, as the page's table shows
// them: bar, beat and beat_tick as one position.
function csvRows(bytes, kind, columns) {
  const [header, ...records] = csv(bytes);
  return records.filter((record) => record[0] === kind).map((record) => columns.map((column) => {
    const cell = (name) => record[header.indexOf(name)];
    if (column === 'position') {
      return cell('bar') === '' ? '-' : [cell('bar'), cell('beat'), cell('beat_tick')].join(':');
    }
    if (column === 'signature') {
      return cell('numerator') + '/' + cell('denominator');
    }
    if (column === 'implied') {
      return cell('implied') === 'true' ? 'はい' : '';
    }
    return cell(column);
  }));
}

test("every openttd-openmsx song: the JSON download is tactimer-cli's, the tempo map its table", async () => {
  const songs = readdirSync(OPENMSX).filter((name) => name.endsWith('.mid')).sort();
  assert.equal(songs.length, 31);
  for (const [folder, name] of [...songs.map((song) => [OPENMSX, song]), [SONGS, 'テンポ.mid'], [SONGS, 'song.rmi'], [SONGS, 'smpte.mid']]) {
    await open(join(folder, name));
    assert.equal(await page.textContent('#midi-error'), '', name);
    const json = cli(['--format', 'json', '--midi', name], folder).out;
    const saved = await download(page, 'json');
    assert.deepEqual(saved.bytes, json, name);
    assert.equal(saved.name, name.replace(/\.[^.]*$/, '.json'));
    const table = cli(['--format', 'csv', '--midi', name], folder).out;
    const tempos = await tableCells(page, '#midi-out', 'tempos');
    assert.deepEqual(tempos.slice(1), csvRows(table, 'tempo', ['tick', 'position', 'ms', 'us_per_quarter', 'bpm', 'implied']), name);
    const signatures = await tableCells(page, '#midi-out', 'time_signatures');
    assert.deepEqual(signatures.slice(1), csvRows(table, 'time_signature', ['tick', 'position', 'ms', 'signature']), name);
    assert.deepEqual((await tableCells(page, '#midi-out', 'end')).slice(1), csvRows(table, 'end', ['tick', 'position', 'ms']), name);
  }
});

test('the graph steps through the tempo map, labelled with its own texts', async () => {
  const name = 'midnight_snow_run.mid';
  await open(join(OPENMSX, name));
  const rows = csvRows(cli(['--format', 'csv', '--midi', name], OPENMSX).out, 'tempo', ['bpm', 'position', 'ms']);
  const end = csvRows(cli(['--format', 'csv', '--midi', name], OPENMSX).out, 'end', ['position', 'ms'])[0];
  const bpm = rows.map((row) => row[0]);
  const byValue = [...bpm].sort((a, b) => Number(a) - Number(b));
  for (const [view, start, finish] of [['bars', rows[0][1], end[0]], ['time', rows[0][2] + ' ミリ秒', end[1] + ' ミリ秒']]) {
    await page.click(`.views button[value="${view}"]`);
    const graph = await page.$eval('svg.graph', (svg) => ({
      labels: [...svg.querySelectorAll('text')].map((text) => text.textContent),
      path: svg.querySelector('path').getAttribute('d'),
      pressed: document.querySelector('.views button[aria-pressed="true"]').value,
    }));
    assert.equal(graph.pressed, view);
    assert.deepEqual(graph.labels, [byValue.at(-1), byValue[0], start, finish]);
    // A step for each change: as many distinct levels as tempos, the
    // highest tempo at the top of the plot and the lowest at its bottom.
    const levels = [...graph.path.matchAll(/V([\d.]+)/g)].map((match) => Number(match[1]));
    assert.equal(new Set(levels).size, new Set(bpm).size);
    assert.equal(Math.min(...levels), 16);
    assert.equal(Math.max(...levels), 280);
  }
});

test("lookups and the table at a tick are tactimer-cli's, refused ones said beside their fields", async () => {
  const name = 'midnight_snow_run.mid';
  await open(join(OPENMSX, name));
  const lookups = {'#opt-at': '0,15360,99999999', '#opt-at-ms': '60000,0.5', '#opt-table-at': '40000'};
  for (const [field, value] of Object.entries(lookups)) {
    await page.fill(field, value);
    await page.press(field, 'Enter');
  }
  await page.fill('#opt-tuplets', '3');
  await page.check('#opt-hz');
  await page.waitForSelector('#table-at-out[data-state="shown"] table');
  const args = ['--midi', name, '--at', lookups['#opt-at'], '--at-ms', lookups['#opt-at-ms']];
  const table = cli(['--format', 'csv', ...args], OPENMSX).out;
  assert.deepEqual((await tableCells(page, '#midi-out', 'at')).slice(1), csvRows(table, 'at', ['tick', 'position', 'ms', 'at_ms']));
  assert.deepEqual((await download(page, 'json')).bytes, cli(['--format', 'json', ...args], OPENMSX).out);
  assert.deepEqual((await download(page, 'csv')).bytes, table);
  const notes = cli(['--format', 'csv', '--midi', name, '--table-at', '40000', '--tuplets', '3', '--hz'], OPENMSX).out;
  assert.deepEqual((await tableCells(page, '#table-at-out', 'notes')).slice(1), csv(notes).slice(1));
  for (const [field, value, option] of [['#opt-at', '1,x', '--at'], ['#opt-at-ms', '-5', '--at-ms'], ['#opt-table-at', '2.5', '--table-at']]) {
    await page.fill(field, value);
    await page.press(field, 'Enter');
    const refused = cli(['--midi', name, option, value], OPENMSX);
    assert.equal(refused.status, 2, value);
    assert.equal(await page.textContent(`${field} ~ .error`), message(refused.err));
    await page.fill(field, '');
    await page.press(field, 'Enter');
  }
  await page.waitForFunction(() => document.getElementById('midi-out').dataset.state === 'shown');
  assert.deepEqual((await download(page, 'json')).bytes, cli(['--format', 'json', '--midi', name], OPENMSX).out);
});

test("timecodes: the file's SMPTE offset, a chosen rate and start, --at-tc and positions, as tactimer-cli prints them", async () => {
  const name = 'picture.mid';
  await open(join(SONGS, name));
  const columns = ['tick', 'position', 'ms', 'timecode', 'us_per_quarter', 'bpm', 'implied'];
  for (const [rate, start, at, atTc] of [
    ['', '', '3:1,4:3:100', '01:00:05;00'],
    ['25', '', '', '01:00:00:10,01:00:01:00.50'],
    ['23.976', '10:00:00:00', '2:1:5', '10:00:02:00'],
  ]) {
    const label = [rate, start, at, atTc].join(' ');
    await page.selectOption('#midi-fps', rate);
    for (const [field, value] of [['#midi-start', start], ['#opt-at', at], ['#opt-at-tc', atTc]]) {
      await page.fill(field, value);
      await page.press(field, 'Enter');
    }
    await page.waitForFunction(() => document.getElementById('midi-out').dataset.state === 'shown');
    const args = ['--midi', name, ...(rate ? ['--fps', rate] : []), ...(start ? ['--start', start] : []),
      ...(at ? ['--at', at] : []), '--at-tc', atTc];
    const table = cli(['--format', 'csv', ...args], SONGS).out;
    assert.deepEqual((await tableCells(page, '#midi-out', 'tempos')).slice(1), csvRows(table, 'tempo', columns), label);
    assert.deepEqual((await tableCells(page, '#midi-out', 'at')).slice(1), csvRows(table, 'at', ['tick', 'position', 'ms', 'timecode', 'at_tc']), label);
    assert.deepEqual((await download(page, 'json')).bytes, cli(['--format', 'json', ...args], SONGS).out, label);
    assert.equal(await page.textContent('#midi-error'), '', label);
  }
  // A timecode the rate cannot show, beside its field; a position that the
  // file has not, said above the report, which stays.
  await page.selectOption('#midi-fps', '29.97df');
  await page.fill('#opt-at-tc', '01:01:00;00');
  await page.press('#opt-at-tc', 'Enter');
  const dropped = cli(['--midi', name, '--fps', '29.97df', '--at-tc', '01:01:00;00'], SONGS);
  assert.equal(dropped.status, 2);
  assert.equal(await page.textContent('#opt-at-tc ~ .error'), message(dropped.err));
  await page.fill('#opt-at-tc', '');
  await page.fill('#opt-at', '2:4');
  await page.press('#opt-at', 'Enter');
  await page.waitForFunction(() => document.getElementById('midi-error').textContent !== '');
  const missing = cli(['--midi', name, '--fps', '29.97df', '--start', '10:00:00:00', '--at', '2:4'], SONGS);
  assert.equal(missing.status, 1);
  assert.equal(await page.textContent('#midi-error'), message(missing.err));
  await page.waitForFunction(() => document.getElementById('midi-out').dataset.state === 'shown');
  assert.equal(await page.isDisabled('#midi-close'), false);
  for (const field of ['#midi-start', '#opt-at']) {
    await page.fill(field, '');
  }
  await page.selectOption('#midi-fps', '');
});

const vlq = (number) => {
  const bytes = [number & 0x7f];
  for (number >>>= 7; number > 0; number >>>= 7) {
    bytes.unshift(0x80 | (number & 0x7f));
  }
  return bytes;
};
const bytes = (...parts) => Buffer.concat(parts.map((part) => Buffer.from(part)));
const be = (value, size) => Array.from({length: size}, (_, i) => (value >>> (8 * (size - 1 - i))) & 0xff);
const chunk = (kind, data, length = data.length) => bytes(Buffer.from(kind), be(length, 4), data);
const header = (format, tracks, division) => chunk('MThd', bytes(be(format, 2), be(tracks, 2), be(division, 2)));
const END = [0x00, 0xff, 0x2f, 0x00];
const oneTrack = (...data) => bytes(header(0, 1, 96), chunk('MTrk', bytes(...data)));
const smpte = (fps, ticks) => ((256 - fps) << 8) | ticks;

test("a song's tempo map and the song at another resolution are saved as the files tactimer-cli writes", async () => {
  const folder = mkdtempSync(join(tmpdir(), 'written-'));
  const name = 'be_sharp_bw_redfarn.mid';
  await open(join(OPENMSX, name));
  const map = await download(page, 'save-tempo-map');
  assert.equal(map.name, 'be_sharp_bw_redfarn-tempo-map.mid');
  assert.equal(cli(['--midi', join(OPENMSX, name), '--write-tempo-map', join(folder, 'map.mid')]).status, 0);
  assert.deepEqual(map.bytes, readFileSync(join(folder, 'map.mid')));
  await page.fill('#opt-retick', '768');
  const moved = await download(page, 'save-retick');
  assert.equal(moved.name, 'be_sharp_bw_redfarn-768.mid');
  const report = cli(['--format', 'json', '--midi', join(OPENMSX, name), '--retick', '768', '--write', join(folder, 'moved.mid')]);
  assert.deepEqual(moved.bytes, readFileSync(join(folder, 'moved.mid')));
  // The report beside it is tactimer-cli's.
  const shown = await page.$$eval('#write-out dd', (cells) => cells.map((cell) => cell.textContent));
  assert.deepEqual(shown, [...report.out.toString().matchAll(/": ([^,}]+)/g)].map(([, value]) => value));
  // Every fact and column has a caption, none is left as its JSON key.
  const labels = await page.$$eval('dt, th, caption', (cells) => cells.map((cell) => cell.textContent));
  assert.deepEqual(labels.filter((label) => /^[a-z]+(_[a-z]+)+$/.test(label)), []);
  // What the runner refuses is said beside the field, and nothing is saved.
  await page.fill('#opt-retick', '40000');
  await page.click('[data-id="save-retick"]');
  await page.waitForFunction(() => document.querySelector('#opt-retick ~ .error').textContent !== '');
  const refused = cli(['--midi', join(OPENMSX, name), '--retick', '40000', '--write', join(folder, 'no.mid')]);
  assert.equal(await page.textContent('#opt-retick ~ .error'), message(refused.err));
  await page.fill('#opt-retick', '');
});

test("every class of bad file gets tactimer-cli's one line, and nothing else breaks", async () => {
  const files = {
    'empty.mid': bytes([]),
    'text.mid': Buffer.from('hello, world\n'),
    'short-header.mid': bytes(Buffer.from('MThd'), [0, 0, 0, 6, 0, 1]),
    'header-of-4.mid': bytes(Buffer.from('MThd'), [0, 0, 0, 4, 0, 0, 0, 1]),
    'division-0.mid': bytes(header(0, 1, 0), chunk('MTrk', bytes(END))),
    'no-ticks-a-frame.mid': header(0, 1, smpte(25, 0)),
    '23-frames.mid': header(0, 1, smpte(23, 4)),
    'format-3.mid': header(3, 1, 96),
    'format-2.mid': bytes(header(2, 1, 96), chunk('MTrk', bytes(END))),
    'no-track.mid': header(0, 1, 96),
    'no-status.mid': oneTrack([0, 0x3c, 0x40], END),
    'long-number.mid': oneTrack([0x81, 0x81, 0x81, 0x81, 0x00, 0x90, 0x3c, 0x40]),
    'long-length.mid': oneTrack([0, 0xff, 0x01, 0x81, 0x81, 0x81, 0x81, 0x00]),
    'tempo-of-2.mid': oneTrack([0, 0xff, 0x51, 0x02, 0x07, 0xa1, 0], END),
    'tempo-0.mid': oneTrack([0, 0xff, 0x51, 0x03, 0, 0, 0], END),
    'signature-of-3.mid': oneTrack([0, 0xff, 0x58, 0x03, 4, 2, 24], END),
    'zero-over-4.mid': oneTrack([0, 0xff, 0x58, 0x04, 0, 2, 24, 8], END),
    'system-message.mid': oneTrack([0, 0xf2, 0, 0], END),
    'event-past-chunk.mid': bytes(header(1, 2, 96), chunk('MTrk', bytes([0, 0x90, 0x3c])), chunk('MTrk', bytes(END))),
    'riff.rmi': bytes(Buffer.from('RIFF'), [0x0c, 0, 0, 0], Buffer.from('RMIDLIST'), [0, 0, 0, 0]),
    '壊れた 曲.mid': Buffer.from('MThd'),
  };
  const folder = scratch(files);
  await page.fill('#opt-tuplets', '');
  await page.uncheck('#opt-hz');
  for (const name of Object.keys(files)) {
    await open(join(folder, name));
    const refused = cli(['--midi', name], folder);
    assert.equal(refused.status, 1, name);
    assert.equal(refused.err.split('\n').length, 2, name);
    assert.equal(await page.textContent('#midi-error'), message(refused.err), name);
    assert.equal(await page.textContent('#midi-out'), '', name);
    assert.equal(await page.isDisabled('#midi-close'), true, name);
    // The download is the note table again, and the form still calculates.
    assert.deepEqual((await download(page, 'json')).bytes, cli(['--format', 'json', '--', '120', '480']).out, name);
  }
  await page.fill('[data-id="1007"]', '140');
  await page.press('[data-id="1007"]', 'Enter');
  assert.equal(await page.textContent('[data-id="1009"]'), csv(cli(['--format', 'csv', '140', '480']).out)[1][1]);
  await page.fill('[data-id="1007"]', '120');
  await page.press('[data-id="1007"]', 'Enter');
});

test('a lenient file shows what tactimer-cli says of it, and its report', async () => {
  await open(join(SONGS, 'lenient.mid'));
  const said = cli(['--midi', 'lenient.mid'], SONGS).err.split('\n').filter((line) => line !== '').map(message);
  assert.ok(said.length > 0);
  assert.deepEqual(await page.$$eval('#midi-out ul.notes li', (items) => items.map((item) => item.textContent)), said);
  assert.deepEqual((await download(page, 'json')).bytes, cli(['--format', 'json', '--midi', 'lenient.mid'], SONGS).out);
  assert.ok((await tableCells(page, '#midi-out', 'lenient')).length > 1);
});

test('a file over 256 MiB is refused unread; one of 256 MiB is read', async () => {
  const folder = scratch();
  for (const [name, size] of [['large.mid', 256 * 1024 * 1024 + 1], ['limit.mid', 256 * 1024 * 1024]]) {
    // Sparse: no disk is spent on them.
    const fd = openSync(join(folder, name), 'w');
    ftruncateSync(fd, size);
    closeSync(fd);
  }
  await open(join(folder, 'large.mid'));
  const refusal = await page.textContent('#midi-error');
  assert.ok(refusal.startsWith('large.mid: ') && refusal.includes('256 MiB'), refusal);
  assert.equal(await page.textContent('#midi-out'), '');
  await open(join(folder, 'limit.mid'));
  assert.equal(await page.textContent('#midi-error'), message(cli(['--midi', 'limit.mid'], folder).err));
});

test('a file dropped on the page opens as a chosen one does; closing it gives back the note table', async () => {
  const name = 'tempo_map.mid';
  const file = readFileSync(join(SONGS, name));
  await page.evaluate(([data, fileName]) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([Uint8Array.from(atob(data), (c) => c.charCodeAt(0))], fileName));
    for (const kind of ['dragenter', 'dragover', 'drop']) {
      document.querySelector('main').dispatchEvent(new DragEvent(kind, {dataTransfer: transfer, bubbles: true, cancelable: true}));
    }
  }, [file.toString('base64'), name]);
  await page.waitForFunction((fileName) => document.querySelector('#midi-out[data-state="shown"] dd')?.textContent === fileName, name);
  assert.deepEqual((await download(page, 'csv')).bytes, cli(['--format', 'csv', '--midi', name], SONGS).out);
  assert.match(await page.textContent('#save-what'), /tempo_map\.mid/);
  await page.click('#midi-close');
  assert.equal(await page.textContent('#midi-out'), '');
  assert.deepEqual((await download(page, 'csv')).bytes, cli(['--format', 'csv', '--', '120', '480']).out);
});
