// Takes the web page's screenshots for the README (docs/screenshots/web-*.png)
// from the built site (build-web/site/, the web preset), in Debian's
// chromium: the title, the opening question, a message box, the chase and
// the results, each cropped to the windows on the screen.
//   node tools/web_screenshots.mjs [--out docs/screenshots]
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { CHASE_REMARKS, MAIN, TITLE_WINDOW, launch, openGame, pause, serveSite } from '../tests/web/support/browser.mjs';
import {
  EXIT, finishingClick, leaveAfterTheLastPrompt, prayAndTakeTheNextStep,
  refuseClose, solveTheCipher, startGame, toOpeningQuestion,
} from '../tests/web/support/player.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const at = process.argv.indexOf('--out');
const out = path.resolve(at >= 0 ? process.argv[at + 1] : path.join(here, '../docs/screenshots'));

// The part of the page that holds the windows and boxes, with a margin.
async function shoot(game, name) {
  const box = await game.page.evaluate(() => {
    const parts = [...document.querySelectorAll('#screen > section:not([hidden])')].map((e) => e.getBoundingClientRect());
    const left = Math.min(...parts.map((r) => r.left));
    const top = Math.min(...parts.map((r) => r.top));
    const right = Math.max(...parts.map((r) => r.right));
    const bottom = Math.max(...parts.map((r) => r.bottom));
    return { left, top, right, bottom };
  });
  const margin = 12;
  const clip = { x: Math.max(0, box.left - margin), y: Math.max(0, box.top - margin) };
  clip.width = box.right + margin - clip.x;
  clip.height = box.bottom + margin - clip.y;
  const file = path.join(out, `web-${name}.png`);
  await game.page.screenshot({ path: file, clip });
  console.log(file);
}

const site = await serveSite();
const browser = await launch();
try {
  const game = await openGame(browser.context, site.url);
  await game.waitForDialog(TITLE_WINDOW, { timeout: 30000 });
  await pause(500);
  await shoot(game, 'title');
  await toOpeningQuestion(game);
  await pause(300);
  await shoot(game, 'opening-question');
  await startGame(game);
  await game.closeWindow(MAIN);
  await game.expectBox('だめだめ', '[閉じる]？出来るかっちゅーの');
  await shoot(game, 'message-box');
  await game.answerBox('だめだめ');
  await refuseClose(game, MAIN, 6, 2);
  await prayAndTakeTheNextStep(game, MAIN);
  await solveTheCipher(game, MAIN);
  // The chase: every third click makes the button wriggle; the others
  // send it off with the window green.
  for (const remark of CHASE_REMARKS) {
    await game.clickButton(MAIN, EXIT);
    await game.answerBox(remark);
  }
  for (let click = 6; click <= 9; click++) {
    await game.clickButton(MAIN, EXIT);
    if (click % 3 === 0) await game.answerBox('敵は怯んでいる', 'OK', { text: 'もぞもぞ' });
    if (click === 7) {
      await pause(300);
      await shoot(game, 'chase');
    }
  }
  await game.chooseMenu(MAIN, 'ﾍﾙﾌﾟ(H)', '降参(C)');
  await game.answerBox('降参？', 'はい(Y)');
  await game.answerBox('HIT!');
  await game.chooseMenu(MAIN, 'ﾌｧｲﾙ(F)', '終了(X)');
  await game.answerBox('倒したぞ！');
  await finishingClick(game, MAIN);
  await leaveAfterTheLastPrompt(game);
  await game.waitForDialog('結果発表', { timeout: 10000 });
  await pause(1000);
  await shoot(game, 'results');
} finally {
  await browser.close();
  await site.close();
}
