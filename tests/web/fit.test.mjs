// A complete run in each language: every text the game shows stays inside
// its label or button (one line may pass its bottom, as the design sized it;
// a text that wraps must show every line). The English run's screens are kept
// in MOCHITAMA_WEB_ARTEFACTS to look at.
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';

import { VIEWPORT, openGame, siteEnglish } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';
import {
  assertEnded, chaseToTheDefeat, finishingClick, leaveAfterTheLastPrompt, prayAndTakeTheNextStep, refuseClose,
  solveTheCipher, startGame, toOpeningQuestion,
} from './support/player.mjs';

const browser = servedBrowser();
const shots = path.join(process.env.MOCHITAMA_WEB_ARTEFACTS || os.tmpdir(), 'english-run');

// In the page, from its start: each text that does not fit, once.
function watchFit() {
  window.misfits = [];
  const told = new Set();
  const check = () => {
    for (const e of document.querySelectorAll('section.window .control.label, section.window .control.button')) {
      if (!e.checkVisibility() || e.textContent.trim() === '') continue;
      const range = document.createRange();
      range.selectNodeContents(e);
      const lines = [...range.getClientRects()].filter((r) => r.width > 0);
      const box = e.getBoundingClientRect();
      const wide = lines.some((r) => r.left < box.left - 1 || r.right > box.right + 1);
      const cut = new Set(lines.map((r) => Math.round(r.top))).size > 1 && Math.max(...lines.map((r) => r.bottom)) > box.bottom + 1;
      const what = `${e.closest('section').getAttribute('aria-label')}: "${e.textContent}"`;
      if ((wide || cut) && !told.has(what)) {
        told.add(what);
        window.misfits.push(what);
      }
    }
  };
  let queued = false;
  new MutationObserver(() => {
    if (queued) return;
    queued = true;
    requestAnimationFrame(() => { queued = false; check(); });
  }).observe(document, { subtree: true, childList: true, characterData: true, attributes: true });
}

async function playWholeRun(language, shoot) {
  const context = await browser.browser.newContext({ viewport: VIEWPORT });
  try {
    const languages = `Object.defineProperty(Navigator.prototype, 'languages', { get: () => ['${language}'] });`;
    const game = await openGame(context, browser.url, { initScripts: [languages, watchFit] });
    if (language === 'en') game.speak(await siteEnglish());
    const name = await toOpeningQuestion(game);
    await shoot(game, 'question');
    await startGame(game);
    await refuseClose(game, name, 7);
    await prayAndTakeTheNextStep(game, name);
    await solveTheCipher(game, name);
    await chaseToTheDefeat(game, name);
    await finishingClick(game, name);
    await shoot(game, 'congratulation');
    await leaveAfterTheLastPrompt(game);
    await assertEnded(game, { timeout: 40000 });
    await shoot(game, 'end');
    assert.deepEqual(await game.page.evaluate(() => window.misfits), [], 'texts that do not fit');
    game.assertNoPageErrors();
  } finally {
    await context.close();
  }
}

test('a complete run in English fits its windows', { timeout: 150000 }, async () => {
  mkdirSync(shots, { recursive: true });
  await playWholeRun('en', (game, name) => game.page.screenshot({ path: path.join(shots, `${name}.png`) }));
});

test('a complete run in Japanese fits its windows too', { timeout: 150000 }, async () => {
  await playWholeRun('ja', async () => {});
});
