// A phone: no keys but the on-screen keyboard. Its arrows enter time attack
// within the title's two seconds, its Home solves the cipher, and a tap on it
// is never a press on a game window (the cipher sends the player back on one).
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { MAIN_TIME_ATTACK, TIME_ATTACK_BOX, TITLE_WINDOW, WELCOME_BOX, openGame } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';
import { openTheCipher, prayAndTakeTheNextStep, refuseClose } from './support/player.mjs';

const PHONE = { width: 390, height: 844, hasTouch: true, isMobile: true };
// The title's secret, as printed on the keys.
const ARROWS = ['←', '↑', '→', '↓', '←', '↑', '→', '↓'];

const browser = servedBrowser();

test('on a phone, the on-screen keyboard enters time attack and solves the cipher', { timeout: 120000 }, async () => {
  const game = await openGame(browser.context, browser.url, { viewport: PHONE });
  const keyboard = game.page.getByRole('group', { name: 'キーボード', exact: true });
  const key = (label) => keyboard.getByRole('button', { name: label, exact: true });
  await game.diagnose('touch', async () => {
    await game.page.getByRole('button', { name: 'キーボード', exact: true }).tap();
    await keyboard.waitFor();
    await game.waitForDialog(TITLE_WINDOW, { timeout: 30000 });
    for (const arrow of ARROWS) await key(arrow).tap();
    await game.answerBox(WELCOME_BOX);
    await game.waitForDialog(MAIN_TIME_ATTACK);
    const tl = await game.timeline();
    const title = tl.window(TITLE_WINDOW).shownSpans()[0];
    const taps = tl.inputs('pointerdown').filter((i) => ARROWS.includes(i.target));
    assert.equal(taps.length, ARROWS.length, 'the arrows tapped');
    assert.ok(taps.every((t) => t.t < title.end), `an arrow came after the title went at ${title.end}: ${taps.map((t) => t.t)}`);

    await game.clickButton(MAIN_TIME_ATTACK, 'いいえ');
    await game.answerBox(TIME_ATTACK_BOX);
    await refuseClose(game, MAIN_TIME_ATTACK, 7);
    await prayAndTakeTheNextStep(game, MAIN_TIME_ATTACK);
    await openTheCipher(game, MAIN_TIME_ATTACK);
    await key('Home').tap();
    await game.answerBox('あっ！', 'OK', { text: 'ここまで来たか！もうすこし・・・かも？' });
    await game.waitForDialog(MAIN_TIME_ATTACK);

    // Solved, not sent back: a press on the window closes it at once; the
    // Home key leaves it up for its second.
    const after = await game.timeline();
    const cipher = after.shown((s) => s.role === 'dialog' && s.has('を探せ!')).pop();
    const home = after.inputs('pointerdown', 'Home').pop();
    assert.ok(cipher.end - home.t > 500, `the cipher went ${(cipher.end - home.t).toFixed(0)} ms after the tap on Home`);
    game.assertNoPageErrors();
  });
});
