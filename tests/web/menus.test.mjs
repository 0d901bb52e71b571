// The menus' smaller rooms on the page: the version window (centred, one at
// a time, gone with its OK) and the dance that hides the blank menu prayer
// brought out; and menus worked from the keyboard alone.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { BLANK_MENU, MAIN, openGame, pause } from './support/browser.mjs';
import { refuseClose, startGame, toOpeningQuestion } from './support/player.mjs';
import { servedBrowser } from './support/session.mjs';

const VERSION_WINDOW = 'ﾊﾞｰｼﾞｮﾝ情報';

let game;
const browser = servedBrowser(async () => {
  game = await openGame(browser.context, browser.url);
  await toOpeningQuestion(game);
  await startGame(game);
  await refuseClose(game, MAIN, 7);
});

function menuTitle(name) {
  return game.dialog(MAIN).getByRole('menubar').getByRole('menuitem', { name, exact: true });
}

test('the version window opens in the middle of the screen, once, and goes with its OK', async () => {
  await game.diagnose('version-window', async () => {
    await game.chooseMenu(MAIN, 'ﾍﾙﾌﾟ(H)', 'ﾊﾞｰｼﾞｮﾝ情報(V)');
    const window = await game.waitForDialog(VERSION_WINDOW);
    const box = await window.boundingBox();
    const screen = await game.page.evaluate(() => [document.documentElement.clientWidth, document.documentElement.clientHeight]);
    assert.ok(Math.abs(box.x + box.width / 2 - screen[0] / 2) <= 2 && Math.abs(box.y + box.height / 2 - screen[1] / 2) <= 2,
      `the version window is not centred: ${JSON.stringify(box)} on ${screen}`);
    assert.ok((await game.lines(VERSION_WINDOW)).includes('Ver 1.10'), (await game.lines(VERSION_WINDOW)).join(' | '));
    // Chosen again while open: still one window.
    await game.chooseMenu(MAIN, 'ﾍﾙﾌﾟ(H)', 'ﾊﾞｰｼﾞｮﾝ情報(V)');
    await pause(300);
    assert.equal(await game.page.getByRole('dialog', { name: VERSION_WINDOW, exact: true }).count(), 1);
    await game.clickButton(VERSION_WINDOW, 'OK');
    await game.waitForGone(VERSION_WINDOW);
    game.assertNoPageErrors();
  });
});

test('praying brings out the blank menu and dancing hides it again', async () => {
  await game.diagnose('pray-and-dance', async () => {
    assert.equal(await menuTitle(BLANK_MENU).count(), 0, 'a blank menu before the prayer');
    await game.chooseMenu(MAIN, '謎のｺﾏﾝﾄﾞ(N)', '祈る(P)');
    await game.answerBox('Like A Prayer', 'OK', { text: 'ちゃんと祈ってみよう' });
    await menuTitle(BLANK_MENU).waitFor();
    await game.chooseMenu(MAIN, '謎のｺﾏﾝﾄﾞ(N)', '踊る(D)');
    await game.answerBox('いえー', 'OK', { text: 'あいやいや～♪' });
    await menuTitle(BLANK_MENU).waitFor({ state: 'hidden' });
  });
});

test('the keyboard alone works the menus: Alt and a letter, the arrows, Enter and Esc', async () => {
  await game.diagnose('menu-keys', async () => {
    await game.page.keyboard.press('Alt+n');
    await game.page.getByRole('menu').waitFor();
    assert.equal(await menuTitle('謎のｺﾏﾝﾄﾞ(N)').getAttribute('aria-expanded'), 'true');
    await game.page.keyboard.press('Escape');
    await game.page.getByRole('menu').waitFor({ state: 'hidden' });
    // Alt+H, then down past the blank item and over the separator to the
    // version item, and Enter; the version window's OK has the focus.
    await game.page.keyboard.press('Alt+h');
    await game.page.getByRole('menu').waitFor();
    for (let i = 0; i < 3; i++) await game.page.keyboard.press('ArrowDown');
    await game.page.keyboard.press('Enter');
    await game.waitForDialog(VERSION_WINDOW);
    await game.page.keyboard.press('Enter');
    await game.waitForGone(VERSION_WINDOW);
    // The item's letter in an open menu chooses it: 寝る(S) says so first.
    await game.page.keyboard.press('Alt+n');
    await game.page.keyboard.press('s');
    await game.answerBox('であ', 'OK', { text: '寝るとするか・・・。' });
    await game.answerBox('であであ');
    await game.answerBox('っておい！', 'OK', { timeout: 10000 });
    await game.waitForDialog(MAIN);
    game.assertNoPageErrors();
  });
});
