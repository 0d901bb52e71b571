// The game's windows: each a dialog with a title bar, an icon, a close box, a
// menu bar and a client area, placed and stacked like a desktop's.
import { announceChanges } from './announce.js';
import { EventKind } from './contract.js';
import { element, screen } from './dom.js';
import { boxIsOpen } from './boxes.js';
import { controlElement, forgetControlsOf } from './controls.js';
import { focusWindow, keepFocus } from './focus.js';
import { closeMenuOf, forgetMenusOf } from './menus.js';
import { push } from './queue.js';
import { drag, onScreen, whenScreenChanges } from './screen.js';
import { words } from './words.js';

const windows = new Map(); // form id → window
let activeWindow = null;
let stacking = 10;

export function windowOf(id) {
  return windows.get(id);
}

// The window that has the focus when no box is up, if it is shown.
export function activeShownWindow() {
  return activeWindow && activeWindow.shown ? activeWindow : null;
}

// The next layer up, for a window raised or a box opened.
export function nextLayer() {
  return String(++stacking);
}

export function raise(win) {
  win.element.style.zIndex = nextLayer();
  if (activeWindow && activeWindow !== win) activeWindow.element.classList.remove('active');
  activeWindow = win;
  win.element.classList.add('active');
}

function topShownWindow() {
  let top = null;
  for (const win of windows.values()) {
    if (win.shown && (top === null || Number(win.element.style.zIndex) > Number(top.element.style.zIndex))) top = win;
  }
  return top;
}

// ---- painting: property changes wait until their window is painted, when
// the program waits for events, refreshes the window or shows it

export function later(win, change) {
  win.pending.push(change);
}

function paintWindow(win) {
  const changes = win.pending;
  win.pending = [];
  for (const change of changes) change();
  announceChanges();
}

export function paint(id) {
  const win = windows.get(id);
  if (!win) return;
  paintWindow(win);
  keepFocus();
}

export function paintAll() {
  for (const win of windows.values()) paintWindow(win);
  keepFocus();
}

// ---- building

function buildTitleBar(win, icon) {
  const bar = element('div', 'titlebar');
  if (icon) bar.append(element('img', 'icon', { src: 'icons/mochitama.svg', alt: '', draggable: 'false' }));
  win.captionElement = element('span', 'caption');
  bar.append(win.captionElement);
  // Reachable with Tab too: the browser keeps Alt+F4 for itself.
  const close = element('button', 'close', { 'aria-label': words('閉じる'), type: 'button' });
  win.closeBox = close;
  close.addEventListener('click', () => push(EventKind.Close, win.id));
  close.addEventListener('pointerdown', (e) => e.stopPropagation());
  bar.append(close);
  bar.addEventListener('pointerdown', (e) => startDrag(win, e));
  return bar;
}

// The player may move a window by its title bar, as on a desktop.
function startDrag(win, event) {
  if (event.button !== 0 || boxIsOpen()) return;
  drag(event, { left: win.left, top: win.top }, (left, top) => placeWindow(win, left, top));
}

// A window is always wholly on the screen: where the program or the player
// puts it, or where it is brought back to when the screen shrinks.
function placeWindow(win, left, top) {
  const place = onScreen(Math.round(left), Math.round(top), win.element.offsetWidth, win.element.offsetHeight);
  win.left = place.left;
  win.top = place.top;
  win.element.style.left = place.left + 'px';
  win.element.style.top = place.top + 'px';
}

whenScreenChanges(() => {
  for (const win of windows.values()) if (win.shown) placeWindow(win, win.left, win.top);
});

export function openWindow(id, name, framed, icon, font) {
  const section = element('section', framed ? 'window framed' : 'window', { role: 'dialog', 'data-form': name });
  section.hidden = true;
  section.tabIndex = -1;
  const win = { id, name, element: section, pending: [], shown: false, left: 0, top: 0, menus: [], buttons: [] };
  win.titleBar = buildTitleBar(win, icon);
  win.menuBar = element('div', 'menubar', { role: 'menubar', 'aria-label': words('メニュー バー') });
  win.client = element('div', 'client', { id: `client-${id}` });
  win.client.style.fontFamily = font;
  nameWindow(win, '');
  // The button that had the focus here, for the window's return to the front.
  section.addEventListener('focusin', (e) => {
    if (e.target.tagName === 'BUTTON') win.lastFocus = e.target;
  });
  win.client.addEventListener('pointerdown', (e) => {
    if (e.target === win.client) push(EventKind.MouseDown, id);
  });
  section.addEventListener('pointerdown', () => {
    if (!boxIsOpen() && win.shown) raise(win);
  }, true);
  section.append(win.titleBar, win.menuBar, win.client);
  screen().append(section);
  windows.set(id, win);
}

export function closeWindow(id) {
  const win = windows.get(id);
  if (!win) return;
  closeMenuOf(win);
  win.element.remove();
  windows.delete(id);
  forgetControlsOf(win);
  forgetMenusOf(win);
  if (activeWindow === win) activateNext();
}

// The window that had the focus has gone: the one on top takes it, as a
// desktop's window manager gives it.
function activateNext() {
  activeWindow = null;
  const next = topShownWindow();
  if (next === null) return;
  raise(next);
  if (!boxIsOpen()) focusWindow(next, null, true);
}

export function layoutWindow(id, layout) {
  const win = windows.get(id);
  later(win, () => {
    const s = win.element.style;
    s.width = layout.width + 'px';
    s.height = layout.height + 'px';
    s.borderWidth = layout.border + 'px';
    win.titleBar.hidden = layout.titleBarHeight === 0;
    win.titleBar.style.height = layout.titleBarHeight + 'px';
    win.menuBar.hidden = layout.menuBarHeight === 0;
    win.menuBar.style.top = layout.titleBarHeight + 'px';
    win.menuBar.style.width = layout.clientWidth + 'px';
    win.menuBar.style.height = layout.menuBarHeight + 'px';
    win.client.style.top = layout.clientTop - layout.border + 'px';
    win.client.style.width = layout.clientWidth + 'px';
    win.client.style.height = layout.clientHeight + 'px';
  });
}

// A window without a caption (the cipher's) is named by what it says.
function nameWindow(win, caption) {
  if (caption.trim() === '') {
    win.element.removeAttribute('aria-label');
    win.element.setAttribute('aria-labelledby', win.client.id);
  } else {
    win.element.removeAttribute('aria-labelledby');
    win.element.setAttribute('aria-label', caption);
  }
}

export function setWindowCaption(id, caption) {
  const win = windows.get(id);
  win.captionElement.textContent = caption;
  nameWindow(win, caption);
}

export function setWindowColor(id, css) {
  const win = windows.get(id);
  later(win, () => { win.client.style.backgroundColor = css; });
}

export function setWindowEnabled(id, enabled) {
  windows.get(id).element.classList.toggle('disabled', !enabled);
}

// ---- showing and the focus

// `focusId`: the control that takes the focus when the window first shows.
export function showWindow(id, focusId) {
  const win = windows.get(id);
  paintWindow(win);
  const wasShown = win.shown;
  win.shown = true;
  win.element.hidden = false;
  placeWindow(win, win.left, win.top);
  if (!boxIsOpen()) raise(win);
  focusWindow(win, controlElement(focusId), wasShown);
}

export function hideWindow(id) {
  const win = windows.get(id);
  closeMenuOf(win);
  win.shown = false;
  win.element.hidden = true;
  if (activeWindow === win) {
    win.element.classList.remove('active');
    activateNext();
  }
}

export function moveWindow(id, left, top) {
  placeWindow(windows.get(id), left, top);
}

export function windowLeft(id) {
  return windows.get(id).left;
}

export function windowTop(id) {
  return windows.get(id).top;
}

export function closeAllWindows() {
  for (const id of Array.from(windows.keys())) closeWindow(id);
}
