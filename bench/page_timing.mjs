// page_timing.mjs PAGE [QUERY...]
// Opens a listing page in headless Chromium (Debian's, driven by playwright-core) and prints,
// as JSON, how long it took to show its first level (from the start of navigation to the
// first rows drawn, by the page's own clock) and how long each search took to answer (from
// the keystroke's input event to the frame after the hit count and the rows were drawn).
// Needs QUILLET_PAGE_NODE (the folder `npm ci` installed playwright-core into) and
// QUILLET_CHROMIUM (the browser).
import { createRequire } from 'node:module';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const [page, ...queries] = process.argv.slice(2);
const require = createRequire(path.resolve(process.env.QUILLET_PAGE_NODE, 'package.json'));
const { chromium } = require('playwright-core');

const browser = await chromium.launch({
  executablePath: process.env.QUILLET_CHROMIUM,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
try {
  const tab = await browser.newPage({ viewport: { width: 1100, height: 700 } });
  await tab.goto(pathToFileURL(page).href, { timeout: 120000 });
  await tab.waitForFunction(() => document.body.dataset.ready === 'true', null,
    { timeout: 120000 });
  // The page marks the frame that draws its first rows; the time of a frame requested from
  // here after that is given too: it also holds the work the page does right after (the
  // search index) and the round trip to the browser.
  const firstLevel = await tab.evaluate(() => new Promise((done) => requestAnimationFrame(() => {
    const rows = document.querySelectorAll('#rows .row:not([hidden])').length;
    const mark = performance.getEntriesByName('first-rows-drawn')[0];
    done({ ms: mark ? mark.startTime : NaN, laterFrameMs: performance.now(), rows });
  })));
  const searches = [];
  for (const query of queries) {
    searches.push(await tab.evaluate((text) => new Promise((done) => {
      const box = document.getElementById('search');
      const start = performance.now();
      box.value = text;
      box.dispatchEvent(new Event('input'));
      // The page draws on the next animation frame; the one after it follows that paint.
      requestAnimationFrame(() => requestAnimationFrame(() => done({
        query: text,
        ms: performance.now() - start,
        hits: document.getElementById('hits').textContent,
      })));
    }), query));
  }
  const memory = await tab.evaluate(() => performance.memory ? performance.memory.usedJSHeapSize : 0);
  console.log(JSON.stringify({ firstLevelMs: firstLevel.ms, laterFrameMs: firstLevel.laterFrameMs,
    firstLevelRows: firstLevel.rows,
    searches, jsHeapBytes: memory, domNodes: await tab.evaluate(() => document.getElementsByTagName('*').length) }));
} finally {
  await browser.close();
}
