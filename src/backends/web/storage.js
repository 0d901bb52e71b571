// The record store: the page's file system kept in IndexedDB (IDBFS). A write
// is durable when fsync returns: fsync waits for IndexedDB to take the whole
// store in one transaction, so a closed tab or a reload never keeps half a
// file. When the browser refuses the store (a private window, blocked site
// data, a full quota), every fsync fails with the reason, and the game says
// so as it does for a disk that refuses a save.
mergeInto(LibraryManager.library, {
  $MochitamaStore: {
    refusal: 0,
    // The errno a refusal reads as.
    errnoOf: function(error) {
      var name = error && error.name;
      if (name === 'QuotaExceededError') return {{{ cDefine('ENOSPC') }}};
      if (name === 'SecurityError' || name === 'InvalidStateError' || name === 'NotAllowedError' ||
          name === 'UnknownError' || !name)
        return {{{ cDefine('EACCES') }}};
      return {{{ cDefine('EIO') }}};
    },
  },

  mochitama_open_storage__deps: ['$FS', '$IDBFS', '$MochitamaStore'],
  mochitama_open_storage: function(directory) {
    var path = UTF8ToString(directory);
    return Asyncify.handleSleep(function(wakeUp) {
      var done = function(error) {
        MochitamaStore.refusal = error ? MochitamaStore.errnoOf(error) : 0;
        wakeUp(MochitamaStore.refusal);
      };
      try {
        FS.mkdir(path);
        FS.mount(IDBFS, {}, path);
        FS.syncfs(true, done);
      } catch (error) {
        done(error);
      }
    });
  },

  // fsync and fdatasync: the store is written before they return.
  fd_sync__sig: 'ii',
  fd_sync__deps: ['$FS', '$SYSCALLS', '$MochitamaStore'],
  fd_sync: function(fd) {
    var stream;
    try {
      stream = SYSCALLS.getStreamFromFD(fd);
    } catch (error) {
      return error.errno || {{{ cDefine('EBADF') }}};
    }
    return Asyncify.handleSleep(function(wakeUp) {
      if (MochitamaStore.refusal !== 0) {
        wakeUp(MochitamaStore.refusal);
        return;
      }
      var mount = stream.node.mount;
      if (!mount.type.syncfs) {
        wakeUp(0);
        return;
      }
      try {
        mount.type.syncfs(mount, false, function(error) {
          wakeUp(error ? MochitamaStore.errnoOf(error) : 0);
        });
      } catch (error) {
        wakeUp(MochitamaStore.errnoOf(error));
      }
    });
  },
});
