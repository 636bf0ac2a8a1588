'use strict';

// Keeps the calculator's page in the browser, so that after one visit it
// opens and calculates without a network. The cache's name holds the
// program's version and a digest of the page's files, which the build writes
// in, with the names of the files: a page that changes brings a new worker,
// which fills a new cache and removes the one before. Each copy of the page
// on a server, in its own folder, keeps a cache of its own.
const scope = self.registration.scope;
const cacheName = `ostrilume @OSTRILUME_PAGE_VERSION@ ${scope}`;
const files = '@OSTRILUME_KEPT_FILES@'.split(':');

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(cacheName)
        .then((cache) => cache.addAll(files.map((file) => new Request(file, { cache: 'reload' }))))
        .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    const earlier = (name) => name.startsWith('ostrilume ') && name.endsWith(` ${scope}`) && name !== cacheName;
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names.filter(earlier).map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

// The page's own files come from the cache, whatever their query (the
// expression in ?x= among it); the folder itself is its index.html.
self.addEventListener('fetch', (event) => {
    const url = new URL(event.request.url);
    if (event.request.method !== 'GET' || !url.href.startsWith(scope)) return;
    const file = url.pathname.endsWith('/') ? `${url.origin}${url.pathname}index.html` : `${url.origin}${url.pathname}`;
    event.respondWith(caches.open(cacheName)
        .then((cache) => cache.match(file, { ignoreSearch: true }))
        .then((cached) => cached || fetch(event.request)));
});
