// The one queue between the page and the program. The page pushes what the
// player does, timer ticks and box answers; the program takes them when it
// waits (waitForEvent in page.cpp), as a desktop program takes its
// messages. The page never calls the program: its stack may be suspended.
import { EventFields, EventKind } from './contract.js';

// Each entry is an event, or a function: a step of the page's own (a menu
// dropping down, an Esc finding its target) that must wait for its turn
// behind what the player did before.
const queue = [];
// Ticks do not pile up: at most one per timer waits, as on the desktop.
const queuedTicks = new Set();
let wakeProgram = null;
let ended = false;

function wake() {
  if (wakeProgram === null) return;
  const resume = wakeProgram;
  wakeProgram = null;
  resume();
}

export function push(kind, target, a = 0, b = 0) {
  if (ended) return;
  if (kind === EventKind.Tick) {
    if (queuedTicks.has(target)) return;
    queuedTicks.add(target);
  }
  queue.push({ kind, target, a, b });
  wake();
}

export function pushStep(step) {
  if (ended) return;
  queue.push(step);
  wake();
}

export function isEnded() {
  return ended;
}

// The game has ended: nothing more is queued or taken.
export function endQueue() {
  ended = true;
  queue.length = 0;
  queuedTicks.clear();
}

// ---- the program's side

export function whenEventQueued() {
  if (queue.length > 0) return Promise.resolve();
  return new Promise((resolve) => { wakeProgram = resolve; });
}

// Writes the oldest event into the program's memory (page.h's Event, field
// by field in its declared order); 0 when none is queued.
export function takeEvent(heap, at) {
  while (queue.length > 0) {
    const next = queue.shift();
    if (typeof next === 'function') {
      next();
      continue;
    }
    if (next.kind === EventKind.Tick) queuedTicks.delete(next.target);
    EventFields.forEach((field, i) => { heap[at + i] = next[field]; });
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

export function yieldOnce() {
  return new Promise((resolve) => {
    yielded.push(resolve);
    channel.port2.postMessage(0);
  });
}

export function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}
