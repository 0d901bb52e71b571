// The page's service worker. It keeps one whole version of the site, so that
// a visit after the first plays offline. The page itself comes from the
// network whenever there is one, so a new version starts at the next visit;
// a version's files live in a folder of their own (v/HASH/), so the page of
// one version never meets a file of another. The records stay in IndexedDB,
// which this worker never touches.
'use strict';

const VERSION = '@VERSION@';
const CACHE = 'mochitama-' + VERSION;
// Relative to this script: the page, then every file of the version.
const FILES = @FILES@;

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

// Only the newest whole version is kept.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name.startsWith('mochitama-') && name !== CACHE)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  if (request.mode === 'navigate') {
    event.respondWith(fetch(request).catch(() => caches.open(CACHE).then((cache) => cache.match('./'))
      .then((kept) => kept || Response.error())));
    return;
  }
  // A version's files never change: the kept copy is the file.
  event.respondWith(caches.match(request).then((kept) => kept || fetch(request)));
});
