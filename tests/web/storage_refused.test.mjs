// A browser that refuses the site its storage (a private window, blocked site
// data): the game says in its own record-file error box that the records
// cannot be kept, and ends; nothing is left half started.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';

import { TITLE_WINDOW, launch, openGame, serveSite } from './support/browser.mjs';
import { assertEnded } from './support/player.mjs';

let site;

before(async () => {
  site = await serveSite();
});

after(async () => {
  await site?.close();
});

// Init scripts, run in the page before its own: IndexedDB as a browser that
// refuses it shows it.
function openThrows() {
  IDBFactory.prototype.open = function open() {
    throw new DOMException('The user denied permission to access the database.', 'SecurityError');
  };
}

function openFails() {
  IDBFactory.prototype.open = function open() {
    const request = new EventTarget();
    const error = new DOMException('The operation failed for reasons unrelated to the database itself.', 'UnknownError');
    Object.defineProperties(request, {
      result: { get() { throw new DOMException('no result', 'InvalidStateError'); } },
      error: { value: error },
      readyState: { value: 'done' },
    });
    setTimeout(() => {
      const event = new Event('error', { cancelable: true });
      if (typeof request.onerror === 'function') request.onerror(event);
      request.dispatchEvent(event);
    }, 0);
    return request;
  };
}

// The boxes the game has for a record file it cannot make or write.
const REFUSALS = {
  '.INI Create Error': '記録ファイルを作れませんでした\n',
  '.INI Write Error': '記録を保存できませんでした\n',
};

for (const [what, script] of [['indexedDB.open throws a SecurityError', openThrows],
  ['indexedDB.open fires an error', openFails]]) {
  test(`${what}: the record-file error box, then the end`, { timeout: 60000 }, async () => {
    const browser = await launch();
    try {
      const game = await openGame(browser.context, site.url, { initScripts: [script] });
      await game.diagnose(`storage-${what}`, async () => {
        const box = game.page.getByRole('alertdialog');
        await box.waitFor({ timeout: 30000 });
        const title = await box.getAttribute('aria-label');
        assert.ok(title in REFUSALS, `the box '${title}' says: ${await game.description(box)}`);
        await game.expectBox(title, REFUSALS[title]);
        await game.answerBox(title, 'OK');
        await assertEnded(game);
        const tl = await game.timeline();
        assert.deepEqual(tl.shown((s) => s.role === 'dialog' && s.name === TITLE_WINDOW).map(String), [],
          'the game started without its records');
        game.assertNoPageErrors();
      });
    } finally {
      await browser.close();
    }
  });
}
