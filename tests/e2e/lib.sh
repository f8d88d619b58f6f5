# Shared helpers for the end-to-end scripts. Each script is run as
#   bash <script> <path-to-mijotine> <repo-root> <scratch-dir>
# and sources this file first. Every wait here is bounded; the EXIT trap
# stops the program under test and the private X server.

set -u

E2E_NAME=$(basename "$0" .sh)
[ $# -ge 3 ] || { echo "usage: $0 <mijotine> <repo-root> <scratch-dir>" >&2; exit 2; }
E2E_MIJ=$(readlink -f "$1")
E2E_REPO=$(readlink -f "$2")
E2E_SCRATCH=$3
[ -x "$E2E_MIJ" ] || { echo "FAIL [$E2E_NAME]: no program at $1" >&2; exit 1; }
rm -rf "$E2E_SCRATCH"
mkdir -p "$E2E_SCRATCH"
E2E_SCRATCH=$(readlink -f "$E2E_SCRATCH")
E2E_DATA=$E2E_REPO/data

CAPTION='Mijotine - Issue 1 - In the kitchen with Stovecraft'
# The real ImageMagick, where a wrapper of the same name sits earlier on PATH.
IM_CONVERT=convert
[ -x /usr/bin/convert ] && IM_CONVERT=/usr/bin/convert

export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
# ImageMagick's worker threads spin against each other on a busy machine and
# make a screenshot or a comparison take seconds; one thread each is quick.
export MAGICK_THREAD_LIMIT=1

XVFB_PID=""
WM_PID=""
SHOW_PID=""
SHOW_RC=""
WID=""
WIN_X=0
WIN_Y=0
WIN_W=800
WIN_H=600
E2E_START=$(date +%s.%N)

note() { echo "[$E2E_NAME] $(awk -v a="$E2E_START" -v b="$(date +%s.%N)" 'BEGIN { printf "%5.1f", b - a }') $*"; }

fail() {
    echo "FAIL [$E2E_NAME]: $*" >&2
    if [ -n "${SHOW_OUT:-}" ] && [ -f "$SHOW_OUT" ]; then
        echo "--- program stdout:" >&2
        head -c 2000 "$SHOW_OUT" >&2
        echo >&2
    fi
    exit 1
}

e2e_cleanup() {
    local rc=$?
    if [ -n "$SHOW_PID" ] && kill -0 "$SHOW_PID" 2>/dev/null; then
        pkill -KILL -P "$SHOW_PID" 2>/dev/null
        kill -KILL "$SHOW_PID" 2>/dev/null
    fi
    if [ -n "$WM_PID" ]; then
        kill "$WM_PID" 2>/dev/null
        wait "$WM_PID" 2>/dev/null
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    local now
    now=$(date +%s.%N)
    if [ $rc -eq 0 ]; then
        echo "[$E2E_NAME] PASS in $(awk -v a="$E2E_START" -v b="$now" 'BEGIN { printf "%.1f", b - a }') s"
    fi
    exit $rc
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

# Seconds since the epoch with fractions, for deadlines.
now() { date +%s.%N; }
# True while the deadline (from now()) has not passed.
before() { awk -v d="$1" -v n="$(now)" 'BEGIN { exit !(n < d) }'; }
deadline() { awk -v s="$1" -v n="$(now)" 'BEGIN { printf "%.3f", n + s }'; }

# Starts a private virtual X server of the given screen (default 1024x768x24)
# and points DISPLAY at it. It stays up when its last client leaves, unless
# the second argument is "resets": then it resets as a bare X server does, and
# logs every client's coming and going (with its pid) in xvfb.log.
start_x() {
    XMATCH_BIN=$(e2e_tool xmatch)
    local screen=${1:-1024x768x24}
    local f=$E2E_SCRATCH/xvfb.display
    local mode=-noreset
    [ "${2:-}" = resets ] && mode="-audit 4"
    : >"$f"
    # shellcheck disable=SC2086
    Xvfb -displayfd 1 -screen 0 "$screen" -nolisten tcp $mode >"$f" 2>"$E2E_SCRATCH/xvfb.log" &
    XVFB_PID=$!
    wait_display "$f" "$E2E_SCRATCH/xvfb.log" Xvfb
}

# Waits until the X server $XVFB_PID, started with -displayfd into file $1
# (its log in $2, called $3 in messages), says its display number, and
# points DISPLAY at it.
wait_display() {
    local f=$1 log=$2 what=$3 d
    d=$(deadline 30)
    while ! grep -q '^[0-9]' "$f"; do
        kill -0 "$XVFB_PID" 2>/dev/null || fail "$what did not start: $(tail -3 "$log")"
        before "$d" || fail "$what gave no display number within 30 s"
        sleep 0.05
    done
    export DISPLAY=":$(head -1 "$f")"
    unset XAUTHORITY
}

# Starts a small window manager (jwm) on the private display. Full screen
# needs one: the program asks the window manager to make its window cover
# the screen, and a bare X server never does.
start_wm() {
    command -v jwm >/dev/null || fail "jwm (Debian package jwm) is needed for the full-screen check"
    jwm >"$E2E_SCRATCH/jwm.log" 2>&1 &
    WM_PID=$!
    local d
    d=$(deadline 30)
    # jwm marks the root window once it manages the screen.
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
        kill -0 "$WM_PID" 2>/dev/null || fail "jwm did not start: $(tail -3 "$E2E_SCRATCH/jwm.log")"
        before "$d" || fail "jwm did not take over the screen within 30 s"
        sleep 0.1
    done
}

# Starts the program in the given working directory (default: the repository
# root, where ./data/ is), with stdin from /dev/null. Output goes to
# $SHOW_OUT / $SHOW_ERR.
start_show() {
    # The references every walk through the phases needs.
    local n
    for n in 1 4 11 12 13; do ref_picture "$E2E_DATA/mij$n.jpg" "$E2E_SCRATCH/ref-mij$n.png"; done
    local dir=${1:-$E2E_REPO}
    local tag=${2:-run}
    SHOW_OUT=$E2E_SCRATCH/$tag.stdout
    SHOW_ERR=$E2E_SCRATCH/$tag.stderr
    (cd "$dir" && exec "$E2E_MIJ") >"$SHOW_OUT" 2>"$SHOW_ERR" </dev/null &
    SHOW_PID=$!
    SHOW_RC=""
    WID=""
}

# Finds the start-up question and answers it with one key, as a person would.
answer() {
    local key=$1
    local ids
    ids=$(timeout 60 xdotool search --sync --onlyvisible --name '^Mijotine!$' 2>/dev/null) ||
        fail "the start-up question 'Mijotine!' did not appear within 60 s"
    DIALOG_ID=$(echo "$ids" | head -1)
    timeout 30 xdotool windowfocus --sync "$DIALOG_ID" || fail "could not focus the question box"
    xdotool key "$key"
}

# Window ids of visible windows with the show's exact caption.
show_windows() { xdotool search --onlyvisible --name "^${CAPTION}\$" 2>/dev/null; }

# Waits for the show's window, records its id and geometry and gives it focus.
wait_window() {
    local limit=${1:-60}
    local d
    d=$(deadline "$limit")
    while :; do
        WID=$(show_windows | head -1)
        [ -n "$WID" ] && break
        kill -0 "$SHOW_PID" 2>/dev/null || fail "the program ended before its window appeared"
        before "$d" || fail "no window with the caption '$CAPTION' within ${limit} s"
        sleep 0.1
    done
    eval "$(xdotool getwindowgeometry --shell "$WID")"
    WIN_X=$X WIN_Y=$Y WIN_W=$WIDTH WIN_H=$HEIGHT
    [ "$(xdotool getwindowname "$WID")" = "$CAPTION" ] || fail "caption is '$(xdotool getwindowname "$WID")'"
    timeout 30 xdotool windowfocus --sync "$WID" || fail "could not focus the show's window"
}

# Screenshot of the show's window area (from the root window) into $1. On a
# busy machine a grab can come late or fail once; only three failures in a
# row count.
shot() {
    local out=$1 try
    for try in 1 2 3; do
        import -silent -window root -crop "${WIN_W}x${WIN_H}+${WIN_X}+${WIN_Y}" +repage "$out" 2>/dev/null &&
            return 0
        sleep 0.5
    done
    fail "taking a screenshot failed three times"
}

# Keys for the show, paced; a phase reads every key queued during its frame,
# so a key meant for the next phase is only pressed once that phase shows
# (wait for it in between).
press() {
    local k
    for k in "$@"; do
        xdotool key "$k"
        sleep 0.15
    done
}

# Waits up to $1 seconds for the program to end; its exit status lands in
# SHOW_RC.
wait_exit() {
    local limit=$1
    local d
    d=$(deadline "$limit")
    while kill -0 "$SHOW_PID" 2>/dev/null; do
        before "$d" || fail "the program was still running ${limit} s after it should have ended"
        sleep 0.1
    done
    wait "$SHOW_PID"
    SHOW_RC=$?
    SHOW_PID=""
}

expect_exit() {
    local limit=$1 want=$2
    wait_exit "$limit"
    [ "$SHOW_RC" = "$want" ] || fail "exit status $SHOW_RC, expected $want"
}

# Once something ($1: "Escape", "a close request") has been sent during the
# first closing card: the program must end, with status 0, before the second
# card ever shows (it grows from the centre 4.55 s into the cards, which would
# run 7.5 s by themselves). That is told from the screen, watched until the
# program has ended, rather than from how long it took, which on a busy
# machine says nothing. $2: the second card's reference at the window's size
# (default ref-mij12.png, which start_show makes).
ends_before_second_card() {
    local what=$1 ref=${2:-$E2E_SCRATCH/ref-mij12.png}
    local centre=$((WIN_W / 4))x$((WIN_H / 4))+$((WIN_W * 3 / 8))+$((WIN_H * 3 / 8))
    watch_screen "$E2E_SCRATCH/after-outro-request.png" 60 --pid "$SHOW_PID" \
        "avoid:$(ppm_of "$ref"):$centre:0.06:even"
    case $? in
        4) ;;
        3) fail "$what did not end the closing cards: the second card showed after it (after-outro-request.png)" ;;
        *) fail "the program still ran 60 s after $what in the closing cards" ;;
    esac
    expect_exit 20 0
}

# Escape in the first closing card ends the program at once (see
# ends_before_second_card; $1 as there).
escape_ends_outro() {
    kill -0 "$SHOW_PID" 2>/dev/null || fail "the program ended in the first closing card, before Escape"
    press Escape
    ends_before_second_card Escape "$@"
}

# Fails if any process other than the show itself still descends from it
# (a dialog left behind, or a child never reaped).
check_no_children() {
    local kids
    kids=$(ps -o pid=,stat=,comm= --ppid "$SHOW_PID" 2>/dev/null)
    [ -z "$kids" ] || fail "the program has child processes while the show runs: $kids"
}

# True when the question box is still on this test's display.
question_left() {
    [ -n "$(xdotool search --name '^Mijotine!$' 2>/dev/null)" ]
}

# --- picture measurements (ImageMagick) -----------------------------------

# Reference picture: a data file stretched to the window size (800x600
# before the window is there), made once. Making one takes a second or more
# on a busy machine: scripts make theirs before the show starts, since a card
# may be gone by the time a late one is ready.
ref_picture() {
    local src=$1 out=$2
    [ -s "$out" ] && return 0
    "$IM_CONVERT" "$src" -resize "${WIN_W}x${WIN_H}!" "$out" || fail "cannot scale $src"
    ppm_of "$out" >/dev/null
}

# Normalised mean absolute difference (0..1) between two pictures, optionally
# in a region WxH+X+Y.
mae() {
    local a=$1 b=$2 g=${3:-}
    [ -n "$g" ] && { a="$a[$g]"; b="$b[$g]"; }
    compare -metric MAE "$a" "$b" null: 2>&1 | sed -n 's/.*(\([0-9.e+-]*\)).*/\1/p'
}

# Mean brightness (0..1) of a picture, optionally in a region.
mean() {
    local a=$1 g=${2:-}
    [ -n "$g" ] && a="$a[$g]"
    "$IM_CONVERT" "$a" -colorspace gray -format '%[fx:mean]' info:
}

# Mean of each channel as "r g b" (0..1).
mean_rgb() {
    local a=$1 g=${2:-}
    [ -n "$g" ] && a="$a[$g]"
    "$IM_CONVERT" "$a" -format '%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]' info:
}

# Floating-point comparison: lt A B, gt A B.
lt() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 < b + 0) }'; }
gt() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0 > b + 0) }'; }

# Path to a helper of tests/e2e/tools: $XCLOSE / $XMATCH, or next to the
# program, or built into the scratch directory from its source as a last resort.
e2e_tool() {
    local name=$1 var
    var=$(echo "$name" | tr a-z A-Z)
    if [ -n "${!var:-}" ] && [ -x "${!var}" ]; then
        echo "${!var}"
        return
    fi
    local beside
    beside=$(dirname "$E2E_MIJ")/$name
    if [ -x "$beside" ]; then
        echo "$beside"
        return
    fi
    local built=$E2E_SCRATCH/$name
    [ -x "$built" ] || g++ -O1 -o "$built" "$E2E_REPO/tests/e2e/tools/$name.cpp" -lX11 >&2 || fail "cannot build $name"
    echo "$built"
}
xclose_tool() { e2e_tool xclose; }

# The binary PPM beside a reference PNG, made once, for xmatch.
ppm_of() {
    local p=${1%.png}.ppm
    [ -s "$p" ] && [ "$p" -nt "$1" ] || "$IM_CONVERT" "$1" -depth 8 "ppm:$p" || fail "cannot convert $1"
    echo "$p"
}

# Watches the window for up to $2 seconds with xmatch (the other arguments
# are its targets); the last grab lands in $1 (PNG). Sets MATCH_MAE and returns
# xmatch's status: 0 matched, 1 time ran out, 3 an avoided picture showed,
# 4 the program ended. A grab and its comparison happen in one process, so
# the watch keeps up with the show on a busy machine.
watch_screen() {
    local out=$1 limit=$2 rc
    shift 2
    MATCH_MAE=$("$XMATCH_BIN" "$WIN_X" "$WIN_Y" "$WIN_W" "$WIN_H" "$limit" "$out.ppm" "$@")
    rc=$?
    [ $rc = 2 ] && fail "xmatch could not watch the screen"
    # The fastest PNG there is: a key may wait on this (a tenth of the time).
    "$IM_CONVERT" "$out.ppm" -define png:compression-level=1 -define png:compression-filter=0 "$out" &&
        rm -f "$out.ppm" || fail "cannot convert the grab $out.ppm"
    return $rc
}

# Waits up to $5 seconds until region $3 of the window matches $2 within MAE
# $4; the last grab stays in $1.
wait_match() {
    local out=$1 ref=$2 g=$3 limit_mae=$4 limit=$5
    watch_screen "$out" "$limit" "want:$(ppm_of "$ref"):$g:$limit_mae"
}

# Like wait_match, for a card that fades in and out: the grab's brightness in
# the region is first evened out to the reference's, so a card counts at any
# brightness from half of full upwards. It returns as soon as the card shows,
# for a key meant for that phase must not wait on picture work (on a busy
# machine, seconds); only a card that never showed leaves its evened-out
# grab beside the last one, as <name>-even.png (even_out makes it later).
wait_card() {
    local out=$1 ref=$2 g=$3 limit_mae=$4 limit=$5 rc
    watch_screen "$out" "$limit" "want:$(ppm_of "$ref"):$g:$limit_mae:even"
    rc=$?
    [ $rc = 0 ] || even_out "$out" "$ref" "$g"
    return $rc
}

# The grab $1 with its brightness in region $3 evened out to reference $2's,
# as <name>-even.png.
even_out() {
    local out=$1 ref=$2 g=$3 even=${1%.png}-even.png means
    means=$("$IM_CONVERT" "$out[$g]" "$ref[$g]" -colorspace gray -format '%[fx:mean] ' info:)
    set -- $means
    if gt "$1" 0; then
        "$IM_CONVERT" "$out" -evaluate multiply "$(awk -v a="$1" -v r="$2" 'BEGIN { print r / a }')" "$even"
    else
        cp "$out" "$even"
    fi
}

# Waits until the first title card shows. Keys pressed before that would land
# in the loading screen, which reads and drops them. The card is at full
# brightness for under two seconds and a screenshot on a busy machine can
# take one, so any brightness from half of full counts (the grab: intro.png).
wait_intro() {
    ref_picture "$E2E_DATA/mij1.jpg" "$E2E_SCRATCH/ref-mij1.png"
    wait_card "$E2E_SCRATCH/intro.png" "$E2E_SCRATCH/ref-mij1.png" 800x600+0+0 0.03 ${1:-60} ||
        fail "the first title card never showed (MAE $MATCH_MAE against mij1.jpg)"
}

# From the title cards to the Scroller with two Escapes, checking the first
# slide and then the Scroller's picture (saved as <name>.png). Leaves the
# reference pictures of slide 1, the Scroller and the first closing card in
# the scratch dir as ref-mij4.png, ref-mij13.png and ref-mij11.png.
escape_to_scroller() {
    local shot=$1
    ref_picture "$E2E_DATA/mij4.jpg" "$E2E_SCRATCH/ref-mij4.png"
    ref_picture "$E2E_DATA/mij13.jpg" "$E2E_SCRATCH/ref-mij13.png"
    ref_picture "$E2E_DATA/mij11.jpg" "$E2E_SCRATCH/ref-mij11.png"
    press Escape
    wait_match "$E2E_SCRATCH/slide.png" "$E2E_SCRATCH/ref-mij4.png" 800x250+0+0 0.04 30 ||
        fail "Escape in the Intro did not bring the first slide (MAE $MATCH_MAE)"
    press Escape
    wait_match "$E2E_SCRATCH/$shot.png" "$E2E_SCRATCH/ref-mij13.png" 480x300+0+0 0.04 30 ||
        fail "Escape in the Slideshow did not bring the Scroller's picture (MAE $MATCH_MAE)"
}
