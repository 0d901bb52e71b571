// The page's speed, measured in Debian's chromium through puppeteer-core:
// the time from navigation until the title window's letters are painted
// (their largest-contentful-paint, which waits for the web fonts), on a first
// visit and on a later one, each against a bare page that shows the same four
// letters in the same fonts, in the same browser run, alternating; what a
// first visit transfers, served compressed as a careful host serves it
// (tools/web_serve.py) and from a plain static server; and the CPU an idle
// page uses while the opening question waits.
//   node bench/web/first_paint.mjs [--site build-web/site] [--rounds 15] [--idle-seconds 10] [--json FILE]
import { spawn } from 'node:child_process';
import { copyFileSync, mkdtempSync, readdirSync, rmSync, statSync, symlinkSync, writeFileSync } from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { BROWSER, launchBrowser } from '../../tests/web/support/driver.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '../..');
// The transfer sizes and the idle CPU come from chromium's own protocol.
if (BROWSER !== 'chromium') throw new Error('the page\'s speed is measured in chromium only (MOCHITAMA_BROWSER=chromium)');
const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

function option(name, fallback) {
  const at = process.argv.indexOf(name);
  return at >= 0 ? process.argv[at + 1] : fallback;
}
const site = path.resolve(option('--site', path.join(root, 'build-web/site')));
const rounds = Number(option('--rounds', '15'));
const idleSeconds = Number(option('--idle-seconds', '10'));
const jsonFile = option('--json', null);
// Debian's python3: the compressed server needs nothing, but a python of
// pyenv or a virtual environment may lack what tools/ expect.
const python = process.env.MOCHITAMA_PYTHON || '/usr/bin/python3';

// The site and the bare page side by side in one served folder; the bare
// page finds the fonts where a version of the site keeps them.
function servedFolder() {
  const folder = mkdtempSync(path.join(os.tmpdir(), 'mochitama-bench-'));
  for (const name of readdirSync(site)) symlinkSync(path.join(site, name), path.join(folder, name));
  for (const name of ['bare.html', 'bare.css']) copyFileSync(path.join(here, name), path.join(folder, name));
  const [version] = readdirSync(path.join(site, 'v'));
  symlinkSync(path.join(site, 'v', version, 'fonts'), path.join(folder, 'fonts'));
  return folder;
}

function freePort() {
  return new Promise((resolve) => {
    const server = net.createServer();
    server.listen(0, '127.0.0.1', () => {
      const port = server.address().port;
      server.close(() => resolve(port));
    });
  });
}

// `compressed`: as a careful host serves the site (its .br and .gz, cache
// rules, a strict policy); else a plain static server, what costs most.
async function serve(folder, { compressed }) {
  const port = await freePort();
  const command = compressed ? [path.join(root, 'tools/web_serve.py'), folder, String(port)]
    : ['-m', 'http.server', '--bind', '127.0.0.1', '--directory', folder, String(port)];
  const server = spawn(python, command, { stdio: 'ignore' });
  for (let i = 0; i < 100; i++) {
    const up = await new Promise((resolve) => {
      const s = net.connect(port, '127.0.0.1', () => { s.end(); resolve(true); });
      s.on('error', () => resolve(false));
    });
    if (up) return { server, url: `http://127.0.0.1:${port}/` };
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Error('the static server did not start');
}

// Milliseconds from navigation to the last largest-contentful-paint entry
// before the page settles, and the bytes that came over the wire, headers
// included, as the browser counted them.
async function visit(context, url) {
  const page = await context.newPage();
  let bytes = 0;
  const urls = new Map();
  const cdp = await page.raw.createCDPSession();
  await cdp.send('Network.enable');
  cdp.on('Network.responseReceived', (e) => urls.set(e.requestId, e.response.url));
  cdp.on('Network.loadingFinished', (e) => { if (urls.has(e.requestId)) bytes += e.encodedDataLength; });
  await page.addInitScript(() => {
    window.paints = [];
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) window.paints.push(entry.renderTime || entry.startTime);
    }).observe({ type: 'largest-contentful-paint', buffered: true });
    // When the program started, and when its first window came out.
    window.steps = {};
    new MutationObserver(() => {
      const game = document.body && document.body.dataset.game;
      if (game && !(game in window.steps)) window.steps[game] = performance.now();
      if (!window.steps.window && document.querySelector('section.window:not([hidden])')) {
        window.steps.window = performance.now();
      }
    }).observe(document, { subtree: true, childList: true, attributes: true });
  });
  await page.goto(url);
  await page.getByText('ま', { exact: true }).waitFor();
  await page.waitForFunction(() => document.fonts.status === 'loaded' && window.paints.length > 0);
  await pause(500);
  const { paint, steps } = await page.evaluate(() => {
    const ends = {};
    for (const entry of performance.getEntriesByType('resource')) {
      ends[`${new URL(entry.name).pathname.replace(/^.*\//, '')} arrived`] = entry.responseEnd;
    }
    const page = { 'the page arrived': performance.getEntriesByType('navigation')[0].responseEnd };
    return { paint: Math.max(...window.paints), steps: { ...page, ...ends, ...window.steps, painted: Math.max(...window.paints) } };
  });
  return { page, paint, bytes, steps };
}

// A first visit (a new context: an empty cache and empty storage), then a
// later one in a new tab once the first has gone, as a player comes back;
// the game's later visit waits until its worker keeps the whole version.
async function firstAndLater(browser, url) {
  const context = await browser.newContext({ viewport: { width: 1024, height: 768 } });
  try {
    const first = await visit(context, url);
    await first.page.waitForFunction(async () => !document.querySelector('base')
      || (await caches.keys()).length === 1, null, { timeout: 30000 });
    await first.page.close();
    const later = await visit(context, url);
    return { first: first.paint, later: later.paint, bytes: first.bytes, steps: { first: first.steps, later: later.steps } };
  } finally {
    await context.close();
  }
}

function stats(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return { min: sorted[0], median: sorted[Math.floor(sorted.length / 2)], max: sorted[sorted.length - 1] };
}

// CPU time of the page's main thread while the opening question waits.
async function idleCpu(browser, url) {
  const context = await browser.newContext({ viewport: { width: 1024, height: 768 } });
  const page = await context.newPage();
  await page.goto(url);
  await page.getByRole('alertdialog', { name: 'Welcome to もちたま' }).getByRole('button', { name: 'OK' }).click();
  await page.getByRole('dialog', { name: 'もちたま' }).getByRole('button', { name: 'いいえ' }).waitFor();
  const cdp = await page.raw.createCDPSession();
  await cdp.send('Performance.enable');
  const metric = async () => {
    const { metrics } = await cdp.send('Performance.getMetrics');
    const get = (name) => metrics.find((m) => m.name === name).value;
    return { task: get('TaskDuration'), script: get('ScriptDuration') };
  };
  const before = await metric();
  await pause(idleSeconds * 1000);
  const after = await metric();
  await context.close();
  return { seconds: idleSeconds, taskMs: (after.task - before.task) * 1000, scriptMs: (after.script - before.script) * 1000 };
}

// Each file of the site, and its .br where the build wrote one.
function fileSizes() {
  const out = {};
  const size = (name) => statSync(path.join(site, name), { throwIfNoEntry: false })?.size;
  const files = readdirSync(site, { recursive: true })
    .filter((name) => !/\.(br|gz)$/.test(name) && statSync(path.join(site, name)).isFile()).sort();
  for (const name of files) out[name] = { raw: size(name), br: size(`${name}.br`) };
  return out;
}

const folder = servedFolder();
const host = await serve(folder, { compressed: true });
const plain = await serve(folder, { compressed: false });
const browser = await launchBrowser();
try {
  // One visit each first, so that the disk cache of the machine is warm.
  const plainVisit = await firstAndLater(browser, plain.url);
  await firstAndLater(browser, host.url + 'bare.html');
  const samples = { game: { first: [], later: [] }, bare: { first: [], later: [] } };
  let bytes = 0;
  let steps = null;
  for (let i = 0; i < rounds; i++) {
    const order = i % 2 === 0 ? ['bare', 'game'] : ['game', 'bare'];
    for (const which of order) {
      const visits = await firstAndLater(browser, which === 'game' ? host.url : host.url + 'bare.html');
      samples[which].first.push(visits.first);
      samples[which].later.push(visits.later);
      if (which === 'game') ({ bytes, steps } = visits);
    }
  }
  const figures = (which) => ({ first: stats(samples[which].first), later: stats(samples[which].later) });
  const result = {
    chromium: await browser.version(),
    rounds,
    firstPaintMs: { game: figures('game'), bare: figures('bare') },
    ratio: {
      first: stats(samples.game.first).median / stats(samples.bare.first).median,
      later: stats(samples.game.later).median / stats(samples.bare.later).median,
    },
    firstVisitBytes: { compressed: bytes, plain: plainVisit.bytes },
    steps,
    files: fileSizes(),
    idle: await idleCpu(browser, host.url),
  };
  const ms = (s) => `${s.min.toFixed(0)} / ${s.median.toFixed(0)} / ${s.max.toFixed(0)} ms`;
  console.log(`chromium ${result.chromium}, ${rounds} rounds, alternating (min / median / max)`);
  for (const when of ['first', 'later']) {
    console.log(`  ${when} visit: title window painted ${ms(result.firstPaintMs.game[when])}, ` +
      `bare page ${ms(result.firstPaintMs.bare[when])}, ratio of the medians ${result.ratio[when].toFixed(2)}`);
  }
  for (const when of ['first', 'later']) {
    const sorted = Object.entries(result.steps[when]).sort((a, b) => a[1] - b[1]);
    console.log(`  the last ${when} visit, ms from navigation: ${sorted.map(([step, t]) => `${step} ${t.toFixed(0)}`).join(', ')}`);
  }
  console.log(`  a first visit transfers ${result.firstVisitBytes.compressed} bytes compressed, ` +
    `${result.firstVisitBytes.plain} from a plain server`);
  for (const [name, size] of Object.entries(result.files)) {
    console.log(`  ${name}: ${size.raw} bytes${size.br ? `, ${size.br} as .br` : ''}`);
  }
  console.log(`  idle ${result.idle.seconds} s at the opening question: main-thread tasks ${result.idle.taskMs.toFixed(1)} ms, ` +
    `script ${result.idle.scriptMs.toFixed(1)} ms`);
  if (jsonFile) writeFileSync(jsonFile, JSON.stringify(result, null, 2));
} finally {
  await browser.close();
  host.server.kill();
  plain.server.kill();
  rmSync(folder, { recursive: true, force: true });
}
