// The page as the game's desktop: windows with a title bar, a close box and
// a menu bar, message boxes, timers, and one queue of what the player does.
// The program (mochitama.js) calls in through mochitamaDesktop; this script
// never calls the program. It queues events, and the program takes them
// when it waits, as a desktop program takes its messages.
'use strict';

const mochitamaDesktop = (() => {
  // ---- the event queue, shared with the program (web/page.h)
  const Kind = { Click: 1, Choose: 2, Close: 3, KeyDown: 4, MouseDown: 5, Tick: 6, Answer: 7 };
  const Answer = { Ok: 1, Yes: 2, No: 3 };
  // Each entry is [kind, target, a, b], or a function: a step of the page's
  // own (a menu dropping down, an Esc finding its target) that must wait
  // for its turn behind what the player did before.
  const queue = [];
  const queuedTicks = new Set();
  let wakeProgram = null;
  let ended = false;

  function wake() {
    if (wakeProgram === null) return;
    const resume = wakeProgram;
    wakeProgram = null;
    resume();
  }

  function push(kind, target, a = 0, b = 0) {
    if (ended) return;
    queue.push([kind, target, a, b]);
    wake();
  }

  function pushStep(step) {
    if (ended) return;
    queue.push(step);
    wake();
  }

  // ---- what the page shows
  const windows = new Map(); // form id → window
  const controls = new Map(); // control id → { element, window, kind }
  const menus = new Map(); // menu id → menu
  const timers = new Map(); // timer id → interval handle
  const boxes = []; // open message boxes, the top one last
  const guardReleases = [];
  let screenElement = null;
  let activeWindow = null;
  let openMenu = null; // the top-level menu whose popup is down
  let stacking = 10;

  function screen() {
    if (screenElement === null) screenElement = document.getElementById('screen');
    return screenElement;
  }

  function element(tag, className, attributes) {
    const e = document.createElement(tag);
    if (className) e.className = className;
    for (const name in attributes || {}) e.setAttribute(name, attributes[name]);
    return e;
  }

  // "はい(&Y)" shows はい(Y) with the Y underlined; "&&" is an ampersand.
  function setMnemonicText(target, caption) {
    target.textContent = '';
    let plain = '';
    let mnemonic = '';
    for (let i = 0; i < caption.length; i++) {
      if (caption[i] === '&' && i + 1 < caption.length) {
        i++;
        if (caption[i] !== '&' && mnemonic === '') {
          if (plain) target.append(plain);
          plain = '';
          const u = element('u');
          u.textContent = caption[i];
          target.append(u);
          mnemonic = caption[i].toUpperCase();
          continue;
        }
      }
      plain += caption[i];
    }
    if (plain) target.append(plain);
    return mnemonic;
  }

  function nameWithoutMnemonic(caption) {
    return caption.replace(/&(.)/g, '$1');
  }

  // Property changes wait until their window is painted: when the program
  // waits for events, or refreshes the window, or shows it.
  function later(win, change) {
    win.pending.push(change);
  }

  function paintWindow(win) {
    const changes = win.pending;
    win.pending = [];
    for (const change of changes) change();
  }

  // ---- windows

  function raise(win) {
    win.element.style.zIndex = String(++stacking);
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

  function buildTitleBar(win, icon) {
    const bar = element('div', 'titlebar');
    if (icon) bar.append(element('img', 'icon', { src: 'mochitama.svg', alt: '', draggable: 'false' }));
    win.captionElement = element('span', 'caption');
    bar.append(win.captionElement);
    // Reachable with Tab too: the browser keeps Alt+F4 for itself.
    const close = element('button', 'close', { 'aria-label': '閉じる', title: '閉じる', type: 'button' });
    close.addEventListener('click', () => push(Kind.Close, win.id));
    close.addEventListener('pointerdown', (e) => e.stopPropagation());
    bar.append(close);
    bar.addEventListener('pointerdown', (e) => startDrag(win, e));
    return bar;
  }

  // The player may move a window by its title bar, as on a desktop.
  function startDrag(win, event) {
    if (event.button !== 0 || boxes.length > 0) return;
    const bar = event.currentTarget;
    const startX = event.clientX;
    const startY = event.clientY;
    const left = win.left;
    const top = win.top;
    bar.setPointerCapture(event.pointerId);
    const move = (e) => placeWindow(win, left + e.clientX - startX, Math.max(0, top + e.clientY - startY));
    const stop = () => {
      bar.removeEventListener('pointermove', move);
      bar.removeEventListener('pointerup', stop);
      bar.removeEventListener('pointercancel', stop);
    };
    bar.addEventListener('pointermove', move);
    bar.addEventListener('pointerup', stop);
    bar.addEventListener('pointercancel', stop);
  }

  function placeWindow(win, left, top) {
    win.left = left;
    win.top = top;
    win.element.style.left = left + 'px';
    win.element.style.top = top + 'px';
  }

  function openWindow(id, name, framed, icon, font) {
    const section = element('section', framed ? 'window framed' : 'window', { role: 'dialog', 'data-form': name });
    section.hidden = true;
    section.tabIndex = -1;
    const win = { id, name, element: section, pending: [], shown: false, left: 0, top: 0, menus: [], buttons: [] };
    win.titleBar = buildTitleBar(win, icon);
    win.menuBar = element('div', 'menubar', { role: 'menubar' });
    win.client = element('div', 'client');
    win.client.style.fontFamily = font;
    win.client.addEventListener('focusin', (e) => { win.lastFocus = e.target; });
    win.client.addEventListener('pointerdown', (e) => {
      if (e.target === win.client) push(Kind.MouseDown, id);
    });
    section.addEventListener('pointerdown', () => {
      if (boxes.length === 0 && win.shown) raise(win);
    }, true);
    section.append(win.titleBar, win.menuBar, win.client);
    screen().append(section);
    windows.set(id, win);
  }

  function closeWindow(id) {
    const win = windows.get(id);
    if (!win) return;
    if (openMenu && openMenu.window === win) closeMenu();
    win.element.remove();
    windows.delete(id);
    for (const [controlId, control] of controls) if (control.window === win) controls.delete(controlId);
    for (const menu of win.menus) menus.delete(menu.id);
    if (activeWindow === win) activateNext();
  }

  // The window that had the focus has gone: the one on top takes it, as a
  // desktop's window manager gives it.
  function activateNext() {
    activeWindow = null;
    const next = topShownWindow();
    if (next === null) return;
    raise(next);
    if (boxes.length === 0) focusWindow(next, 0, true);
  }

  function layoutWindow(id, l) {
    const win = windows.get(id);
    const [width, height, border, title, bar, clientTop, clientWidth, clientHeight] = l;
    later(win, () => {
      const s = win.element.style;
      s.width = width + 'px';
      s.height = height + 'px';
      s.borderWidth = border + 'px';
      win.titleBar.hidden = title === 0;
      win.titleBar.style.height = title + 'px';
      win.menuBar.hidden = bar === 0;
      win.menuBar.style.top = title + 'px';
      win.menuBar.style.width = clientWidth + 'px';
      win.menuBar.style.height = bar + 'px';
      win.client.style.top = clientTop - border + 'px';
      win.client.style.width = clientWidth + 'px';
      win.client.style.height = clientHeight + 'px';
    });
  }

  function setWindowCaption(id, caption) {
    const win = windows.get(id);
    win.captionElement.textContent = caption;
    win.element.setAttribute('aria-label', caption);
  }

  function setWindowColor(id, css) {
    const win = windows.get(id);
    later(win, () => { win.client.style.backgroundColor = css; });
  }

  function setWindowEnabled(id, enabled) {
    windows.get(id).element.classList.toggle('disabled', !enabled);
  }

  function showWindow(id, focusId) {
    const win = windows.get(id);
    paintWindow(win);
    const wasShown = win.shown;
    win.shown = true;
    win.element.hidden = false;
    if (boxes.length === 0) raise(win);
    focusWindow(win, focusId, wasShown);
  }

  // Focus starts on the first button in tab order, and goes back there when
  // the button that had it has since gone; with none, the window hears the keys.
  function focusWindow(win, focusId, wasShown) {
    if (boxes.length > 0) return;
    const usable = (e) => e && win.client.contains(e) && !e.disabled && e.offsetParent !== null;
    if (wasShown && usable(document.activeElement)) return;
    // Back in a window: the button that had the focus there takes it again.
    if (wasShown && usable(win.lastFocus)) {
      win.lastFocus.focus({ preventScroll: true });
      return;
    }
    const first = controls.get(focusId);
    if (first) {
      first.element.focus({ preventScroll: true });
      first.element.classList.add('focus-shown');
    } else {
      win.element.focus({ preventScroll: true });
    }
  }

  function hideWindow(id) {
    const win = windows.get(id);
    if (openMenu && openMenu.window === win) closeMenu();
    win.shown = false;
    win.element.hidden = true;
    if (activeWindow === win) {
      win.element.classList.remove('active');
      activateNext();
    }
  }

  function moveWindow(id, left, top) {
    placeWindow(windows.get(id), left, top);
  }

  // ---- controls

  function addControl(formId, id, kind, containerId) {
    const win = windows.get(formId);
    let e;
    if (kind === 2) {
      e = element('button', 'control button', { type: 'button' });
      e.addEventListener('click', () => push(Kind.Click, id));
      e.addEventListener('pointerdown', (ev) => ev.stopPropagation());
      win.buttons.push(e);
    } else if (kind === 3) {
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
      if (pressed && ev.button === 0 && inside) push(Kind.Click, id);
      pressed = false;
    });
    e.addEventListener('pointercancel', () => { pressed = false; });
  }

  function withControl(id, change) {
    const control = controls.get(id);
    if (control) later(control.window, () => change(control.element, control));
  }

  function setControlText(id, text) {
    withControl(id, (e, control) => {
      if (control.kind === 2) {
        setMnemonicText(e, text);
      } else if (control.kind === 3) {
        e.firstChild.textContent = text;
        e.setAttribute('aria-label', text);
      } else {
        e.textContent = text;
      }
    });
  }

  function setControlShown(id, visible, enabled) {
    withControl(id, (e, control) => {
      e.hidden = !visible;
      e.classList.toggle('disabled', !enabled);
      if (control.kind === 2) e.disabled = !enabled;
    });
  }

  function setControlColors(id, fore, back) {
    withControl(id, (e) => {
      e.style.color = fore;
      e.style.backgroundColor = back;
    });
  }

  function setControlFont(id, family, pixels, bold) {
    withControl(id, (e) => {
      e.style.fontFamily = family;
      e.style.fontSize = pixels + 'px';
      e.style.fontWeight = bold ? 'bold' : 'normal';
    });
  }

  // A button's caption is always centred, as the desktop draws it.
  function setControlAlignment(id, align) {
    withControl(id, (e, control) => {
      if (control.kind !== 2) e.style.textAlign = align;
    });
  }

  function setControlPlace(id, left, top, width, height) {
    withControl(id, (e) => {
      e.style.left = left + 'px';
      e.style.top = top + 'px';
      e.style.width = width + 'px';
      e.style.height = height + 'px';
    });
  }

  // Buttons stand in the document in tab order, so Tab goes as on the desktop.
  function setControlOrder(id, position) {
    withControl(id, (e, control) => {
      control.order = position;
      const parent = e.parentNode;
      const buttons = control.window.buttons.slice().sort((a, b) => orderOf(a) - orderOf(b));
      for (const b of buttons) if (b.parentNode === parent) parent.append(b);
    });
  }

  function orderOf(buttonElement) {
    for (const control of controls.values()) if (control.element === buttonElement) return control.order;
    return 0;
  }

  // ---- menus

  function addMenu(formId, id, parentId) {
    const win = windows.get(formId);
    const menu = { id, window: win, parent: menus.get(parentId) || null, items: [], caption: '', mnemonic: '',
      visible: true, enabled: true, separator: false };
    menu.element = element('div', parentId ? 'menuitem' : 'menutitle', { role: 'menuitem', tabindex: '-1' });
    if (menu.parent) {
      menu.parent.items.push(menu);
      menu.parent.popup.append(menu.element);
      menu.element.addEventListener('click', (e) => {
        e.stopPropagation();
        chooseItem(menu);
      });
    } else {
      menu.element.setAttribute('aria-haspopup', 'menu');
      menu.element.setAttribute('aria-expanded', 'false');
      menu.popup = element('div', 'popup', { role: 'menu' });
      menu.popup.hidden = true;
      win.menuBar.append(menu.element);
      win.element.append(menu.popup);
      menu.element.addEventListener('pointerdown', (e) => {
        e.stopPropagation();
        if (e.button === 0) pushStep(() => toggleMenu(menu));
      });
      win.menus.push(menu);
    }
    menus.set(id, menu);
  }

  function setMenu(id, caption, visible, enabled, separator) {
    const menu = menus.get(id);
    later(menu.window, () => {
      Object.assign(menu, { caption, visible, enabled, separator });
      const e = menu.element;
      e.hidden = !visible;
      e.classList.toggle('disabled', !enabled);
      e.setAttribute('aria-disabled', String(!enabled));
      if (separator) {
        e.textContent = '';
        e.setAttribute('role', 'separator');
        e.className = 'separator';
        return;
      }
      e.setAttribute('role', 'menuitem');
      e.className = menu.parent ? 'menuitem' : 'menutitle';
      // A blank entry is still something to click, and a screen reader names it.
      if (caption === '') {
        e.textContent = menu.parent ? '' : '\u3000\u3000';
        e.classList.add('blank');
        e.setAttribute('aria-label', menu.parent ? '空白の項目' : '空白のメニュー');
        menu.mnemonic = '';
      } else {
        menu.mnemonic = setMnemonicText(e, caption);
        e.setAttribute('aria-label', nameWithoutMnemonic(caption));
      }
    });
  }

  function usable(menu) {
    return menu.visible && menu.enabled && !menu.separator;
  }

  function toggleMenu(menu) {
    if (openMenu === menu) {
      closeMenu();
      return;
    }
    dropDown(menu);
  }

  // The desktop tells a top-level menu it was clicked as it drops down.
  function dropDown(menu) {
    if (!menu.window.shown || !usable(menu) || menu.window.element.classList.contains('disabled')) return;
    closeMenu();
    openMenu = menu;
    raise(menu.window);
    const title = menu.element;
    menu.popup.style.left = title.offsetLeft + 'px';
    menu.popup.style.top = menu.window.menuBar.offsetTop + menu.window.menuBar.offsetHeight + 'px';
    menu.popup.hidden = !menu.items.some((item) => item.visible);
    title.classList.add('open');
    title.setAttribute('aria-expanded', 'true');
    highlight(menu.items.find(usable) || null);
    push(Kind.Choose, menu.id);
  }

  function closeMenu() {
    if (openMenu === null) return;
    openMenu.popup.hidden = true;
    openMenu.element.classList.remove('open');
    openMenu.element.setAttribute('aria-expanded', 'false');
    highlight(null);
    openMenu = null;
  }

  function highlight(item) {
    if (openMenu === null) return;
    for (const other of openMenu.items) other.element.classList.toggle('highlighted', other === item);
    if (item) item.element.focus({ preventScroll: true });
  }

  function chooseItem(item) {
    if (!usable(item)) return;
    closeMenu();
    push(Kind.Choose, item.id);
  }

  function menuKey(e) {
    const items = openMenu.items.filter(usable);
    const current = items.findIndex((item) => item.element.classList.contains('highlighted'));
    const tops = openMenu.window.menus.filter(usable);
    const topIndex = tops.indexOf(openMenu);
    switch (e.key) {
      case 'Escape': closeMenu(); return true;
      case 'ArrowDown': highlight(items[(current + 1) % items.length] || null); return true;
      case 'ArrowUp': highlight(items[(current - 1 + items.length) % items.length] || null); return true;
      case 'ArrowRight': dropDown(tops[(topIndex + 1) % tops.length]); return true;
      case 'ArrowLeft': dropDown(tops[(topIndex - 1 + tops.length) % tops.length]); return true;
      case 'Enter':
      case ' ':
        if (current >= 0) chooseItem(items[current]);
        return true;
      default: {
        const item = items.find((candidate) => candidate.mnemonic === e.key.toUpperCase());
        if (item) chooseItem(item);
        return true;
      }
    }
  }

  // Alt and a menu's letter drop it down.
  function menuByMnemonic(win, key) {
    if (!win || win.menuBar.hidden) return null;
    return win.menus.find((menu) => usable(menu) && menu.mnemonic !== '' && menu.mnemonic === key.toUpperCase()) || null;
  }

  // ---- timers

  function setTimer(id, interval) {
    const running = timers.get(id);
    if (running !== undefined) clearInterval(running);
    timers.delete(id);
    if (interval <= 0 || ended) return;
    // Ticks do not pile up: one waits in the queue at most, as on the desktop.
    timers.set(id, setInterval(() => {
      if (queuedTicks.has(id)) return;
      queuedTicks.add(id);
      push(Kind.Tick, id);
    }, interval));
  }

  // ---- message boxes

  const icons = {
    critical: '<svg viewBox="0 0 32 32" aria-hidden="true"><circle cx="16" cy="16" r="15" fill="#d80000" stroke="#800000"/>' +
      '<path d="M10 10 22 22M22 10 10 22" stroke="#fff" stroke-width="3.5" stroke-linecap="round"/></svg>',
    question: '<svg viewBox="0 0 32 32" aria-hidden="true"><circle cx="16" cy="16" r="15" fill="#fff" stroke="#1050c0" stroke-width="2"/>' +
      '<text x="16" y="23" font-size="20" font-weight="bold" text-anchor="middle" fill="#1050c0" font-family="sans-serif">?</text></svg>',
    exclamation: '<svg viewBox="0 0 32 32" aria-hidden="true"><path d="M16 2 31 29H1Z" fill="#ffd800" stroke="#806000"/>' +
      '<path d="M16 10v10" stroke="#000" stroke-width="3.5" stroke-linecap="round"/><circle cx="16" cy="25" r="2" fill="#000"/></svg>',
    information: '<svg viewBox="0 0 32 32" aria-hidden="true"><circle cx="16" cy="16" r="15" fill="#fff" stroke="#1050c0" stroke-width="2"/>' +
      '<circle cx="16" cy="9" r="2.5" fill="#1050c0"/><path d="M16 14v11" stroke="#1050c0" stroke-width="4"/></svg>',
  };

  function openBox(id, title, text, icon, yesNo, defaultIsNo) {
    closeMenu();
    const textId = 'box-text-' + id;
    const box = element('section', 'box', { role: 'alertdialog', 'aria-modal': 'true', 'aria-label': title,
      'aria-describedby': textId });
    const shield = element('div', 'shield');
    const bar = element('div', 'titlebar');
    const caption = element('span', 'caption');
    caption.textContent = title;
    const close = element('button', 'close', { 'aria-label': '閉じる', title: '閉じる', tabindex: '-1' });
    bar.append(caption, close);
    const body = element('div', 'box-body');
    if (icons[icon]) {
      const picture = element('div', 'box-icon');
      picture.innerHTML = icons[icon];
      body.append(picture);
    }
    const message = element('div', 'box-text', { id: textId });
    message.textContent = text.replace(/\r\n/g, '\n');
    body.append(message);
    const row = element('div', 'box-buttons');
    const record = { id, element: box, shield, buttons: [], escape: yesNo ? Answer.No : Answer.Ok };
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
      const yes = addButton('はい(&Y)', Answer.Yes);
      const no = addButton('いいえ(&N)', Answer.No);
      preferred = defaultIsNo ? no : yes;
    } else {
      preferred = addButton('OK', Answer.Ok);
    }
    preferred.classList.add('default');
    close.addEventListener('click', () => answerBox(record, record.escape));
    box.append(bar, body, row);
    shield.style.zIndex = String(++stacking);
    box.style.zIndex = String(++stacking);
    screen().append(shield, box);
    boxes.push(record);
    document.body.classList.add('modal');
    placeBox(box);
    preferred.focus({ preventScroll: true });
  }

  // Centred over the window it speaks for, or over the screen.
  function placeBox(box) {
    const owner = activeWindow && activeWindow.shown ? activeWindow.element.getBoundingClientRect() : null;
    const area = owner || { left: 0, top: 0, width: screenWidth(), height: screenHeight() };
    const left = area.left + (area.width - box.offsetWidth) / 2;
    const top = area.top + (area.height - box.offsetHeight) / 2;
    box.style.left = Math.max(0, Math.round(left)) + 'px';
    box.style.top = Math.max(0, Math.round(top)) + 'px';
  }

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
    push(Kind.Answer, record.id, answer);
    if (boxes.length > 0) {
      boxes[boxes.length - 1].element.querySelector('button.default').focus({ preventScroll: true });
    } else if (activeWindow) {
      focusWindow(activeWindow, 0, true);
    }
  }

  function closeBox(id) {
    const record = boxes.find((box) => box.id === id);
    if (record) removeBox(record);
  }

  function boxKey(e) {
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
      list[next < 0 ? 0 : next].focus({ preventScroll: true });
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

  // ---- keys

  function shiftState(e) {
    return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0);
  }

  function onKeyDown(e) {
    if (ended || e.isComposing) return;
    if (boxes.length > 0) {
      if (boxKey(e)) e.preventDefault();
      return;
    }
    if (openMenu !== null) {
      if (menuKey(e)) e.preventDefault();
      return;
    }
    const win = activeWindow && activeWindow.shown ? activeWindow : null;
    if (e.altKey && !e.ctrlKey && e.key.length === 1) {
      const menu = menuByMnemonic(win, e.key);
      if (menu) {
        e.preventDefault();
        pushStep(() => dropDown(menu));
        return;
      }
    }
    if (win === null) return;
    // Keys reach the window only when no button holds the focus; a focused
    // button takes Enter and Space itself and leaves the rest unused.
    const focused = document.activeElement;
    if (focused && focused.tagName === 'BUTTON' && win.element.contains(focused)) {
      if (e.key === 'Enter' && !e.repeat) {
        e.preventDefault();
        focused.click();
      }
      return;
    }
    if (e.key === 'Tab') return;
    // The browser keeps its own shortcuts (Ctrl+W, Ctrl+T, F5 …); the game
    // still hears the key.
    if (!e.ctrlKey && !e.metaKey) e.preventDefault();
    push(Kind.KeyDown, win.id, e.keyCode, shiftState(e));
  }

  // Esc sent by the program goes to whatever has the focus when its turn comes.
  function queueEscape() {
    pushStep(() => {
      const win = activeWindow && activeWindow.shown ? activeWindow : null;
      if (boxes.length > 0) {
        const record = boxes[boxes.length - 1];
        answerBox(record, record.escape);
        return;
      }
      if (win === null) return;
      const focused = document.activeElement;
      if (focused && focused.tagName === 'BUTTON' && win.element.contains(focused)) return;
      push(Kind.KeyDown, win.id, 27, 0);
    });
  }

  // ---- the program's side of the queue

  function whenEventQueued() {
    if (queue.length > 0) return Promise.resolve();
    return new Promise((resolve) => { wakeProgram = resolve; });
  }

  function takeEvent(heap, at) {
    while (queue.length > 0) {
      const next = queue.shift();
      if (typeof next === 'function') {
        next();
        continue;
      }
      if (next[0] === Kind.Tick) queuedTicks.delete(next[1]);
      heap[at] = next[0];
      heap[at + 1] = next[1];
      heap[at + 2] = next[2];
      heap[at + 3] = next[3];
      return 1;
    }
    return 0;
  }

  // One turn of the browser's own tasks: a message on a channel comes back
  // at once, where a timeout waits 4 ms when nested.
  const channel = new MessageChannel();
  const yielded = [];
  channel.port1.onmessage = () => {
    const resume = yielded.shift();
    if (resume) resume();
  };
  function yieldOnce() {
    return new Promise((resolve) => {
      yielded.push(resolve);
      channel.port2.postMessage(0);
    });
  }

  function sleep(ms) {
    return new Promise((resolve) => setTimeout(resolve, ms));
  }

  function paint(id) {
    const win = windows.get(id);
    if (win) paintWindow(win);
  }

  function paintAll() {
    for (const win of windows.values()) paintWindow(win);
  }

  // ---- the world around the program

  function screenWidth() {
    return document.documentElement.clientWidth;
  }

  function screenHeight() {
    return document.documentElement.clientHeight;
  }

  function secondsSinceMidnight() {
    const d = new Date();
    return d.getHours() * 3600 + d.getMinutes() * 60 + d.getSeconds() + d.getMilliseconds() / 1000;
  }

  function entropy() {
    return (Date.now() * 1000 + Math.floor(performance.now() * 1000)) % 4294967296;
  }

  // One running copy per site: the lock is held until the game ends or the
  // tab goes. 0: held here; 1: another tab holds it; 2: no lock to be had.
  function takeGuard(name) {
    if (!navigator.locks) return Promise.resolve(2);
    return new Promise((resolve) => {
      navigator.locks.request(name, { ifAvailable: true }, (lock) => {
        if (lock === null) {
          resolve(1);
          return null;
        }
        resolve(0);
        return new Promise((release) => guardReleases.push(release));
      }).catch(() => resolve(2));
    });
  }

  function showEnded() {
    ended = true;
    queue.length = 0;
    for (const handle of timers.values()) clearInterval(handle);
    timers.clear();
    for (const record of boxes.slice()) removeBox(record);
    for (const id of Array.from(windows.keys())) closeWindow(id);
    for (const release of guardReleases.splice(0)) release();
    const notice = element('section', 'ended', { role: 'status' });
    const text = element('p');
    text.textContent = 'もちたまは終了しました。';
    const again = element('button', 'button', { type: 'button' });
    again.textContent = 'もう一度はじめる';
    again.addEventListener('click', () => location.reload());
    notice.append(text, again);
    screen().append(notice);
    document.body.dataset.game = 'ended';
    again.focus({ preventScroll: true });
  }

  function park() {
    return new Promise(() => {});
  }

  document.addEventListener('keydown', onKeyDown);
  document.addEventListener('pointerdown', (e) => {
    if (openMenu !== null && !openMenu.popup.contains(e.target)) closeMenu();
  });

  return {
    whenEventQueued, takeEvent, yieldOnce, sleep, queueEscape, paint, paintAll,
    openWindow, closeWindow, layoutWindow, setWindowCaption, setWindowColor, setWindowEnabled, showWindow,
    hideWindow, moveWindow,
    windowLeft: (id) => windows.get(id).left,
    windowTop: (id) => windows.get(id).top,
    addControl, setControlText, setControlShown, setControlColors, setControlFont, setControlAlignment,
    setControlPlace, setControlOrder, addMenu, setMenu, setTimer, openBox, closeBox,
    screenWidth, screenHeight, secondsSinceMidnight, entropy, takeGuard, showEnded, park,
  };
})();
