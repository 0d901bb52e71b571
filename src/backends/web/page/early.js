// What the page begins at once, beside the program's download and compile:
// the one-copy guard, and the record store opened (on a first visit,
// created) and read, so that the program, when it starts, finds both done.
// The store is only read here; the program writes it.
import { kGuardPrefix, kRecordStore, kRecordStoreLayout } from './contract.js';
import { takeGuard } from './guard.js';

// The record file the game keeps in the store.
const RECORD_FILE = kRecordStore + '/MT.INI';
const FILES = 'FILE_DATA';

// The browser would not give the site a store.
export class StorageRefused extends Error {
  constructor(cause) {
    super(cause ? String(cause.message || cause) : 'no store');
    this.name = 'StorageRefused';
  }
}

const request = (r) => new Promise((resolve, reject) => {
  r.onsuccess = () => resolve(r.result);
  r.onerror = (event) => {
    event.preventDefault();
    reject(r.error);
  };
});

function openStore() {
  return new Promise((resolve, reject) => {
    let opening;
    try {
      opening = indexedDB.open(kRecordStore, kRecordStoreLayout);
    } catch (error) {
      reject(new StorageRefused(error));
      return;
    }
    // emscripten's IDBFS layout: one store of files by path, with an index
    // of their times.
    opening.onupgradeneeded = () => {
      const db = opening.result;
      const store = db.objectStoreNames.contains(FILES) ? opening.transaction.objectStore(FILES)
        : db.createObjectStore(FILES);
      if (!store.indexNames.contains('timestamp')) store.createIndex('timestamp', 'timestamp', { unique: false });
    };
    opening.onsuccess = () => resolve(opening.result);
    opening.onerror = (event) => {
      event.preventDefault();
      reject(new StorageRefused(opening.error));
    };
  });
}

// Every file and folder the store holds: { path, timestamp, mode, contents }.
async function readStore(db) {
  const store = db.transaction(FILES, 'readonly').objectStore(FILES);
  const [paths, entries] = await Promise.all([request(store.getAllKeys()), request(store.getAll())]);
  return paths.map((path, i) => ({ path: String(path), ...entries[i] }));
}

let begun = null;

// { guard, store }: promises of the guard's answer and of { db, entries }.
export function beginEarly() {
  if (begun === null) {
    const store = openStore().then(async (db) => {
      try {
        return { db, entries: await readStore(db) };
      } catch (error) {
        throw new StorageRefused(error);
      }
    });
    begun = { guard: takeGuard(kGuardPrefix + RECORD_FILE), store };
  }
  return begun;
}
