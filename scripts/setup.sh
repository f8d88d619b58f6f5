#!/usr/bin/env bash
# Installs the Debian packages that Mijotine needs, by purpose:
#   setup.sh            what building the show and its data set needs (make run)
#   setup.sh video      + the recorder's video libraries        (make video)
#   setup.sh package    + Debian's packaging tools               (make package)
#   setup.sh web        + emscripten and a browser               (make web)
#   setup.sh test       all of the above and the test tools     (make test)
# Quiet and quick when everything is already there; uses sudo when not root.
set -euo pipefail

SHOW=(
  # build
  g++ make cmake pkg-config
  # the program: SDL 1.2 (the maintained compat layer, which must come in the
  # same apt command as the SDL 1.2 add-on libraries), OpenGL and GLU
  libsdl1.2-compat-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev
  libglu1-mesa-dev
  # the start-up question box: a small dialog with Xlib and Xft
  libx11-dev libxft-dev
  # the data generator: drawing, JPEG, Ogg Vorbis, loudness, and the font it copies
  libcairo2-dev libturbojpeg0-dev libvorbis-dev libebur128-dev fonts-dejavu-extra
)
VIDEO=(
  # the recorder: FFmpeg's libraries
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev libavutil-dev
  # drawing with no display: OpenGL contexts through EGL, Mesa's software renderer
  libegl1 libegl-mesa0 libgl1-mesa-dri
)
PACKAGE=(
  # building and checking the Debian package
  dpkg-dev debhelper fakeroot lintian desktop-file-utils appstream
  # the recorder's manual page, made from its --help
  help2man
)
WEB=(
  # the browser build and its test browsers
  emscripten node-acorn chromium firefox-esr
)
TEST=(
  libgtest-dev
  # headless tests: virtual X server with software GL, a small window manager (for full
  # screen), real input, screenshots, sound checks
  xvfb xauth xdotool x11-utils imagemagick libgl1-mesa-dri sox jwm python3 procps
  # the package test: a bare Debian 12 to install into, and its manual pages read
  mmdebstrap man-db
  # the layout test: where each function ends
  universal-ctags
)

PACKAGES=("${SHOW[@]}")
for profile in "$@"; do
  case "$profile" in
    video) PACKAGES+=("${VIDEO[@]}") ;;
    package) PACKAGES+=("${PACKAGE[@]}") ;;
    web) PACKAGES+=("${WEB[@]}") ;;
    test) PACKAGES+=("${VIDEO[@]}" "${PACKAGE[@]}" "${WEB[@]}" "${TEST[@]}") ;;
    *) echo "setup.sh: unknown profile '$profile' (video, package, web, test)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
