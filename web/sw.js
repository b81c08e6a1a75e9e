// Keeps the whole site in the browser's cache, so that the page opens offline after one visit.
// The build fills in the site's files and a version that changes with any of them; a new
// version replaces the old cache.
'use strict';
const CACHE = 'pelmora-@VERSION@';
const FILES = [@FILES@];

self.addEventListener('install', event => {
  event.waitUntil(caches.open(CACHE).then(cache => cache.addAll(FILES))
    .then(() => self.skipWaiting()));
});
self.addEventListener('activate', event => {
  event.waitUntil(caches.keys()
    .then(names => Promise.all(names.filter(name => name !== CACHE)
      .map(name => caches.delete(name))))
    .then(() => self.clients.claim()));
});
self.addEventListener('fetch', event => {
  event.respondWith(caches.match(event.request, { ignoreSearch: true })
    .then(cached => cached ?? fetch(event.request)));
});
