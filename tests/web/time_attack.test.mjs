// A time-attack run on the page: its timed ending and results, the time it
// measured, and the best time kept by the browser across a reload and a
// restart of the browser on the same profile.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { assertLasts } from './support/beats.mjs';
import {
  MAIN_TIME_ATTACK, TIME_ATTACK_BOX, launchPersistent, openGame, serveSite, temporaryDirectory,
} from './support/browser.mjs';
import {
  EXIT, assertEnded, leaveAfterTheLastPrompt, timeAttackToTheCongratulation, toOpeningQuestion,
} from './support/player.mjs';

let site;
let profile;

before(async () => {
  site = await serveSite();
  profile = await temporaryDirectory('mochitama-web-profile-');
});

after(async () => {
  await site?.close();
  await profile?.remove();
});

// The best time the opening question shows in time-attack mode ("… 秒").
async function bestTimeShown(game) {
  await toOpeningQuestion(game, { timeAttack: true });
  const lines = await game.lines(MAIN_TIME_ATTACK);
  assert.ok(lines.includes('TIME ATTACK MODE') && lines.includes('ただいまの記録'), lines.join(' | '));
  const best = lines.filter((line) => / 秒$/.test(line));
  assert.equal(best.length, 1, `the best time: ${lines.join(' | ')}`);
  return best[0];
}

test('a time-attack run: its time, a new record, kept across a reload and a browser restart', { timeout: 200000 }, async () => {
  let browser = await launchPersistent(profile.path);
  try {
    let game = await openGame(browser.context, site.url);
    let record;
    await game.diagnose('time-attack-run', async () => {
      await timeAttackToTheCongratulation(game);
      await leaveAfterTheLastPrompt(game);
      await assertEnded(game, { timeout: 40000 });
      game.assertNoPageErrors();
      record = assertTheBeatsOfATimeAttackRun(await game.timeline());
    });

    // The same tab, a new game: the record is read back.
    await game.diagnose('time-attack-reload', async () => {
      await game.reload();
      assert.equal(await bestTimeShown(game), `${record} 秒`, 'the best time after a reload');
    });
    await browser.close();

    browser = await launchPersistent(profile.path);
    game = await openGame(browser.context, site.url);
    await game.diagnose('time-attack-restart', async () => {
      assert.equal(await bestTimeShown(game), `${record} 秒`, 'the best time after the browser was restarted');
      game.assertNoPageErrors();
    });
  } finally {
    await browser.close();
  }
});

// Checks the beats of the run; returns the time the results gave, as shown.
function assertTheBeatsOfATimeAttackRun(tl) {
  const main = tl.window(MAIN_TIME_ATTACK);
  const opening = main.first((s) => s.shown);
  assert.ok(opening.has('TIME ATTACK MODE') && opening.has('ただいまの記録') && opening.has('9999 秒'),
    `a fresh profile's opening question: ${opening}`);

  // The clock runs from the dismissal of the start box to the finishing
  // click; the two seconds before タイムアタック終了 are not counted.
  const started = tl.box(TIME_ATTACK_BOX, 0).end;
  const finished = tl.box(TIME_ATTACK_BOX, 1);
  const finishing = tl.inputs('click', EXIT).filter((i) => i.t < finished.start).pop();
  assertLasts(tl, finishing.t, finished.start, "the pause after the time attack's finishing click");

  // Six screens of 3 s (the time and the new record too), then お, わ, り.
  const results = main.first((s) => s.shown && s.name === 'んん？');
  assert.ok(results, 'the results never began');
  const screens = main.screens({ after: results.t });
  const seen = screens.map((s) => `${s.duration.toFixed(0)} ms ${s.states[0]}`).join('\n');
  assert.equal(screens.length, 6 + 7, `the screens of the results:\n${seen}`);
  screens.slice(0, 6).forEach((screen, i) =>
    assertLasts(tl, screen.start, screen.end, 'a results screen', `results screen ${i + 1}`));
  screens.slice(6).forEach((screen, i) =>
    assertLasts(tl, screen.start, screen.end, 'a closing letter step', `step ${i + 1} of the closing letters`));

  const time = screens[4].states[0];
  assert.ok(time.has('クリア所要時間は'), `the fifth screen: ${time}`);
  const shown = time.lines.find((line) => /^\d+(\.\d\d?)? 秒$/.test(line));
  assert.ok(shown, `no time on the fifth screen: ${time}`);
  const seconds = Number(shown.slice(0, -2));
  const measured = (finishing.t - started) / 1000;
  assert.ok(Math.abs(seconds - measured) <= 0.1,
    `the results say ${seconds} s; from the start box to the finishing click the page took ${measured.toFixed(2)} s`);

  const record = screens[5].states[0];
  assert.ok(record.has('記録更新！') && record.has(`9999 秒 → ${shown}`), `the sixth screen: ${record}`);
  return shown.slice(0, -2);
}
