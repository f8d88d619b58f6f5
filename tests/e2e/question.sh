# The start-up question and what each answer leads to: a window, full screen,
# no run at all, and the question on a terminal when there is no display.
source "$(dirname "$0")/lib.sh" "$@"

# Escape four times: Intro -> Slideshow -> Scroller -> Outro -> exit, each
# time once the next phase shows (slide 1, the Scroller's picture, the first
# closing card, all stretched to the window: references $2<n>.png).
walk_phases() {
    local tag=$1 ref=$2
    local top=$((WIN_W * 5 / 8))x$((WIN_H / 2))+$((WIN_W * 5 / 16))+0
    press Escape
    wait_match "$E2E_SCRATCH/$tag-slide.png" "${ref}4.png" "$top" 0.08 30 ||
        fail "$tag: Escape in the Intro did not bring the first slide (MAE $MATCH_MAE)"
    press Escape
    wait_match "$E2E_SCRATCH/$tag-scroller.png" "${ref}13.png" "${WIN_W}x$((WIN_H / 2))+0+0" 0.08 30 ||
        fail "$tag: Escape in the Slideshow did not bring the Scroller (MAE $MATCH_MAE)"
    press Escape
    wait_match "$E2E_SCRATCH/$tag-outro.png" "${ref}11.png" "${WIN_W}x${WIN_H}+0+0" 0.08 30 ||
        fail "$tag: Escape in the Scroller did not bring the first closing card (MAE $MATCH_MAE)"
    escape_ends_outro "${ref}12.png"
}

start_x

# --- No: an 800x600 window, loading screen, frames, Escape walks the phases.
start_show "$E2E_REPO" windowed
answer n
wait_window
note "window $WID at $WIN_X,$WIN_Y size ${WIN_W}x$WIN_H"
[ "$WIN_W" = 800 ] && [ "$WIN_H" = 600 ] || fail "windowed size is ${WIN_W}x$WIN_H, expected 800x600"
question_left && fail "the question box is still there after the answer"
check_no_children
shot "$E2E_SCRATCH/windowed-first.png"

# The first title card comes within a few seconds and carries on changing
# (glows drift, the card fades).
ref_picture "$E2E_DATA/mij1.jpg" "$E2E_SCRATCH/ref-mij1.png"
wait_card "$E2E_SCRATCH/windowed-intro.png" "$E2E_SCRATCH/ref-mij1.png" 800x600+0+0 0.03 60 ||
    fail "the first title card never showed (MAE $MATCH_MAE against mij1.jpg)"
note "first title card shown (MAE $MATCH_MAE, brightness evened out)"
first_vs_intro=$(mae "$E2E_SCRATCH/windowed-first.png" "$E2E_SCRATCH/windowed-intro.png")
note "first screenshot vs title card: MAE $first_vs_intro"
d=$(deadline 20)
while :; do
    sleep 0.5
    shot "$E2E_SCRATCH/windowed-intro2.png"
    v=$(mae "$E2E_SCRATCH/windowed-intro.png" "$E2E_SCRATCH/windowed-intro2.png")
    gt "$v" 0 && break
    before "$d" || fail "the intro screenshots stay identical for 20 s: nothing is animated"
done
check_no_children
[ "$(ls /proc/"$SHOW_PID"/task | wc -l)" -ge 1 ] || fail "cannot read the program's threads"

walk_phases windowed "$E2E_SCRATCH/ref-mij"
[ -s "$SHOW_OUT" ] && fail "a run with every data file present printed: $(cat "$SHOW_OUT")"
note "windowed run: caption, 800x600, phases walked with Escape, exit 0"

# --- Cancel (Escape in the box): no window ever, no output, exit 0.
start_show "$E2E_REPO" cancel
answer Escape
d=$(deadline 3)
giveup=$(deadline 30)
while kill -0 "$SHOW_PID" 2>/dev/null || before "$d"; do
    [ -n "$(show_windows)" ] && fail "a show window appeared after Cancel"
    kill -0 "$SHOW_PID" 2>/dev/null || break
    before "$giveup" || break
    sleep 0.05
done
expect_exit 30 0
[ -n "$(show_windows)" ] && fail "a show window appeared after Cancel"
[ -s "$SHOW_OUT" ] && fail "Cancel printed on stdout: $(cat "$SHOW_OUT")"
question_left && fail "the question box is left behind after Cancel"
note "Cancel: exit 0, no window, no output"

# --- Yes: full screen, as large as the screen (with a window manager, which
# is what carries out a full-screen request on X).
start_wm
eval "$(xdotool getdisplaygeometry --shell)"
screen_w=$WIDTH screen_h=$HEIGHT
WIN_W=$screen_w WIN_H=$screen_h
for n in 1 4 11 12 13; do ref_picture "$E2E_DATA/mij$n.jpg" "$E2E_SCRATCH/ref-full-mij$n.png"; done
start_show "$E2E_REPO" fullscreen
answer y
wait_window
note "full-screen window $WID at $WIN_X,$WIN_Y size ${WIN_W}x$WIN_H (screen ${screen_w}x$screen_h)"
[ "$WIN_X" = 0 ] && [ "$WIN_Y" = 0 ] && [ "$WIN_W" = "$screen_w" ] && [ "$WIN_H" = "$screen_h" ] ||
    fail "full-screen window is ${WIN_W}x$WIN_H at $WIN_X,$WIN_Y; the screen is ${screen_w}x$screen_h"
# The picture fills the whole screen: the title card, stretched, not a corner.
wait_card "$E2E_SCRATCH/fullscreen-intro.png" "$E2E_SCRATCH/ref-full-mij1.png" "${WIN_W}x${WIN_H}+0+0" 0.07 60 ||
    fail "the full-screen title card does not fill the screen (MAE $MATCH_MAE)"
check_no_children
walk_phases fullscreen "$E2E_SCRATCH/ref-full-mij"
note "Yes: full screen ${WIN_W}x$WIN_H, exit 0"

# --- No display, answer on a terminal: "c" means no run.
term_out=$E2E_SCRATCH/terminal.txt
(
    unset DISPLAY
    cd "$E2E_REPO" && printf 'c\n' | timeout 60 script -qec "$E2E_MIJ" /dev/null
) >"$term_out" 2>&1
rc=$?
[ $rc = 0 ] || fail "with the answer c on a terminal the program ended with status $rc: $(cat "$term_out")"
grep -q 'Run in fullscreen mode? (Cancel means no run)' "$term_out" ||
    fail "the terminal did not show the question: $(cat "$term_out")"
grep -q 'Failed to load\|Mix_LoadMUS\|Couldn' "$term_out" && fail "Cancel on the terminal still set the show up"
note "terminal: question shown, c -> exit 0"

question_left && fail "the question box is left behind"

# --- From the box to the window on an X server that resets when its last
# client leaves (Xvfb alone, as under `make run` with nothing else on it): a
# window opened while it resets finds no display. The show keeps a connection
# open from the question until its window is up, so its count of connections,
# in the server's own log, never falls to none in between.
kill "$WM_PID" "$XVFB_PID" 2>/dev/null
wait "$WM_PID" "$XVFB_PID" 2>/dev/null
WM_PID="" XVFB_PID=""
start_x 1024x768x24 resets
WIN_X=0 WIN_Y=0 WIN_W=800 WIN_H=600
start_show "$E2E_REPO" handover
answer n
wait_window
check_no_children
held=$(awk -v pid="$SHOW_PID" '
    / connected from / { c = $0; sub(/.*client /, "", c); sub(/ .*/, "", c)
                         p = $0; sub(/.*pid=/, "", p); sub(/[^0-9].*/, "", p)
                         if (p == pid) { ours[c] = 1; n++; if (n > most) most = n } }
    / disconnected/    { c = $0; sub(/.*client /, "", c); sub(/ .*/, "", c)
                         if (c in ours) { delete ours[c]; n--; if (n == 0) dropped = 1 } }
    END { printf "%s %d", dropped ? "dropped" : "held", most }' "$E2E_SCRATCH/xvfb.log")
note "hand-over on a resetting server: the show's connections $held at most"
case $held in
    held\ [2-9]*) ;;
    *) fail "the show's connections to the display fell to none between the question and its window ($held; see xvfb.log)" ;;
esac
grep -q "Couldn't find a display" "$SHOW_OUT" && fail "the show said there is no display: $(cat "$SHOW_OUT")"
exit 0
