// The page's speed, measured in Debian's chromium through puppeteer-core:
// the time from navigation until the title window's letters are painted
// (their largest-contentful-paint, which waits for the web fonts), against
// a bare page that shows the same four letters in the same fonts, in the
// same browser run; what a first visit transfers from a plain static server; and the CPU an idle page uses
// while the opening question waits.
//   node bench/web/first_paint.mjs [--site build-web/site] [--rounds 15] [--idle-seconds 10] [--json FILE]
import { spawn } from 'node:child_process';
import { copyFileSync, mkdtempSync, readdirSync, rmSync, statSync, symlinkSync, writeFileSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { readFileSync } from 'node:fs';
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

// The site's files and the bare page, side by side in one served folder.
function servedFolder() {
  const folder = mkdtempSync(path.join(os.tmpdir(), 'mochitama-bench-'));
  for (const name of readdirSync(site)) symlinkSync(path.join(site, name), path.join(folder, name));
  copyFileSync(path.join(here, 'bare.html'), path.join(folder, 'bare.html'));
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

// A plain static server, no compression: what a first visit costs at worst.
async function serve(folder) {
  const port = await freePort();
  const server = spawn('python3', ['-m', 'http.server', '--bind', '127.0.0.1', '--directory', folder, String(port)],
    { stdio: 'ignore' });
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
// before the page settles, and the bytes that came over the wire.
async function firstVisit(browser, url) {
  const context = await browser.newContext({ viewport: { width: 1024, height: 768 } });
  const page = await context.newPage();
  let bytes = 0;
  const sizes = {};
  const urls = new Map();
  // What came over the wire, headers included, as the browser counted it.
  const cdp = await page.raw.createCDPSession();
  await cdp.send('Network.enable');
  cdp.on('Network.responseReceived', (e) => urls.set(e.requestId, e.response.url));
  cdp.on('Network.loadingFinished', (e) => {
    if (!urls.has(e.requestId)) return;
    bytes += e.encodedDataLength;
    sizes[new URL(urls.get(e.requestId)).pathname] = e.encodedDataLength;
  });
  await page.addInitScript(() => {
    window.paints = [];
    new PerformanceObserver((list) => {
      for (const entry of list.getEntries()) window.paints.push(entry.renderTime || entry.startTime);
    }).observe({ type: 'largest-contentful-paint', buffered: true });
  });
  await page.goto(url);
  await page.getByText('ま', { exact: true }).waitFor();
  await page.waitForFunction(() => document.fonts.status === 'loaded' && window.paints.length > 0);
  await pause(500);
  const paint = await page.evaluate(() => Math.max(...window.paints));
  await context.close();
  return { paint, bytes, sizes };
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

function fileSizes() {
  const out = {};
  const files = readdirSync(site, { recursive: true }).filter((name) => statSync(path.join(site, name)).isFile()).sort();
  for (const name of files) {
    const data = readFileSync(path.join(site, name));
    out[name] = { raw: statSync(path.join(site, name)).size, gzip: gzipSync(data, { level: 9 }).length };
  }
  return out;
}

const folder = servedFolder();
const { server, url } = await serve(folder);
const browser = await launchBrowser();
try {
  // One visit each first, so that the disk cache of the machine is warm.
  await firstVisit(browser, url + 'bare.html');
  await firstVisit(browser, url);
  const game = [];
  const bare = [];
  let transfer = null;
  for (let i = 0; i < rounds; i++) {
    bare.push((await firstVisit(browser, url + 'bare.html')).paint);
    const visit = await firstVisit(browser, url);
    game.push(visit.paint);
    transfer = { bytes: visit.bytes, files: visit.sizes };
  }
  const result = {
    chromium: await browser.version(),
    rounds,
    firstPaintMs: { game: stats(game), bare: stats(bare) },
    ratio: stats(game).median / stats(bare).median,
    firstVisitBytes: transfer.bytes,
    transferred: transfer.files,
    files: fileSizes(),
    idle: await idleCpu(browser, url),
  };
  const ms = (s) => `${s.min.toFixed(0)} / ${s.median.toFixed(0)} / ${s.max.toFixed(0)} ms`;
  console.log(`chromium ${result.chromium}, ${rounds} first visits each (min / median / max)`);
  console.log(`  title window painted: ${ms(result.firstPaintMs.game)}`);
  console.log(`  bare page painted:    ${ms(result.firstPaintMs.bare)}`);
  console.log(`  ratio of the medians: ${result.ratio.toFixed(2)}`);
  console.log(`  first visit transfers ${result.firstVisitBytes} bytes:`);
  for (const [name, size] of Object.entries(result.transferred)) console.log(`    ${name}: ${size}`);
  for (const [name, size] of Object.entries(result.files)) console.log(`  ${name}: ${size.raw} bytes, ${size.gzip} gzipped`);
  console.log(`  idle ${result.idle.seconds} s at the opening question: main-thread tasks ${result.idle.taskMs.toFixed(1)} ms, ` +
    `script ${result.idle.scriptMs.toFixed(1)} ms`);
  if (jsonFile) writeFileSync(jsonFile, JSON.stringify(result, null, 2));
} finally {
  await browser.close();
  server.kill();
  rmSync(folder, { recursive: true, force: true });
}
