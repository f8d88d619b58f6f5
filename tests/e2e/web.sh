# The show in its web page: out/web/ (brought up to date here, which is quick
# when `make test` has just built it) served on 127.0.0.1 and driven in
# Debian's headless chromium by tests/web/web_test.mjs through puppeteer-core.
source "$(dirname "$0")/lib.sh" "$@"

S=$E2E_SCRATCH
WEB_OUT=${WEB_OUT:-$E2E_REPO/out/web}

if [ -z "${WEB_OUT_READY:-}" ]; then
    note "bringing out/web up to date"
    BUILD=$(dirname "$E2E_MIJ") bash "$E2E_REPO/web/build.sh" >"$S/build.log" 2>&1 ||
        fail "building the web page failed: $(tail -20 "$S/build.log")"
fi
for f in index.html page.js page.css sw.js manifest.webmanifest icon-192.png icon-512.png \
    mijotine.js mijotine.wasm mijotine.data song.ogg; do
    [ -s "$WEB_OUT/$f" ] || fail "no $f in $WEB_OUT"
done

# The site: the page at its root, and beside it copies that each lack one of
# its files, have it cut short or have one byte of it changed, for the page's
# words about each failure.
SITE=$S/site
rm -rf "$SITE"
mkdir -p "$SITE"
for f in "$WEB_OUT"/*; do ln -s "$f" "$SITE/"; done
DAMAGED="mijotine.js mijotine.wasm mijotine.data song.ogg icon-192.png"
for case in no-data cut-data no-wasm $(for f in $DAMAGED; do echo "damaged-$f"; done); do
    mkdir "$SITE/$case"
    for f in "$WEB_OUT"/*; do ln -s "$f" "$SITE/$case/"; done
done
rm "$SITE/no-data/mijotine.data" "$SITE/no-wasm/mijotine.wasm" "$SITE/cut-data/mijotine.data"
# The same size, one byte in the middle different.
for f in $DAMAGED; do
    rm "$SITE/damaged-$f/$f"
    python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[len(b) // 2] ^= 0xff
open(sys.argv[2], "wb").write(b)' "$WEB_OUT/$f" "$SITE/damaged-$f/$f"
    cmp -s "$WEB_OUT/$f" "$SITE/damaged-$f/$f" && fail "damaged-$f/$f is no different"
done
# A copy of its own that the test turns into the next build.
cp -r "$WEB_OUT" "$SITE/update"
export MIJOTINE_SITE=$SITE
head -c $(($(stat -c %s "$WEB_OUT/mijotine.data") / 2)) "$WEB_OUT/mijotine.data" >"$SITE/cut-data/mijotine.data"

# puppeteer-core from npm, as locked; it drives the system's chromium.
TOOLS=$E2E_REPO/tests/web
if [ ! -f "$TOOLS/node_modules/.package-lock.json" ] ||
    [ "$TOOLS/package-lock.json" -nt "$TOOLS/node_modules/.package-lock.json" ]; then
    (cd "$TOOLS" && npm ci --no-audit --no-fund --loglevel=error) >"$S/npm.log" 2>&1 ||
        fail "npm ci failed: $(tail -5 "$S/npm.log")"
fi

# A static server on a free port of the loopback address.
PORT=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$SITE" >"$S/http.log" 2>&1 &
SHOW_PID=$!  # stopped by the shared clean-up
d=$(deadline 20)
until python3 -c "import urllib.request; urllib.request.urlopen('http://127.0.0.1:$PORT/index.html')" 2>/dev/null; do
    kill -0 "$SHOW_PID" 2>/dev/null || fail "the web server did not start: $(tail -3 "$S/http.log")"
    before "$d" || fail "the web server did not answer within 20 s"
    sleep 0.2
done
note "serving $WEB_OUT on port $PORT"

# The same cases in each browser: chromium headless, firefox-esr on the X
# display (headless Firefox has no WebGL), one at a time.
mkdir -p "$S/chromium" "$S/firefox"
timeout 540 node "$TOOLS/web_test.mjs" "http://127.0.0.1:$PORT/" "$E2E_DATA" "$S/chromium" chromium ||
    fail "the page did not play the show as it should in chromium (screenshots in $S/chromium)"
command -v firefox-esr >/dev/null || fail "no firefox-esr (scripts/setup.sh web installs it)"
X=()
[ -n "${DISPLAY:-}" ] || X=(xvfb-run -a -s "-screen 0 1280x1024x24")
timeout 540 "${X[@]}" node "$TOOLS/web_test.mjs" "http://127.0.0.1:$PORT/" "$E2E_DATA" "$S/firefox" firefox ||
    fail "the page did not play the show as it should in firefox-esr (screenshots in $S/firefox)"
kill "$SHOW_PID" 2>/dev/null
wait "$SHOW_PID" 2>/dev/null
SHOW_PID=""
