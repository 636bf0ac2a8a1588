'use strict';

// Keeps the calculator's page in the browser, so that after one visit it
// opens and calculates without a network. The cache's name holds the
// program's version and a digest of the page's files, which the build writes
// in, with the names of the files and the start of each one's SHA-256: a page
// that changes brings a new worker, which fills a new cache and removes the
// one before. Each copy of the page on a server, in its own folder, keeps a
// cache of its own.
const scope = self.registration.scope;
const cacheName = `ostrilume @OSTRILUME_PAGE_VERSION@ ${scope}`;
const files = {
@OSTRILUME_KEPT_FILES@};

// A release installs only whole: every file is fetched past the browser's
// cache and must be the one the build made. While a new release is copied
// over the old one, some files are still the old ones, or missing; the
// install then fails and says why in the console, and the old release goes
// on working, offline too, until a later visit finds the copy complete.
async function install() {
    const fetched = await Promise.all(Object.entries(files).map(async ([file, digest]) => {
        const response = await fetch(new Request(file, { cache: 'reload' }));
        if (!response.ok) throw new Error(`${file}: ${response.status} ${response.statusText}`);
        const found = new Uint8Array(await crypto.subtle.digest('SHA-256', await response.clone().arrayBuffer()));
        const hex = [...found].map((byte) => byte.toString(16).padStart(2, '0')).join('');
        if (!hex.startsWith(digest)) throw new Error(`${file} is not the one of this release`);
        return [file, response];
    }));
    const cache = await caches.open(cacheName);
    await Promise.all(fetched.map(([file, response]) => cache.put(file, response)));
}

self.addEventListener('install', (event) => {
    event.waitUntil(install().then(() => self.skipWaiting(), (error) => {
        console.error(`Ostrilume: this release of the page was not installed: ${error.message}`);
        throw error;
    }));
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
