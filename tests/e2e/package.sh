# The Debian packages, as a person gets them: `make package` builds mijotine
# and mijotine-record from a copy of the source tree; lintian,
# desktop-file-validate and appstreamcli find nothing to complain about; apt
# installs both into a bare Debian 12 made with mmdebstrap (nothing but apt,
# as a new user's minimal system is), so every library the programs need must
# come from their own dependencies. In that root, under its own X server, an
# ordinary user starts the menu's command from an unrelated folder; it asks
# the question and shows the first title card from the installed data, and
# closes; the installed recorder records two seconds from the user's home
# folder with no display; apt purges both and nothing of them is left.
# `cmake --install` and the uninstall script leave nothing behind either.
#
# The root needs root: mounts in a private mount namespace, which end with
# the test. The bare root and apt's downloads are kept in the build tree's
# e2e-cache/ for the next run.
if [ "${MIJOTINE_PACKAGE_NS:-}" != 1 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "SKIP [package]: installing into a bare root needs root (mounts and chroot)"
        exit 77
    fi
    exec env MIJOTINE_PACKAGE_NS=1 unshare --mount --propagation private bash "$0" "$@"
fi
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
REC=$(ls "$SRC"/out/mijotine-record_*_*.deb 2>/dev/null | head -1)
[ -f "$DEB" ] || fail "make package left no out/mijotine_*.deb"
[ -f "$REC" ] || fail "make package left no out/mijotine-record_*.deb"
note "built $(basename "$DEB") ($(du -k "$DEB" | cut -f1) kB) and $(basename "$REC") ($(du -k "$REC" | cut -f1) kB)"

for d in "$DEB" "$REC"; do
    [ "$(dpkg-deb -f "$d" Section)" = games ] || fail "$(basename "$d"): section '$(dpkg-deb -f "$d" Section)', not games"
done
depends=$(dpkg-deb -f "$DEB" Depends)
[[ $depends == *libsdl* && $depends == *libc6* ]] || fail "Depends lacks the computed libraries: $depends"
# The SDL 1.2 it is built and tested with is sdl12-compat; the classic
# library meets the computed dependency too, and cannot run the show.
[[ ,$depends, == *", libsdl1.2-compat-shim,"* ]] || fail "mijotine does not depend on libsdl1.2-compat-shim: $depends"
rdepends=$(dpkg-deb -f "$REC" Depends)
[[ $rdepends == "mijotine (= $(dpkg-deb -f "$DEB" Version))"* ]] || fail "mijotine-record does not depend on this mijotine: $rdepends"

lintian --fail-on error,warning "$DEB" "$REC" >"$S/lintian.log" 2>&1 ||
    { cat "$S/lintian.log" >&2; fail "lintian reports errors or warnings"; }
note "lintian: no error, no warning"

# --- The files as installed, read from the packages themselves.
X=$S/contents
dpkg-deb -x "$DEB" "$X" && dpkg-deb -x "$REC" "$X" || fail "dpkg-deb cannot unpack the packages"
DESKTOP=$X/usr/share/applications/mijotine.desktop
METAINFO=$(ls "$X"/usr/share/metainfo/*.metainfo.xml 2>/dev/null | head -1)
for f in "$X/usr/games/mijotine" "$X/usr/share/man/man6/mijotine.6.gz" "$X/usr/share/doc/mijotine/copyright" \
    "$X/usr/games/mijotine-record" "$X/usr/share/man/man1/mijotine-record.1.gz" \
    "$X/usr/share/doc/mijotine-record/copyright" "$DESKTOP" \
    "$X/usr/share/games/mijotine/data/mij1@2x.jpg" "$X/usr/share/games/mijotine/data/unpack@2x.jpg"; do
    [ -e "$f" ] || fail "the packages have no ${f#"$X"}"
done
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSerifCondensed.ttf
[ "$(readlink -m "$X/usr/share/games/mijotine/data/font.ttf")" = "$X$FONT" ] ||
    fail "data/font.ttf links to $(readlink "$X/usr/share/games/mijotine/data/font.ttf"), not $FONT"
[[ $depends == *fonts-dejavu-extra* ]] || fail "the package does not depend on fonts-dejavu-extra"
[ -n "$METAINFO" ] || fail "the package has no AppStream metainfo"
grep -q '<project_license>MIT AND Bitstream-Vera</project_license>' "$METAINFO" ||
    fail "the metainfo's licence is $(grep -o '<project_license>.*</project_license>' "$METAINFO")"
for lic in 'License: Expat' 'License: Bitstream-Vera'; do
    grep -q "^$lic\$" "$X/usr/share/doc/mijotine/copyright" || fail "the copyright file lacks '$lic'"
done
man_text=$(MANWIDTH=100 man -l "$X/usr/share/man/man1/mijotine-record.1.gz" 2>/dev/null)
for section in SYNOPSIS DESCRIPTION 'TOUR FILE FORMAT' EXAMPLES 'EXIT STATUS'; do
    grep -q "^$section" <<<"$man_text" || fail "the recorder's manual page has no $section section"
done
grep -q -- '--print-tour' <<<"$man_text" || fail "the recorder's manual page does not list its options"
grep -q -- '--captions' <<<"$man_text" || fail "the recorder's manual page does not tell of its captions"
# The scroll text as plain text to read, where the show's manual page says it is.
SCROLL=/usr/share/doc/mijotine/scroll-text.txt
{ [ -f "$X$SCROLL" ] && iconv -f UTF-8 -t UTF-8 "$X$SCROLL" >/dev/null &&
    grep -qx "Welcome to the totally nouvelle Mijotine!" "$X$SCROLL"; } || fail "the package has no plain $SCROLL"
MANWIDTH=200 man -l "$X/usr/share/man/man6/mijotine.6.gz" 2>/dev/null | grep -qF "$SCROLL" ||
    fail "the show's manual page does not say where the scroll text is"
desktop-file-validate "$DESKTOP" >"$S/desktop.log" 2>&1 || { cat "$S/desktop.log" >&2; fail "desktop-file-validate rejects the menu entry"; }
[ -s "$S/desktop.log" ] && fail "desktop-file-validate: $(cat "$S/desktop.log")"
appstreamcli validate --no-net --pedantic "$METAINFO" >"$S/appstream.log" 2>&1 ||
    { cat "$S/appstream.log" >&2; fail "appstreamcli rejects the metainfo"; }
grep -qE '^[EWIP]:' "$S/appstream.log" && fail "appstreamcli: $(grep -E '^[EWIP]:' "$S/appstream.log")"
# Each icon is a PNG of its own size.
for n in 32 48 64 128 256; do
    icon=$X/usr/share/icons/hicolor/${n}x${n}/apps/mijotine.png
    [ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${n}x${n}" ] ||
        fail "icon ${n}x${n}: $(identify -format '%m %wx%h' "$icon" 2>&1)"
done
# ... and the same art as the window's icon: the largest, shrunk to 32 px.
"$IM_CONVERT" "$X/usr/share/icons/hicolor/256x256/apps/mijotine.png" -resize 32x32 "$S/icon-256-small.png"
v=$(mae "$S/icon-256-small.png" "$X/usr/share/games/mijotine/data/icon.jpg")
lt "$v" 0.04 || fail "the 256 px icon does not look like data/icon.jpg (MAE $v)"
icon=$(sed -n 's/^Icon=//p' "$DESKTOP")
[ -f "$X/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "the menu entry's icon '$icon' is not installed"
command=$(sed -n 's/^Exec=//p' "$DESKTOP")
[ "$command" = mijotine ] || fail "the menu entry runs '$command'"

# --- A bare Debian 12, made once and kept: nothing in it but apt.
command -v mmdebstrap >/dev/null || fail "mmdebstrap is missing: run 'bash scripts/setup.sh package'"
CACHE=$(dirname "$(dirname "$S")")/e2e-cache
mkdir -p "$CACHE/apt-archives/partial"
BARE_TAR=$CACHE/bookworm-apt.tar
if [ ! -s "$BARE_TAR" ] || [ -n "$(find "$BARE_TAR" -mtime +6)" ]; then
    note "making a bare Debian 12 with mmdebstrap"
    rm -rf "$CACHE/part.tar"
    mmdebstrap --variant=apt --format=tar bookworm "$CACHE/part.tar" >"$S/mmdebstrap.log" 2>&1 ||
        { tail -20 "$S/mmdebstrap.log" >&2; fail "mmdebstrap could not make a bare root"; }
    mv "$CACHE/part.tar" "$BARE_TAR"
fi
R=$S/root
mkdir -p "$R"
tar -C "$R" -xf "$BARE_TAR" || fail "cannot unpack $BARE_TAR"
# The mounts are this test's own (a private mount namespace) and end with it.
# /tmp is shared, so that X display numbers and sockets are one set with this
# machine's and the test's tools reach the root's X server.
mount -t proc proc "$R/proc" && mount --rbind /dev "$R/dev" && mount --rbind /sys "$R/sys" &&
    mount --bind /tmp "$R/tmp" && mount --bind "$CACHE/apt-archives" "$R/var/cache/apt/archives" ||
    fail "cannot mount /proc, /dev, /sys, /tmp and apt's cache into the root"
in_root() { chroot "$R" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
mkdir -p "$R/var/tmp/debs"
cp "$DEB" "$REC" "$R/var/tmp/debs/" || fail "cannot copy the packages into the root"
in_root apt-get update >"$S/apt-update.log" 2>&1 || { tail -20 "$S/apt-update.log" >&2; fail "apt-get update failed in the root"; }
# Without recommends: what the programs need must be in their dependencies.
in_root apt-get install -y --no-install-recommends "/var/tmp/debs/$(basename "$DEB")" "/var/tmp/debs/$(basename "$REC")" \
    >"$S/apt-install.log" 2>&1 || { tail -30 "$S/apt-install.log" >&2; fail "apt could not install the packages into a bare root"; }
note "apt installed them into a bare root: $(grep -o '[0-9]* newly installed' "$S/apt-install.log")"
state() { in_root dpkg-query -W -f='${Status}' "$1" 2>/dev/null; }
[ "$(state libsdl1.2-compat-shim)" = "install ok installed" ] || fail "apt did not bring sdl12-compat (libsdl1.2-compat-shim)"
[ "$(state libsdl1.2debian)" = "install ok installed" ] && fail "apt brought the classic SDL 1.2 (libsdl1.2debian)"
for p in libgl1-mesa-dri libglx-mesa0 libegl-mesa0; do
    [ "$(state "$p")" = "install ok installed" ] || fail "apt did not bring $p, which the programs need to draw"
done
in_root dpkg -L mijotine mijotine-record >"$S/files.txt" || fail "dpkg does not list the packages' files"
# The root's own X server, and an ordinary user to watch the show.
in_root apt-get install -y --no-install-recommends xvfb >"$S/apt-xvfb.log" 2>&1 ||
    { tail -20 "$S/apt-xvfb.log" >&2; fail "apt could not install xvfb into the root"; }
in_root useradd --create-home viewer || fail "cannot add a user to the root"

# --- The menu entry's command, started by that user in their home folder.
f=$S/xvfb.display
: >"$f"
chroot "$R" Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset >"$f" 2>"$S/xvfb.log" &
XVFB_PID=$!
wait_display "$f" "$S/xvfb.log" "the root's Xvfb"
XMATCH_BIN=$(e2e_tool xmatch)
as_viewer() {
    chroot --userspec=viewer:viewer "$R" env -i HOME=/home/viewer USER=viewer LOGNAME=viewer \
        PATH=/usr/local/bin:/usr/bin:/bin:/usr/games "$@"
}
E2E_DATA=$R/usr/share/games/mijotine/data
for n in 1 4 11 13; do ref_picture "$E2E_DATA/mij$n.jpg" "$S/ref-mij$n.png"; done
SHOW_OUT=$S/installed.stdout
SHOW_ERR=$S/installed.stderr
as_viewer DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy sh -c "cd && exec $command" >"$SHOW_OUT" 2>"$SHOW_ERR" </dev/null &
SHOW_PID=$!
answer n
wait_window
wait_intro
note "the installed show's first title card is up for an ordinary user (MAE $MATCH_MAE against the installed mij1.jpg)"
"$XCLOSE_BIN" "$WID" || fail "xclose could not ask window $WID to close"
# A close request skips to the closing cards, which take 7.5 s.
expect_exit 20 0

# --- The installed recorder, from the user's home folder, with no display.
as_viewer sh -c 'cd && exec mijotine-record --to 2 two.mp4' >"$S/record.log" 2>&1 </dev/null ||
    { cat "$S/record.log" >&2; fail "the installed recorder failed"; }
grep -q ': 100 frames, 0:02.0, 800 x 600, ' "$S/record.log" || fail "the recorder's summary: $(tail -2 "$S/record.log")"
clip=$R/home/viewer/two.mp4
[ "$(in_root stat -c %U /home/viewer/two.mp4)" = viewer ] || fail "the recording is not the user's own"
[ "$(head -c 8 "$clip" | tail -c 4)" = ftyp ] || fail "two.mp4 is not an MP4 file"
note "the installed recorder wrote two seconds as the user: $(du -k "$clip" | cut -f1) kB"
mv "$clip" "$S/two.mp4"

# --- Purge, and nothing of the packages is left in the root.
in_root apt-get purge -y mijotine-record mijotine >"$S/apt-purge.log" 2>&1 ||
    { tail -20 "$S/apt-purge.log" >&2; fail "apt could not purge the packages"; }
left=""
while read -r path; do
    case $path in "" | /.) continue ;; esac
    [ -e "$R$path" ] || [ -L "$R$path" ] || continue
    [ -d "$R$path" ] && [ ! -L "$R$path" ] && [ -n "$(in_root dpkg -S "$path" 2>/dev/null)" ] && continue
    left="$left $path"
done <"$S/files.txt"
[ -z "$left" ] || fail "left behind after purging:$left"
ls "$R/var/lib/dpkg/info" | grep -qE '^mijotine(-record)?[.:]' && fail "dpkg still keeps files of the packages"
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
