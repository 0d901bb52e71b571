// The page at any size: every window and box shown stays wholly in the
// viewport, its close box and buttons included, on a small page drawn
// smaller and when the page turns; on a big one the main window stands in
// the middle as it always did.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { MAIN, TITLE_WINDOW, VIEWPORT, WELCOME_BOX, openGame, pause } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';

const browser = servedBrowser();

// What sticks out of the viewport: each shown window and box, and every
// button in them, that is not wholly inside it.
function outside(game) {
  return game.page.evaluate(() => {
    const width = document.documentElement.clientWidth;
    const height = document.documentElement.clientHeight;
    const shown = (e) => e.checkVisibility({ visibilityProperty: true });
    const found = [];
    for (const win of document.querySelectorAll('[role="dialog"],[role="alertdialog"]')) {
      if (!shown(win)) continue;
      for (const e of [win, ...win.querySelectorAll('button')].filter(shown)) {
        const r = e.getBoundingClientRect();
        if (r.left < -0.5 || r.top < -0.5 || r.right > width + 0.5 || r.bottom > height + 0.5) {
          const name = e.getAttribute('aria-label') || e.textContent.trim();
          found.push(`${e === win ? 'window' : 'button'} '${name}' at ${[r.left, r.top, r.right, r.bottom].map(Math.round)}`);
        }
      }
    }
    return { found, count: document.querySelectorAll('[role="dialog"]:not([hidden]),[role="alertdialog"]').length, width, height };
  });
}

// The page hears of a new size at its next frame: it has a moment to fit.
async function assertInside(game, where) {
  let last;
  for (const deadline = Date.now() + 1000; Date.now() < deadline;) {
    last = await outside(game);
    if (last.count > 0 && last.found.length === 0) return;
    await pause(50);
  }
  assert.ok(last.count > 0, `nothing shown at ${where}`);
  assert.deepEqual(last.found, [], `outside the ${last.width}×${last.height} viewport at ${where}`);
}

// Each case in a tab of its own, closed whatever happens: the next one must
// not find a second copy running.
async function inATab(what, viewport, steps) {
  const game = await openGame(browser.context, browser.url, { viewport });
  try {
    await game.diagnose(what, () => steps(game));
  } finally {
    await game.page.close();
  }
}

// width, height: the title, the first box and the opening question.
const SMALL = [[320, 480], [260, 200], [640, 360]];

for (const [width, height] of SMALL) {
  test(`${width}×${height}: the title, a box and the opening question wholly on the page`, { timeout: 60000 }, async () => {
    await inATab(`size-${width}x${height}`, { width, height }, async (game) => {
      await game.waitForDialog(TITLE_WINDOW, { timeout: 30000 });
      await assertInside(game, 'the title');
      await game.box(WELCOME_BOX).waitFor();
      await assertInside(game, 'the first box');
      await game.answerBox(WELCOME_BOX);
      await game.waitForDialog(MAIN);
      await assertInside(game, 'the opening question');
      game.assertNoPageErrors();
    });
  });
}

test('a phone turned at the question with a box up: all comes back on the page', { timeout: 60000 }, async () => {
  await inATab('size-turned', { width: 390, height: 844 }, async (game) => {
    await game.waitForDialog(TITLE_WINDOW, { timeout: 30000 });
    await game.answerBox(WELCOME_BOX);
    await game.clickButton(MAIN, 'いいえ');
    await game.box(WELCOME_BOX).waitFor();
    await assertInside(game, '390×844');
    await game.page.setViewport({ width: 844, height: 390 });
    await assertInside(game, 'the turn to 844×390');
    await game.answerBox(WELCOME_BOX);
    await assertInside(game, 'the question after the turn');
    game.assertNoPageErrors();
  });
});

test(`${VIEWPORT.width}×${VIEWPORT.height}: the main window in the middle of the page`, { timeout: 60000 }, async () => {
  await inATab('size-centred', VIEWPORT, async (game) => {
    await game.waitForDialog(TITLE_WINDOW, { timeout: 30000 });
    await game.answerBox(WELCOME_BOX);
    const box = await (await game.waitForDialog(MAIN)).boundingBox();
    const middle = [box.x + box.width / 2, box.y + box.height / 2];
    assert.ok(Math.abs(middle[0] - VIEWPORT.width / 2) <= 2 && Math.abs(middle[1] - VIEWPORT.height / 2) <= 2,
      `the main window's middle is at ${middle.map(Math.round)}: ${JSON.stringify(box)}`);
  });
});
