// The world around the program: the screen, the clock, the one-copy guard
// and the end of the game.
import { closeAllBoxes } from './boxes.js';
import { element, noScroll, screen } from './dom.js';
import { releaseGuards } from './guard.js';
import { endQueue } from './queue.js';
import { stopAllTimers } from './timers.js';
import { closeAllWindows } from './windows.js';
import { words } from './words.js';

export function secondsSinceMidnight() {
  const d = new Date();
  return d.getHours() * 3600 + d.getMinutes() * 60 + d.getSeconds() + d.getMilliseconds() / 1000;
}

export function entropy() {
  return (Date.now() * 1000 + Math.floor(performance.now() * 1000)) % 4294967296;
}

export function showEnded() {
  endQueue();
  stopAllTimers();
  closeAllBoxes();
  closeAllWindows();
  releaseGuards();
  const notice = element('section', 'ended', { role: 'status' });
  const text = element('p');
  text.textContent = words('もちたまは終了しました。');
  const again = element('button', 'button', { type: 'button' });
  again.textContent = words('もう一度はじめる');
  again.addEventListener('click', () => location.reload());
  notice.append(text, again);
  screen().append(notice);
  document.body.dataset.game = 'ended';
  again.focus(noScroll);
}

export function park() {
  return new Promise(() => {});
}
