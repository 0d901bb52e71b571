// A complete normal run on the page, played as a person would, every timed
// beat checked from what the page showed and when.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { assertLasts } from './support/beats.mjs';
import { MAIN, TITLE_WINDOW, openGame, pause } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';
import {
  CIPHER, CONGRATULATION, EXIT, assertEnded, chaseToTheDefeat, finishingClick, leaveAfterTheLastPrompt,
  prayAndTakeTheNextStep, refuseClose, solveTheCipher, startGame, toOpeningQuestion,
} from './support/player.mjs';
import { COLOURS } from './support/timeline.mjs';

const browser = servedBrowser();

test('a complete normal run, beat by beat', { timeout: 160000 }, async () => {
  const game = await openGame(browser.context, browser.url);
  await game.diagnose('normal-run', async () => {
    await toOpeningQuestion(game);
    const question = await game.lines(MAIN);
    assert.ok(question.includes('やめるなら今のうちよ') && question.includes('やめとく？'), question.join(' | '));
    assert.equal(await game.dialog(MAIN).getByRole('menubar').getByRole('menuitem').count(), 0,
      'a menu at the opening question');
    assert.equal(await game.dialog(MAIN).getByRole('button').count(), 3,
      'the opening question has はい, いいえ and the close box');
    await startGame(game);

    // The hint, once: a blue flash of 0.7 s.
    await game.chooseMenu(MAIN, 'ﾍﾙﾌﾟ(H)', 'ﾋﾝﾄの表示(O)');
    await game.answerBox('仕方ないなぁ', 'OK', { text: 'ヒントは１回だけ。いくよ' });
    await pause(1000);
    // The blank item, three times: the secret of the time attack for 2 s.
    for (let i = 0; i < 3; i++) {
      await game.chooseMenu(MAIN, 'ﾍﾙﾌﾟ(H)', '空白の項目');
      await game.answerBox('くふふ', 'OK', { text: 'なんにも起きないぞょ' });
    }
    await pause(2500);
    await refuseClose(game, MAIN, 7);

    // Sleep: no window for 3 s, then the same window.
    const beforeSleep = await game.lines(MAIN);
    await game.chooseMenu(MAIN, '謎のｺﾏﾝﾄﾞ(N)', '寝る(S)');
    await game.answerBox('であ', 'OK', { text: '寝るとするか・・・。' });
    await game.answerBox('であであ', 'OK', { text: 'おやすみなさい～ m(_ _)m ぶちっ。' });
    await game.answerBox('っておい！', 'OK', { text: '寝てる場合じゃないってば！' });
    await game.waitForDialog(MAIN);
    assert.deepEqual(await game.lines(MAIN), beforeSleep, 'the window came back changed');

    await prayAndTakeTheNextStep(game, MAIN);
    assert.ok(await game.button(MAIN, EXIT).isVisible(), 'the Exit button after the next step');
    assert.ok(await game.button(MAIN, EXIT).isDisabled(), 'the Exit button takes clicks before the cipher');

    // The cipher (its 30 s without an answer are cipher.test.mjs's).
    await solveTheCipher(game, MAIN);
    assert.ok(await game.button(MAIN, EXIT).isEnabled(), 'the Exit button after the cipher');
    assert.equal(await game.button(MAIN, CIPHER).count(), 0, '家を探せ！ after the cipher');

    await chaseToTheDefeat(game, MAIN);
    await finishingClick(game, MAIN);
    await leaveAfterTheLastPrompt(game);
    await assertEnded(game, { timeout: 30000 });
    game.assertNoPageErrors();

    assertTheBeatsOfANormalRun(await game.timeline());
  });
});

function assertTheBeatsOfANormalRun(tl) {
  const running = tl.gameState('running');
  const ended = tl.gameState('ended');
  assert.ok(running !== null && ended !== null, 'the page never said running, then ended');

  const title = tl.window(TITLE_WINDOW).shownSpans();
  assert.equal(title.length, 1, `the title window: ${title}`);
  assertLasts(tl, title[0].start, title[0].end, 'the title window');

  // The main window keeps its element from the question to the results.
  const main = tl.window(MAIN);
  const blue = main.spans((s) => s.shown && s.hasBackground(COLOURS.blue));
  assert.equal(blue.length, 2, `blue flashes: ${blue}`);
  assert.ok(blue[0].states[0].has('とにかくクリック！'), `the hint's flash: ${blue[0].states[0]}`);
  assertLasts(tl, blue[0].start, blue[0].end, "the hint's flash");
  assert.ok(blue[1].states[0].has('TIME ATTACK MODE') && blue[1].states[0].has('←↑→↓←↑→↓'),
    `the blank item's flash: ${blue[1].states[0]}`);
  assertLasts(tl, blue[1].start, blue[1].end, "the blank item's flash");

  // The seventh close: two frozen seconds, the window as it was.
  const lastScolding = tl.box('だめだめ', 6);
  const ooh = tl.box('ををっ！');
  const oooh = tl.box('をををっ！');
  assertLasts(tl, lastScolding.end, ooh.start, 'a freeze', 'the first freeze');
  assertLasts(tl, ooh.end, oooh.start, 'a freeze', 'the second freeze');
  const frozen = main.states.filter((s) => s.t <= lastScolding.end && lastScolding.end < s.until)[0];
  for (const [start, end] of [[lastScolding.end, ooh.start], [ooh.end, oooh.start]]) {
    for (const s of main.states.filter((s) => s.t >= start && s.t < end)) {
      assert.equal(s.look, frozen.look, `the window changed during a freeze: ${s}`);
    }
  }
  const menu = main.first((s) => s.shown && s.lines.some((l) => l.startsWith('謎のｺﾏﾝﾄﾞ')));
  assert.ok(menu && Math.abs(menu.t - oooh.start) < 50, `the mystery menu came at ${menu?.t}, not with the second box`);

  // The one stretch with no window at all: the 3 s of sleep.
  const gaps = tl.nothingShown({ after: running, before: ended }).filter((g) => g.duration > 500);
  assert.equal(gaps.length, 1, `times with no window: ${gaps}`);
  assertLasts(tl, gaps[0].start, gaps[0].end, 'the sleep');
  assert.ok(Math.abs(gaps[0].start - tl.box('であであ').end) < 50, 'the window did not go with the second sleep box');

  // The cipher: a second before its intro, 300 ms between the intro's boxes,
  // a second after the Home key.
  const ciphers = tl.shown((s) => s.role === 'dialog' && s.has('を探せ!'));
  assert.equal(ciphers.length, 1, `cipher windows: ${ciphers}`);
  assertLasts(tl, ciphers[0].start, tl.box('問題', 0).start, "the cipher's intro");
  assertLasts(tl, tl.box('問題', 0).end, tl.box('解読結果', 0).start, "a pause between the intro's boxes",
    'the pause after 問題');
  assertLasts(tl, tl.box('解読結果', 0).end, tl.box('解読結果', 1).start, "a pause between the intro's boxes",
    'the pause between 解読結果');
  assertLasts(tl, tl.box('解読結果', 1).end, tl.box('謎解き', 0).start, "a pause between the intro's boxes",
    'the pause before 謎解き');
  const home = tl.inputs('keydown').filter((i) => i.key === 'Home' && i.t > tl.box('謎解き', 0).end);
  assert.equal(home.length, 1, 'the Home key');
  assertLasts(tl, home[0].t, ciphers[0].end, 'the pause after the Home key');

  // The finishing click: a second before おめでとう; the red congratulation
  // three seconds before the last prompt.
  const congratulation = tl.box('おめでとう');
  const finishing = tl.inputs('click', EXIT).filter((i) => i.t < congratulation.start).pop();
  assertLasts(tl, finishing.t, congratulation.start, 'the pause after the finishing click');
  const red = main.first((s) => s.shown && s.name === CONGRATULATION && s.hasBackground(COLOURS.red));
  assert.ok(red, 'the red congratulation never showed');
  assertLasts(tl, red.t, tl.box('最後だよ').start, 'the congratulation before the last prompt');

  // The results: four screens of 3 s, then お, わ, り, each alone for 0.3 s
  // with 0.3 s of empty window after it.
  const results = main.first((s) => s.shown && s.name === 'んん？');
  assert.ok(results, 'the results never began');
  const screens = main.screens({ after: results.t });
  const seen = screens.map((s) => `${s.duration.toFixed(0)} ms ${s.states[0]}`).join('\n');
  assert.equal(screens.length, 4 + 7, `the screens of the results:\n${seen}`);
  const expected = [
    ['んん？', 'むひひ。これで終わると', '思ってたのぉ～？くっくっく'],
    ['なんちて', 'そんなにネタ盛り込むと', 'ネタ切れるからおしまいっ！'],
    ['結果発表', 'ちなみに降参した回数は', '0 回でした'],
    ['結果発表', 'あなたのレベルは', '神'],
  ];
  expected.forEach(([caption, first, second], i) => {
    const state = screens[i].states[0];
    assert.equal(state.name, caption, `results screen ${i + 1}: ${state}`);
    assert.ok(state.has(first) && state.has(second), `results screen ${i + 1}: ${state}`);
    assertLasts(tl, screens[i].start, screens[i].end, 'a results screen', `results screen ${i + 1}`);
  });
  assert.ok(!screens.some((s) => s.states[0].has('クリア所要時間は')), 'a time in normal mode');
  screens.slice(4).forEach((screen, i) => {
    const state = screen.states[0];
    const letter = i % 2 === 1 ? ['お', 'わ', 'り'][(i - 1) / 2] : null;
    for (const l of ['お', 'わ', 'り']) {
      assert.equal(state.has(l), l === letter, `step ${i + 1} of the closing letters: ${state}`);
    }
    assert.ok(state.hasBackground(COLOURS.darkCyan), `step ${i + 1} of the closing letters: ${state}`);
    assertLasts(tl, screen.start, screen.end, 'a closing letter step', `step ${i + 1} of the closing letters`);
  });
  assert.ok(ended - screens[screens.length - 1].end < 100, 'the page ended long after the window went');
}
