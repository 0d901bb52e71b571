// Menu bars and their drop-down menus: menubar, menu and menuitem, worked by
// the mouse and, as on the desktop, by Alt and a letter, the arrows, Enter
// and Esc.
import { EventKind } from './contract.js';
import { element, nameWithoutMnemonic, noScroll, setMnemonicText } from './dom.js';
import { push, pushStep } from './queue.js';
import { keepFocus } from './focus.js';
import { later, raise, windowOf } from './windows.js';
import { words } from './words.js';

const menus = new Map(); // menu id → menu
let openMenu = null; // the top-level menu whose popup is down
let focusBeforeMenu = null; // where the focus goes back to when it closes

export function menuIsOpen() {
  return openMenu !== null;
}

export function forgetMenusOf(win) {
  for (const menu of win.menus) {
    menus.delete(menu.id);
    for (const item of menu.items) menus.delete(item.id);
  }
}

export function addMenu(formId, id, parentId) {
  const win = windowOf(formId);
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
    menu.popup = element('div', 'popup', { role: 'menu', 'aria-labelledby': 'menu-' + id });
    menu.element.id = 'menu-' + id;
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

export function setMenu(id, caption, visible, enabled, separator) {
  const menu = menus.get(id);
  later(menu.window, () => {
    Object.assign(menu, { caption, visible, enabled, separator });
    const e = menu.element;
    e.hidden = !visible;
    e.classList.toggle('disabled', !enabled);
    e.setAttribute('aria-disabled', String(!enabled));
    if (separator) {
      // A line to look at, not a place for the focus.
      e.textContent = '';
      e.setAttribute('role', 'separator');
      e.removeAttribute('tabindex');
      e.removeAttribute('aria-disabled');
      e.className = 'separator';
      return;
    }
    e.setAttribute('role', 'menuitem');
    e.setAttribute('tabindex', '-1');
    e.className = menu.parent ? 'menuitem' : 'menutitle';
    // A blank entry is still something to click, and a screen reader names it.
    if (caption === '') {
      e.textContent = menu.parent ? '' : '\u3000\u3000';
      e.classList.add('blank');
      e.setAttribute('aria-label', words(menu.parent ? '空白の項目' : '空白のメニュー'));
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
  const before = openMenu === null ? document.activeElement : focusBeforeMenu;
  closeMenu();
  focusBeforeMenu = before;
  openMenu = menu;
  raise(menu.window);
  const title = menu.element;
  menu.popup.style.left = title.offsetLeft + 'px';
  menu.popup.style.top = menu.window.menuBar.offsetTop + menu.window.menuBar.offsetHeight + 'px';
  menu.popup.hidden = !menu.items.some((item) => item.visible);
  title.classList.add('open');
  title.setAttribute('aria-expanded', 'true');
  highlight(menu.items.find(usable) || null);
  push(EventKind.Choose, menu.id);
}

export function closeMenu() {
  if (openMenu === null) return;
  openMenu.popup.hidden = true;
  openMenu.element.classList.remove('open');
  openMenu.element.setAttribute('aria-expanded', 'false');
  highlight(null);
  openMenu = null;
  // The focus goes back where it was before the menu dropped down.
  const before = focusBeforeMenu;
  focusBeforeMenu = null;
  if (before && before.isConnected && before !== document.body) before.focus(noScroll);
  keepFocus();
}

// A window that goes takes its open menu with it.
export function closeMenuOf(win) {
  if (openMenu !== null && openMenu.window === win) closeMenu();
}

// A press anywhere but in the open menu closes it.
export function closeMenuUnlessInside(target) {
  if (openMenu !== null && !openMenu.popup.contains(target)) closeMenu();
}

function highlight(item) {
  if (openMenu === null) return;
  for (const other of openMenu.items) other.element.classList.toggle('highlighted', other === item);
  if (item) item.element.focus(noScroll);
}

function chooseItem(item) {
  if (!usable(item)) return;
  closeMenu();
  push(EventKind.Choose, item.id);
}

// A key while a menu is down; true when the menu took it.
export function menuKey(e) {
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

// Alt and a menu's letter drop it down, in its turn behind what came before.
export function dropDownByMnemonic(win, key) {
  if (!win || win.menuBar.hidden) return false;
  const menu = win.menus.find((m) => usable(m) && m.mnemonic !== '' && m.mnemonic === key.toUpperCase());
  if (!menu) return false;
  pushStep(() => dropDown(menu));
  return true;
}
