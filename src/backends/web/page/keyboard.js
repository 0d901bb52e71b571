// A PC keyboard on the screen, for touch devices: a page with nothing to
// type in never brings up the device's own, and the game waits for keys (the
// title's secret, the cipher). A key does what the physical key does, where
// it would do it; pressing the keyboard is never a click on a game window.
// It is the whole keyboard, so that it gives no answer away. A desktop with
// a mouse sees none of it.
import { element } from './dom.js';
import { returnFocusToGame } from './focus.js';
import { pressKey } from './keys.js';
import { reserveBelow } from './screen.js';
import { words } from './words.js';

// As printed on the keys: [label, key, keyCode].
const letter = (c) => [c, c.toLowerCase(), c.charCodeAt(0)];
const ROWS = [
  [['Esc', 'Escape', 27], ...Array.from({ length: 12 }, (_, i) => [`F${i + 1}`, `F${i + 1}`, 112 + i])],
  [...'1234567890'].map((d) => [d, d, d.charCodeAt(0)]).concat([['Backspace', 'Backspace', 8]]),
  [['Tab', 'Tab', 9], ...[...'QWERTYUIOP'].map(letter)],
  [...'ASDFGHJKL'].map(letter).concat([['Enter', 'Enter', 13]]),
  [['Shift', 'Shift', 16], ...[...'ZXCVBNM'].map(letter), ['Space', ' ', 32]],
  [['Ctrl', 'Control', 17], ['Alt', 'Alt', 18], ['Ins', 'Insert', 45], ['Del', 'Delete', 46], ['Home', 'Home', 36],
    ['End', 'End', 35], ['PgUp', 'PageUp', 33], ['PgDn', 'PageDown', 34]],
  [['←', 'ArrowLeft', 37], ['↑', 'ArrowUp', 38], ['↓', 'ArrowDown', 40], ['→', 'ArrowRight', 39]],
];
const MODIFIERS = { Shift: 'shiftKey', Control: 'ctrlKey', Alt: 'altKey' };

// Shift, Ctrl and Alt hold for the next key, as a touch keyboard's do.
const held = { shiftKey: false, ctrlKey: false, altKey: false };
const modifierKeys = [];

function press([label, key, keyCode], button) {
  returnFocusToGame();
  const modifier = MODIFIERS[key];
  if (modifier) {
    // The modifier's own key-down, as the physical key sends it.
    pressKey({ key, keyCode, ...held, [modifier]: true });
    held[modifier] = !held[modifier];
    button.setAttribute('aria-pressed', String(held[modifier]));
    return;
  }
  const shifted = held.shiftKey && key.length === 1 ? key.toUpperCase() : key;
  pressKey({ key: shifted, keyCode, ...held });
  for (const name of Object.keys(held)) held[name] = false;
  for (const b of modifierKeys) b.setAttribute('aria-pressed', 'false');
}

function keyButton(entry) {
  const [label, key] = entry;
  const button = element('button', 'key', { type: 'button', tabindex: '-1' });
  button.textContent = label;
  button.dataset.key = key;
  if (MODIFIERS[key]) {
    button.setAttribute('aria-pressed', 'false');
    modifierKeys.push(button);
  }
  // No focus for the key: the game's focus stays where it was.
  button.addEventListener('pointerdown', (e) => e.preventDefault());
  button.addEventListener('click', () => press(entry, button));
  return button;
}

function build() {
  const bar = element('div', 'pagebar', { id: 'pagebar' });
  const toggle = element('button', 'keyboard-toggle', { type: 'button', 'aria-expanded': 'false',
    'aria-controls': 'keyboard' });
  toggle.textContent = words('キーボード');
  const keys = element('div', 'keyboard', { id: 'keyboard', role: 'group', 'aria-label': words('キーボード') });
  keys.hidden = true;
  for (const row of ROWS) {
    const line = element('div', 'keyrow');
    for (const entry of row) line.append(keyButton(entry));
    keys.append(line);
  }
  toggle.addEventListener('click', () => {
    keys.hidden = !keys.hidden;
    toggle.setAttribute('aria-expanded', String(!keys.hidden));
  });
  bar.append(toggle, keys);
  document.body.append(bar);
  // The game's screen is what the bar leaves free.
  new ResizeObserver(() => reserveBelow(bar.offsetHeight)).observe(bar);
}

// Touch devices get it; a hybrid one once it is first touched.
export function offerKeyboard() {
  build();
  const touch = () => document.body.classList.add('touch');
  if (window.matchMedia('(any-pointer: coarse)').matches) touch();
  window.addEventListener('pointerdown', (e) => {
    if (e.pointerType === 'touch') touch();
  }, { capture: true, passive: true });
}
