// What the page showed, over time, recorded from inside the page before any
// of its own scripts run. Every change of the document is followed by a look
// at each dialog and alert dialog: shown or not, its accessible name and
// description, its visible text lines and its background colours. A change is
// logged with performance.now() at the moment the document changed (a
// mutation observer runs right after the script that made the change). Input
// (pointer presses and keys) and document.body.dataset.game are logged too,
// and the page's waits: its long timers and its message-channel turns.
// Beside the game, on the same event loop that runs its pauses, a reference
// timer wakes every 10 ms and logs each wake-up more than 1 ms late: how far
// behind the page ran while a beat was timed (Timeline.lag).
//
// recorderScript is a function that addInitScript serialises into the page:
// it may use nothing from this module.
export function recorderScript() {
  if (window.__mochitamaLog) return;
  const log = [];
  window.__mochitamaLog = log;
  const ids = new WeakMap();
  let nextId = 1;
  const last = new Map();
  let lastGame;

  const idOf = (el) => {
    if (!ids.has(el)) ids.set(el, nextId++);
    return ids.get(el);
  };
  const textOfIds = (list) =>
    (list || '').split(/\s+/).filter(Boolean)
      .map((id) => document.getElementById(id))
      .filter(Boolean)
      .map((el) => (el.innerText !== undefined ? el.innerText : el.textContent))
      .join('\n');
  const nameOf = (el) => el.getAttribute('aria-label') ?? textOfIds(el.getAttribute('aria-labelledby'));
  const descriptionOf = (el) =>
    (el.getAttribute('aria-describedby') ? textOfIds(el.getAttribute('aria-describedby'))
      : el.getAttribute('aria-description') || '').replace(/\r\n?/g, '\n');
  const shown = (el) =>
    el.isConnected &&
    el.checkVisibility({ visibilityProperty: true }) &&
    !el.closest('[aria-hidden="true"]');
  const transparent = (colour) => colour === 'transparent' || /rgba\(.*,\s*0\)$/.test(colour);
  // The window's own colour: that of the dialog and of whatever inside it
  // covers most of it (its client area), not that of its buttons and menus.
  const backgrounds = (el) => {
    const box = el.getBoundingClientRect();
    const area = box.width * box.height;
    const found = [];
    for (const part of [el, ...el.querySelectorAll('*')]) {
      const r = part.getBoundingClientRect();
      if (r.width * r.height < area * 0.4) continue;
      const role = part.getAttribute('role');
      if (role === 'menubar' || role === 'menu' || part.tagName === 'BUTTON') continue;
      const colour = getComputedStyle(part).backgroundColor;
      if (!transparent(colour) && !found.includes(colour)) found.push(colour);
    }
    return found;
  };
  const describe = (el) => {
    if (!shown(el)) return { shown: false };
    return {
      shown: true,
      role: el.getAttribute('role'),
      name: nameOf(el),
      description: descriptionOf(el),
      lines: el.innerText.split('\n').map((line) => line.trim()).filter(Boolean),
      backgrounds: backgrounds(el),
      disabled: el.getAttribute('aria-disabled') === 'true' || el.hasAttribute('inert'),
    };
  };

  const look = () => {
    const t = performance.now();
    const seen = new Set();
    for (const el of document.querySelectorAll('[role="dialog"],[role="alertdialog"]')) {
      const id = idOf(el);
      seen.add(id);
      const state = describe(el);
      const key = JSON.stringify(state);
      if (last.get(id) !== key) {
        last.set(id, key);
        log.push({ t, kind: 'window', id, ...state });
      }
    }
    for (const [id, key] of last) {
      if (!seen.has(id) && key !== '{"shown":false}') {
        last.set(id, '{"shown":false}');
        log.push({ t, kind: 'window', id, shown: false });
      }
    }
    const game = document.body ? document.body.dataset.game : undefined;
    if (game !== lastGame) {
      lastGame = game;
      log.push({ t, kind: 'game', value: game });
    }
  };

  new MutationObserver(look).observe(document, {
    subtree: true, childList: true, attributes: true, characterData: true,
  });
  const inputName = (target) => {
    const el = target instanceof Element ? target.closest('button,[role="menuitem"],[role="dialog"],[role="alertdialog"]') : null;
    if (!el) return '';
    return el.getAttribute('aria-label') || (el.textContent || '').trim();
  };
  for (const type of ['pointerdown', 'click', 'keydown']) {
    window.addEventListener(type, (event) => {
      log.push({ t: performance.now(), kind: 'input', type, key: event.key, target: inputName(event.target) });
    }, true);
  }
  // Windows may be shown by style sheets that load late: look again then.
  window.addEventListener('load', look);

  // The page's own waits, so that a late beat tells where its time went: each
  // timer of 100 ms or more (the program's sleeps) from when it was set to
  // when it fired, and each turn of a message channel (the program's
  // DoEvents) from the post to its arrival.
  const setTimer = window.setTimeout.bind(window);
  window.setTimeout = function setTimeout(handler, ms, ...args) {
    if (typeof handler !== 'function' || !(ms >= 100)) return setTimer(handler, ms, ...args);
    const wait = { t: performance.now(), kind: 'wait', what: 'timer', ms };
    log.push(wait);
    return setTimer((...a) => {
      wait.done = performance.now();
      return handler(...a);
    }, ms, ...args);
  };
  const turns = [];
  const post = MessagePort.prototype.postMessage;
  MessagePort.prototype.postMessage = function postMessage(...args) {
    const wait = { t: performance.now(), kind: 'wait', what: 'message turn', ms: 0 };
    log.push(wait);
    turns.push(wait);
    return post.apply(this, args);
  };
  const onmessage = Object.getOwnPropertyDescriptor(MessagePort.prototype, 'onmessage');
  Object.defineProperty(MessagePort.prototype, 'onmessage', {
    configurable: true,
    enumerable: onmessage.enumerable,
    get() { return onmessage.get.call(this); },
    set(handler) {
      onmessage.set.call(this, typeof handler !== 'function' ? handler : function received(event) {
        const wait = turns.shift();
        if (wait) wait.done = performance.now();
        return handler.call(this, event);
      });
    },
  });

  // On absolute deadlines; after a long stall it starts afresh from the late
  // wake-up, so a stall is logged once.
  const PERIOD_MS = 10;
  let due = performance.now() + PERIOD_MS;
  const wake = () => {
    const now = performance.now();
    const late = now - due;
    if (late > 1) log.push({ t: now, kind: 'lag', lag: late });
    due = (late >= PERIOD_MS ? now : due) + PERIOD_MS;
    setTimer(wake, Math.max(0, due - performance.now()));
  };
  setTimer(wake, PERIOD_MS);
}
