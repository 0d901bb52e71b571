// The controls inside a window: labels, buttons and frames, placed in CSS
// pixels by the program. Their changes wait for the window's next paint.
import { ControlKind, EventKind } from './contract.js';
import { textChanged } from './announce.js';
import { element, setMnemonicText } from './dom.js';
import { push } from './queue.js';
import { later, windowOf } from './windows.js';

const controls = new Map(); // control id → { element, window, kind, order }

export function controlElement(id) {
  const control = controls.get(id);
  return control ? control.element : null;
}

export function forgetControlsOf(win) {
  for (const [id, control] of controls) if (control.window === win) controls.delete(id);
}

export function addControl(formId, id, kind, containerId) {
  const win = windowOf(formId);
  let e;
  if (kind === ControlKind.Button) {
    e = element('button', 'control button', { type: 'button' });
    e.addEventListener('click', () => push(EventKind.Click, id));
    e.addEventListener('pointerdown', (ev) => ev.stopPropagation());
    win.buttons.push(e);
  } else if (kind === ControlKind.Frame) {
    e = element('div', 'control frame', { role: 'group' });
    e.append(element('span', 'frame-caption'));
    // A press on the frame is the frame's, not the window's.
    e.addEventListener('pointerdown', (ev) => ev.stopPropagation());
  } else {
    e = element('div', 'control label');
    labelClicks(e, id);
  }
  const container = controls.get(containerId);
  (container ? container.element : win.client).append(e);
  controls.set(id, { element: e, window: win, kind, order: 0 });
}

// A click is a press and a release on the label; the press is the label's
// and does not reach the window behind it.
function labelClicks(e, id) {
  let pressed = false;
  e.addEventListener('pointerdown', (ev) => {
    ev.stopPropagation();
    pressed = ev.button === 0;
    if (pressed) e.setPointerCapture(ev.pointerId);
  });
  e.addEventListener('pointerup', (ev) => {
    const r = e.getBoundingClientRect();
    const inside = ev.clientX >= r.left && ev.clientX < r.right && ev.clientY >= r.top && ev.clientY < r.bottom;
    if (pressed && ev.button === 0 && inside) push(EventKind.Click, id);
    pressed = false;
  });
  e.addEventListener('pointercancel', () => { pressed = false; });
}

function withControl(id, change) {
  const control = controls.get(id);
  if (control) later(control.window, () => change(control.element, control));
}

export function setControlText(id, text) {
  withControl(id, (e, control) => {
    if (control.kind === ControlKind.Button) {
      setMnemonicText(e, text);
    } else if (control.kind === ControlKind.Frame) {
      e.firstChild.textContent = text;
      e.setAttribute('aria-label', text);
    } else {
      e.textContent = text;
      textChanged(e);
    }
  });
}

export function setControlShown(id, visible, enabled) {
  withControl(id, (e, control) => {
    if (visible && e.hidden && control.kind === ControlKind.Label) textChanged(e);
    e.hidden = !visible;
    e.classList.toggle('disabled', !enabled);
    if (control.kind === ControlKind.Button) e.disabled = !enabled;
  });
}

export function setControlColors(id, fore, back) {
  withControl(id, (e) => {
    e.style.color = fore;
    e.style.backgroundColor = back;
  });
}

export function setControlFont(id, family, pixels, bold) {
  withControl(id, (e) => {
    e.style.fontFamily = family;
    e.style.fontSize = pixels + 'px';
    e.style.fontWeight = bold ? 'bold' : 'normal';
  });
}

// A button's caption is always centred, as the desktop draws it.
export function setControlAlignment(id, align) {
  withControl(id, (e, control) => {
    if (control.kind !== ControlKind.Button) e.style.textAlign = align;
  });
}

export function setControlPlace(id, left, top, width, height) {
  withControl(id, (e) => {
    e.style.left = left + 'px';
    e.style.top = top + 'px';
    e.style.width = width + 'px';
    e.style.height = height + 'px';
  });
}

// The document holds the controls in reading order; Tab follows the tab
// order (focus.js), as on the desktop.
export function setControlOrder(id, position) {
  withControl(id, (e, control) => { control.order = position; });
}

// The window's buttons in tab order.
export function tabOrderOf(win) {
  const order = (e) => {
    for (const control of controls.values()) if (control.element === e) return control.order;
    return 0;
  };
  return win.buttons.slice().sort((a, b) => order(a) - order(b));
}
