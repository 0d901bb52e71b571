// One running copy per site: a Web Lock named after the record file, held
// until the game ends or its tab goes. The page asks for it as it starts
// (early.js), so that the program, when it asks, finds the answer waiting.
import { Guard } from './contract.js';

const releases = [];
const asked = new Map(); // lock name → the answer, a promise of a Guard

function request(name) {
  if (!navigator.locks) return Promise.resolve(Guard.Unavailable);
  return new Promise((resolve) => {
    navigator.locks.request(name, { ifAvailable: true }, (lock) => {
      if (lock === null) {
        resolve(Guard.HeldElsewhere);
        return null;
      }
      resolve(Guard.Held);
      return new Promise((release) => releases.push(release));
    }).catch(() => resolve(Guard.Unavailable));
  });
}

// The guard of this name: asked for once, whoever asks first.
export function takeGuard(name) {
  if (!asked.has(name)) asked.set(name, request(name));
  return asked.get(name);
}

export function releaseGuards() {
  for (const release of releases.splice(0)) release();
}
