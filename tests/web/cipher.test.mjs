// The cipher window on the page: keys before its intro ends are not judged,
// a click closes it at once, a wrong key and the time limit send the player
// back, and the Home key solves it. One game walks through all of them in
// order, as a player who tries again would.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { assertLasts } from './support/beats.mjs';
import { MAIN, openGame, pause } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';
import {
  CIPHER, CIPHER_INTRO, EXIT, SURRENDER, cipherWindow, openTheCipher, prayAndTakeTheNextStep, refuseClose, startGame,
  toOpeningQuestion,
} from './support/player.mjs';
import { COLOURS } from './support/timeline.mjs';

let game;
const browser = servedBrowser(async () => {
  game = await openGame(browser.context, browser.url);
  await game.diagnose('cipher-setup', async () => {
    await toOpeningQuestion(game);
    await startGame(game);
    await refuseClose(game, MAIN, 7);
    await prayAndTakeTheNextStep(game, MAIN);
  });
});

// Back at the main window with the cipher still to solve.
async function assertSentBack() {
  await game.waitForDialog(MAIN);
  assert.equal(await cipherWindow(game).count(), 0, 'the cipher window stayed');
  assert.ok(await game.button(MAIN, CIPHER).isVisible(), '家を探せ！ went');
  assert.ok(await game.button(MAIN, EXIT).isDisabled(), 'the Exit button takes clicks');
}

test('a click on 家 closes the cipher at once, before its intro', { timeout: 30000 }, async () => {
  await game.diagnose('cipher-click', async () => {
    await game.clickButton(MAIN, CIPHER);
    await game.answerBox('発見！', 'OK', { text: 'あなたは、なぜかこんな紙を見つけた' });
    await cipherWindow(game).getByText('家', { exact: true }).click();
    await assertSentBack();
    const tl = await game.timeline();
    const cipher = tl.shown((s) => s.role === 'dialog' && s.has('を探せ!')).pop();
    const press = tl.inputs('pointerdown').filter((i) => i.t >= cipher.start).pop();
    assert.ok(press && cipher.end - press.t < 100, `the cipher went ${cipher.end - press?.t} ms after the click`);
    // Its timer went with it: no intro comes.
    await pause(1500);
    assert.equal(await game.box('問題').count(), 0, 'the intro came after the window was closed');
  });
});

test('keys during the intro are not judged; a wrong key then sends the player back after 1 s', { timeout: 30000 }, async () => {
  await game.diagnose('cipher-wrong-key', async () => {
    await game.clickButton(MAIN, CIPHER);
    await game.answerBox('発見！');
    await cipherWindow(game).waitFor();
    await game.pressKeys('Home');
    for (const [title, text] of CIPHER_INTRO) await game.answerBox(title, 'OK', { text });
    await game.pressKeys('a');
    await assertSentBack();
    assert.equal(await game.box('あっ！').count(), 0);

    const tl = await game.timeline();
    const cipher = tl.shown((s) => s.role === 'dialog' && s.has('を探せ!')).pop();
    const early = tl.inputs('keydown').filter((i) => i.key === 'Home' && i.t > cipher.start).pop();
    assert.ok(early && early.t < tl.boxes('問題').pop().start, 'Home was not pressed before the intro');
    const wrong = tl.inputs('keydown').filter((i) => i.key === 'a').pop();
    assertLasts(tl, wrong.t, cipher.end, 'the pause after a wrong key');
  });
});

test('30 s without an answer: Time Is UP!, and the player is sent back', { timeout: 60000 }, async () => {
  await game.diagnose('cipher-time-limit', async () => {
    await openTheCipher(game, MAIN);
    await game.answerBox('Time Is UP!', 'OK', {
      text: '時間切れのようだ。\nもう一度考え直してから出直してくるように', timeout: 35000,
    });
    await assertSentBack();

    const tl = await game.timeline();
    const cipher = tl.shown((s) => s.role === 'dialog' && s.has('を探せ!')).pop();
    assertLasts(tl, cipher.start, tl.boxes('問題').pop().start, "the cipher's intro");
    assertLasts(tl, tl.boxes('謎解き').pop().end, tl.box('Time Is UP!').start, "the cipher's time limit");
  });
});

test('Home solves it: the Exit button is back, 降参 and 家を探せ！ are gone', { timeout: 30000 }, async () => {
  await game.diagnose('cipher-home', async () => {
    await openTheCipher(game, MAIN);
    await game.pressKeys('Home');
    await game.answerBox('あっ！', 'OK', { text: 'ここまで来たか！もうすこし・・・かも？' });
    await game.waitForDialog(MAIN);
    assert.ok(await game.button(MAIN, EXIT).isEnabled(), 'the Exit button after the cipher');
    assert.equal(await game.button(MAIN, SURRENDER).count(), 0, '降参 after the cipher');
    assert.equal(await game.button(MAIN, CIPHER).count(), 0, '家を探せ！ after the cipher');

    const tl = await game.timeline();
    const cipher = tl.shown((s) => s.role === 'dialog' && s.has('を探せ!')).pop();
    const home = tl.inputs('keydown').filter((i) => i.key === 'Home').pop();
    assertLasts(tl, home.t, cipher.end, 'the pause after the Home key');
    const solved = tl.window(MAIN).states.filter((s) => s.shown).pop();
    assert.ok(solved.hasBackground(COLOURS.green), `the main window after the cipher: ${solved}`);
    game.assertNoPageErrors();
  });
});
