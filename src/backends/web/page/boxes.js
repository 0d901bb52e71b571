// Message boxes: modal alert dialogs with an icon, the text and OK or
// はい/いいえ, centred over the window they speak for. While one is up the
// windows take no input and the focus stays in the box.
import { BoxAnswer, BoxIcon, EventKind } from './contract.js';
import { element, noScroll, screen, setMnemonicText } from './dom.js';
import { closeMenu } from './menus.js';
import { push } from './queue.js';
import { focusWindow } from './focus.js';
import { activeShownWindow, nextLayer } from './windows.js';
import { drag, onScreen, screenHeight, screenWidth, whenScreenChanges } from './screen.js';
import { words } from './words.js';

const boxes = []; // open message boxes, the top one last

export function boxIsOpen() {
  return boxes.length > 0;
}

const icons = {
  [BoxIcon.Critical]: '<svg viewBox="0 0 32 32" aria-hidden="true"><circle cx="16" cy="16" r="15" fill="#d80000" stroke="#800000"/>' +
    '<path d="M10 10 22 22M22 10 10 22" stroke="#fff" stroke-width="3.5" stroke-linecap="round"/></svg>',
  [BoxIcon.Question]: '<svg viewBox="0 0 32 32" aria-hidden="true"><circle cx="16" cy="16" r="15" fill="#fff" stroke="#1050c0" stroke-width="2"/>' +
    '<text x="16" y="23" font-size="20" font-weight="bold" text-anchor="middle" fill="#1050c0" font-family="sans-serif">?</text></svg>',
  [BoxIcon.Exclamation]: '<svg viewBox="0 0 32 32" aria-hidden="true"><path d="M16 2 31 29H1Z" fill="#ffd800" stroke="#806000"/>' +
    '<path d="M16 10v10" stroke="#000" stroke-width="3.5" stroke-linecap="round"/><circle cx="16" cy="25" r="2" fill="#000"/></svg>',
  [BoxIcon.Information]: '<svg viewBox="0 0 32 32" aria-hidden="true"><circle cx="16" cy="16" r="15" fill="#fff" stroke="#1050c0" stroke-width="2"/>' +
    '<circle cx="16" cy="9" r="2.5" fill="#1050c0"/><path d="M16 14v11" stroke="#1050c0" stroke-width="4"/></svg>',
};

function boxTitleBar(title) {
  const bar = element('div', 'titlebar');
  // A box can be moved by its title bar, as on a desktop.
  bar.addEventListener('pointerdown', (e) => {
    const box = bar.parentElement;
    if (e.button === 0 && e.target !== bar.lastChild) drag(e, { left: box.offsetLeft, top: box.offsetTop }, (l, t) => moveBox(box, l, t));
  });
  const caption = element('span', 'caption');
  caption.textContent = title;
  const close = element('button', 'close', { 'aria-label': words('閉じる'), tabindex: '-1' });
  bar.append(caption, close);
  return { bar, close };
}

function boxBody(id, text, icon) {
  const body = element('div', 'box-body');
  if (icons[icon]) {
    const picture = element('div', 'box-icon');
    picture.innerHTML = icons[icon];
    body.append(picture);
  }
  const message = element('div', 'box-text', { id: 'box-text-' + id });
  message.textContent = text.replace(/\r\n/g, '\n');
  body.append(message);
  return body;
}

export function openBox(id, title, text, icon, yesNo, defaultIsNo) {
  closeMenu();
  const box = element('section', 'box', { role: 'alertdialog', 'aria-modal': 'true', 'aria-label': title,
    'aria-describedby': 'box-text-' + id });
  const shield = element('div', 'shield');
  const { bar, close } = boxTitleBar(title);
  const row = element('div', 'box-buttons');
  const record = { id, element: box, shield, buttons: [], escape: yesNo ? BoxAnswer.No : BoxAnswer.Ok };
  const addButton = (caption, answer) => {
    const b = element('button', 'button', { type: 'button' });
    const mnemonic = setMnemonicText(b, caption);
    b.addEventListener('click', () => answerBox(record, answer));
    row.append(b);
    record.buttons.push({ element: b, mnemonic, answer });
    return b;
  };
  let preferred;
  if (yesNo) {
    const yes = addButton(words('はい(&Y)'), BoxAnswer.Yes);
    const no = addButton(words('いいえ(&N)'), BoxAnswer.No);
    preferred = defaultIsNo ? no : yes;
  } else {
    preferred = addButton('OK', BoxAnswer.Ok);
  }
  preferred.classList.add('default');
  close.addEventListener('click', () => answerBox(record, record.escape));
  box.append(bar, boxBody(id, text, icon), row);
  box.addEventListener('focusin', (e) => { record.lastFocus = e.target; });
  shield.style.zIndex = nextLayer();
  box.style.zIndex = nextLayer();
  screen().append(shield, box);
  boxes.push(record);
  document.body.classList.add('modal');
  placeBox(box);
  preferred.focus(noScroll);
}

// Centred over the window it speaks for, or over the screen.
function placeBox(box) {
  const owner = activeShownWindow();
  const area = owner ? { left: owner.left, top: owner.top, width: owner.element.offsetWidth,
    height: owner.element.offsetHeight } : { left: 0, top: 0, width: screenWidth(), height: screenHeight() };
  moveBox(box, area.left + (area.width - box.offsetWidth) / 2, area.top + (area.height - box.offsetHeight) / 2);
}

// Wholly on the screen, wherever it is put.
function moveBox(box, left, top) {
  const place = onScreen(Math.round(left), Math.round(top), box.offsetWidth, box.offsetHeight);
  box.style.left = place.left + 'px';
  box.style.top = place.top + 'px';
}

whenScreenChanges(() => {
  for (const record of boxes) moveBox(record.element, record.element.offsetLeft, record.element.offsetTop);
});

function removeBox(record) {
  boxes.splice(boxes.indexOf(record), 1);
  record.element.remove();
  record.shield.remove();
  document.body.classList.toggle('modal', boxes.length > 0);
}

function answerBox(record, answer) {
  if (!boxes.includes(record)) return;
  // Gone at once, as a clicked box is; the program takes the answer in turn.
  removeBox(record);
  push(EventKind.Answer, record.id, answer);
  if (boxes.length > 0) {
    boxes[boxes.length - 1].element.querySelector('button.default').focus(noScroll);
  } else if (activeShownWindow()) {
    focusWindow(activeShownWindow(), null, true);
  }
}

export function focusTopBox() {
  const record = boxes[boxes.length - 1];
  const last = record.buttons.find((b) => b.element === record.lastFocus);
  (last ? last.element : record.element.querySelector('button.default')).focus(noScroll);
}

export function closeBox(id) {
  const record = boxes.find((box) => box.id === id);
  if (record) removeBox(record);
}

export function closeAllBoxes() {
  for (const record of boxes.slice()) removeBox(record);
}

// Esc for the top box, as the program's SendKeys gives it.
export function escapeTopBox() {
  const record = boxes[boxes.length - 1];
  answerBox(record, record.escape);
}

// A key while a box is up; true when the box took it.
export function boxKey(e) {
  const record = boxes[boxes.length - 1];
  if (e.key === 'Escape') {
    answerBox(record, record.escape);
    return true;
  }
  if (e.key === 'Tab') {
    // The focus stays in the box.
    const list = record.buttons.map((b) => b.element);
    const at = list.indexOf(document.activeElement);
    const next = (at + (e.shiftKey ? list.length - 1 : 1)) % list.length;
    list[next < 0 ? 0 : next].focus(noScroll);
    return true;
  }
  if (e.key === 'Enter' || e.key === ' ') {
    if (!record.element.contains(document.activeElement)) {
      record.element.querySelector('button.default').click();
      return true;
    }
    return false; // the focused button takes it
  }
  const byLetter = record.buttons.find((b) => b.mnemonic !== '' && b.mnemonic === e.key.toUpperCase());
  if (byLetter) answerBox(record, byLetter.answer);
  return true;
}
