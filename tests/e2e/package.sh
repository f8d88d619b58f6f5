# The Debian package, as a person gets it: `make package` builds it from a
# copy of the source tree; lintian, desktop-file-validate and appstreamcli
# find nothing to complain about; dpkg installs it into a private root (no
# change to this machine's own packages, so the test is safe anywhere); the
# menu's command, started from an unrelated folder, asks the question and
# shows the first title card from the installed data; it closes; dpkg purges
# it and nothing of it is left. `cmake --install` and the uninstall script
# leave nothing behind either.
source "$(dirname "$0")/lib.sh" "$@"

S=$E2E_SCRATCH
XCLOSE_BIN=$(xclose_tool)
for tool in dpkg-deb dpkg-buildpackage dh lintian desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run 'bash scripts/setup.sh package'"
done

# --- Build the package from a copy of the tree, as `make package` does it.
SRC=$S/src
mkdir -p "$SRC"
if git -C "$E2E_REPO" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # tracked and new files, without what .gitignore leaves out (builds, data, out)
    (cd "$E2E_REPO" && git ls-files -z -co --exclude-standard |
        xargs -0 sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh |
        tar --null -T - -cf -) | tar -C "$SRC" -xf - || fail "cannot copy the source tree"
else
    tar -C "$E2E_REPO" --exclude=./.git --exclude='./build*' --exclude=./data --exclude=./out \
        --exclude=./debian/mijotine --exclude=./debian/.debhelper -cf - . | tar -C "$SRC" -xf - ||
        fail "cannot copy the source tree"
fi
note "building the package"
env -u MAKEFLAGS -u MAKELEVEL -u MFLAGS make -C "$SRC" package >"$S/package.log" 2>&1 || { tail -30 "$S/package.log" >&2; fail "make package failed"; }
DEB=$(ls "$SRC"/out/mijotine_*_*.deb 2>/dev/null | head -1)
[ -f "$DEB" ] || fail "make package left no out/mijotine_*.deb"
note "built $(basename "$DEB") ($(du -k "$DEB" | cut -f1) kB)"

[ "$(dpkg-deb -f "$DEB" Section)" = games ] || fail "the package's section is '$(dpkg-deb -f "$DEB" Section)', not games"
depends=$(dpkg-deb -f "$DEB" Depends)
[[ $depends == *libsdl* && $depends == *libc6* ]] || fail "Depends lacks the computed libraries: $depends"
# Every dependency is met by what this machine has installed.
apt-get -s install "$DEB" >"$S/apt.log" 2>&1 || { cat "$S/apt.log" >&2; fail "the package's dependencies cannot be met"; }

lintian --fail-on error,warning "$DEB" >"$S/lintian.log" 2>&1 ||
    { cat "$S/lintian.log" >&2; fail "lintian reports errors or warnings"; }
note "lintian: no error, no warning"

# --- Install into a private root with dpkg itself.
R=$S/root
mkdir -p "$R/var/lib/dpkg/info" "$R/var/lib/dpkg/updates" "$R/var/lib/dpkg/triggers"
touch "$R/var/lib/dpkg/status" "$R/var/lib/dpkg/available"
DPKG=(dpkg "--root=$R" --log=/dev/null)
[ "$(id -u)" -eq 0 ] || DPKG+=(--force-not-root)
# The dependencies are the host's (checked above); the private root has none.
"${DPKG[@]}" --force-depends -i "$DEB" >"$S/dpkg-install.log" 2>&1 ||
    { cat "$S/dpkg-install.log" >&2; fail "dpkg could not install the package"; }
"${DPKG[@]}" -L mijotine >"$S/files.txt" || fail "dpkg does not list the package's files"
note "installed: $(wc -l <"$S/files.txt") paths"

DESKTOP=$R/usr/share/applications/mijotine.desktop
METAINFO=$(ls "$R"/usr/share/metainfo/*.metainfo.xml 2>/dev/null | head -1)
for f in "$R/usr/games/mijotine" "$R/usr/share/man/man6/mijotine.6.gz" \
    "$R/usr/share/doc/mijotine/copyright" "$DESKTOP"; do
    [ -e "$f" ] || fail "the package has no ${f#"$R"}"
done
# The font is a link into fonts-dejavu-extra, which the package depends on;
# the host's copy stands in for that package in the private root while the
# show runs.
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSerifCondensed.ttf
[ "$(readlink -m "$R/usr/share/games/mijotine/data/font.ttf")" = "$R$FONT" ] ||
    fail "data/font.ttf links to $(readlink "$R/usr/share/games/mijotine/data/font.ttf"), not $FONT"
[[ $depends == *fonts-dejavu-extra* ]] || fail "the package does not depend on fonts-dejavu-extra"
mkdir -p "$R$(dirname "$FONT")"
ln -s "$FONT" "$R$FONT"
[ -n "$METAINFO" ] || fail "the package has no AppStream metainfo"
grep -q 'License: bitstream-vera' "$R/usr/share/doc/mijotine/copyright" || fail "the copyright file lacks the font's licence"
desktop-file-validate "$DESKTOP" >"$S/desktop.log" 2>&1 || { cat "$S/desktop.log" >&2; fail "desktop-file-validate rejects the menu entry"; }
[ -s "$S/desktop.log" ] && fail "desktop-file-validate: $(cat "$S/desktop.log")"
appstreamcli validate --no-net --pedantic "$METAINFO" >"$S/appstream.log" 2>&1 ||
    { cat "$S/appstream.log" >&2; fail "appstreamcli rejects the metainfo"; }
grep -qE '^[EWIP]:' "$S/appstream.log" && fail "appstreamcli: $(grep -E '^[EWIP]:' "$S/appstream.log")"
# Each icon is a PNG of its own size.
for n in 32 48 64 128 256; do
    icon=$R/usr/share/icons/hicolor/${n}x${n}/apps/mijotine.png
    [ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${n}x${n}" ] ||
        fail "icon ${n}x${n}: $(identify -format '%m %wx%h' "$icon" 2>&1)"
done
# ... and the same art as the window's icon: the largest, shrunk to 32 px.
"$IM_CONVERT" "$R/usr/share/icons/hicolor/256x256/apps/mijotine.png" -resize 32x32 "$S/icon-256-small.png"
v=$(mae "$S/icon-256-small.png" "$R/usr/share/games/mijotine/data/icon.jpg")
lt "$v" 0.04 || fail "the 256 px icon does not look like data/icon.jpg (MAE $v)"
icon=$(sed -n 's/^Icon=//p' "$DESKTOP")
[ -f "$R/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "the menu entry's icon '$icon' is not installed"

# --- Start the menu entry's command from an unrelated folder, with the
# private root's command folder on PATH as /usr/games is on a user's.
command=$(sed -n 's/^Exec=//p' "$DESKTOP")
[ "$command" = mijotine ] || fail "the menu entry runs '$command'"
ELSEWHERE=$S/elsewhere
mkdir -p "$ELSEWHERE"
export PATH="$R/usr/games:$PATH"
[ "$(command -v mijotine)" = "$R/usr/games/mijotine" ] || fail "mijotine on PATH is $(command -v mijotine)"
E2E_MIJ=mijotine
E2E_DATA=$R/usr/share/games/mijotine/data
start_x
start_show "$ELSEWHERE" installed
answer n
wait_window
wait_intro
note "the installed show's first title card is up (MAE $MATCH_MAE against the installed mij1.jpg)"
"$XCLOSE_BIN" "$WID" || fail "xclose could not ask window $WID to close"
# A close request skips to the closing cards, which take 7.5 s.
expect_exit 20 0

rm -r "$R/usr/share/fonts"

# --- Purge, and nothing of the package is left in the root but dpkg's own files.
"${DPKG[@]}" -P mijotine >"$S/dpkg-purge.log" 2>&1 || { cat "$S/dpkg-purge.log" >&2; fail "dpkg could not purge the package"; }
left=$(cd "$R" && find . -mindepth 1 ! -path './var' ! -path './var/lib' ! -path './var/lib/dpkg' ! -path './var/lib/dpkg/*')
[ -z "$left" ] || fail "left behind after purging: $left"
ls "$R/var/lib/dpkg/info" | grep -q '^mijotine\.' && fail "dpkg still keeps files of mijotine: $(ls "$R/var/lib/dpkg/info")"
note "purged: nothing left"

# --- cmake --install into a staging folder and the uninstall script: nothing left.
STAGE=$S/stage
mkdir -p "$STAGE"
DESTDIR=$STAGE cmake --install "$SRC/build/deb" >"$S/cmake-install.log" 2>&1 ||
    { cat "$S/cmake-install.log" >&2; fail "cmake --install failed"; }
n=$(find "$STAGE" -type f -o -type l | wc -l)
[ "$n" -ge 30 ] || fail "cmake --install put only $n files in place"
DESTDIR=$STAGE cmake -DMANIFEST="$SRC/build/deb/install_manifest.txt" -P "$SRC/cmake/uninstall.cmake" \
    >"$S/cmake-uninstall.log" 2>&1 || { cat "$S/cmake-uninstall.log" >&2; fail "the uninstall script failed"; }
[ -z "$(ls -A "$STAGE")" ] || fail "left behind after uninstalling: $(cd "$STAGE" && find . -mindepth 1)"
note "cmake --install put $n files in place; uninstalling left nothing"
exit 0
