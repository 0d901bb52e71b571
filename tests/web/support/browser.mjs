// The page in Debian's chromium or Firefox ESR (MOCHITAMA_BROWSER), driven
// through puppeteer-core (driver.mjs) as a screen reader user would: every
// window, button, menu and message box is found by its role and accessible
// name.
import assert from 'node:assert/strict';
import { mkdir, mkdtemp, rm } from 'node:fs/promises';
import { existsSync, readFileSync, readdirSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { BROWSER, launchBrowser } from './driver.mjs';
import { recorderScript } from './recorder.mjs';
import { serve } from './server.mjs';
import { Timeline } from './timeline.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
export const SITE = process.env.MOCHITAMA_SITE || path.resolve(here, '../../../build-web/site');
export { BROWSER };

export const TITLE_WINDOW = 'もちたまの世界へようこそ';
export const WELCOME_BOX = 'Welcome to もちたま';
export const MAIN = 'もちたま';
export const MAIN_TIME_ATTACK = 'もちたま TimeAttack MODE';
export const TIME_ATTACK_BOX = 'もちたま TIME ATTACK';
export const YES = 'はい(Y)';
export const NO = 'いいえ(N)';
export const CLOSE = '閉じる';
export const BLANK_MENU = '空白のメニュー';
export const BLANK_ITEM = '空白の項目';
export const ENDED_TEXT = 'もちたまは終了しました。';
export const RESTART = 'もう一度はじめる';
// What the Exit button says to the first five clicks of the chase.
export const CHASE_REMARKS = ['だめだめ', 'でもねぇ', 'うひひ', 'はぁと', '退散なり～'];
export const TITLE_KEYS = ['ArrowLeft', 'ArrowUp', 'ArrowRight', 'ArrowDown', 'ArrowLeft', 'ArrowUp', 'ArrowRight', 'ArrowDown'];

// Waits longer than any pause of the game (the cipher's 30 s aside).
const STEP_MS = 15000;

export const VIEWPORT = { width: 1024, height: 768 };

// The site served on 127.0.0.1 for the whole test file; the port (and so the
// origin and its storage) stays the same across browser restarts.
export async function serveSite() {
  if (!existsSync(path.join(SITE, 'index.html'))) {
    throw new Error(`no built page at ${SITE} (cmake --build --preset web --target mochitama_site, or set MOCHITAMA_SITE)`);
  }
  return serve(SITE);
}

// A browser with a throwaway profile. close() ends it.
export async function launch() {
  const browser = await launchBrowser();
  const context = await browser.newContext({ viewport: VIEWPORT });
  return { browser, context, close: () => browser.close() };
}

// A browser on a profile kept in `userDataDir` (made when missing), as a
// player's browser keeps its storage from one start to the next.
export async function launchPersistent(userDataDir) {
  const browser = await launchBrowser({ userDataDir });
  return { context: browser.defaultContext({ viewport: VIEWPORT }), close: () => browser.close() };
}

export async function temporaryDirectory(prefix = 'mochitama-web-') {
  const dir = await mkdtemp(path.join(os.tmpdir(), prefix));
  return { path: dir, remove: () => rm(dir, { recursive: true, force: true }) };
}

// Opens the page in a new tab of `context`; initScripts run before the page's
// own (after the recorder). `viewport` overrides the context's. Returns a Game.
export async function openGame(context, url, { initScripts = [], viewport } = {}) {
  const page = await context.newPage({ viewport });
  const game = new Game(page, url);
  await page.addInitScript(recorderScript);
  for (const script of initScripts) await page.addInitScript(script);
  await game.load();
  return game;
}

// The record files the site keeps in IndexedDB, read from a page of the same
// origin that runs no game: [{ path, timestamp, text }]. Emscripten's IDBFS
// keeps one database per mount point, each file in the store FILE_DATA under
// its path.
export async function storedRecordFiles(context, url) {
  const page = await context.newPage();
  try {
    await page.goto(new URL('no-game-here', url).href);
    return await page.evaluate(async () => {
      const request = (r) => new Promise((resolve, reject) => {
        r.onsuccess = () => resolve(r.result);
        r.onerror = () => reject(r.error);
      });
      const found = [];
      for (const { name } of await indexedDB.databases()) {
        const db = await request(indexedDB.open(name));
        if (db.objectStoreNames.contains('FILE_DATA')) {
          const store = db.transaction('FILE_DATA').objectStore('FILE_DATA');
          const keys = await request(store.getAllKeys());
          for (const key of keys.filter((k) => String(k).endsWith('/MT.INI'))) {
            const entry = await request(store.get(key));
            const bytes = entry.contents instanceof Uint8Array ? entry.contents : new Uint8Array(entry.contents || []);
            found.push({ path: String(key), timestamp: Number(entry.timestamp), text: new TextDecoder().decode(bytes) });
          }
        }
        db.close();
      }
      return found;
    });
  } finally {
    await page.close();
  }
}

// Puts a record file into the site's store before the game starts, as a
// player with the browser's tools might have edited it: IDBFS's layout
// (database /mochitama, version 21, store FILE_DATA keyed by path).
export async function storeRecordFile(context, url, bytes) {
  const page = await context.newPage();
  try {
    await page.goto(new URL('no-game-here', url).href);
    await page.evaluate(async (contents) => {
      const db = await new Promise((resolve, reject) => {
        const open = indexedDB.open('/mochitama', 21);
        open.onupgradeneeded = () => {
          open.result.createObjectStore('FILE_DATA').createIndex('timestamp', 'timestamp', { unique: false });
        };
        open.onsuccess = () => resolve(open.result);
        open.onerror = () => reject(open.error);
      });
      await new Promise((resolve, reject) => {
        const transaction = db.transaction('FILE_DATA', 'readwrite');
        transaction.objectStore('FILE_DATA').put(
          { timestamp: new Date(), mode: 0o100644, contents: new Uint8Array(contents) }, '/mochitama/MT.INI');
        transaction.oncomplete = resolve;
        transaction.onerror = () => reject(transaction.error);
      });
      db.close();
    }, Array.from(bytes));
  } finally {
    await page.close();
  }
}

// The site's English, {japanese: english}, as the page has it. Read, not
// imported: node 18 takes a .js outside a module package for CommonJS.
export function siteEnglish() {
  const [version] = readdirSync(path.join(SITE, 'v'));
  const module = readFileSync(path.join(SITE, 'v', version, 'desktop', 'english.js'), 'utf8');
  return JSON.parse(module.slice(module.indexOf('{'), module.lastIndexOf('}') + 1));
}

export class Game {
  constructor(page, url) {
    this.page = page;
    this.url = url;
    this.words = {};
    this.errors = [];
    this.console = [];
    page.setDefaultTimeout(STEP_MS);
    page.on('pageerror', (error) => this.errors.push(String(error.stack || error)));
    page.on('console', (message) => this.console.push(`${message.type()}: ${message.text()}`));
  }

  async load() {
    await this.page.goto(this.url);
  }

  // ---- the game's language: Japanese, unless told its English.
  speak(english) {
    this.words = english;
  }

  // A text as the game shows it: the Japanese (lines joined by \n as a box
  // shows them), or its English.
  say(japanese) {
    const english = this.words[japanese.replaceAll('\n', '\r\n')] || this.words[japanese];
    return english === undefined ? japanese : english.replaceAll('\r\n', '\n');
  }

  // A menu's or a button's name from its caption: "降参(&C)" is 降参(C).
  shown(caption) {
    return this.say(caption).replace(/&(.)/g, '$1');
  }

  // A new run of the game in the same tab (the recorder starts afresh).
  async reload() {
    await this.page.reload();
  }

  // ---- finding things
  dialog(name) {
    return this.page.getByRole('dialog', { name, exact: true });
  }

  box(title) {
    return this.page.getByRole('alertdialog', { name: title, exact: true });
  }

  button(dialogName, buttonName) {
    return this.dialog(dialogName).getByRole('button', { name: buttonName, exact: true });
  }

  async waitForDialog(name, { timeout = STEP_MS } = {}) {
    const dialog = this.dialog(name);
    await dialog.waitFor({ state: 'visible', timeout });
    return dialog;
  }

  async waitForGone(name, { timeout = STEP_MS } = {}) {
    await this.dialog(name).waitFor({ state: 'hidden', timeout });
  }

  async gameState() {
    return this.page.evaluate(() => document.body.dataset.game);
  }

  async waitForGameState(value, { timeout = STEP_MS } = {}) {
    await this.page.waitForFunction((v) => document.body.dataset.game === v, value, { timeout });
  }

  // The accessible description of a box, its lines joined with \n.
  async description(locator) {
    return locator.evaluate((el) => {
      const ids = (el.getAttribute('aria-describedby') || '').split(/\s+/).filter(Boolean);
      const text = ids.length
        ? ids.map((id) => document.getElementById(id)).filter(Boolean).map((d) => d.innerText).join('\n')
        : el.getAttribute('aria-description') || '';
      return text.replace(/\r\n?/g, '\n');
    });
  }

  // ---- acting
  async clickButton(dialogName, buttonName) {
    await this.button(dialogName, buttonName).click();
  }

  async closeWindow(name) {
    await this.button(name, this.say(CLOSE)).click();
  }

  // Opens the top-level menu `top` of the window and chooses `item`.
  async chooseMenu(dialogName, top, item) {
    const dialog = this.dialog(dialogName);
    await dialog.getByRole('menubar').getByRole('menuitem', { name: top, exact: true }).click();
    await this.page.getByRole('menu').getByRole('menuitem', { name: item, exact: true }).click();
  }

  // Waits for the box, checks its text when given, presses `button` and waits
  // for that box to go. Returns its description.
  async answerBox(title, button = 'OK', { text, timeout = STEP_MS } = {}) {
    const box = this.box(title);
    await box.waitFor({ state: 'visible', timeout });
    const handle = await box.elementHandle();
    const description = await this.description(box);
    if (text !== undefined) assert.equal(description, text, `the text of the box '${title}'`);
    await box.getByRole('button', { name: button, exact: true }).click();
    try {
      await this.page.raw.waitForFunction((e) => !e.isConnected || !e.checkVisibility(), { timeout, polling: 'mutation' }, handle);
    } finally {
      await handle.dispose();
    }
    return description;
  }

  // Waits for the box and checks that its text starts with `textPrefix`; leaves it up.
  async expectBox(title, textPrefix, { timeout = STEP_MS } = {}) {
    const box = this.box(title);
    await box.waitFor({ state: 'visible', timeout });
    const description = await this.description(box);
    assert.ok(description.startsWith(textPrefix),
      `the box '${title}' says ${JSON.stringify(description)}, not ${JSON.stringify(textPrefix)}…`);
    return description;
  }

  async pressKeys(...keys) {
    for (const key of keys) await this.page.keyboard.press(key);
  }

  // Visible text lines of a window.
  async lines(name) {
    const text = await this.dialog(name).innerText();
    return text.split('\n').map((line) => line.trim()).filter(Boolean);
  }

  // ---- what the page showed
  async timeline() {
    const { log, now } = await this.page.evaluate(() => ({ log: window.__mochitamaLog || [], now: performance.now() }));
    return new Timeline(log, now);
  }

  // Page errors and console output, for a failure message.
  report() {
    return [...this.errors.map((e) => `page error: ${e}`), ...this.console.slice(-40)].join('\n');
  }

  assertNoPageErrors() {
    assert.deepEqual(this.errors, [], 'the page threw');
  }

  // Runs the steps; a failure says what the page showed and logged, and
  // leaves a screenshot in MOCHITAMA_WEB_ARTEFACTS (or the temporary folder).
  async diagnose(what, steps) {
    try {
      return await steps();
    } catch (error) {
      let extra = '';
      try {
        const dir = process.env.MOCHITAMA_WEB_ARTEFACTS || os.tmpdir();
        await mkdir(dir, { recursive: true });
        const shot = path.join(dir, `${what.replace(/[^\w-]+/g, '_')}.png`);
        await this.page.screenshot({ path: shot });
        extra = `\nscreenshot: ${shot}\n--- what the page showed\n${(await this.timeline()).summary()}`;
      } catch (inner) {
        extra = `\n(no screenshot or timeline: ${inner.message})`;
      }
      error.message += `${extra}\n--- page errors and console\n${this.report()}`;
      throw error;
    }
  }
}

export const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
