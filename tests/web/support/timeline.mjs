// The recorder's log (recorder.mjs) read back as the history of each window:
// a list of states, each from `t` until the next one (`until`), in ms of the
// page's performance.now(). A beat is then checked as "from this moment, for
// so many milliseconds, this window showed that". Beside the windows it
// holds the recorder's reference timer: how late each of its 10-ms wake-ups
// came, when more than a millisecond (lag()).
import { ALLOWANCE } from './beats.mjs';

// Colours as computed styles give them.
export const COLOURS = {
  darkCyan: 'rgb(0, 128, 128)',
  blue: 'rgb(0, 0, 255)',
  red: 'rgb(255, 0, 0)',
  black: 'rgb(0, 0, 0)',
  green: 'rgb(56, 156, 3)',
  purple: 'rgb(111, 12, 188)',
  hitGreen: 'rgb(11, 112, 88)',
  nextStep: 'rgb(154, 76, 153)',
};

export class State {
  constructor(record, until) {
    this.t = record.t;
    this.until = until;
    this.shown = record.shown;
    this.role = record.role;
    this.name = record.name ?? '';
    this.description = record.description ?? '';
    this.lines = record.lines ?? [];
    this.backgrounds = record.backgrounds ?? [];
    this.disabled = !!record.disabled;
  }

  get duration() {
    return this.until - this.t;
  }

  has(line) {
    return this.lines.includes(line);
  }

  hasBackground(colour) {
    return this.backgrounds.includes(colour);
  }

  // What a player sees of it: two states that look the same are one screen.
  get look() {
    return JSON.stringify([this.shown, this.name, this.lines, this.backgrounds]);
  }

  toString() {
    return `<${this.t.toFixed(0)}+${this.duration.toFixed(0)} ms ${this.shown ? 'shown' : 'hidden'} ` +
      `'${this.name}' [${this.lines.join(' | ')}] ${this.backgrounds.join(' ')}>`;
  }
}

export class Span {
  constructor(start, end, states = []) {
    Object.assign(this, { start, end, states });
  }

  get duration() {
    return this.end - this.start;
  }

  toString() {
    return `<span ${this.start.toFixed(0)}–${this.end.toFixed(0)} (${this.duration.toFixed(0)} ms)>`;
  }
}

export class WindowHistory {
  constructor(id, states) {
    this.id = id;
    this.states = states;
  }

  get role() {
    return this.states.find((s) => s.shown)?.role;
  }

  get names() {
    return this.states.filter((s) => s.shown).map((s) => s.name);
  }

  // The stretches of time in which holds(state) was true, in order.
  spans(holds, { after = -Infinity, before = Infinity } = {}) {
    const found = [];
    let current = null;
    for (const s of this.states) {
      if (s.until <= after || s.t >= before) continue;
      if (holds(s)) {
        if (current) {
          current.end = s.until;
          current.states.push(s);
        } else {
          current = new Span(s.t, s.until, [s]);
        }
      } else if (current) {
        found.push(current);
        current = null;
      }
    }
    if (current) found.push(current);
    return found;
  }

  shownSpans() {
    return this.spans((s) => s.shown);
  }

  first(holds, { after = -Infinity } = {}) {
    return this.states.find((s) => s.t >= after && holds(s)) ?? null;
  }

  // Consecutive shown states that look alike, as spans: what stood in the
  // window and for how long. A state shorter than `shortest` ms (a change
  // made in two steps) goes into the one after it.
  screens({ after = -Infinity, before = Infinity, shortest = 30 } = {}) {
    const found = [];
    for (const s of this.states) {
      if (!s.shown || s.t < after || s.t >= before) continue;
      const previous = found[found.length - 1];
      if (previous && previous.states[previous.states.length - 1].look === s.look) {
        previous.end = s.until;
        previous.states.push(s);
      } else if (previous && previous.duration < shortest) {
        previous.end = s.until;
        previous.states = [s];
      } else {
        found.push(new Span(s.t, s.until, [s]));
      }
    }
    // A change cut short by the window going was never seen either.
    if (found.length > 1 && found[found.length - 1].duration < shortest) found.pop();
    return found;
  }

  toString() {
    return this.states.map(String).join('\n');
  }
}

export class Timeline {
  // log: the recorder's records; end: the time the recording was read.
  constructor(log, end) {
    this.log = log;
    this.end = end;
    const byId = new Map();
    for (const r of log.filter((r) => r.kind === 'window')) {
      if (!byId.has(r.id)) byId.set(r.id, []);
      byId.get(r.id).push(r);
    }
    this.histories = [...byId.entries()].map(([id, records]) =>
      new WindowHistory(id, records.map((r, i) => new State(r, i + 1 < records.length ? records[i + 1].t : end))));
  }

  // How far behind the page ran while [start, end] was timed: the latest
  // wake-up of the reference timer whose wait overlapped the span or its
  // margins, in ms; 0 when none was more than 1 ms late.
  lag(start, end) {
    const margin = ALLOWANCE.lag_margin;
    return this.log.filter((r) => r.kind === 'lag' && r.t >= start - margin && r.t - r.lag <= end + margin)
      .reduce((worst, r) => Math.max(worst, r.lag), 0);
  }

  // The page's waits (timers of 100 ms or more, message-channel turns) that
  // overlapped [start, end] or its margins, each with how late it ended: where
  // a late beat's time went.
  waits(start, end) {
    const margin = ALLOWANCE.lag_margin;
    return this.log.filter((r) => r.kind === 'wait' && r.t <= end + margin && (r.done ?? this.end) >= start - margin)
      .map((r) => {
        const took = r.done === undefined ? 'not ended' : `took ${(r.done - r.t).toFixed(0)} ms, ` +
          `${(r.done - r.t - r.ms).toFixed(0)} ms late`;
        return `${r.what}${r.ms ? ` of ${r.ms} ms` : ''} at ${r.t.toFixed(0)}: ${took}`;
      });
  }

  windows() {
    return this.histories;
  }

  // The window that was once shown with this name (the first one, when several were).
  window(name, { role = 'dialog' } = {}) {
    const found = this.histories
      .filter((h) => h.states.some((s) => s.shown && s.role === role && s.name === name))
      .sort((a, b) => a.states[0].t - b.states[0].t);
    if (!found.length) throw new Error(`no ${role} named '${name}' in the timeline:\n${this.summary()}`);
    return found[0];
  }

  // Every span in which a window matching holds(state) was shown, in order.
  shown(holds) {
    return this.histories.flatMap((h) => h.spans((s) => s.shown && holds(s))).sort((a, b) => a.start - b.start);
  }

  // Every shown span of a message box with this title, in order.
  boxes(title) {
    return this.shown((s) => s.role === 'alertdialog' && s.name === title);
  }

  box(title, index = 0) {
    const found = this.boxes(title);
    if (found.length <= index) throw new Error(`box '${title}' #${index + 1} never came:\n${this.summary()}`);
    return found[index];
  }

  // The stretches of time from `after` to `before` in which no window at all was shown.
  nothingShown({ after = -Infinity, before = this.end } = {}) {
    const times = [...new Set(this.histories.flatMap((h) => h.states.map((s) => s.t)))]
      .filter((t) => t >= after && t < before).sort((a, b) => a - b);
    const anyShownAt = (t) => this.histories.some((h) => h.states.some((s) => s.shown && s.t <= t && t < s.until));
    const gaps = [];
    let start = null;
    for (const t of times) {
      const any = anyShownAt(t);
      if (!any && start === null) start = t;
      else if (any && start !== null) {
        gaps.push(new Span(start, t));
        start = null;
      }
    }
    if (start !== null) gaps.push(new Span(start, before));
    return gaps;
  }

  // When document.body.dataset.game first took this value.
  gameState(value) {
    return this.log.find((r) => r.kind === 'game' && r.value === value)?.t ?? null;
  }

  // Input events (type 'pointerdown', 'click' or 'keydown'), optionally on a target with this name.
  inputs(type, target) {
    return this.log.filter((r) => r.kind === 'input' && r.type === type && (target === undefined || r.target === target));
  }

  summary() {
    return this.log.filter((r) => r.kind !== 'lag').map((r) => {
      const t = r.t.toFixed(0).padStart(7);
      if (r.kind === 'window') {
        return r.shown ? `${t} #${r.id} ${r.role} '${r.name}' [${r.lines.join(' | ')}] ${r.backgrounds.join(' ')}${r.disabled ? ' (disabled)' : ''}`
          : `${t} #${r.id} hidden`;
      }
      if (r.kind === 'game') return `${t} game ${r.value}`;
      return `${t} ${r.type} ${r.key ?? ''} ${r.target}`;
    }).join('\n');
  }
}
