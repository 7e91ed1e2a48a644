// The README's pictures of the page, in Debian's Chromium: the form and an
// option at desktop width, a MIDI file's tempo map and graph, and the form
// on a 360-pixel phone. tools/web-screenshots.sh runs it.
// Usage: node screenshots.mjs PAGE SONG FOLDER
import {join} from 'node:path';
import {pathToFileURL} from 'node:url';

import {chromium} from 'playwright-core';

const [PAGE, SONG, FOLDER] = process.argv.slice(2);
const browser = await chromium.launch({executablePath: process.env.TACTIMER_CHROMIUM || '/usr/bin/chromium'});

async function open(options) {
  const context = await browser.newContext(options);
  const page = await context.newPage();
  await page.goto(pathToFileURL(PAGE).href);
  await page.waitForSelector('body[data-state="ready"]');
  return page;
}

try {
  const desktop = await open({viewport: {width: 1100, height: 1000}});
  await desktop.fill('#opt-tuplets', '3');
  await desktop.check('#opt-exact');
  await desktop.screenshot({path: join(FOLDER, 'web-desktop.png')});
  await desktop.setInputFiles('[data-id="midi"]', SONG);
  await desktop.waitForSelector('#midi-out[data-state="shown"]');
  await desktop.fill('#opt-at-ms', '60000');
  await desktop.press('#opt-at-ms', 'Enter');
  await desktop.waitForSelector('#midi-out[data-state="shown"]');
  await desktop.locator('#midi-heading').scrollIntoViewIfNeeded();
  await desktop.evaluate(() => document.getElementById('midi-heading').scrollIntoView());
  await desktop.screenshot({path: join(FOLDER, 'web-midi.png')});

  const phone = await open({viewport: {width: 360, height: 740}, deviceScaleFactor: 2, isMobile: true, hasTouch: true});
  await phone.screenshot({path: join(FOLDER, 'web-phone.png')});
} finally {
  await browser.close();
}
