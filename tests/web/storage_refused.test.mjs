// A browser that refuses the site its storage (blocked site data, a page
// embedded where the browser blocks storage): the page says so before the
// game starts, and nothing is left half started.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { TITLE_WINDOW, VIEWPORT, openGame } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';

// One browser for the file; each case in a context of its own, whose page
// refuses the store its own way.
const browser = servedBrowser();

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


for (const [what, script] of [['indexedDB.open throws a SecurityError', openThrows],
  ['indexedDB.open fires an error', openFails]]) {
  test(`${what}: the page says that the browser refuses the records`, { timeout: 60000 }, async () => {
    const context = await browser.browser.newContext({ viewport: VIEWPORT });
    try {
      const game = await openGame(context, browser.url, { initScripts: [script] });
      await game.diagnose(`storage-${what}`, async () => {
        const alert = game.page.getByRole('alert');
        await alert.waitFor({ timeout: 30000 });
        assert.match(await alert.innerText(), /このブラウザは、このサイトに記録の保存を許していません/);
        assert.ok(await alert.getByRole('button', { name: '再読み込み' }).isVisible());
        const tl = await game.timeline();
        assert.deepEqual(tl.shown((s) => s.role === 'dialog' && s.name === TITLE_WINDOW).map(String), [],
          'the game started without its records');
        game.assertNoPageErrors();
      });
    } finally {
      await context.close();
    }
  });
}
