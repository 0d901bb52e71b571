// Surrendering on the page: the confirmation and its keys, the hint of the
// stage reached shown for three seconds, the count kept by the browser from
// one game to the next; and the Hint menu's one hint and its refusal.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { assertLasts } from './support/beats.mjs';
import { MAIN, NO, YES, openGame, pause } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';
import {
  EXIT, SURRENDER, assertEnded, refuseClose, startGame, toOpeningQuestion,
} from './support/player.mjs';
import { COLOURS } from './support/timeline.mjs';

let game;
const browser = servedBrowser(async () => {
  game = await openGame(browser.context, browser.url);
});

const farewell = (count) => `ただいまの降参回数は ${count} 回です。\n次回は頑張ってね。じゃぁ。ぶちっ`;

// The confirmation answered so that nothing happens; the window stays as it was.
async function refuseToSurrender(answer) {
  const before = await game.lines(MAIN);
  await game.clickButton(MAIN, SURRENDER);
  await game.box('降参？').waitFor();
  await answer();
  await game.box('降参？').waitFor({ state: 'hidden' });
  await pause(300);
  assert.ok(await game.dialog(MAIN).isVisible(), 'the main window went');
  assert.deepEqual(await game.lines(MAIN), before, 'the window changed');
  assert.equal(await game.gameState(), 'running');
}

test('a first surrender: No, Enter and Esc keep playing; Yes shows the stage hint for 3 s, says 1 and ends', { timeout: 90000 }, async () => {
  await game.diagnose('surrender-first', async () => {
    await toOpeningQuestion(game);
    await startGame(game);
    await refuseClose(game, MAIN, 3);
    await refuseToSurrender(() => game.box('降参？').getByRole('button', { name: NO, exact: true }).click());
    // いいえ is the default button; Esc answers いいえ.
    await refuseToSurrender(() => game.page.keyboard.press('Enter'));
    await refuseToSurrender(() => game.page.keyboard.press('Escape'));

    await game.clickButton(MAIN, SURRENDER);
    await game.answerBox('降参？', YES, { text: '本当に降参しちゃうの？' });
    await game.answerBox('仕方ないなぁ', 'OK', { text: farewell(1) });
    await assertEnded(game);
    game.assertNoPageErrors();

    const tl = await game.timeline();
    const hint = tl.window(MAIN).first((s) => s.shown && s.name === 'ｸﾘｱ度 0%');
    assert.ok(hint, 'the clear rate never showed');
    assert.ok(hint.has('とりあえずクリックできるところは') && hint.has('クリックしてみるべし'), `the hint: ${hint}`);
    assert.ok(hint.hasBackground(COLOURS.darkCyan), `the hint: ${hint}`);
    assertLasts(tl, hint.t, tl.box('仕方ないなぁ').start, 'the surrender hint');
  });
});

test('the count is kept: a second game surrenders from the menu at the mystery stage and says 2', { timeout: 90000 }, async () => {
  await game.diagnose('surrender-second', async () => {
    await game.reload();
    await toOpeningQuestion(game);
    await startGame(game);
    await refuseClose(game, MAIN, 7);
    await game.chooseMenu(MAIN, 'ﾍﾙﾌﾟ(H)', '降参(C)');
    await game.answerBox('降参？', YES);
    await game.answerBox('仕方ないなぁ', 'OK', { text: farewell(2) });
    await assertEnded(game);

    const tl = await game.timeline();
    const hint = tl.window(MAIN).first((s) => s.shown && s.name === 'ｸﾘｱ度 20%');
    assert.ok(hint && hint.has('どこかに秘密の扉への') && hint.has('スイッチが・・・'), `the hint: ${hint}`);
    assertLasts(tl, hint.t, tl.box('仕方ないなぁ').start, 'the surrender hint');
  });
});

test('the Hint menu gives one hint, then refuses and greys out', { timeout: 60000 }, async () => {
  await game.diagnose('hint-menu', async () => {
    await game.reload();
    await toOpeningQuestion(game);
    await startGame(game);
    await game.chooseMenu(MAIN, 'ﾍﾙﾌﾟ(H)', 'ﾋﾝﾄの表示(O)');
    await game.answerBox('仕方ないなぁ', 'OK', { text: 'ヒントは１回だけ。いくよ' });
    await pause(1000);
    await game.chooseMenu(MAIN, 'ﾍﾙﾌﾟ(H)', 'ﾋﾝﾄの表示(O)');
    await game.answerBox('品切れです', 'OK', { text: 'ヒントは１回だけって約束だから。もう何もでないよ' });
    await pause(1000);
    await game.dialog(MAIN).getByRole('menubar').getByRole('menuitem', { name: 'ﾍﾙﾌﾟ(H)', exact: true }).click();
    const item = game.page.getByRole('menu').getByRole('menuitem', { name: 'ﾋﾝﾄの表示(O)', exact: true });
    assert.ok(await item.isDisabled(), 'the hint item after its refusal');
    await game.page.keyboard.press('Escape');

    const tl = await game.timeline();
    const blue = tl.window(MAIN).spans((s) => s.shown && s.hasBackground(COLOURS.blue));
    assert.equal(blue.length, 2, `blue flashes: ${blue}`);
    assert.ok(blue[0].states[0].has('とにかくクリック！'), `the hint: ${blue[0].states[0]}`);
    assert.ok(blue[1].states[0].has('降参すればヒントが！'), `the refusal: ${blue[1].states[0]}`);
    assertLasts(tl, blue[0].start, blue[0].end, "the hint's flash");
    assertLasts(tl, blue[1].start, blue[1].end, "the refusal's flash");
    assert.ok(!(await game.button(MAIN, EXIT).isVisible()), 'the Exit button before the next step');
    game.assertNoPageErrors();
  });
});
