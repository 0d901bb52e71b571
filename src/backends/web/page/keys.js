// The keyboard, as a desktop hands it out: a box takes its keys first, then
// an open menu, then Alt and a menu's letter, then a focused button, and the
// rest goes to the active window's KeyDown.
import { EventKind } from './contract.js';
import { boxIsOpen, boxKey, escapeTopBox } from './boxes.js';
import { dropDownByMnemonic, menuIsOpen, menuKey } from './menus.js';
import { moveFocus } from './focus.js';
import { isEnded, push, pushStep } from './queue.js';
import { activeShownWindow } from './windows.js';

const VK_ESCAPE = 27;

function shiftState(e) {
  return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
}

function focusedButtonIn(win) {
  const focused = document.activeElement;
  return focused && focused.tagName === 'BUTTON' && win.element.contains(focused) ? focused : null;
}

function onKeyDown(e) {
  if (isEnded() || e.isComposing) return;
  // The page's own controls (the on-screen keyboard's button) take their keys.
  if (onThePagesOwn(document.activeElement)) return;
  if (boxIsOpen()) {
    if (boxKey(e)) e.preventDefault();
    return;
  }
  if (menuIsOpen()) {
    if (menuKey(e)) e.preventDefault();
    return;
  }
  const win = activeShownWindow();
  if (e.altKey && !e.ctrlKey && e.key.length === 1 && dropDownByMnemonic(win, e.key)) {
    e.preventDefault();
    return;
  }
  if (win === null) return;
  if (e.key === 'Tab') {
    // Round the window, as a desktop's window keeps Tab to itself.
    e.preventDefault();
    moveFocus(win, e.shiftKey);
    return;
  }
  // Keys reach the window only when no button holds the focus; a focused
  // button takes Enter and Space itself and leaves the rest unused.
  const button = focusedButtonIn(win);
  if (button) {
    if (e.key === 'Enter' && !e.repeat) {
      e.preventDefault();
      button.click();
    }
    return;
  }
  // The browser keeps its own shortcuts (Ctrl+W, Ctrl+T, F5 …); the game
  // still hears the key.
  if (!e.ctrlKey && !e.metaKey) e.preventDefault();
  push(EventKind.KeyDown, win.id, e.keyCode, shiftState(e));
}

function onThePagesOwn(focused) {
  return !!focused && focused !== document.body && focused.closest('#screen') === null;
}

// A key of the on-screen keyboard: what the physical key does, where it
// would do it. What the page leaves to the browser for a physical key (a
// focused button pressed by Enter or Space) is done here too.
export function pressKey(key) {
  let prevented = false;
  const event = { ...key, repeat: false, isComposing: false, metaKey: false, preventDefault: () => { prevented = true; } };
  onKeyDown(event);
  const focused = document.activeElement;
  if (!prevented && (key.key === 'Enter' || key.key === ' ') && focused && focused.tagName === 'BUTTON' &&
      !onThePagesOwn(focused)) {
    focused.click();
  }
}

// Esc sent by the program goes to whatever has the focus when its turn comes.
export function queueEscape() {
  pushStep(() => {
    if (boxIsOpen()) {
      escapeTopBox();
      return;
    }
    const win = activeShownWindow();
    if (win === null || focusedButtonIn(win)) return;
    push(EventKind.KeyDown, win.id, VK_ESCAPE, 0);
  });
}

export function listenToKeys() {
  document.addEventListener('keydown', onKeyDown);
}
