// The keyboard focus stays in the game, as a desktop keeps it: never handed
// to the page after a window changes under it, and Tab goes round the active
// window. One game walks past each place the focus could be lost.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { CHASE_REMARKS, MAIN, openGame } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';
import {
  EXIT, prayAndTakeTheNextStep, refuseClose, solveTheCipher, startGame, toOpeningQuestion,
} from './support/player.mjs';

let game;
const browser = servedBrowser(async () => {
  game = await openGame(browser.context, browser.url);
});

// Where the focus is: the element's name and the window it is in.
function focused() {
  return game.page.evaluate(() => {
    const e = document.activeElement;
    const win = e && e.closest('[role="dialog"],[role="alertdialog"]');
    return { tag: e ? e.tagName : null, name: e ? e.getAttribute('aria-label') || e.textContent.trim() : null,
      window: win ? win.getAttribute('aria-label') : null };
  });
}

// The focus settles once the page has taken the last event: it must be in
// the main window, never on the page's body.
async function assertFocusInMain(after) {
  await game.page.waitForFunction(() => document.activeElement !== document.body, undefined, { timeout: 2000 })
    .catch(() => {});
  const now = await focused();
  assert.notEqual(now.tag, 'BODY', `the focus went to the page after ${after}`);
  assert.equal(now.window, MAIN, `the focus after ${after}: ${JSON.stringify(now)}`);
}

// Tab once round: each usable button of the window and its close box once,
// then back where it began; never out of the window.
async function assertTabGoesRound(where) {
  const stops = await game.dialog(MAIN).evaluate((win) =>
    [...win.querySelectorAll('.client button')].filter((b) => !b.disabled && b.checkVisibility())
      .map((b) => b.textContent.trim()).concat('閉じる'));
  // From the window itself, the first Tab lands on a button.
  if ((await focused()).tag !== 'BUTTON') await game.page.keyboard.press('Tab');
  const start = await focused();
  const visited = [];
  for (let i = 0; i < stops.length; i++) {
    await game.page.keyboard.press('Tab');
    const now = await focused();
    assert.equal(now.window, MAIN, `Tab ${i + 1} at ${where} left the window: ${JSON.stringify(now)}`);
    visited.push(now.name);
  }
  const round = visited.join(' → ');
  assert.equal(visited.at(-1), start.name, `Tab did not come round at ${where}: ${start.name} → ${round}`);
  assert.equal(new Set(visited).size, stops.length, `Tab came to a stop twice at ${where}: ${round}`);
  assert.deepEqual([...visited].sort(), [...stops].sort(), `what Tab visited at ${where}: ${round}`);
}

const cases = [
  ['いいえ at the opening question', async () => {
    await toOpeningQuestion(game);
    await game.clickButton(MAIN, 'いいえ');
    await game.answerBox('Welcome to もちたま');
  }],
  ['Esc in an open menu', async () => {
    await game.page.keyboard.press('Alt+h');
    await game.page.getByRole('menu').waitFor();
    await game.page.keyboard.press('Escape');
    await game.page.getByRole('menu').waitFor({ state: 'hidden' });
  }],
  ['the cipher', async () => {
    await refuseClose(game, MAIN, 7);
    await prayAndTakeTheNextStep(game, MAIN);
    await solveTheCipher(game, MAIN);
  }],
  ['a click on the Exit button and its box', async () => {
    await game.clickButton(MAIN, EXIT);
    await game.answerBox(CHASE_REMARKS[0]);
  }],
];

for (const [after, steps] of cases) {
  test(`after ${after} the focus is in the window, and Tab goes round it`, { timeout: 90000 }, async () => {
    await game.diagnose(`focus-${after}`, async () => {
      await steps();
      await assertFocusInMain(after);
      await assertTabGoesRound(after);
      game.assertNoPageErrors();
    });
  });
}
