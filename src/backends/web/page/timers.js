// The program's timers, ticking in the page; each tick is queued for the
// program, at most one per timer at a time.
import { EventKind } from './contract.js';
import { isEnded, push } from './queue.js';

const timers = new Map(); // timer id → interval handle

export function setTimer(id, interval) {
  const running = timers.get(id);
  if (running !== undefined) clearInterval(running);
  timers.delete(id);
  if (interval <= 0 || isEnded()) return;
  timers.set(id, setInterval(() => push(EventKind.Tick, id), interval));
}

export function stopAllTimers() {
  for (const handle of timers.values()) clearInterval(handle);
  timers.clear();
}
