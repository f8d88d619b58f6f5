'use strict';
// Keeps the show's files for a visit without a network. Every file but the
// page itself is asked for under its content's digest (name?v=digest), so
// that one is served from here whenever it is held, and a new build, whose
// files have new names, never meets an old file. The page is asked of the
// network first and taken from here only when that fails; a new page
// registers this worker under its build's name, and that worker drops the
// files of every other build once it takes over.
const BUILD = new URL(self.location.href).searchParams.get('build') || 'unnamed';
const CACHE = `mijotine-${BUILD}`;
const PAGE = new URL('./', self.location.href).href;

// The page's list of files, as the build wrote it into the page.
function filesOf(html) {
  const m = /<script id="build" type="application\/json">(.*?)<\/script>/.exec(html);
  return m ? JSON.parse(m[1]).files || {} : {};
}

// The first 16 hex digits of the bytes' SHA-256, as the build writes them.
async function digestOf(bytes) {
  const d = await crypto.subtle.digest('SHA-256', bytes);
  return [...new Uint8Array(d, 0, 8)].map((b) => b.toString(16).padStart(2, '0')).join('');
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    const page = await fetch(PAGE, { cache: 'no-cache' });
    if (!page.ok) throw new Error(`the page answered ${page.status}`);
    const files = filesOf(await page.clone().text());
    await cache.put(PAGE, page);
    // The page has usually put its files here itself as they came, once it
    // had checked them. A file that is not the one its digest names is not
    // kept: a visit without a network goes without it, and the next visit
    // with one asks for it again.
    await Promise.all(Object.entries(files).map(async ([name, file]) => {
      const url = new URL(`${name}?v=${file.hash}`, PAGE).href;
      if (await cache.match(url)) return;
      const response = await fetch(url, { cache: 'no-cache' });
      if (!response.ok) throw new Error(`${name} answered ${response.status}`);
      if ((await digestOf(await response.clone().arrayBuffer())) !== file.hash) {
        console.warn(`${name} is damaged on the site: it is not kept for a visit without a network.`);
        return;
      }
      await cache.put(url, response);
    }));
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith('mijotine-') && name !== CACHE) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin) return;
  if (url.searchParams.has('v')) {
    event.respondWith(caches.match(request).then((held) => held || fetch(request)));
  } else if (request.mode === 'navigate' || url.href === PAGE || url.pathname.endsWith('/index.html')) {
    // No network, or a site that has lost the page: the page as last seen.
    event.respondWith(fetch(request).then(
      async (response) => (response.ok ? response : (await caches.match(PAGE)) || response),
      async () => (await caches.match(PAGE)) || Response.error()));
  }
});
