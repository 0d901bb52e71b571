// A player's ways through the game on the page, step by step, shared by the
// browser tests so that they all walk through the same screens.
import assert from 'node:assert/strict';

import {
  CHASE_REMARKS, ENDED_TEXT, MAIN, MAIN_TIME_ATTACK, NO, RESTART, TIME_ATTACK_BOX, TITLE_KEYS, TITLE_WINDOW,
  WELCOME_BOX, YES,
} from './browser.mjs';

export const EXIT = '終了';
export const SURRENDER = '降参';
export const CIPHER = '家を探せ！';

// From the page's start to the main window asking whether to quit. With
// timeAttack, the arrow-key sequence is typed on the title window.
export async function toOpeningQuestion(game, { timeAttack = false } = {}) {
  await game.waitForDialog(TITLE_WINDOW, { timeout: 30000 });
  if (timeAttack) await game.pressKeys(...TITLE_KEYS);
  await game.answerBox(WELCOME_BOX, 'OK', { text: '『もちたま』の世界へようこそ\n頑張ってこのソフト、終わらせてみてね' });
  const name = timeAttack ? MAIN_TIME_ATTACK : MAIN;
  await game.waitForDialog(name);
  return name;
}

// いいえ at the opening question: the game begins.
export async function startGame(game, { timeAttack = false } = {}) {
  const name = timeAttack ? MAIN_TIME_ATTACK : MAIN;
  await game.clickButton(name, 'いいえ');
  if (timeAttack) await game.answerBox(TIME_ATTACK_BOX, 'OK', { text: 'これを押したらタイムアタック開始です' });
  else await game.answerBox(WELCOME_BOX, 'OK', { text: 'そうこなくっちゃね。お一人様ごあんな～い' });
}

export async function refuseClose(game, name, times = 1, firstAttempt = 1) {
  for (let attempt = firstAttempt; attempt < firstAttempt + times; attempt++) {
    await game.closeWindow(name);
    await game.answerBox('だめだめ', 'OK', { text: '[閉じる]？出来るかっちゅーの' });
    if (attempt === 7) {
      await game.answerBox('ををっ！', 'OK', { text: '頑張ってみるもんですねぇ' });
      await game.answerBox('をををっ！', 'OK', { text: 'なぜかメニューが増えましたぁっ！' });
    }
  }
}

export async function prayAndTakeTheNextStep(game, name) {
  await game.chooseMenu(name, '謎のｺﾏﾝﾄﾞ(N)', '祈る(P)');
  await game.answerBox('Like A Prayer', 'OK', { text: 'ちゃんと祈ってみよう' });
  await game.chooseMenu(name, '空白のメニュー', 'Next Step(N)');
  await game.answerBox('あっ！', 'OK', { text: '見つかってしまったか。じゃぁ次のステップじゃ～' });
}

// The cipher window has no caption: it is the dialog that reads 家 / を探せ!.
export function cipherWindow(game) {
  return game.page.getByRole('dialog').filter({ hasText: 'を探せ!' });
}

export const CIPHER_INTRO = [
  ['問題', 'どういう意味だろう？'],
  ['解読結果', '独自の調査(笑)により、これは暗号らしいということが分かった。\n何の暗号なのだろうか？'],
  ['解読結果', 'どうやらあるキーが次へ進む鍵となるようだ'],
  ['謎解き', '解読せよ！'],
];

// From 家を探せ！ through the cipher's introduction; returns the cipher window,
// waiting for its answer.
export async function openTheCipher(game, name) {
  await game.clickButton(name, CIPHER);
  await game.answerBox('発見！', 'OK', { text: 'あなたは、なぜかこんな紙を見つけた' });
  await cipherWindow(game).waitFor({ state: 'visible' });
  for (const [title, text] of CIPHER_INTRO) await game.answerBox(title, 'OK', { text });
  return cipherWindow(game);
}

export async function solveTheCipher(game, name) {
  await openTheCipher(game, name);
  await game.pressKeys('Home');
  await game.answerBox('あっ！', 'OK', { text: 'ここまで来たか！もうすこし・・・かも？' });
  await game.waitForDialog(name);
}

// Clicks the Exit button until it wriggles, hits it with a surrender and
// defeats it with ﾌｧｲﾙ > 終了. Returns the number of clicks. Each click waits
// for the button to take clicks again (its lock grows with every click).
export async function chaseToTheDefeat(game, name) {
  let clicks = 0;
  for (;;) {
    clicks += 1;
    await game.clickButton(name, EXIT);
    if (clicks <= CHASE_REMARKS.length) {
      await game.answerBox(CHASE_REMARKS[clicks - 1]);
    } else if (clicks % 3 === 0) {
      await game.answerBox('敵は怯んでいる', 'OK', { text: 'もぞもぞ' });
      break;
    }
  }
  await game.chooseMenu(name, 'ﾍﾙﾌﾟ(H)', '降参(C)');
  await game.answerBox('降参？', YES, { text: '本当に降参しちゃうの？' });
  await game.answerBox('HIT!', 'OK', { text: 'ぐはぁっ' });
  await game.chooseMenu(name, 'ﾌｧｲﾙ(F)', '終了(X)');
  await game.answerBox('倒したぞ！', 'OK', { text: 'ぐああああああっ' });
  return clicks;
}

export const CONGRATULATION = 'こんぐらちゅれーしょんず！';

// The click on the defeated button: its message, then the red congratulation.
export async function finishingClick(game, name, { timeAttack = false } = {}) {
  await game.clickButton(name, EXIT);
  if (timeAttack) await game.answerBox(TIME_ATTACK_BOX, 'OK', { text: 'タイムアタック終了' });
  else await game.answerBox('おめでとう', 'OK', { text: '仕方ない。今回はこれで許してやるとしよう' });
  await game.waitForDialog(CONGRATULATION);
}

// Answers 最後だよ (three seconds after the congratulation) and presses the
// Exit button: the results begin.
export async function leaveAfterTheLastPrompt(game) {
  await game.answerBox('最後だよ', 'OK', { text: 'それじゃぁ。『終了』ボタンを押すべし！' });
  await game.clickButton(CONGRATULATION, EXIT);
}

// The whole time-attack run up to the congratulation.
export async function timeAttackToTheCongratulation(game) {
  const name = await toOpeningQuestion(game, { timeAttack: true });
  await startGame(game, { timeAttack: true });
  await refuseClose(game, name, 7);
  await prayAndTakeTheNextStep(game, name);
  await solveTheCipher(game, name);
  await chaseToTheDefeat(game, name);
  await finishingClick(game, name, { timeAttack: true });
}

// The page after the game: its windows gone, a line and a button to start again.
export async function assertEnded(game, { timeout = 30000 } = {}) {
  await game.waitForGameState('ended', { timeout });
  assert.equal(await game.page.getByRole('dialog').count(), 0, 'a window is left after the end');
  assert.equal(await game.page.getByRole('alertdialog').count(), 0, 'a box is left after the end');
  await game.page.getByText(ENDED_TEXT).waitFor({ state: 'visible' });
  await game.page.getByRole('button', { name: RESTART, exact: true }).waitFor({ state: 'visible' });
}

// Whether the main window (by name) shows the label; for checking what a
// screen shows right now.
export async function showsLine(game, name, line) {
  return (await game.lines(name)).includes(line);
}

export { NO, YES };
