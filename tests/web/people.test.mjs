// The page for people: no request leaves it, it fits a 360-pixel phone
// and a window zoomed to 200% without sideways scrolling, axe-core finds
// nothing critical or serious, a file can be chosen from the keyboard, and
// Japanese text has fonts named for it.
import assert from 'node:assert/strict';
import {createRequire} from 'node:module';
import {join} from 'node:path';
import {after, before, test} from 'node:test';

import {OPENMSX, PAGE_URL, expectedFields, launch, openPage, resultTexts} from './harness.mjs';

const AXE = createRequire(import.meta.url).resolve('axe-core/axe.min.js');
const SONG = join(OPENMSX, 'midnight_snow_run.mid');

let browser;

before(async () => {
  browser = await launch();
});
after(() => browser?.close());

// Everything the page offers, used once: a calculation, every option, a
// MIDI file with lookups and the table at a tick, both downloads, the
// graph's views and the other language.
async function useEverything(page) {
  await page.fill('[data-id="1007"]', '93.5');
  await page.press('[data-id="1007"]', 'Enter');
  await page.fill('#opt-tuplets', '3,5,7');
  await page.fill('#opt-samples', '48000');
  await page.check('#opt-exact');
  await page.check('#opt-hz');
  await page.fill('#for-ms', '375');
  await page.fill('#for-note', '付点1/8');
  await page.setInputFiles('[data-id="midi"]', SONG);
  await page.waitForSelector('#midi-out[data-state="shown"]');
  await page.fill('#opt-at', '15360');
  await page.press('#opt-at', 'Enter');
  await page.fill('#opt-table-at', '40000');
  await page.press('#opt-table-at', 'Enter');
  await page.waitForSelector('#table-at-out[data-state="shown"]');
  await page.click('.views button[value="time"]');
  for (const format of ['csv', 'json']) {
    await Promise.all([page.waitForEvent('download'), page.click(`[data-id="download-${format}"]`)]);
  }
  await page.check('input[name="lang"][value="en"]');
  await page.waitForSelector('#midi-out[data-state="shown"]');
}

test('no request leaves the page: every one is the page itself or its own memory', async () => {
  const {page, context, requests, errors} = await openPage(browser);
  await useEverything(page);
  await context.close();
  assert.ok(requests.length >= 1);
  assert.equal(requests[0], PAGE_URL);
  // blob: URLs name bytes the page made itself: its worker and downloads.
  const others = requests.slice(1).filter((url) => !url.startsWith('blob:null/'));
  assert.deepEqual(others, []);
  assert.deepEqual(errors, []);
});

// The widest thing on the page is no wider than the window.
const sideways = (page) => page.evaluate(() => document.documentElement.scrollWidth - document.documentElement.clientWidth);

test('a 360-pixel phone and a window zoomed to 200%: no sideways scrolling, the form whole', async () => {
  for (const [name, options] of [
    ['phone', {viewport: {width: 360, height: 740}, deviceScaleFactor: 2, isMobile: true, hasTouch: true}],
    // 200% of a 1280 × 800 window.
    ['zoom', {viewport: {width: 640, height: 400}, deviceScaleFactor: 2}],
  ]) {
    const {page, context} = await openPage(browser, options);
    assert.equal(await sideways(page), 0, `${name}: start`);
    // Every result whole in its field, its neighbours and labels clear of it.
    const overlaps = await page.evaluate(() => {
      const boxes = [...document.querySelectorAll('.grid td[data-id], .grid th, #calculate > *')].map((node) => [node, node.getBoundingClientRect()]);
      const clipped = boxes.filter(([node]) => node.scrollWidth > node.clientWidth + 1).map(([node]) => node.textContent);
      const crossing = [];
      boxes.forEach(([a, boxA], i) => boxes.slice(i + 1).forEach(([b, boxB]) => {
        const x = Math.min(boxA.right, boxB.right) - Math.max(boxA.left, boxB.left);
        const y = Math.min(boxA.bottom, boxB.bottom) - Math.max(boxA.top, boxB.top);
        if (x > 1 && y > 1) {
          crossing.push(a.textContent + ' / ' + b.textContent);
        }
      }));
      return {clipped, crossing};
    });
    assert.deepEqual(overlaps, {clipped: [], crossing: []}, name);
    await useEverything(page);
    assert.equal(await sideways(page), 0, `${name}: everything used`);
    // The longest texts a field can hold wrap inside it.
    const long = '9'.repeat(99);
    await page.fill('[data-id="1007"]', '1');
    await page.fill('[data-id="1008"]', long);
    await page.click('[data-id="1001"]');
    assert.deepEqual(await resultTexts(page), expectedFields('1', long).fields);
    assert.equal(await sideways(page), 0, `${name}: long results`);
    await context.close();
  }
});

async function seriousFindings(page) {
  await page.addScriptTag({path: AXE});
  const results = await page.evaluate(() => window.axe.run(document, {resultTypes: ['violations']}));
  return results.violations
    .filter((violation) => violation.impact === 'critical' || violation.impact === 'serious')
    .map((violation) => `${violation.id}: ${violation.nodes.map((node) => node.target.join(' ')).join(', ')}`);
}

test('axe-core finds nothing critical or serious, at start and with a MIDI file shown', async () => {
  const {page, context} = await openPage(browser);
  assert.deepEqual(await seriousFindings(page), []);
  await useEverything(page);
  await page.fill('#opt-tuplets', '3,x');
  assert.deepEqual(await seriousFindings(page), []);
  await context.close();
});

test('from the keyboard alone: every control labelled, a file chosen with Space', async () => {
  const {page, context} = await openPage(browser);
  // Playwright intercepts file choosers only once asked to: a Space that
  // comes first opens the browser's own, which headless shows nowhere.
  page.on('filechooser', () => {});
  const unlabelled = await page.$$eval('input, button', (controls) => controls.filter((control) => {
    const label = control.labels?.[0]?.textContent || control.getAttribute('aria-label') || (control.tagName === 'BUTTON' && control.textContent);
    return !label || label.trim() === '';
  }).map((control) => control.outerHTML));
  assert.deepEqual(unlabelled, []);
  await page.focus('#for-note');
  let focused = '';
  for (let i = 0; i < 5 && focused !== 'midi'; i++) {
    await page.keyboard.press('Tab');
    focused = await page.evaluate(() => document.activeElement.dataset.id);
  }
  assert.equal(focused, 'midi');
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.keyboard.press('Space')]);
  await chooser.setFiles(SONG);
  await page.waitForSelector('#midi-out[data-state="shown"]');
  // The graph's views are buttons that say which is pressed.
  await page.focus('.views button[value="time"]');
  await page.keyboard.press('Enter');
  assert.equal(await page.getAttribute('.views button[value="time"]', 'aria-pressed'), 'true');
  await context.close();
});

test('Japanese text is in fonts the system has, with sans-serif last', async () => {
  const {page, context} = await openPage(browser);
  const family = await page.evaluate(() => getComputedStyle(document.body).fontFamily);
  for (const font of ['Hiragino Sans', 'Yu Gothic', 'Meiryo', 'Noto Sans CJK JP']) {
    assert.ok(family.includes(font), family);
  }
  assert.match(family, /sans-serif$/);
  assert.equal(await page.getAttribute('html', 'lang'), 'ja');
  await context.close();
});
