// A player's ways through the game on the page, step by step, shared by the
// browser tests so that they all walk through the same screens, in the
// language the game speaks (Game.speak).
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
  // The title stays two seconds, which a busy machine can pass before the
  // test looks; the box that follows it waits.
  if (timeAttack) {
    await game.waitForDialog(game.say(TITLE_WINDOW), { timeout: 30000 });
    await game.pressKeys(...TITLE_KEYS);
  }
  await game.answerBox(game.say(WELCOME_BOX), 'OK', { timeout: 30000, text: game.say('『もちたま』の世界へようこそ\n頑張ってこのソフト、終わらせてみてね') });
  const name = game.say(timeAttack ? MAIN_TIME_ATTACK : MAIN);
  await game.waitForDialog(name);
  return name;
}

// いいえ at the opening question: the game begins.
export async function startGame(game, { timeAttack = false } = {}) {
  const name = game.say(timeAttack ? MAIN_TIME_ATTACK : MAIN);
  await game.clickButton(name, game.say('いいえ'));
  if (timeAttack) await game.answerBox(game.say(TIME_ATTACK_BOX), 'OK', { text: game.say('これを押したらタイムアタック開始です') });
  else await game.answerBox(game.say(WELCOME_BOX), 'OK', { text: game.say('そうこなくっちゃね。お一人様ごあんな～い') });
}

export async function refuseClose(game, name, times = 1, firstAttempt = 1) {
  for (let attempt = firstAttempt; attempt < firstAttempt + times; attempt++) {
    await game.closeWindow(name);
    await game.answerBox(game.say('だめだめ'), 'OK', { text: game.say('[閉じる]？出来るかっちゅーの') });
    if (attempt === 7) {
      await game.answerBox(game.say('ををっ！'), 'OK', { text: game.say('頑張ってみるもんですねぇ') });
      await game.answerBox(game.say('をををっ！'), 'OK', { text: game.say('なぜかメニューが増えましたぁっ！') });
    }
  }
}

export async function prayAndTakeTheNextStep(game, name) {
  await game.chooseMenu(name, game.shown('謎のｺﾏﾝﾄﾞ(&N)'), game.shown('祈る(&P)'));
  await game.answerBox(game.say('Like A Prayer'), 'OK', { text: game.say('ちゃんと祈ってみよう') });
  await game.chooseMenu(name, game.say('空白のメニュー'), 'Next Step(N)');
  await game.answerBox(game.say('あっ！'), 'OK', { text: game.say('見つかってしまったか。じゃぁ次のステップじゃ～') });
}

// The cipher window has no caption: it is the dialog that reads 家 / を探せ!.
export function cipherWindow(game) {
  return game.page.getByRole('dialog').filter({ hasText: game.say('を探せ!') });
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
  await game.clickButton(name, game.say(CIPHER));
  await game.answerBox(game.say('発見！'), 'OK', { text: game.say('あなたは、なぜかこんな紙を見つけた') });
  await cipherWindow(game).waitFor({ state: 'visible' });
  for (const [title, text] of CIPHER_INTRO) await game.answerBox(game.say(title), 'OK', { text: game.say(text) });
  return cipherWindow(game);
}

export async function solveTheCipher(game, name) {
  await openTheCipher(game, name);
  await game.pressKeys('Home');
  await game.answerBox(game.say('あっ！'), 'OK', { text: game.say('ここまで来たか！もうすこし・・・かも？') });
  await game.waitForDialog(name);
}

// Clicks the Exit button until it wriggles, hits it with a surrender and
// defeats it with ﾌｧｲﾙ > 終了. Returns the number of clicks. Each click waits
// for the button to take clicks again (its lock grows with every click).
export async function chaseToTheDefeat(game, name) {
  let clicks = 0;
  for (;;) {
    clicks += 1;
    await game.clickButton(name, game.say(EXIT));
    if (clicks <= CHASE_REMARKS.length) {
      await game.answerBox(game.say(CHASE_REMARKS[clicks - 1]));
    } else if (clicks % 3 === 0) {
      await game.answerBox(game.say('敵は怯んでいる'), 'OK', { text: game.say('もぞもぞ') });
      break;
    }
  }
  await game.chooseMenu(name, game.shown('ﾍﾙﾌﾟ(&H)'), game.shown('降参(&C)'));
  await game.answerBox(game.say('降参？'), game.shown('はい(&Y)'), { text: game.say('本当に降参しちゃうの？') });
  await game.answerBox(game.say('HIT!'), 'OK', { text: game.say('ぐはぁっ') });
  await game.chooseMenu(name, game.shown('ﾌｧｲﾙ(&F)'), game.shown('終了(&X)'));
  await game.answerBox(game.say('倒したぞ！'), 'OK', { text: game.say('ぐああああああっ') });
  return clicks;
}

export const CONGRATULATION = 'こんぐらちゅれーしょんず！';

// The click on the defeated button: its message, then the red congratulation.
export async function finishingClick(game, name, { timeAttack = false } = {}) {
  await game.clickButton(name, game.say(EXIT));
  if (timeAttack) await game.answerBox(game.say(TIME_ATTACK_BOX), 'OK', { text: game.say('タイムアタック終了') });
  else await game.answerBox(game.say('おめでとう'), 'OK', { text: game.say('仕方ない。今回はこれで許してやるとしよう') });
  await game.waitForDialog(game.say(CONGRATULATION));
}

// Answers 最後だよ (three seconds after the congratulation) and presses the
// Exit button: the results begin.
export async function leaveAfterTheLastPrompt(game) {
  await game.answerBox(game.say('最後だよ'), 'OK', { text: game.say('それじゃぁ。『終了』ボタンを押すべし！') });
  await game.clickButton(game.say(CONGRATULATION), game.say(EXIT));
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
  await game.page.getByText(game.say(ENDED_TEXT)).waitFor({ state: 'visible' });
  await game.page.getByRole('button', { name: game.say(RESTART), exact: true }).waitFor({ state: 'visible' });
}

// Whether the main window (by name) shows the label; for checking what a
// screen shows right now.
export async function showsLine(game, name, line) {
  return (await game.lines(name)).includes(line);
}

export { NO, YES };
