#!/usr/bin/env bash
# Builds the show for a web page into out/web/: the page, its script, the
# wasm and the data package, from the same sources and the same generated
# data set as the desktop program. Incremental: quick when nothing changed.
#   web/build.sh            (BUILD: the native build tree, default build/)
set -euo pipefail
REPO=$(cd "$(dirname "$0")/.." && pwd)
cd "$REPO"
BUILD=${BUILD:-build}
WEB_BUILD=${WEB_BUILD:-$BUILD-web}
OUT=out/web

bash scripts/setup.sh web

# The data set comes from the native generators.
[ -f "$BUILD/CMakeCache.txt" ] ||
    cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_RULE_MESSAGES=OFF >/dev/null
cmake --build "$BUILD" -j2 --target data -- --no-print-directory | sed -u '/Built target/d'

# Debian's emscripten finds its JavaScript optimiser's parser (node-acorn) here.
export NODE_PATH=/usr/share/nodejs
[ -f "$WEB_BUILD/CMakeCache.txt" ] ||
    emcmake cmake -S web -B "$WEB_BUILD" -DCMAKE_BUILD_TYPE=Release -DCMAKE_RULE_MESSAGES=OFF \
        -DDATA_DIR="$REPO/data" -DOUT_DIR="$REPO/$OUT" >/dev/null
cmake --build "$WEB_BUILD" -j2 -- --no-print-directory | sed -u '/Built target/d'

cp web/page.js web/page.css "$OUT/"
# The page carries the size and a digest of each of the show's files: it
# checks what arrives against them, and they name this build.
facts=""
for f in mijotine.js mijotine.wasm mijotine.data song.ogg page.js page.css; do
    size=$(stat -c %s "$OUT/$f")
    hash=$(sha256sum "$OUT/$f" | cut -c1-16)
    facts="$facts${facts:+,}\"$f\":{\"size\":$size,\"hash\":\"$hash\"}"
done
sed "s|<script id=\"build\" type=\"application/json\">{}</script>|<script id=\"build\" type=\"application/json\">{\"files\":{$facts}}</script>|" \
    web/index.html >"$OUT/index.html.new"
grep -q '"files":{"mijotine.js"' "$OUT/index.html.new" || { echo "build.sh: the page's file list was not written" >&2; exit 1; }
mv "$OUT/index.html.new" "$OUT/index.html"
echo "$OUT/index.html"
