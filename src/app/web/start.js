// The page's first script. What takes longest on a first visit begins at
// once, beside the downloads: compiling the program, and opening (on a
// first visit, creating) the record store's database. Then the page's
// desktop (desktop/*.js) and the program (mochitama.js) are loaded, and the
// program is handed all three as Module.
'use strict';

(() => {
  const program = WebAssembly.compileStreaming
    ? WebAssembly.compileStreaming(fetch('mochitama.wasm', { credentials: 'same-origin' }))
    : null;

  // The layout is emscripten's IDBFS (version 21, one store with a timestamp
  // index); the program checks the version before it takes it.
  const recordStore = new Promise((resolve) => {
    let request;
    try {
      request = indexedDB.open('/mochitama', 21);
    } catch (error) {
      resolve({ error });
      return;
    }
    request.onupgradeneeded = () => {
      const db = request.result;
      const store = db.objectStoreNames.contains('FILE_DATA') ? request.transaction.objectStore('FILE_DATA')
        : db.createObjectStore('FILE_DATA');
      if (!store.indexNames.contains('timestamp')) store.createIndex('timestamp', 'timestamp', { unique: false });
    };
    request.onsuccess = () => resolve({ db: request.result });
    request.onerror = (event) => {
      event.preventDefault();
      resolve({ error: request.error });
    };
  });

  // A page that cannot start says so, instead of staying blank.
  function cannotStart() {
    document.body.dataset.game = 'ended';
    document.getElementById('screen').textContent = 'もちたまを始められませんでした。このブラウザでは動かないようです。';
  }

  function loadProgram(desktop) {
    window.Module = {
      desktop,
      recordStore,
      // The program compiled while the page loaded; emscripten's own
      // download is the way when this browser cannot compile as it streams.
      instantiateWasm: program && ((imports, done) => {
        program
          .then((compiled) => WebAssembly.instantiate(compiled, imports))
          .then((instance) => done(instance), (error) => window.Module.onAbort(error));
        return {};
      }),
      onRuntimeInitialized: () => { document.body.dataset.game = 'running'; },
      onAbort: cannotStart,
    };
    const script = document.createElement('script');
    script.src = 'mochitama.js';
    script.onerror = cannotStart;
    document.body.append(script);
  }

  import('./desktop/desktop.js').then(({ desktop }) => loadProgram(desktop), cannotStart);
})();
