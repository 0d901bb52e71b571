// What assistive technology meets on the page: axe-core finds nothing wrong
// at each kind of screen a player passes, and a screen reader hears the
// results and the closing お, わ, り through the page's live region, in order.
// One normal run walks past every screen.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { test } from 'node:test';

import { MAIN, TITLE_WINDOW, WELCOME_BOX, openGame } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';
import {
  CONGRATULATION, EXIT, assertEnded, chaseToTheDefeat, finishingClick, openTheCipher, prayAndTakeTheNextStep,
  refuseClose, startGame,
} from './support/player.mjs';

const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

// Every text the live region was given, in order, from the page's start.
function listenToTheAnnouncer() {
  window.__announced = [];
  new MutationObserver((records) => {
    const live = document.getElementById('announcer');
    if (live && records.some((r) => live.contains(r.target)) && live.textContent !== '') {
      window.__announced.push(live.textContent);
    }
  }).observe(document, { subtree: true, childList: true, characterData: true });
}

let game;
const browser = servedBrowser(async () => {
  game = await openGame(browser.context, browser.url, { initScripts: [listenToTheAnnouncer] });
});

async function violations() {
  await game.page.evaluate(axeSource);
  return game.page.evaluate(async () => {
    const result = await window.axe.run(document, { resultTypes: ['violations'] });
    return result.violations.map((v) => `${v.id} (${v.impact}): ${v.help}\n` +
      v.nodes.map((n) => `  ${n.target.join(' ')}: ${n.failureSummary.replace(/\n\s*/g, ' ')}`).join('\n'));
  });
}

async function assertNoViolations(where) {
  const found = await violations();
  assert.deepEqual(found, [], `axe at ${where}:\n${found.join('\n')}`);
}

test('axe finds no violation at any kind of screen, from the title to the end page', { timeout: 150000 }, async () => {
  await game.diagnose('axe', async () => {
    await game.waitForDialog(TITLE_WINDOW, { timeout: 30000 });
    await assertNoViolations('the title');
    await game.box(WELCOME_BOX).waitFor();
    await assertNoViolations('a message box');
    await game.answerBox(WELCOME_BOX);
    await game.waitForDialog(MAIN);
    await assertNoViolations('the opening question');
    await startGame(game);
    await game.dialog(MAIN).getByRole('menubar').getByRole('menuitem', { name: 'ﾍﾙﾌﾟ(H)', exact: true }).click();
    await game.page.getByRole('menu').waitFor();
    await assertNoViolations('an open menu');
    await game.page.keyboard.press('Escape');
    await game.page.getByRole('menu').waitFor({ state: 'hidden' });

    await refuseClose(game, MAIN, 7);
    await prayAndTakeTheNextStep(game, MAIN);
    await openTheCipher(game, MAIN);
    await assertNoViolations('the cipher window');
    await game.pressKeys('Home');
    await game.answerBox('あっ！');
    await game.waitForDialog(MAIN);

    await chaseToTheDefeat(game, MAIN);
    await finishingClick(game, MAIN);
    await game.answerBox('最後だよ');
    await game.clickButton(CONGRATULATION, EXIT);
    await game.waitForDialog('結果発表');
    await assertNoViolations('a results screen');
    await assertEnded(game, { timeout: 30000 });
    await assertNoViolations('the end page');
    game.assertNoPageErrors();
  });
});

test('the results and お, わ, り reach the live region in order', async () => {
  const announced = await game.page.evaluate(() => window.__announced);
  const expected = [
    'むひひ。これで終わると 思ってたのぉ～？くっくっく',
    'そんなにネタ盛り込むと ネタ切れるからおしまいっ！',
    'ちなみに降参した回数は 0 回でした',
    'あなたのレベルは 神',
    'お', 'わ', 'り',
  ];
  const from = announced.indexOf(expected[0]);
  assert.ok(from >= 0, `the results never reached the live region: ${JSON.stringify(announced)}`);
  assert.deepEqual(announced.slice(from), expected, 'what the live region said from the results on');
});
