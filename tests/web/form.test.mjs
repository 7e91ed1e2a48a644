// The window's form in the page: its start-up texts, its 32 texts for a
// thousand seeded typed inputs against the native tactimer-cli's, Enter in
// either input, the Tab order, and the language switch.
import assert from 'node:assert/strict';
import {after, before, test} from 'node:test';

import {cli, csv, expectedFields, launch, message, openPage, resultTexts, seeded} from './harness.mjs';

let browser;
let page;

before(async () => {
  browser = await launch();
  ({page} = await openPage(browser));
});
after(() => browser?.close());

// The window's own start-up texts.
const STARTUP = {
  1009: '60.00', 1010: '62.50', 1011: '120.00', 1012: '125.00', 1015: '240.00', 1016: '250.00',
  1017: '480.00', 1018: '500.00', 1013: '960.00', 1014: '1000.00', 1019: '1920.00', 1020: '2000.00',
  1021: '3840.00', 1022: '4000.00', 1023: '7680.00', 1024: '8000.00', 1025: '90.00', 1026: '93.75',
  1027: '180.00', 1028: '187.50', 1029: '360.00', 1030: '375.00', 1031: '720.00', 1032: '750.00',
  1033: '1440.00', 1034: '1500.00', 1035: '2880.00', 1036: '3000.00', 1037: '5760.00', 1038: '6000.00',
  1039: '11520.00', 1040: '12000.00',
};
const CAPTIONS = ['1/32', '1/16', '1/8', '1/4', '1/2', '1', '2', '4', '付点1/32', '付点1/16', '付点1/8',
  '付点1/4', '付点1/2', '付点1', '付点2', '付点4'];

const captions = () => page.$$eval('.grid th[scope="col"]', (cells) => cells.map((cell) => cell.textContent));

test('it starts as the window does: 120, 480, the captions and their results', async () => {
  assert.equal(await page.inputValue('[data-id="1007"]'), '120');
  assert.equal(await page.inputValue('[data-id="1008"]'), '480');
  assert.equal(await page.textContent('[data-id="1001"]'), '計算');
  assert.equal(await page.textContent('label[for="tempo"]'), 'Tempo');
  assert.equal(await page.textContent('label[for="resolution"]'), '分解能');
  assert.deepEqual(await page.$$eval('.grid th[scope="row"]', (cells) => cells.map((cell) => cell.textContent)),
    ['Tick', 'ミリ秒', 'Tick', 'ミリ秒', 'Tick', 'ミリ秒', 'Tick', 'ミリ秒']);
  assert.deepEqual(await captions(), CAPTIONS);
  assert.deepEqual(await resultTexts(page), STARTUP);
  assert.deepEqual(await resultTexts(page), expectedFields('120', '480').fields);
});

// Texts as people type them: numbers with signs, fractions, exponents and
// units, the same in full-width characters, unusable ones, and texts past
// the 99 characters the window reads.
function typedTexts(random) {
  const pick = (list) => list[Math.floor(random() * list.length)];
  const digits = (count) => Array.from({length: count}, () => String(Math.floor(random() * 10))).join('');
  const number = () => {
    let text = (random() < 0.1 ? '-' : '') + String(1 + Math.floor(random() * 9)) + digits(Math.floor(random() * 5));
    if (random() < 0.33) {
      text += '.' + digits(1 + Math.floor(random() * 3));
    }
    const tail = random();
    if (tail < 0.1) {
      text += 'e' + String(Math.floor(random() * 641) - 320);
    } else if (tail < 0.2) {
      text += ' bpm';
    }
    return text;
  };
  const fullWidth = (text) => [...text].map((c) => (c === ' ' ? '\u3000' : String.fromCharCode(c.charCodeAt(0) + 0xfee0))).join('');
  const unusable = ['', ' ', 'abc', '0', '-0', '0.0', '1e-999', '--', 'ｶﾞ', '\u3000', '.', 'e5', '1e999', '-abc', '🎵120'];
  const long = () => {
    const length = 100 + Math.floor(random() * 51);
    const kind = random();
    let text = kind < 0.33 ? '0.' + '0'.repeat(90 + Math.floor(random() * 11)) + digits(60)
      : kind < 0.66 ? '1' + digits(length - 1)
        : ' '.repeat(Math.floor(random() * 120)) + number() + 'x'.repeat(60);
    return text.slice(0, length).padEnd(length, '0');
  };
  const kind = random() * 20;
  return kind < 10 ? number() : kind < 13 ? fullWidth(number()) : kind < 18 ? pick(unusable) : long();
}

test('a thousand seeded typed inputs give the native texts, or "--" where the window clears', async () => {
  const random = seeded(20261209);
  const pairs = Array.from({length: 1000}, () => [typedTexts(random), typedTexts(random)]);
  const shown = await page.evaluate((typed) => typed.map(([tempo, resolution]) => {
    document.querySelector('[data-id="1007"]').value = tempo;
    document.querySelector('[data-id="1008"]').value = resolution;
    document.querySelector('[data-id="1001"]').click();
    const fields = {};
    document.querySelectorAll('td[data-id]').forEach((cell) => (fields[cell.dataset.id] = cell.textContent));
    return {fields, error: document.getElementById('form-error').textContent};
  }), pairs);
  let cleared = 0;
  pairs.forEach(([tempo, resolution], i) => {
    const {fields, result} = expectedFields(tempo, resolution);
    assert.deepEqual(shown[i].fields, fields, `tempo '${tempo}', resolution '${resolution}'`);
    assert.equal(shown[i].error, result.status === 0 ? '' : message(result.err));
    cleared += result.status === 0 ? 0 : 1;
  });
  // The mix holds both kinds.
  assert.ok(cleared > 100 && cleared < 900, `${cleared} of 1000 cleared`);
});

test('typed with the keyboard, full-width digits and Enter included', async () => {
  const random = seeded(7);
  for (let i = 0; i < 30; i++) {
    const tempo = typedTexts(random);
    const resolution = typedTexts(random);
    await page.fill('[data-id="1007"]', '');
    await page.fill('[data-id="1008"]', '');
    await page.click('[data-id="1007"]');
    await page.keyboard.type(tempo);
    await page.click('[data-id="1008"]');
    await page.keyboard.type(resolution);
    await page.keyboard.press('Enter');
    assert.deepEqual(await resultTexts(page), expectedFields(tempo, resolution).fields, `'${tempo}' '${resolution}'`);
  }
});

test('Enter in either input calculates, as the button does', async () => {
  for (const [input, tempo, resolution] of [['1007', '140', '960'], ['1008', '93.5', '480']]) {
    await page.fill('[data-id="1007"]', tempo);
    await page.fill('[data-id="1008"]', resolution);
    await page.$$eval('td[data-id]', (cells) => cells.forEach((cell) => (cell.textContent = 'sentinel')));
    await page.focus(`[data-id="${input}"]`);
    await page.keyboard.press('Enter');
    assert.deepEqual(await resultTexts(page), expectedFields(tempo, resolution).fields);
  }
  // Until the command, a typed text changes nothing.
  await page.fill('[data-id="1007"]', '');
  assert.deepEqual(await resultTexts(page), expectedFields('93.5', '480').fields);
  await page.click('[data-id="1001"]');
  assert.deepEqual(Object.values(await resultTexts(page)), Array(32).fill('--'));
});

test('Tab goes from the tempo to the resolution to the button, never to a result', async () => {
  await page.focus('[data-id="1007"]');
  const order = [];
  for (let i = 0; i < 3; i++) {
    await page.keyboard.press('Tab');
    order.push(await page.evaluate(() => document.activeElement.dataset.id ?? document.activeElement.id));
  }
  assert.deepEqual(order, ['1008', '1001', 'opt-tuplets']);
  await page.keyboard.press('Shift+Tab');
  await page.keyboard.press('Shift+Tab');
  await page.keyboard.press('Shift+Tab');
  assert.equal(await page.evaluate(() => document.activeElement.dataset.id), '1007');
  // Through the whole page: every stop is a control, none a result.
  await page.focus('body');
  const stops = new Set();
  for (let i = 0; i < 40; i++) {
    await page.keyboard.press('Tab');
    stops.add(await page.evaluate(() => document.activeElement.tagName + (document.activeElement.dataset.id ? '#' + document.activeElement.dataset.id : '')));
  }
  assert.ok(![...stops].some((stop) => stop.startsWith('TD')), [...stops].join(' '));
  for (const id of ['INPUT#1007', 'INPUT#1008', 'BUTTON#1001', 'INPUT#midi', 'BUTTON#download-csv', 'BUTTON#download-json']) {
    assert.ok(stops.has(id), `${id} in ${[...stops].join(' ')}`);
  }
});

test('the language switch gives the captions of --lang en, and back', async () => {
  await page.fill('[data-id="1007"]', '120');
  await page.fill('[data-id="1008"]', '480');
  await page.click('[data-id="1001"]');
  const english = csv(cli(['--format', 'csv', '--lang', 'en', '120', '480']).out).slice(1).map((record) => record[0]);
  await page.check('input[name="lang"][value="en"]');
  assert.deepEqual(await captions(), english);
  assert.equal(await page.getAttribute('html', 'lang'), 'en');
  assert.deepEqual(await resultTexts(page), expectedFields('120', '480').fields);
  await page.check('input[name="lang"][value="ja"]');
  assert.deepEqual(await captions(), CAPTIONS);
  assert.equal(await page.textContent('[data-id="1001"]'), '計算');
});
