// The world around the program: the screen, the clock, the one-copy guard
// and the end of the game.
import { Guard } from './contract.js';
import { closeAllBoxes } from './boxes.js';
import { element, noScroll, screen } from './dom.js';
import { endQueue } from './queue.js';
import { stopAllTimers } from './timers.js';
import { closeAllWindows } from './windows.js';

const guardReleases = [];

export function secondsSinceMidnight() {
  const d = new Date();
  return d.getHours() * 3600 + d.getMinutes() * 60 + d.getSeconds() + d.getMilliseconds() / 1000;
}

export function entropy() {
  return (Date.now() * 1000 + Math.floor(performance.now() * 1000)) % 4294967296;
}

// One running copy per site: the lock is held until the game ends or the
// tab goes.
export function takeGuard(name) {
  if (!navigator.locks) return Promise.resolve(Guard.Unavailable);
  return new Promise((resolve) => {
    navigator.locks.request(name, { ifAvailable: true }, (lock) => {
      if (lock === null) {
        resolve(Guard.HeldElsewhere);
        return null;
      }
      resolve(Guard.Held);
      return new Promise((release) => guardReleases.push(release));
    }).catch(() => resolve(Guard.Unavailable));
  });
}

export function showEnded() {
  endQueue();
  stopAllTimers();
  closeAllBoxes();
  closeAllWindows();
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
  again.focus(noScroll);
}

export function park() {
  return new Promise(() => {});
}
