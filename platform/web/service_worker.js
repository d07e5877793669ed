// The page's service worker: every file the page plays with, the music's included, is stored
// under a cache named for the build when the worker is installed, and served from there first,
// so that after one visit the page opens and plays without a network. A new build's worker
// stores its files beside the old build's and waits, as browsers let it, until no page of the
// old build is open: a page loaded from one build gets every file from that build, the music
// it fetches later too. Once the new worker runs, the older builds' caches go.
// The build writes this file with its build's name and files (make_service_worker.cmake).
"use strict";

const BUILD = "@KF_BUILD@";
const CACHE = "kesselfass3d-" + BUILD;
const CACHE_PREFIX = "kesselfass3d-";
const FILES = [@KF_FILES@];

self.addEventListener("install", (event) => {
    // Past the browser's HTTP cache, so that the build's own bytes are stored.
    event.waitUntil(caches.open(CACHE).then((cache) =>
        cache.addAll(FILES.map((name) => new Request(name, {cache: "reload"})))));
});

self.addEventListener("activate", (event) => {
    event.waitUntil(caches.keys().then((names) => Promise.all(names
        .filter((name) => name.startsWith(CACHE_PREFIX) && name !== CACHE)
        .map((name) => caches.delete(name)))).then(() => self.clients.claim()));
});

function cachedName(request) {
    const url = new URL(request.url);
    if (url.origin !== self.location.origin) {
        return null;
    }
    const scope = new URL(self.registration.scope).pathname;
    const name = url.pathname.startsWith(scope) ? url.pathname.slice(scope.length) : null;
    if (name === "" || (request.mode === "navigate" && name === "index.html")) {
        return "index.html";
    }
    return FILES.includes(name) ? name : null;
}

self.addEventListener("fetch", (event) => {
    const name = event.request.method === "GET" ? cachedName(event.request) : null;
    if (name === null) {
        return;
    }
    event.respondWith(caches.open(CACHE).then((cache) => cache.match(name)).then((stored) =>
        stored || fetch(event.request)));
});
