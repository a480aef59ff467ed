// The listing page that `quillet-list --format html` writes, opened from disk in headless
// Chromium: names stay text, search opens the folders to a match, folders fold and unfold,
// totals add up, and nothing is fetched. Run by page_tests.sh, which sets the environment.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const tool = process.env.QUILLET_LIST;
const pictures = process.env.QUILLET_PAGE_PICTURES;
const require = createRequire(path.resolve(process.env.QUILLET_PAGE_NODE, 'package.json'));
const { chromium } = require('playwright-core');

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'quillet-page.'));
let browser;
const requests = []; // every request any page made
const dialogs = [];

function file(relative, bytes) {
  const at = path.resolve(work, relative);
  fs.mkdirSync(path.dirname(at), { recursive: true });
  fs.writeFileSync(at, Buffer.alloc(bytes, 'x'));
}

function listing(source, name) {
  const out = path.join(work, name);
  execFileSync(tool, ['--format', 'html', source, out], { stdio: ['ignore', 'inherit', 'inherit'] });
  return out;
}

// Opens a page and waits until its script has drawn the first rows.
async function open(page, { colorScheme = 'light' } = {}) {
  const context = await browser.newContext({ viewport: { width: 1100, height: 700 }, colorScheme });
  const tab = await context.newPage();
  tab.on('request', (request) => requests.push(request.url()));
  tab.on('dialog', (dialog) => {
    dialogs.push(dialog.message());
    dialog.dismiss();
  });
  // Runs before the page's own script and outside its security policy.
  await tab.addInitScript(() => {
    window.violations = [];
    document.addEventListener('securitypolicyviolation',
      (event) => window.violations.push(event.violatedDirective + ' ' + event.blockedURI));
  });
  await tab.goto(pathToFileURL(page).href);
  await tab.waitForFunction(() => document.body.dataset.ready === 'true');
  await settle(tab);
  return tab;
}

const settle = (tab) => tab.evaluate(
  () => new Promise((done) => requestAnimationFrame(() => requestAnimationFrame(done))));

// The rows in the document, as shown.
const rows = (tab) => tab.$$eval('#rows .row:not([hidden])', (list) => list.map((row) => ({
  name: row.querySelector('.label').textContent,
  level: Number(row.getAttribute('aria-level')),
  expanded: row.getAttribute('aria-expanded'),
  bytes: Number(row.querySelector('.size').dataset.bytes),
  bytesTitle: row.querySelector('.size').title,
  contents: row.querySelector('.contents').textContent,
  current: row.classList.contains('current'),
})));

async function clickRow(tab, name) {
  await tab.locator('#rows .row:not([hidden])', { hasText: name }).first().click();
  await settle(tab);
}

const hostile = [
  '<img src=x onerror=alert(1)>',
  '<script>alert(2)<',
  '<!-- not a comment',
  ']]> & &amp; &lt;b&gt;',
  '"double" \'single\'',
  'line\u2028separator\u2029paragraph',
  'back\\slash',
  '\u{1F4C1} caf\u00e9',
];
// The folder listed: its path ends in "</script><img src=x onerror=alert(1)>".
const hostileRoot = path.join(work, 'hostile', '<', 'script><img src=x onerror=alert(1)>');

before(async () => {
  for (const name of hostile) file(path.join(hostileRoot, name), 3);
  file(path.join(hostileRoot, '<b>bold folder', 'inside.txt'), 1);

  // Six levels: the file needle is an entry of level 6.
  file('deep/l1/l2/l3/l4/l5/Needle-Deep.TXT', 7);
  file('deep/l1/l2/other.txt', 2);
  file('deep/l1/top.txt', 10);
  file('deep/second/report.txt', 100);
  // Known sizes: sums/ holds 1 + 22 + 333 + 4,444 bytes and sums/sub/ 55,555.
  for (const [name, size] of [['a', 1], ['b', 22], ['c', 333], ['d', 4444], ['sub/e', 55555]])
    file('deep/sums/' + name, size);
  file('deep/readme.txt', 1234567);

  browser = await chromium.launch({
    executablePath: process.env.QUILLET_CHROMIUM,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
});

after(async () => {
  if (browser) await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
});

test('hostile names are shown as text and no script of theirs runs', async () => {
  const tab = await open(listing(hostileRoot, 'hostile.html'));
  await tab.click('#expand-all');
  await settle(tab);
  const shown = (await rows(tab)).map((row) => row.name);
  assert.deepEqual(shown.sort(), [...hostile, '<b>bold folder', 'inside.txt'].sort());
  assert.equal(await tab.textContent('#root'), hostileRoot);
  assert.equal(await tab.title(), hostileRoot);
  const found = await tab.evaluate(() => ({
    images: document.querySelectorAll('img').length,
    bold: document.querySelectorAll('b').length,
    scripts: document.querySelectorAll('script').length,
    violations: window.violations,
  }));
  // The page's own script and its data blocks (which it removes once read) are the only ones.
  assert.deepEqual(found, { images: 0, bold: 0, scripts: 2, violations: [] });
  assert.deepEqual(dialogs, []);
  await tab.context().close();
});

test('a search finds a file six levels deep and opens its folders', async () => {
  const tab = await open(listing(path.join(work, 'deep'), 'deep.html'));
  assert.ok(!(await rows(tab)).some((row) => row.name === 'Needle-Deep.TXT'));
  await tab.fill('#search', 'nEEDLE-d');
  await settle(tab);
  assert.equal(await tab.textContent('#hits'), '1 of 1 match');
  const shown = await rows(tab);
  const needle = shown.find((row) => row.name === 'Needle-Deep.TXT');
  assert.ok(needle, 'the match is on screen');
  assert.equal(needle.level, 6);
  assert.ok(needle.current, 'the match is the current row');
  for (const folder of ['l1', 'l2', 'l3', 'l4', 'l5'])
    assert.equal(shown.find((row) => row.name === folder).expanded, 'true', folder);
  // Two matches: Enter steps to the next, and on past the last back to the first.
  await tab.fill('#search', 'REPORT');
  await settle(tab);
  assert.equal(await tab.textContent('#hits'), '1 of 1 match');
  await tab.fill('#search', '.txt');
  await settle(tab);
  assert.equal(await tab.textContent('#hits'), '1 of 5 matches');
  await tab.press('#search', 'Enter');
  await settle(tab);
  assert.equal(await tab.textContent('#hits'), '2 of 5 matches');
  await tab.press('#search', 'Shift+Enter');
  await tab.press('#search', 'Shift+Enter');
  await settle(tab);
  assert.equal(await tab.textContent('#hits'), '5 of 5 matches');
  await tab.fill('#search', 'no such name');
  await settle(tab);
  assert.equal(await tab.textContent('#hits'), 'No match');

  // Pictures for README, light and dark, with a search showing.
  if (pictures) {
    await tab.fill('#search', 'report');
    await clickRow(tab, 'sums');
    await settle(tab);
    await tab.screenshot({ path: path.join(pictures, 'page-light.png') });
    const dark = await open(path.join(work, 'deep.html'), { colorScheme: 'dark' });
    await dark.fill('#search', 'report');
    await clickRow(dark, 'sums');
    await dark.screenshot({ path: path.join(pictures, 'page-dark.png') });
    await dark.context().close();
  }
  await tab.context().close();
});

test('folders collapse and expand, one at a time and all at once', async () => {
  const tab = await open(path.join(work, 'deep.html'));
  const first = ['l1', 'second', 'sums', 'readme.txt'];
  assert.deepEqual((await rows(tab)).map((row) => row.name), first);
  await clickRow(tab, 'l1');
  assert.deepEqual((await rows(tab)).map((row) => row.name),
    ['l1', 'l2', 'top.txt', 'second', 'sums', 'readme.txt']);
  await clickRow(tab, 'l1');
  assert.deepEqual((await rows(tab)).map((row) => row.name), first);
  await tab.click('#expand-all');
  await settle(tab);
  const all = await rows(tab);
  assert.equal(all.length, 18);
  assert.ok(all.every((row) => row.expanded !== 'false'));
  await tab.click('#collapse-all');
  await settle(tab);
  assert.deepEqual((await rows(tab)).map((row) => row.name), first);
  // The keyboard: Right opens the selected folder, Left closes it.
  await clickRow(tab, 'second');
  await clickRow(tab, 'second');
  await tab.press('#tree', 'ArrowRight');
  await settle(tab);
  assert.ok((await rows(tab)).some((row) => row.name === 'report.txt'));
  await tab.press('#tree', 'ArrowLeft');
  await settle(tab);
  assert.deepEqual((await rows(tab)).map((row) => row.name), first);
  await tab.context().close();
});

test("a folder's totals are the sum of its files, and sort by size", async () => {
  const tab = await open(path.join(work, 'deep.html'));
  await tab.click('#expand-all');
  await settle(tab);
  const all = await rows(tab);
  const at = all.findIndex((row) => row.name === 'sums');
  const inside = [];
  for (let r = at + 1; r < all.length && all[r].level > all[at].level; ++r) inside.push(all[r]);
  const filesInside = inside.filter((row) => row.contents === '');
  assert.equal(filesInside.length, 5);
  assert.equal(all[at].bytes, filesInside.reduce((sum, row) => sum + row.bytes, 0));
  assert.equal(all[at].bytes, 1 + 22 + 333 + 4444 + 55555);
  assert.equal(all[at].bytesTitle, '60,355 bytes');
  assert.equal(all[at].contents, '5 files, 1 folder');
  assert.equal(await tab.textContent('#totals'), '10 files, 8 folders, 1.2 MB');
  assert.equal(await tab.getAttribute('#totals', 'title'), '1,295,041 bytes');
  // Sorted by size, folders by their totals, largest first.
  await tab.click('#collapse-all');
  await tab.selectOption('#sort', 'size');
  await settle(tab);
  assert.deepEqual((await rows(tab)).map((row) => row.name), ['readme.txt', 'sums', 'second', 'l1']);
  await tab.context().close();
});

test('the pages made no network request', () => {
  assert.ok(requests.length > 0);
  for (const url of requests) assert.match(url, /^file:\/\/.*\.html$/);
});
