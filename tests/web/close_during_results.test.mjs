// Closing the main window at the end of a run: refused with the parting
// jokes between the congratulation and the last click; during the results,
// whose pauses take no input, the close waits for their end, and the records
// are written all the same.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { assertLasts } from './support/beats.mjs';
import { CLOSE, MAIN_TIME_ATTACK, openGame, pause } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';
import {
  CONGRATULATION, EXIT, assertEnded, timeAttackToTheCongratulation, toOpeningQuestion,
} from './support/player.mjs';

const browser = servedBrowser();

const PARTING = [['それでわん', 'それじゃぁ、またね(^^)/~~~'], ['をいをい(^^;', 'ていうか、そこは終了ボタンじゃないでしょ！(汗)']];

test('closes after the congratulation are refused; one during the results waits for their end', { timeout: 200000 }, async () => {
  const game = await openGame(browser.context, browser.url);
  await game.diagnose('close-during-results', async () => {
    await timeAttackToTheCongratulation(game);
    await game.answerBox('最後だよ', 'OK', { text: 'それじゃぁ。『終了』ボタンを押すべし！' });

    // The close box and ﾌｧｲﾙ > 終了 alike: two parting boxes, and the window stays.
    await game.closeWindow(CONGRATULATION);
    for (const [title, text] of PARTING) await game.answerBox(title, 'OK', { text });
    await game.chooseMenu(CONGRATULATION, 'ﾌｧｲﾙ(F)', '終了(X)');
    for (const [title, text] of PARTING) await game.answerBox(title, 'OK', { text });
    assert.ok(await game.dialog(CONGRATULATION).isVisible(), 'the window went after a refused close');
    assert.equal(await game.gameState(), 'running');

    await game.clickButton(CONGRATULATION, EXIT);
    await game.waitForDialog('結果発表');
    await pause(500);
    // The results are pausing: a person clicks, whatever the page makes of it.
    await game.button('結果発表', CLOSE).click({ force: true });
    await assertEnded(game, { timeout: 30000 });
    game.assertNoPageErrors();

    const tl = await game.timeline();
    const main = tl.window(MAIN_TIME_ATTACK);
    const results = main.first((s) => s.shown && s.name === 'んん？');
    assert.ok(results, 'the results never began');
    const closed = tl.inputs('click', CLOSE).pop();
    assert.ok(closed && closed.t > results.t, 'the close was not clicked during the results');
    assert.deepEqual(tl.shown((s) => s.role === 'alertdialog' && s.t >= results.t).map(String), [],
      'a box came during the results');

    // All six screens (the time and the new record too), none cut short; the
    // window goes at the end of the sixth, and the letters run unseen. The
    // game paints the window dark cyan as it takes the queued close, which a
    // busy machine may leave up for some tens of milliseconds: never a letter.
    const screens = main.screens({ after: results.t });
    const seen = screens.map((s) => `${s.duration.toFixed(0)} ms ${s.states[0]}`).join('\n');
    const letters = ['お', 'わ', 'り'];
    const parting = screens.slice(6);
    assert.ok(screens.length >= 6 && parting.length <= 1 &&
      parting.every((s) => s.duration < 300 && s.states.every((st) => !st.lines.some((l) => letters.includes(l)))),
      `the screens after the close:\n${seen}`);
    screens.slice(0, 6).forEach((screen, i) =>
      assertLasts(tl, screen.start, screen.end, 'a results screen', `results screen ${i + 1}`));
    const gone = screens[screens.length - 1].end;
    const ended = tl.gameState('ended');
    const gaps = tl.nothingShown({ after: gone - 1, before: ended });
    assert.equal(gaps.length, 1, `windows after the last screen: ${gaps}`);
    assertLasts(tl, gone, ended, 'the unseen closing letters');
  });

  // The records were written before the window went.
  await game.diagnose('close-during-results-reload', async () => {
    await game.reload();
    await toOpeningQuestion(game, { timeAttack: true });
    const lines = await game.lines(MAIN_TIME_ATTACK);
    const best = lines.find((line) => /^\d+(\.\d\d?)? 秒$/.test(line));
    assert.ok(best && Number(best.slice(0, -2)) < 9999, `the best time after the run: ${lines.join(' | ')}`);
  });
});
