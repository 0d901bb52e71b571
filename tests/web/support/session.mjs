// The served site and a browser for the whole of one test file, both gone
// when it ends. Kept apart from browser.mjs, which tools use outside node:test.
import { after, before } from 'node:test';

import { launch, serveSite } from './browser.mjs';

// `setUp`, when given, runs once both are up, in the same hook: node:test
// does not wait for one top-level hook before it starts the next.
export function servedBrowser(setUp) {
  const shared = {};
  before(async () => {
    shared.site = await serveSite();
    Object.assign(shared, await launch());
    await setUp?.();
  });
  after(async () => {
    await shared.close?.();
    await shared.site?.close();
  });
  return {
    get url() { return shared.site.url; },
    get context() { return shared.context; },
    get browser() { return shared.browser; },
  };
}
