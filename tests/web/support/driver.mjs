// The browsers and the few Playwright-like calls the tests use, on
// puppeteer-core: Debian's chromium over CDP and Debian's Firefox ESR over
// WebDriver BiDi. Things are found as a screen reader user finds them, by
// role and accessible name, computed in the page over our own DOM (findAll
// below); acting on them sends real input through the browser: mouse clicks
// at the element's centre, key presses, touch taps.
import { existsSync } from 'node:fs';
import puppeteer from 'puppeteer-core';

export const BROWSER = process.env.MOCHITAMA_BROWSER || 'chromium';
export const CHROMIUM = process.env.MOCHITAMA_CHROMIUM || '/usr/bin/chromium';
export const FIREFOX = process.env.MOCHITAMA_FIREFOX || '/usr/bin/firefox-esr';
if (!['chromium', 'firefox'].includes(BROWSER)) throw new Error(`MOCHITAMA_BROWSER is chromium or firefox, not ${BROWSER}`);

export const DEFAULT_TIMEOUT_MS = 15000;

// Never a browser of puppeteer's own: Debian's, by its path. The browsers
// prefer Japanese, the game's own language; a test of English says so.
function launchOptions(userDataDir) {
  const options = { headless: true, defaultViewport: null, userDataDir };
  if (BROWSER === 'firefox') {
    if (!existsSync(FIREFOX)) throw new Error(`no Firefox at ${FIREFOX} (apt-get install firefox-esr, or set MOCHITAMA_FIREFOX)`);
    return { ...options, browser: 'firefox', executablePath: FIREFOX, extraPrefsFirefox: { 'intl.accept_languages': 'ja' } };
  }
  if (!existsSync(CHROMIUM)) throw new Error(`no chromium at ${CHROMIUM} (apt-get install chromium, or set MOCHITAMA_CHROMIUM)`);
  // Chromium's sandbox refuses to start as root.
  const asRoot = typeof process.getuid === 'function' && process.getuid() === 0;
  return { ...options, browser: 'chrome', executablePath: CHROMIUM, args: ['--accept-lang=ja', ...(asRoot ? ['--no-sandbox'] : [])] };
}

// A browser; `userDataDir` keeps its profile (made when missing), else a
// throwaway one.
export async function launchBrowser({ userDataDir } = {}) {
  const browser = await puppeteer.launch(launchOptions(userDataDir));
  return new Browser(browser);
}

export class Browser {
  constructor(browser) {
    this.browser = browser;
  }

  // A context of its own (its own storage), its pages of this size.
  async newContext({ viewport } = {}) {
    return new Context(await this.browser.createBrowserContext(), { viewport, own: true });
  }

  // The profile's own context, kept across restarts on the same userDataDir.
  defaultContext({ viewport } = {}) {
    return new Context(this.browser.defaultBrowserContext(), { viewport, own: false });
  }

  version() {
    return this.browser.version();
  }

  close() {
    return this.browser.close();
  }
}

export class Context {
  constructor(context, { viewport, own }) {
    Object.assign(this, { context, viewport, own });
  }

  // viewport: { width, height, hasTouch, isMobile, deviceScaleFactor }.
  async newPage({ viewport = this.viewport } = {}) {
    const page = await this.context.newPage();
    await page.evaluateOnNewDocument(INSTALL_FIND);
    if (viewport) await page.setViewport({ deviceScaleFactor: 1, ...viewport });
    return new Page(page);
  }

  async close() {
    if (this.own) await this.context.close();
  }
}

// ---- in the page: what a locator's steps find. Every document of a tab
// gets it as a global before its own scripts (INSTALL_FIND), since a page
// under a strict Content-Security-Policy refuses code made from strings.
//   { role, name, exact } elements of that role (explicit, or <button>) and
//       name (aria-label, else aria-labelledby's texts, else the text), that
//       a screen reader sees: shown and not aria-hidden
//   { text, exact } the innermost elements with that text
//   { hasText } those found so far whose text holds it
function findAll(steps) {
  const normal = (s) => (s || '').replace(/\s+/g, ' ').trim();
  const matches = (value, wanted, exact) =>
    (exact ? normal(value) === wanted : normal(value).toLowerCase().includes(wanted.toLowerCase()));
  const roleOf = (e) => (e.getAttribute('role') || '').split(/\s+/)[0] || (e.tagName === 'BUTTON' ? 'button' : '');
  const nameOf = (e) => {
    const label = e.getAttribute('aria-label');
    if (label !== null && normal(label) !== '') return normal(label);
    const ids = (e.getAttribute('aria-labelledby') || '').split(/\s+/).filter(Boolean);
    if (ids.length) return normal(ids.map((id) => document.getElementById(id)?.textContent || '').join(' '));
    return normal(e.textContent);
  };
  const seen = (e) => e.checkVisibility({ visibilityProperty: true }) && !e.closest('[aria-hidden="true"]');
  let found = [document.documentElement];
  for (const step of steps) {
    if ('hasText' in step) {
      found = found.filter((e) => matches(e.textContent, step.hasText, false));
      continue;
    }
    const next = new Set();
    for (const scope of found) {
      if ('role' in step) {
        for (const e of scope.querySelectorAll(step.role === 'button' ? 'button,[role="button"]' : `[role~="${step.role}"]`)) {
          if (roleOf(e) === step.role && seen(e) && (step.name === undefined || matches(nameOf(e), step.name, step.exact))) {
            next.add(e);
          }
        }
      } else {
        const all = [...scope.querySelectorAll('body, body *')].filter((e) => !['SCRIPT', 'STYLE'].includes(e.tagName));
        const hits = all.filter((e) => matches(e.textContent, step.text, step.exact));
        for (const e of hits) if (!hits.some((other) => other !== e && e.contains(other))) next.add(e);
      }
    }
    found = [...next];
  }
  return found;
}

// The one element of the steps, when it can take a pointer now: shown,
// enabled (unless forced), still for two looks running, and on top at its
// centre. Returns its centre, or a reason to wait longer (a string).
function pointAt(steps, force) {
  const found = globalThis.__mochitamaFind(steps);
  if (found.length === 0) return 'nothing matches';
  if (found.length > 1) return { strict: found.length };
  const e = found[0];
  if (!e.checkVisibility({ visibilityProperty: true })) return 'not visible';
  const r = e.getBoundingClientRect();
  if (r.width === 0 || r.height === 0) return 'of no size';
  if (r.left < 0 || r.top < 0 || r.right > innerWidth || r.bottom > innerHeight) e.scrollIntoView({ block: 'nearest', inline: 'nearest' });
  const box = e.getBoundingClientRect();
  const x = box.left + box.width / 2;
  const y = box.top + box.height / 2;
  if (force) return { x, y };
  if (e.disabled || e.closest('[aria-disabled="true"]')) return 'disabled';
  const key = `${box.left},${box.top},${box.width},${box.height}`;
  const stable = e.__mochitamaLastBox === key;
  e.__mochitamaLastBox = key;
  if (!stable) return 'moving';
  const top = document.elementFromPoint(x, y);
  if (!top || !(top === e || e.contains(top))) return `covered by ${top ? top.outerHTML.slice(0, 80) : 'nothing'}`;
  return { x, y };
}

const INSTALL_FIND = `Object.defineProperty(globalThis, '__mochitamaFind', { value: ${findAll} });`;

function describeSteps(steps) {
  return steps.map((s) => ('role' in s ? `role=${s.role}${s.name !== undefined ? `[name${s.exact ? '=' : '~'}'${s.name}']` : ''}`
    : 'text' in s ? `text${s.exact ? '=' : '~'}'${s.text}'` : `has-text '${s.hasText}'`)).join(' >> ');
}

export class Locator {
  constructor(page, steps) {
    this.page = page;
    this.steps = steps;
  }

  toString() {
    return describeSteps(this.steps);
  }

  getByRole(role, { name, exact = false } = {}) {
    return new Locator(this.page, [...this.steps, { role, name, exact }]);
  }

  getByText(text, { exact = false } = {}) {
    return new Locator(this.page, [...this.steps, { text, exact }]);
  }

  filter({ hasText }) {
    return new Locator(this.page, [...this.steps, { hasText }]);
  }

  // ---- at once
  async count() {
    return this.page.raw.evaluate((steps) => globalThis.__mochitamaFind(steps).length, this.steps);
  }

  async isVisible() {
    return this.page.raw.evaluate((steps) => {
      const found = globalThis.__mochitamaFind(steps);
      return found.length > 0 && found[0].checkVisibility({ visibilityProperty: true }) && !found[0].closest('[aria-hidden="true"]');
    }, this.steps);
  }

  // ---- waiting for the one element
  async waitFor({ state = 'visible', timeout = this.page.timeout } = {}) {
    const wanted = state === 'visible' ? 1 : 0;
    try {
      await this.page.raw.waitForFunction((steps, want) => {
        const found = globalThis.__mochitamaFind(steps);
        const shown = found.filter((e) => e.checkVisibility({ visibilityProperty: true }) && !e.closest('[aria-hidden="true"]'));
        if (found.length > 1 && want === 1 && shown.length > 0) return { strict: found.length };
        return shown.length === want;
      }, { timeout, polling: 'mutation' }, this.steps, wanted).then(async (handle) => {
        const value = await handle.jsonValue();
        await handle.dispose();
        if (value && value.strict) throw new Error(`${value.strict} elements match ${this}, not one`);
      });
    } catch (error) {
      error.message = `waiting for ${this} to be ${state}: ${error.message}`;
      throw error;
    }
  }

  // The one element, once it exists (shown or not).
  async elementHandle({ timeout = this.page.timeout } = {}) {
    let handle;
    try {
      handle = await this.page.raw.waitForFunction((steps) => {
        const found = globalThis.__mochitamaFind(steps);
        return found.length === 1 ? found[0] : found.length > 1 ? { strict: found.length } : false;
      }, { timeout, polling: 'mutation' }, this.steps);
    } catch (error) {
      error.message = `waiting for ${this}: ${error.message}`;
      throw error;
    }
    const strict = await handle.evaluate((v) => (v instanceof Element ? 0 : v.strict));
    if (strict) {
      await handle.dispose();
      throw new Error(`${strict} elements match ${this}, not one`);
    }
    return handle;
  }

  async evaluate(fn, arg) {
    const handle = await this.elementHandle();
    try {
      return await handle.evaluate(fn, arg);
    } finally {
      await handle.dispose();
    }
  }

  getAttribute(name) {
    return this.evaluate((e, n) => e.getAttribute(n), name);
  }

  innerText() {
    return this.evaluate((e) => e.innerText);
  }

  isDisabled() {
    return this.evaluate((e) => !!(e.disabled || e.closest('[aria-disabled="true"]')));
  }

  async isEnabled() {
    return !(await this.isDisabled());
  }

  async boundingBox() {
    return this.evaluate((e) => {
      const r = e.getBoundingClientRect();
      return { x: r.left, y: r.top, width: r.width, height: r.height };
    });
  }

  // Where the element takes a pointer, once it can (see pointAt).
  async point({ force = false, timeout = this.page.timeout } = {}) {
    const deadline = Date.now() + timeout;
    let last = '';
    for (;;) {
      const answer = await this.page.raw.evaluate(pointAt, this.steps, force);
      if (answer && answer.strict) throw new Error(`${answer.strict} elements match ${this}, not one`);
      if (typeof answer === 'object') return answer;
      last = answer;
      if (Date.now() > deadline) throw new Error(`${this} took no pointer within ${timeout} ms: ${last}`);
      await new Promise((resolve) => setTimeout(resolve, 20));
    }
  }

  async click({ force = false, timeout } = {}) {
    const { x, y } = await this.point({ force, timeout });
    await this.page.raw.mouse.click(x, y);
  }

  async tap({ timeout } = {}) {
    const { x, y } = await this.point({ timeout });
    await this.page.raw.touchscreen.tap(x, y);
  }
}

// 'Alt+h', 'Shift+Tab', 'Home': the modifiers held around the key.
class Keyboard {
  constructor(keyboard) {
    this.keyboard = keyboard;
  }

  async press(chord) {
    const keys = chord.length > 1 ? chord.split('+') : [chord];
    const key = keys.pop() || '+';
    for (const modifier of keys) await this.keyboard.down(modifier);
    await this.keyboard.press(key);
    for (const modifier of keys.reverse()) await this.keyboard.up(modifier);
  }
}

export class Page {
  constructor(page) {
    this.raw = page;
    this.timeout = DEFAULT_TIMEOUT_MS;
    this.keyboard = new Keyboard(page.keyboard);
    this.mouse = page.mouse;
    this.touchscreen = page.touchscreen;
  }

  setDefaultTimeout(ms) {
    this.timeout = ms;
  }

  on(event, listener) {
    this.raw.on(event, listener);
  }

  getByRole(role, options) {
    return new Locator(this, []).getByRole(role, options);
  }

  getByText(text, options) {
    return new Locator(this, []).getByText(text, options);
  }

  // Runs before the page's own scripts, in every document of this tab.
  async addInitScript(script) {
    await this.raw.evaluateOnNewDocument(script);
  }

  async goto(url) {
    await this.raw.goto(url, { waitUntil: 'load' });
  }

  async reload() {
    await this.raw.reload({ waitUntil: 'load' });
  }

  // The next load of the page, however it comes (the page's own reload too).
  waitForLoad({ timeout = this.timeout } = {}) {
    return this.raw.waitForNavigation({ waitUntil: 'load', timeout });
  }

  evaluate(fn, arg) {
    return this.raw.evaluate(fn, arg);
  }

  // Any state of the page, not only the document's: looked at every 20 ms.
  async waitForFunction(fn, arg, { timeout = this.timeout } = {}) {
    const handle = await this.raw.waitForFunction(fn, { timeout, polling: 20 }, arg);
    await handle.dispose();
  }

  screenshot(options) {
    return this.raw.screenshot(options);
  }

  setViewport(viewport) {
    return this.raw.setViewport({ deviceScaleFactor: 1, ...viewport });
  }

  close() {
    return this.raw.close();
  }
}
