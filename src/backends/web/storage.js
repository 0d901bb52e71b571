// The record store: the page's file system kept in IndexedDB (IDBFS). A write
// is durable when fsync returns: fsync waits until IndexedDB has taken the
// whole store in one transaction, asked for strict durability (flushed to
// the disk, as the desktop's fsync does), so a closed tab, a reload or a
// power cut never keeps half a save. When the browser refuses a save (a full
// quota, site data cleared or blocked meanwhile), fsync fails with the
// reason, and the game says so as it does for a disk that refuses a save.
mergeInto(LibraryManager.library, {
  $MochitamaStore__deps: ['$FS', '$IDBFS'],
  $MochitamaStore: {
    refusal: 0,
    pending: null,
    // The errno a refusal reads as: a full quota is a full disk; anything
    // else, the browser's own refusal (ECANCELED, which the game tells as
    // the browser's and no disk gives for a save).
    errnoOf: function(error) {
      if (error && error.name === 'QuotaExceededError') return {{{ cDefine('ENOSPC') }}};
      return {{{ cDefine('ECANCELED') }}};
    },
    // One sync at a time (the program waits for each); its callback is
    // called once, with the first error.
    finish: function(error) {
      var callback = MochitamaStore.pending;
      MochitamaStore.pending = null;
      if (callback) callback(error || null);
    },
    sync: function(populate, callback) {
      MochitamaStore.pending = callback;
      try {
        FS.syncfs(populate, MochitamaStore.finish);
      } catch (error) {
        MochitamaStore.finish(error);
      }
    },
    // IDBFS reports neither a transaction that aborts (a full quota) nor a
    // request that fails, and would wait for ever or call it a success:
    // every transaction on the store is watched here, and a failed one is
    // rolled back whole.
    watch: function(db) {
      var open = db.transaction.bind(db);
      db.transaction = function(names, mode) {
        var transaction = mode === 'readwrite' ? open(names, mode, { durability: 'strict' }) : open(names, mode);
        transaction.addEventListener('abort', function() {
          MochitamaStore.finish(transaction.error || new DOMException('aborted', 'AbortError'));
        });
        transaction.addEventListener('error', function(event) {
          MochitamaStore.finish(event.target.error || transaction.error || new DOMException('failed', 'UnknownError'));
          try {
            transaction.abort();
          } catch (ignored) {
            // already finished
          }
        });
        return transaction;
      };
      return db;
    },
  },

  // Mounts the store at `directory` with what IndexedDB holds. The page
  // opened the database and read it, read-only, beside the program's
  // download (Module.recordStore, from page/early.js): its files are put
  // in place here as IDBFS's own populating would, with their times, so
  // that later syncs see them as what IndexedDB holds.
  mochitama_open_storage__deps: ['$FS', '$IDBFS', '$MochitamaStore'],
  mochitama_open_storage: function(directory) {
    var path = UTF8ToString(directory);
    return Asyncify.handleSleep(function(wakeUp) {
      var refuse = function(error) {
        MochitamaStore.refusal = error ? MochitamaStore.errnoOf(error) : 0;
        wakeUp(MochitamaStore.refusal);
      };
      Promise.resolve(Module['recordStore']).then(function(opened) {
        if (!opened || opened.error || !opened.db) return refuse(opened ? opened.error || new Error('no store') : new Error('no store'));
        if (opened.db.version !== IDBFS.DB_VERSION) return refuse(new Error('the store has another layout'));
        IDBFS.dbs[path] = MochitamaStore.watch(opened.db);
        FS.mkdir(path);
        FS.mount(IDBFS, {}, path);
        // Folders before what they hold.
        var entries = (opened.entries || []).slice().sort(function(a, b) { return a.path < b.path ? -1 : 1; });
        var placed = 0;
        var placeNext = function(error) {
          if (error) return refuse(error);
          if (placed === entries.length) return refuse(null);
          var entry = entries[placed++];
          IDBFS.storeLocalEntry(entry.path, entry, placeNext);
        };
        placeNext(null);
      }, refuse);
    });
  },

  // fsync and fdatasync: the store is written before they return.
  fd_sync__sig: 'ii',
  fd_sync__deps: ['$FS', '$SYSCALLS', '$MochitamaStore'],
  fd_sync: function(fd) {
    try {
      SYSCALLS.getStreamFromFD(fd);
    } catch (error) {
      return error.errno || {{{ cDefine('EBADF') }}};
    }
    return Asyncify.handleSleep(function(wakeUp) {
      if (MochitamaStore.refusal !== 0) return wakeUp(MochitamaStore.refusal);
      MochitamaStore.sync(false, function(error) {
        wakeUp(error ? MochitamaStore.errnoOf(error) : 0);
      });
    });
  },
});
