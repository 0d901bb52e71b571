// The keyboard focus, kept in the game as a desktop keeps it: on a usable
// control of the active window, or on the window itself, and never on the
// page. Tab goes round the active window's buttons in their tab order, then
// its close box, since the document's order is the reading order.
import { boxIsOpen, focusTopBox } from './boxes.js';
import { tabOrderOf } from './controls.js';
import { noScroll } from './dom.js';
import { menuIsOpen } from './menus.js';
import { activeShownWindow } from './windows.js';

function usable(win, e) {
  return !!e && win.element.contains(e) && !e.disabled && e.offsetParent !== null;
}

// The buttons, then the close box, that Tab visits in this window.
function tabCycle(win) {
  return [...tabOrderOf(win), win.closeBox];
}

function focusOn(e) {
  e.focus(noScroll);
}

// Focus starts on the first button in tab order (`first`, an element), and
// goes back to the button that last had it when the window shows again;
// with none, the window hears the keys.
export function focusWindow(win, first, wasShown) {
  if (boxIsOpen()) return;
  if (wasShown && usable(win, document.activeElement)) return;
  if (wasShown && usable(win, win.lastFocus)) {
    focusOn(win.lastFocus);
    return;
  }
  if (first) {
    focusOn(first);
    first.classList.add('focus-shown');
  } else {
    focusOn(win.element);
  }
}

// The next usable control after `from` in the window's Tab cycle (before
// it, going back), or null.
function nextInCycle(win, from, backwards = false) {
  const cycle = tabCycle(win);
  if (backwards) cycle.reverse();
  const at = cycle.indexOf(from);
  for (let i = 1; i <= cycle.length; i++) {
    const candidate = cycle[(at + i + cycle.length) % cycle.length];
    if (usable(win, candidate)) return candidate;
  }
  return null;
}

// Tab and Shift+Tab in the active window.
export function moveFocus(win, backwards) {
  const next = nextInCycle(win, document.activeElement, backwards);
  if (next) focusOn(next);
}

// After a change: the control that had the focus may have been hidden or
// disabled, and the browser then hands the focus to the page. It goes to
// the next control in tab order instead, or to the window.
export function keepFocus() {
  if (boxIsOpen() || menuIsOpen()) return;
  const win = activeShownWindow();
  if (win === null) return;
  const focused = document.activeElement;
  const onThePage = !focused || focused === document.body;
  // Something of the page's own around the windows may hold it.
  if (!onThePage && !win.element.contains(focused)) return;
  if (focused === win.element || usable(win, focused)) return;
  focusOn(nextInCycle(win, win.lastFocus) || win.element);
}

// A key of the on-screen keyboard acts where the game's focus is: if
// pressing it took the focus, the focus goes back there first.
export function returnFocusToGame() {
  const focused = document.activeElement;
  if (focused && focused !== document.body && focused.closest('#screen') !== null) return;
  if (boxIsOpen()) {
    focusTopBox();
    return;
  }
  const win = activeShownWindow();
  if (win === null) return;
  focusOn(usable(win, win.lastFocus) ? win.lastFocus : win.element);
}
