// The page as hosts serve it and as it fails on them: a start that cannot go
// on says why; the game plays under a strict Content-Security-Policy, from
// the compressed files and with a .wasm of another type; after a first
// visit it plays offline, and a new release is taken as a whole.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { SITE, TITLE_WINDOW, VIEWPORT, WELCOME_BOX, openGame } from './support/browser.mjs';
import { serve } from './support/server.mjs';
import { servedBrowser } from './support/session.mjs';

const browser = servedBrowser();
const copies = [];
after(() => { for (const dir of copies) rmSync(dir, { recursive: true, force: true }); });

// A copy of the site to break; `version` is its v/HASH folder.
function siteCopy(change = () => {}) {
  const dir = mkdtempSync(path.join(os.tmpdir(), 'mochitama-site-'));
  copies.push(dir);
  cpSync(SITE, dir, { recursive: true });
  const version = path.join(dir, 'v', readdirSync(path.join(dir, 'v'))[0]);
  change(version, dir);
  return dir;
}

async function newContext() {
  return browser.browser.newContext({ viewport: VIEWPORT });
}

// What the page says when it cannot start (the first shown element of
// `selector`), waited for.
async function alertText(game, { selector = '[role="alert"]', timeout = 15000 } = {}) {
  const textShown = (css) => [...document.querySelectorAll(css)]
    .find((e) => e.checkVisibility({ visibilityProperty: true }))?.innerText || false;
  await game.page.waitForFunction(textShown, selector, { timeout });
  return game.page.evaluate(textShown, selector);
}

const FAILED_STARTS = [
  ['the program missing', (v) => rmSync(path.join(v, 'mochitama.js')), /「mochitama\.js」を読み込めませんでした（HTTP 404）/],
  ['a module of the desktop missing', (v) => rmSync(path.join(v, 'desktop', 'queue.js')),
    /「desktop\/queue\.js」を読み込めませんでした（HTTP 404）/],
  ['the wasm missing', (v) => rmSync(path.join(v, 'mochitama.wasm')), /「mochitama\.wasm」を読み込めませんでした（HTTP 404）/],
  ['the wasm cut short', (v) => {
    const wasm = path.join(v, 'mochitama.wasm');
    writeFileSync(wasm, readFileSync(wasm).subarray(0, 50000));
  }, /「mochitama\.wasm」が壊れています/],
];

for (const [what, change, reason] of FAILED_STARTS) {
  test(`a start with ${what} says why`, { timeout: 60000 }, async () => {
    const site = await serve(siteCopy(change));
    const context = await newContext();
    try {
      const game = await openGame(context, site.url);
      assert.match(await alertText(game), reason);
      assert.match(await alertText(game), /再読み込み/);
    } finally {
      await context.close();
      await site.close();
    }
  });
}

test('a browser without WebAssembly, a page opened as a file and a missing first script each say so', { timeout: 60000 }, async () => {
  const context = await newContext();
  try {
    const noWasm = await openGame(context, browser.url, { initScripts: [() => { delete globalThis.WebAssembly; }] });
    assert.match(await alertText(noWasm), /WebAssembly が使えません/);
    const file = await openGame(context, `file://${SITE}/index.html`);
    assert.match(await alertText(file), /ウェブサーバーから開いてください/);
    // No script runs at all: the style sheet tells it after ten seconds.
    const site = await serve(siteCopy((v) => rmSync(path.join(v, 'start.js'))));
    try {
      const stalled = await openGame(context, site.url);
      assert.match(await alertText(stalled, { selector: '.stalled', timeout: 20000 }), /start\.js.*再読み込み/);
    } finally {
      await site.close();
    }
  } finally {
    await context.close();
  }
});

test('under a strict policy, compressed, and with the wasm of another type, the game plays', { timeout: 60000 }, async () => {
  const policy = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'; " +
    "object-src 'none'; base-uri 'self'";
  for (const types of [{}, { '.wasm': 'application/octet-stream' }]) {
    const site = await serve(SITE, { headers: { 'Content-Security-Policy': policy }, types, precompressed: true });
    const context = await newContext();
    try {
      const game = await openGame(context, site.url, {
        initScripts: [() => document.addEventListener('securitypolicyviolation', (e) => {
          (window.violations ||= []).push(`${e.violatedDirective} ${e.blockedURI}`);
        })],
      });
      await game.answerBox(WELCOME_BOX, 'OK', { timeout: 30000 });
      assert.deepEqual(await game.page.evaluate(() => window.violations || []), [], 'the policy blocked something');
      game.assertNoPageErrors();
    } finally {
      await context.close();
      await site.close();
    }
  }
});

// A release built again from the same parts, with one change to start.js.
function nextRelease() {
  const tree = path.dirname(SITE);
  const shell = mkdtempSync(path.join(os.tmpdir(), 'mochitama-shell-'));
  copies.push(shell);
  const sources = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../src');
  cpSync(path.join(sources, 'app/web'), shell, { recursive: true });
  writeFileSync(path.join(shell, 'start.js'),
    `${readFileSync(path.join(shell, 'start.js'), 'utf8')}\ndocument.documentElement.dataset.release = 'next';\n`);
  const out = path.join(mkdtempSync(path.join(os.tmpdir(), 'mochitama-next-')), 'site');
  copies.push(path.dirname(out));
  execFileSync(process.env.MOCHITAMA_PYTHON || 'python3', [path.join(sources, '../tools/web_site.py'), out, '--shell', shell,
    '--desktop', path.join(sources, 'backends/web/page'), '--contract', path.join(tree, 'contract'),
    '--program', path.join(tree, 'program'), '--fonts', path.join(tree, 'fonts'), '--icons', path.join(tree, 'icons')]);
  return out;
}

// Offline is the server gone: the worker's own fetches would pass an
// emulated offline network.
test('after a first visit the game plays offline, and a new release is taken whole at the next visit', { timeout: 120000 }, async () => {
  let site = await serve(siteCopy());
  const { port } = site;
  const context = await newContext();
  const keptFor = (base) => game.page.waitForFunction(async (file) => {
    const keys = await caches.keys();
    return keys.length === 1 && (await (await caches.open(keys[0])).match(file)) !== undefined;
  }, `${site.url}${base}start.js`, { timeout: 30000 });
  const game = await openGame(context, site.url);
  try {
    await game.waitForDialog(TITLE_WINDOW, { timeout: 30000 });
    await keptFor(await game.page.evaluate(() => document.querySelector('base').getAttribute('href')));
    await site.close();
    await game.reload();
    await game.answerBox(WELCOME_BOX, 'OK', { timeout: 30000 });

    // The next release replaces the whole site, as an upload does.
    site = await serve(nextRelease(), { port });
    await game.reload();
    await game.answerBox(WELCOME_BOX, 'OK', { timeout: 30000 });
    const release = await game.page.evaluate(() => ({
      marker: document.documentElement.dataset.release,
      base: document.querySelector('base').getAttribute('href'),
      files: performance.getEntriesByType('resource').map((e) => new URL(e.name).pathname)
        .filter((p) => /\.(js|wasm|css)$/.test(p) && !p.endsWith('/sw.js')),
    }));
    assert.equal(release.marker, 'next', 'the page kept the old release');
    for (const file of release.files) assert.ok(file.startsWith(`/${release.base}`), `${file} is not of ${release.base}`);
    // That release plays offline too, once the worker has kept it, alone.
    await keptFor(release.base);
    await site.close();
    await game.reload();
    await game.answerBox(WELCOME_BOX, 'OK', { timeout: 30000 });
    assert.equal(await game.page.evaluate(() => document.documentElement.dataset.release), 'next');
  } finally {
    await context.close();
    await site.close();
  }
});
