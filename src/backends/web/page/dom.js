// Small helpers for building the page's desktop.

let screenElement = null;

// The page's screen: every window and box goes in it.
export function screen() {
  if (screenElement === null) screenElement = document.getElementById('screen');
  return screenElement;
}

export function element(tag, className, attributes) {
  const e = document.createElement(tag);
  if (className) e.className = className;
  for (const name in attributes || {}) e.setAttribute(name, attributes[name]);
  return e;
}

// "はい(&Y)" shows はい(Y) with the Y underlined; "&&" is an ampersand.
// Returns the mnemonic letter, upper case, or ''.
export function setMnemonicText(target, caption) {
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

export function nameWithoutMnemonic(caption) {
  return caption.replace(/&(.)/g, '$1');
}

export const noScroll = { preventScroll: true };
