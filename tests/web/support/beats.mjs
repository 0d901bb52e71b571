// How long each beat of the game lasts and how a measured beat is judged,
// from tests/beats.json, which the desktop's real-window tests read too
// (tests/harness/beats.py judges alike).
//
// A beat passes within its allowance (`early` ms short, `late` ms long). Past
// it, the machine's lag over the same span (the recorder's reference timer,
// Timeline.lag) decides: below `too_busy_lag` ms the allowance widens by the
// lag on both sides, and a beat that passes only so says so on stderr; from
// `too_busy_lag` on the machine was too busy to judge the beat at all
// (MachineTooBusyToJudge, which tests/support/judge_again.py answers by
// running the test once more).
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';

const beatsFile = JSON.parse(readFileSync(new URL('../../beats.json', import.meta.url), 'utf8'));
export const ALLOWANCE = beatsFile.allowance_ms;
export const BEATS = beatsFile.beats_ms;

// What the line about a machine too busy to judge begins with: judge_again.py
// looks for it.
export const TOO_BUSY = 'MachineTooBusyToJudge';

// The machine lagged so far behind over a beat that its length says nothing about the game.
export class MachineTooBusyToJudge extends Error {
  constructor(message) {
    super(message);
    this.name = TOO_BUSY;
  }
}

// 'within' the allowance, 'widened' (within it widened by the lag), 'too busy' to judge, or 'outside'.
export function judge(duration, expected, lag) {
  const shortest = expected - ALLOWANCE.early;
  const longest = expected + ALLOWANCE.late;
  if (shortest <= duration && duration <= longest) return 'within';
  if (lag >= ALLOWANCE.too_busy_lag) return 'too busy';
  return shortest - lag <= duration && duration <= longest + lag ? 'widened' : 'outside';
}

// Checks that the span from start to end (ms) lasted the beat of this name;
// `what` tells this one apart in messages.
export function assertLasts(timeline, start, end, beat, what = beat) {
  if (!(beat in BEATS)) throw new Error(`no beat '${beat}' in tests/beats.json`);
  const expected = BEATS[beat];
  const duration = end - start;
  const lag = timeline.lag(start, end);
  const verdict = judge(duration, expected, lag);
  let message = `${what}: ${duration.toFixed(0)} ms, expected ${expected} ` +
    `(-${ALLOWANCE.early}/+${ALLOWANCE.late}), the machine's lag ${lag.toFixed(0)} ms`;
  if (verdict === 'widened') {
    console.error(`judged with the machine's lag: ${message}`);
  } else if (verdict === 'too busy') {
    message += `, too busy from ${ALLOWANCE.too_busy_lag} ms`;
    console.error(`${TOO_BUSY}: ${message}`);
    throw new MachineTooBusyToJudge(message);
  } else if (verdict === 'outside') {
    const waits = timeline.waits?.(start, end) ?? [];
    assert.fail(waits.length ? `${message}; the page's waits meanwhile:\n  ${waits.join('\n  ')}` : message);
  }
}
