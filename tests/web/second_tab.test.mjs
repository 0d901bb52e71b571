// One running copy per site: a second tab of the same browser gets the
// second-copy error and ends without a window of the game; the first plays
// on. Once the first game has ended, or its tab is closed, another tab plays.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { MAIN, TITLE_WINDOW, openGame, storedRecordFiles } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';
import { assertEnded, startGame, toOpeningQuestion } from './support/player.mjs';

const browser = servedBrowser();

async function assertRefused(second) {
  await second.answerBox('二重起動ERROR', 'OK', { text: '『もちたま』の二重起動は出来ません' });
  await assertEnded(second);
  const tl = await second.timeline();
  assert.deepEqual(tl.shown((s) => s.role === 'dialog').map(String), [], 'the second tab showed a window of the game');
  second.assertNoPageErrors();
}

test('a second tab only says so; the first plays on, and after its end a reload plays', { timeout: 90000 }, async () => {
  const first = await openGame(browser.context, browser.url);
  let second;
  await first.diagnose('second-tab-first', async () => {
    await toOpeningQuestion(first);
    const stored = await storedRecordFiles(browser.context, browser.url);
    assert.equal(stored.length, 1, `record files: ${JSON.stringify(stored)}`);
    assert.match(stored[0].text, /\[Tyutai\]\r?\nKaisu ?= ?0\r?\n/);
    second = await openGame(browser.context, browser.url);
    await second.diagnose('second-tab-second', () => assertRefused(second));
    assert.deepEqual(await storedRecordFiles(browser.context, browser.url), stored, 'the second tab wrote');

    // The first copy is untouched and still takes input.
    assert.equal(await first.gameState(), 'running');
    await startGame(first);
    await first.closeWindow(MAIN);
    await first.answerBox('だめだめ');
    // A new game in the first tab, ended by はい: the lock goes with it.
    await first.reload();
    await toOpeningQuestion(first);
    await first.clickButton(MAIN, 'はい');
    await first.answerBox('Welcome to もちたま', 'OK', { text: 'あ・・・そう？根性なしねぇ。じゃぁね。' });
    await assertEnded(first);
    const quit = await storedRecordFiles(browser.context, browser.url);
    assert.match(quit[0].text, /\[Tyutai\]\r?\nKaisu ?= ?1\r?\n/, 'the quit was not counted');
  });
  await second.diagnose('second-tab-after-the-end', async () => {
    await second.reload();
    await second.waitForDialog(TITLE_WINDOW, { timeout: 30000 });
    assert.equal(await second.box('二重起動ERROR').count(), 0);
    second.assertNoPageErrors();
  });
  await first.page.close();
  await second.page.close();
});

test('closing the tab that plays lets another tab play', { timeout: 60000 }, async () => {
  const first = await openGame(browser.context, browser.url);
  await first.diagnose('closed-tab-first', () => toOpeningQuestion(first));
  const second = await openGame(browser.context, browser.url);
  await second.diagnose('closed-tab-second', () => assertRefused(second));

  await first.page.close();
  const third = await openGame(browser.context, browser.url);
  await third.diagnose('closed-tab-third', async () => {
    await toOpeningQuestion(third);
    await third.clickButton(MAIN, 'いいえ');
    await third.answerBox('Welcome to もちたま');
    third.assertNoPageErrors();
  });
  await second.page.close();
  await third.page.close();
});

test('a reload of the playing tab is not a second copy', { timeout: 60000 }, async () => {
  const tab = await openGame(browser.context, browser.url);
  await tab.diagnose('reload-playing-tab', async () => {
    await toOpeningQuestion(tab);
    await tab.reload();
    await tab.waitForDialog(TITLE_WINDOW, { timeout: 30000 });
    await tab.answerBox('Welcome to もちたま');
    assert.equal(await tab.box('二重起動ERROR').count(), 0);
    tab.assertNoPageErrors();
  });
  await tab.page.close();
});
