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

# The data set is packed from where the native build writes it.
DATA=$(sed -n 's/^DATA_DIR:PATH=//p' "$BUILD/CMakeCache.txt")
DATA=${DATA:-$REPO/data}

# Debian's emscripten finds its JavaScript optimiser's parser (node-acorn) here.
export NODE_PATH=/usr/share/nodejs
if [ ! -f "$WEB_BUILD/CMakeCache.txt" ] || ! grep -qxF "DATA_DIR:PATH=$DATA" "$WEB_BUILD/CMakeCache.txt"; then
    emcmake cmake -S web -B "$WEB_BUILD" -DCMAKE_BUILD_TYPE=Release -DCMAKE_RULE_MESSAGES=OFF \
        -DDATA_DIR="$DATA" -DOUT_DIR="$REPO/$OUT" >/dev/null
fi
cmake --build "$WEB_BUILD" -j2 -- --no-print-directory | sed -u '/Built target/d'

# The page's script takes the font's and the song's names from the data set's table.
# shellcheck source=/dev/null
. "$WEB_BUILD/data_names.sh"
sed -e "s|@FONT_FILE@|$FONT_FILE|g" -e "s|@SONG_FILE@|$SONG_FILE|g" web/page.js >"$OUT/page.js"
! grep -q '@[A-Z_]*@' "$OUT/page.js" || { echo "build.sh: a data file's name was left out of page.js" >&2; exit 1; }
cp web/page.css web/sw.js "$OUT/"
# The installed page's icons: the desktop icon's art at the manifest's sizes.
"$BUILD/mkpictures" --web-icons "$OUT" >/dev/null
# The manifest names them under their digests, as the page names its files,
# so that the service worker serves them too on a visit without a network.
icons=()
for f in icon-192.png icon-512.png; do
    icons+=(-e "s|\"src\": \"$f\"|\"src\": \"$f?v=$(sha256sum "$OUT/$f" | cut -c1-16)\"|")
done
sed "${icons[@]}" web/manifest.webmanifest >"$OUT/manifest.webmanifest"
[ "$(grep -c '"src": "icon-[0-9]*\.png?v=[0-9a-f]\{16\}"' "$OUT/manifest.webmanifest")" = 2 ] ||
    { echo "build.sh: the manifest's icons were not named by their digests" >&2; exit 1; }
# The page carries the size and a digest of each of the show's files: it
# checks what arrives against them, asks for each under its digest (so that
# its offline copy is kept by content), and the digests together name this
# build.
facts=""
page_js="" page_css=""
for f in mijotine.js mijotine.wasm mijotine.data "$SONG_FILE" page.js page.css manifest.webmanifest icon-192.png icon-512.png; do
    size=$(stat -c %s "$OUT/$f")
    hash=$(sha256sum "$OUT/$f" | cut -c1-16)
    facts="$facts${facts:+,}\"$f\":{\"size\":$size,\"hash\":\"$hash\"}"
    case $f in page.js) page_js=$hash ;; page.css) page_css=$hash ;; manifest.webmanifest) manifest=$hash ;; esac
done
# The finer pictures, one after another, and the list of their names and
# sizes that the page unpacks them by.
: >"$OUT/mijotine-finer.data"
parts=""
for f in $FINER_FILES; do
    cat "$DATA/$f" >>"$OUT/mijotine-finer.data"
    parts="$parts${parts:+,}[\"$f\",$(stat -c %s "$DATA/$f")]"
done
finer="{\"size\":$(stat -c %s "$OUT/mijotine-finer.data"),\"hash\":\"$(sha256sum "$OUT/mijotine-finer.data" | cut -c1-16)\",\"parts\":[$parts]}"
build=$(printf '%s' "$facts$finer" | sha256sum | cut -c1-16)
sed -e "s|<script id=\"build\" type=\"application/json\">{}</script>|<script id=\"build\" type=\"application/json\">{\"build\":\"$build\",\"files\":{$facts},\"finer\":$finer}</script>|" \
    -e "s|src=\"page.js\"|src=\"page.js?v=$page_js\"|" -e "s|href=\"page.css\"|href=\"page.css?v=$page_css\"|" \
    -e "s|href=\"manifest.webmanifest\"|href=\"manifest.webmanifest?v=$manifest\"|" \
    web/index.html >"$OUT/index.html.new"
grep -q '"files":{"mijotine.js"' "$OUT/index.html.new" && grep -q "page.js?v=$page_js" "$OUT/index.html.new" ||
    { echo "build.sh: the page's file list was not written" >&2; exit 1; }
mv "$OUT/index.html.new" "$OUT/index.html"
echo "$OUT/index.html"
