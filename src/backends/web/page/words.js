// The page's own words in the player's language. The language is chosen once,
// at the start, as the desktop program chooses it: the player's choice on the
// switch when there is one, else the first of Japanese and English among the
// browser's languages, else Japanese. A game in progress keeps its words, so
// the switch takes effect at the next start.
import { element, screen } from './dom.js';
import { english } from './english.js';

const CHOICE = 'mochitama.language';
const NAMES = { ja: '日本語', en: 'English' };

function storedChoice() {
  try {
    const value = localStorage.getItem(CHOICE);
    return value in NAMES ? value : null;
  } catch {
    return null;  // storage refused: the browser's languages decide
  }
}

// 'en' or 'ja' from a list of language tags ("en-GB", "ja", "de").
export function languageOfList(tags) {
  for (const tag of tags || []) {
    const primary = String(tag).toLowerCase().split(/[-_]/)[0];
    if (primary in NAMES) return primary;
  }
  return 'ja';
}

export const language = storedChoice() || languageOfList(navigator.languages || [navigator.language]);

export function speaksEnglish() {
  return language === 'en';
}

// A text of the page in the player's language: the Japanese as written, or
// its English. {name} in the text stands for values[name].
export function words(japanese, values = {}) {
  const text = language === 'en' ? english[japanese] || japanese : japanese;
  return text.replace(/\{(\w+)\}/g, (whole, name) => (name in values ? String(values[name]) : whole));
}

// The page's frame in the language: its title, its screen's name, <html lang>.
export function speakLanguage() {
  document.documentElement.lang = language;
  document.title = words(document.title);
  const screen = document.getElementById('screen');
  if (screen) screen.setAttribute('aria-label', words(screen.getAttribute('aria-label')));
}

// The switch (日本語 / English), in a corner of the screen outside the
// game's windows, a landmark of its own. A choice is remembered by the site and said in the live region,
// in its own language.
export function offerLanguageSwitch(afterChoice) {
  const group = element('nav', 'language-switch', { 'aria-label': '言語 / Language' });
  const next = storedChoice() || language;
  for (const [code, name] of Object.entries(NAMES)) {
    const button = element('button', 'language', { type: 'button', lang: code, 'aria-pressed': String(code === next) });
    button.textContent = name;
    button.addEventListener('pointerdown', (e) => e.preventDefault());
    button.addEventListener('click', () => {
      try {
        localStorage.setItem(CHOICE, code);
      } catch {
        return;  // nowhere to remember it
      }
      for (const other of group.children) other.setAttribute('aria-pressed', String(other === button));
      const live = document.getElementById('announcer');
      if (live) live.textContent = code === 'en' ? 'English from the next start.' : '次に始めるときから日本語です。';
      afterChoice();
    });
    group.append(button);
  }
  // On the screen, under every window: where one comes over it, the window
  // and its close box stay on top.
  screen().prepend(group);
  return group;
}
