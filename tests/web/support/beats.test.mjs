// The beats' judge (beats.mjs) and the machine's lag it is given
// (Timeline.lag), on made-up timings. tests/harness/test_beats.py checks the
// desktop's judge alike.
import assert from 'node:assert/strict';
import { afterEach, beforeEach, describe, test } from 'node:test';

import { ALLOWANCE, BEATS, MachineTooBusyToJudge, assertLasts } from './beats.mjs';
import { Timeline } from './timeline.mjs';

const SLEEP = BEATS['the sleep'];
const { early: EARLY, late: LATE, too_busy_lag: TOO_BUSY_LAG } = ALLOWANCE;

// A timeline whose machine lagged by `ms` over every span.
const lagging = (ms) => ({ lag: () => ms });

describe('the judge', () => {
  let printed;
  const consoleError = console.error;
  beforeEach(() => {
    printed = [];
    console.error = (line) => printed.push(line);
  });
  afterEach(() => {
    console.error = consoleError;
  });
  const judged = (duration, lag) => assertLasts(lagging(lag), 1000, 1000 + duration, 'the sleep');

  test('within the allowance passes quietly, however busy', () => {
    judged(SLEEP - EARLY, 0);
    judged(SLEEP + LATE, TOO_BUSY_LAG * 3);
    assert.deepEqual(printed, []);
  });

  test('the lag widens the allowance both ways, and says so', () => {
    const lag = TOO_BUSY_LAG - 1;
    judged(SLEEP + LATE + lag, lag);
    judged(SLEEP - EARLY - 10, 10);
    assert.equal(printed.length, 2, printed.join('\n'));
    assert.match(printed[0], new RegExp(`^judged with the machine's lag: the sleep: ${SLEEP + LATE + lag} ms, ` +
      `expected ${SLEEP} .*lag ${lag} ms`));
  });

  test('past the widened allowance fails with the numbers', () => {
    assert.throws(() => judged(SLEEP + LATE + 11, 10),
      (e) => e instanceof assert.AssertionError && /the sleep: \d+ ms, .*lag 10 ms/.test(e.message));
    assert.throws(() => judged(SLEEP - EARLY - 11, 10), assert.AssertionError);
  });

  test('a lag from the threshold on is too busy to judge', () => {
    assert.throws(() => judged(SLEEP + LATE + 1, TOO_BUSY_LAG),
      (e) => e instanceof MachineTooBusyToJudge && !(e instanceof assert.AssertionError) &&
        e.name === 'MachineTooBusyToJudge' && e.message.includes(`lag ${TOO_BUSY_LAG} ms`));
    assert.equal(printed.length, 1);
    assert.ok(printed[0].startsWith('MachineTooBusyToJudge: the sleep: '), printed[0]);
  });
});

test('the lag is the worst stall that overlaps the span or its margins', () => {
  const margin = ALLOWANCE.lag_margin;
  const tl = new Timeline([
    { t: 1000, kind: 'lag', lag: 30 },
    { t: 1500, kind: 'lag', lag: 5 },
    { t: 1600, kind: 'window', id: 7, shown: true, role: 'dialog', name: 'w', lines: [], backgrounds: [] },
    { t: 2200, kind: 'lag', lag: 80 }, // the timer waited from 2120 to 2200
  ], 3000);
  assert.deepEqual(tl.windows().map((h) => h.id), [7]);
  assert.equal(tl.lag(1000 + margin + 1, 2120 - margin - 1), 5);
  assert.equal(tl.lag(1000 + margin, 2000), 30);
  assert.equal(tl.lag(1100, 2120 - margin), 80);
  assert.equal(tl.lag(2300, 2900), 0);
  assert.ok(!tl.summary().includes('lag'), tl.summary());
});

test("a late beat's failure says which of the page's waits ended late", () => {
  const tl = new Timeline([
    { t: 1000, kind: 'wait', what: 'timer', ms: 3000, done: 4001 },
    { t: 4002, kind: 'wait', what: 'message turn', ms: 0, done: 4250 },
    { t: 4251, kind: 'wait', what: 'timer', ms: 300 },
    { t: 9000, kind: 'wait', what: 'timer', ms: 300, done: 9300 },
  ], 5000);
  assert.throws(() => assertLasts(tl, 4001, 4600, 'a closing letter step'), (e) =>
    e instanceof assert.AssertionError &&
    e.message.includes('message turn at 4002: took 248 ms, 248 ms late') &&
    e.message.includes('timer of 300 ms at 4251: not ended') && !e.message.includes('at 9000'));
});
