// The page's language: the first of Japanese and English among the browser's
// languages, Japanese when it names neither; the switch's choice, remembered
// by the site, wins from the next start. The game's first box and the page's
// own frame speak the chosen language.
import assert from 'node:assert/strict';
import { test } from 'node:test';

import { VIEWPORT, WELCOME_BOX, openGame, siteEnglish } from './support/browser.mjs';
import { servedBrowser } from './support/session.mjs';

const browser = servedBrowser();
const english = await siteEnglish();

function browserLanguages(tags) {
  return [`Object.defineProperty(Navigator.prototype, 'languages', { get: () => ${JSON.stringify(tags)} });`];
}

// The language of the page, once its first box is up in that language.
async function spoken(game) {
  await game.page.waitForFunction(() => document.querySelector('[role="alertdialog"]') !== null, null, { timeout: 30000 });
  const lang = await game.page.evaluate(() => document.documentElement.lang);
  await game.box(lang === 'en' ? english[WELCOME_BOX] : WELCOME_BOX).waitFor({ timeout: 30000 });
  return lang;
}

const CHOICES = [
  [['en-US', 'ja'], 'en'],
  [['ja-JP', 'en'], 'ja'],
  [['de-DE', 'en-GB'], 'en'],
  [['fr', 'de'], 'ja'],
];

test('the browser\'s languages choose, and the switch wins from the next start', { timeout: 120000 }, async () => {
  assert.notEqual(english[WELCOME_BOX], undefined, 'the first box has no English');
  for (const [tags, expected] of CHOICES) {
    const context = await browser.browser.newContext({ viewport: VIEWPORT });
    try {
      const game = await openGame(context, browser.url, { initScripts: browserLanguages(tags) });
      assert.equal(await spoken(game), expected, `for ${tags}`);
      game.assertNoPageErrors();
    } finally {
      await context.close();
    }
  }
  const context = await browser.browser.newContext({ viewport: VIEWPORT });
  try {
    const game = await openGame(context, browser.url, { initScripts: browserLanguages(['en-US']) });
    assert.equal(await spoken(game), 'en');
    // The switch is on the screen, under a box's shield like the windows.
    await game.answerBox(english[WELCOME_BOX]);
    await game.page.getByRole('button', { name: '日本語', exact: true }).click();
    assert.equal(await game.page.evaluate(() => document.documentElement.lang), 'en', 'the game in progress changed its words');
    await game.reload();
    assert.equal(await spoken(game), 'ja');
    game.assertNoPageErrors();
  } finally {
    await context.close();
  }
});
