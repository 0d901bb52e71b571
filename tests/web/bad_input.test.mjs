// What a player can throw at the page: a record file edited into nonsense, a
// reload in the middle of a save, and clicks and keys hammered while the
// game is frozen. Each gets a clear answer, and nothing saved is lost.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { MAIN, MAIN_TIME_ATTACK, YES, openGame, pause, storeRecordFile, storedRecordFiles } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';
import { SURRENDER, assertEnded, refuseClose, startGame, toOpeningQuestion } from './support/player.mjs';

const browser = servedBrowser();

const encode = (text) => new TextEncoder().encode(text);

async function recordText(context) {
  const files = await storedRecordFiles(context, browser.url);
  assert.equal(files.length, 1, `record files in the store: ${JSON.stringify(files)}`);
  return files[0].text;
}

async function freshContext() {
  return browser.browser.newContext({ viewport: { width: 1024, height: 768 } });
}

test('nonsense in the record file reads as the defaults, and a save keeps the rest of the file', { timeout: 90000 }, async () => {
  const context = await freshContext();
  const nonsense = ';\r\n; edited by hand\r\n[Kousan]\r\nKaisu = lots\r\n[Time]\r\n1st = -fast-\r\n' +
    'garbage line without a key\r\n\u0000\u00ff\u00fe\r\n';
  await storeRecordFile(context, browser.url, encode(nonsense));
  const game = await openGame(context, browser.url);
  await game.diagnose('nonsense-record', async () => {
    // The best time is the default's, not a crash or a blank.
    await toOpeningQuestion(game, { timeAttack: true });
    assert.ok((await game.lines(MAIN_TIME_ATTACK)).includes('9999 秒'), (await game.lines(MAIN_TIME_ATTACK)).join(' | '));
    await startGame(game, { timeAttack: true });
    await refuseClose(game, MAIN_TIME_ATTACK, 3);
    // A count that is not a number counts from 0.
    await game.clickButton(MAIN_TIME_ATTACK, SURRENDER);
    await game.answerBox('降参？', YES);
    await game.answerBox('仕方ないなぁ', 'OK', { text: 'ただいまの降参回数は 1 回です。\n次回は頑張ってね。じゃぁ。ぶちっ' });
    await assertEnded(game);
    game.assertNoPageErrors();
  });
  const saved = await recordText(context);
  assert.match(saved, /\[Kousan\]\r\nKaisu=1\r\n/, saved);
  for (const kept of ['; edited by hand', '1st = -fast-', 'garbage line without a key'])
    assert.ok(saved.includes(kept), `the save lost ${JSON.stringify(kept)}: ${JSON.stringify(saved)}`);
  await context.close();
});

test('a record file over a megabyte is taken for damaged: defaults, and the save is refused, not made', { timeout: 90000 }, async () => {
  const context = await freshContext();
  const huge = encode('[Kousan]\r\nKaisu = 5\r\n' + ';'.repeat(1024 * 1024));
  await storeRecordFile(context, browser.url, huge);
  const game = await openGame(context, browser.url);
  await game.diagnose('huge-record', async () => {
    await toOpeningQuestion(game);
    await startGame(game);
    await refuseClose(game, MAIN, 3);
    await game.clickButton(MAIN, SURRENDER);
    await game.answerBox('降参？', YES);
    await game.answerBox('仕方ないなぁ', 'OK', { text: 'ただいまの降参回数は 1 回です。\n次回は頑張ってね。じゃぁ。ぶちっ' });
    const reason = await game.expectBox('.INI Write Error', '記録を保存できませんでした');
    assert.ok(reason.includes('ファイルが大きすぎて、記録ファイルとは思えません（壊れています）'), reason);
    await game.answerBox('.INI Write Error');
    await assertEnded(game);
  });
  const files = await storedRecordFiles(context, browser.url);
  assert.equal(files[0].text.length, huge.length, 'the damaged file was rewritten');
  await context.close();
});

// Reloads the page from inside its k-th write to IndexedDB after the test
// asks for it: the save is then under way, its transaction not yet done.
function reloadInsideAWrite() {
  const put = IDBObjectStore.prototype.put;
  IDBObjectStore.prototype.put = function (...args) {
    const result = put.apply(this, args);
    const left = Number(sessionStorage.getItem('reloadAtWrite') || 0);
    if (left > 0) {
      sessionStorage.setItem('reloadAtWrite', String(left - 1));
      if (left === 1) location.reload();
    }
    return result;
  };
}

test('a reload in the middle of a save keeps the old file or the new one, whole, and leaves no temporary', { timeout: 240000 }, async () => {
  const context = await freshContext();
  const game = await openGame(context, browser.url, { initScripts: [reloadInsideAWrite] });
  // The file the first start makes.
  await toOpeningQuestion(game);
  let before = await recordText(context);
  // A save writes the new file beside the old one, then puts it in its place:
  // the reload comes inside each of those two writes.
  for (const write of [1, 2]) {
    await game.diagnose(`reload-mid-save-${write}`, async () => {
      await game.reload();
      await toOpeningQuestion(game);
      await startGame(game);
      await refuseClose(game, MAIN, 3);
      await game.clickButton(MAIN, SURRENDER);
      await game.answerBox('降参？', YES);
      const box = game.box('仕方ないなぁ');
      await box.waitFor();
      await game.page.evaluate((n) => sessionStorage.setItem('reloadAtWrite', String(n)), write);
      const reloaded = game.page.waitForLoad();
      // The save begins as this box goes.
      await box.getByRole('button', { name: 'OK', exact: true }).click();
      await reloaded;
    });
    const after = await recordText(context);
    const count = Number(/\[Kousan\]\r\nKaisu ?= ?(\d+)\r\n/.exec(before)?.[1]);
    const saved = before.replace(/(\[Kousan\]\r\n)Kaisu ?= ?\d+\r\n/, `$1Kaisu=${count + 1}\r\n`);
    assert.ok(after === before || after === saved,
      `after a reload inside write ${write} of the save the file is neither the old nor the new one:\n` +
      `${JSON.stringify(after)}\nold: ${JSON.stringify(before)}\nnew: ${JSON.stringify(saved)}`);
    before = after;
  }
  // The next start clears what an interrupted save left beside the file.
  await game.reload();
  await toOpeningQuestion(game);
  const paths = await game.page.evaluate(async () => {
    const db = await new Promise((resolve) => { const r = indexedDB.open('/mochitama'); r.onsuccess = () => resolve(r.result); });
    const keys = await new Promise((resolve) => {
      const r = db.transaction('FILE_DATA').objectStore('FILE_DATA').getAllKeys();
      r.onsuccess = () => resolve(r.result);
    });
    db.close();
    return keys.map(String);
  });
  assert.deepEqual(paths, ['/mochitama/MT.INI'], 'files left in the store');
  await context.close();
});

// Makes the browser give up the k-th write to IndexedDB after the test asks
// for it, as it does when the store fills up halfway through a save: the
// write's transaction aborts.
function refuseAWrite() {
  const put = IDBObjectStore.prototype.put;
  IDBObjectStore.prototype.put = function (...args) {
    const request = put.apply(this, args);
    const left = Number(sessionStorage.getItem('refuseWrite') || 0);
    if (left > 0) {
      sessionStorage.setItem('refuseWrite', String(left - 1));
      if (left === 1) this.transaction.abort();
    }
    return request;
  };
}

test('a write the browser refuses halfway through a save is told, and the old file stays whole', { timeout: 120000 }, async () => {
  for (const write of [1, 2]) {
    const context = await freshContext();
    const game = await openGame(context, browser.url, { initScripts: [refuseAWrite] });
    await game.diagnose(`refused-write-${write}`, async () => {
      await toOpeningQuestion(game);
      const before = await recordText(context);
      await startGame(game);
      await refuseClose(game, MAIN, 3);
      await game.clickButton(MAIN, SURRENDER);
      await game.answerBox('降参？', YES);
      await game.page.evaluate((n) => sessionStorage.setItem('refuseWrite', String(n)), write);
      await game.answerBox('仕方ないなぁ');
      await game.expectBox('.INI Write Error', '記録を保存できませんでした\n/mochitama/MT.INI\nブラウザが記録の保存を断りました');
      await game.answerBox('.INI Write Error');
      await assertEnded(game);
      assert.equal(await recordText(context), before, `the file after write ${write} of the save was refused`);
    });
    await context.close();
  }
});

test('clicks and keys hammered while the window is frozen are dropped, and the game goes on', { timeout: 90000 }, async () => {
  const context = await freshContext();
  const game = await openGame(context, browser.url);
  await game.diagnose('hammered-while-frozen', async () => {
    await toOpeningQuestion(game);
    await startGame(game);
    await refuseClose(game, MAIN, 6);
    await game.closeWindow(MAIN);
    await game.answerBox('だめだめ');
    // The seventh close freezes the window for two seconds around two boxes:
    // the player clicks its close box and types away meanwhile.
    const close = await game.button(MAIN, '閉じる').boundingBox();
    const client = await game.dialog(MAIN).boundingBox();
    const hammer = async (until) => {
      while (!(await until())) {
        await game.page.mouse.click(close.x + close.width / 2, close.y + close.height / 2);
        await game.page.mouse.click(client.x + client.width / 2, client.y + client.height / 2);
        for (const key of ['a', 'q', 'ArrowLeft', 'z']) await game.page.keyboard.press(key);
      }
    };
    await hammer(() => game.box('ををっ！').isVisible());
    await game.answerBox('ををっ！');
    await hammer(() => game.box('をををっ！').isVisible());
    await game.answerBox('をををっ！');
    // Nothing of it was kept for later: no more boxes, and the next close is
    // the eighth, scolded once.
    await pause(1500);
    assert.equal(await game.page.getByRole('alertdialog').count(), 0, 'a box came of the hammering');
    const menus = game.dialog(MAIN).getByRole('menubar').getByRole('menuitem', { name: '謎のｺﾏﾝﾄﾞ(N)', exact: true });
    assert.ok(await menus.isVisible(), 'the new menu after the seventh close');
    await refuseClose(game, MAIN, 1, 8);
    await pause(500);
    assert.equal(await game.page.getByRole('alertdialog').count(), 0, 'more than one box for one close');
    game.assertNoPageErrors();
  });
  await context.close();
});
