// The page's first script. What takes longest begins at once, beside the
// downloads: compiling the program, and (desktop/early.js) taking the
// one-copy guard and opening and reading the record store. Then the page's
// desktop (desktop/*.js) and the program (mochitama.js) are loaded, and the
// program is handed the compiled program, the desktop and the store as
// Module. A start that cannot go on says why, in the page, and offers to
// load it again.
'use strict';

(() => {
  // A start that cannot go on, with what the player is to be told: lines
  // of the page's own texts, whose {name}s stand for values[name].
  class CannotStart extends Error {
    constructor(lines, values = {}) {
      super(lines.join('\n'));
      this.lines = lines;
      this.values = values;
    }
  }

  const embedded = window.top !== window;

  // The page's words in the player's language (desktop/words.js); Japanese
  // until they have come, or when they cannot.
  let words = (text, values = {}) => text.replace(/\{(\w+)\}/g, (whole, name) => (name in values ? values[name] : whole));
  const wordsCame = import('./desktop/words.js').then((module) => {
    words = module.words;
    module.speakLanguage();
  }, () => {});

  async function cannotStart(reason) {
    await wordsCame;
    const lines = reason instanceof CannotStart ? reason.lines.map((line) => words(line, reason.values))
      : [words('もちたまが止まりました（{why}）。', { why: reason && reason.message ? reason.message : String(reason) })];
    document.body.dataset.game = 'failed';
    const screen = document.getElementById('screen');
    screen.textContent = '';
    screen.style.transform = '';
    const notice = document.createElement('section');
    notice.className = 'ended';
    notice.setAttribute('role', 'alert');
    for (const line of lines) {
      const p = document.createElement('p');
      p.textContent = line;
      notice.append(p);
    }
    const again = document.createElement('button');
    again.type = 'button';
    again.className = 'button';
    again.textContent = words('再読み込み');
    again.addEventListener('click', () => location.reload());
    notice.append(again);
    screen.append(notice);
  }

  function missing(file, why) {
    return new CannotStart(['ファイル「{file}」を読み込めませんでした（{why}）。',
      'サイトのファイルが欠けているか、接続が切れています。'], { file, why });
  }

  // Compiled from the download as it arrives where the server names the
  // type; from its bytes where it does not, which only takes a little longer.
  async function compileProgram() {
    let response;
    try {
      response = await fetch('mochitama.wasm', { credentials: 'same-origin' });
    } catch (error) {
      throw missing('mochitama.wasm', error.message);
    }
    if (!response.ok) throw missing('mochitama.wasm', `HTTP ${response.status}`);
    try {
      const type = response.headers.get('Content-Type') || '';
      if (WebAssembly.compileStreaming && type.split(';')[0].trim() === 'application/wasm') {
        return await WebAssembly.compileStreaming(response);
      }
      return await WebAssembly.compile(await response.arrayBuffer());
    } catch (error) {
      throw new CannotStart(['ファイル「{file}」が壊れています（{why}）。',
        'サイトのファイルが途中で切れているか、別のものに置き換わっています。'], { file: 'mochitama.wasm', why: error.message });
    }
  }

  const storageRefused = new CannotStart(embedded
    ? ['このページは他のサイトの中に埋め込まれていて、ブラウザがそこでの記録の保存を許していません。',
      'もちたまのページを直接開いてください。']
    : ['このブラウザは、このサイトに記録の保存を許していません。',
      'サイトデータの保存を許すか、ふつうのウィンドウで開いてください。']);

  // Which of these files the browser could not load, and why; the browser
  // does not tell a script's loader.
  async function notLoaded(files, error) {
    for (const file of files) {
      try {
        const response = await fetch(file, { credentials: 'same-origin' });
        if (!response.ok) return missing(file, `HTTP ${response.status}`);
      } catch (fetchError) {
        return missing(file, fetchError.message);
      }
    }
    return new CannotStart(['ページのスクリプトを読み込めませんでした（{why}）。'], { why: error });
  }

  function desktopModules() {
    return [...document.querySelectorAll('link[rel="modulepreload"]')].map((link) => link.getAttribute('href'));
  }

  function loadProgram(desktop, program, recordStore) {
    window.Module = {
      desktop,
      recordStore,
      instantiateWasm: (imports, done) => {
        program
          .then((compiled) => WebAssembly.instantiate(compiled, imports))
          .then((instance) => done(instance), cannotStart);
        return {};
      },
      onRuntimeInitialized: () => { document.body.dataset.game = 'running'; },
      onAbort: cannotStart,
    };
    const script = document.createElement('script');
    script.src = 'mochitama.js';
    script.onerror = async () => cannotStart(await notLoaded(['mochitama.js'], 'mochitama.js'));
    document.body.append(script);
  }

  function start() {
    document.body.dataset.game = 'loading';
    if (location.protocol === 'file:') {
      throw new CannotStart(['ファイルを直接開いたページ（file://）では、ブラウザがプログラムの読み込みを許しません。',
        'ウェブサーバーから開いてください。たとえば、このフォルダで',
        'python3 -m http.server 8000 --bind 127.0.0.1',
        'を実行してから、http://127.0.0.1:8000/ を開きます。']);
    }
    if (typeof WebAssembly !== 'object') {
      throw new CannotStart(['このブラウザでは WebAssembly が使えません（切られているか、対応していません）。',
        'もちたまは WebAssembly で動きます。使えるようにしてから、もう一度開いてください。']);
    }
    const program = compileProgram();
    const recordStore = import('./desktop/early.js').then(({ beginEarly }) => beginEarly().store)
      .catch(async (error) => {
        throw error && error.name === 'StorageRefused' ? storageRefused : await notLoaded(desktopModules(), error.message);
      });
    // Each failure is told once, by whichever is waited for first.
    program.catch(() => {});
    recordStore.catch(() => {});
    import('./desktop/desktop.js')
      .catch(async (error) => { throw await notLoaded(desktopModules(), error.message); })
      .then(async ({ desktop }) => {
        await recordStore;
        loadProgram(desktop, program, recordStore);
      })
      .catch(cannotStart);
  }

  // Keeps this version for offline play, once the page has loaded; a
  // browser without service workers (a private window) plays online.
  function keepForOffline() {
    if (!('serviceWorker' in navigator)) return;
    window.addEventListener('load', () => {
      navigator.serviceWorker.register('../../sw.js').catch(() => {});
    });
  }

  try {
    start();
    keepForOffline();
  } catch (error) {
    cannotStart(error);
  }
})();
