# The start-up question and what each answer leads to: a window, full screen,
# no run at all, and the question on a terminal when there is no display.
source "$(dirname "$0")/lib.sh" "$@"

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

# The first title card at full brightness comes within a few seconds and
# carries on changing (glows drift, the card fades later).
ref_picture "$E2E_DATA/mij1.jpg" "$E2E_SCRATCH/ref-mij1.png"
wait_match "$E2E_SCRATCH/windowed-intro.png" "$E2E_SCRATCH/ref-mij1.png" 800x600+0+0 0.03 10 ||
    fail "the first title card never showed (MAE $MATCH_MAE against mij1.jpg)"
note "first title card shown (MAE $MATCH_MAE)"
first_vs_intro=$(mae "$E2E_SCRATCH/windowed-first.png" "$E2E_SCRATCH/windowed-intro.png")
note "first screenshot vs title card: MAE $first_vs_intro"
sleep 0.5
shot "$E2E_SCRATCH/windowed-intro2.png"
d=$(mae "$E2E_SCRATCH/windowed-intro.png" "$E2E_SCRATCH/windowed-intro2.png")
gt "$d" 0 || fail "two intro screenshots 0.5 s apart are identical: nothing is animated"
check_no_children
[ "$(ls /proc/"$SHOW_PID"/task | wc -l)" -ge 1 ] || fail "cannot read the program's threads"

# Escape four times: Intro -> Slideshow -> Scroller -> Outro -> exit.
ref_picture "$E2E_DATA/mij4.jpg" "$E2E_SCRATCH/ref-mij4.png"
ref_picture "$E2E_DATA/mij13.jpg" "$E2E_SCRATCH/ref-mij13.png"
ref_picture "$E2E_DATA/mij11.jpg" "$E2E_SCRATCH/ref-mij11.png"
press Escape
wait_match "$E2E_SCRATCH/windowed-slide.png" "$E2E_SCRATCH/ref-mij4.png" 500x300+250+0 0.08 8 ||
    fail "Escape in the Intro did not bring the first slide (MAE $MATCH_MAE)"
press Escape
wait_match "$E2E_SCRATCH/windowed-scroller.png" "$E2E_SCRATCH/ref-mij13.png" 800x300+0+0 0.08 8 ||
    fail "Escape in the Slideshow did not bring the Scroller (MAE $MATCH_MAE)"
press Escape
wait_match "$E2E_SCRATCH/windowed-outro.png" "$E2E_SCRATCH/ref-mij11.png" 800x600+0+0 0.08 8 ||
    fail "Escape in the Scroller did not bring the first closing card (MAE $MATCH_MAE)"
press Escape
expect_exit 5 0
[ -s "$SHOW_OUT" ] && fail "a run with every data file present printed: $(cat "$SHOW_OUT")"
note "windowed run: caption, 800x600, phases walked with Escape, exit 0"

# --- Cancel (Escape in the box): no window ever, no output, exit 0.
start_show "$E2E_REPO" cancel
answer Escape
d=$(deadline 3)
while kill -0 "$SHOW_PID" 2>/dev/null || before "$d"; do
    [ -n "$(show_windows)" ] && fail "a show window appeared after Cancel"
    kill -0 "$SHOW_PID" 2>/dev/null || break
    sleep 0.05
done
expect_exit 5 0
[ -n "$(show_windows)" ] && fail "a show window appeared after Cancel"
[ -s "$SHOW_OUT" ] && fail "Cancel printed on stdout: $(cat "$SHOW_OUT")"
question_left && fail "the question box is left behind after Cancel"
note "Cancel: exit 0, no window, no output"

# --- Yes: full screen, as large as the screen (with a window manager, which
# is what carries out a full-screen request on X).
start_wm
eval "$(xdotool getdisplaygeometry --shell)"
screen_w=$WIDTH screen_h=$HEIGHT
start_show "$E2E_REPO" fullscreen
answer y
wait_window
note "full-screen window $WID at $WIN_X,$WIN_Y size ${WIN_W}x$WIN_H (screen ${screen_w}x$screen_h)"
[ "$WIN_X" = 0 ] && [ "$WIN_Y" = 0 ] && [ "$WIN_W" = "$screen_w" ] && [ "$WIN_H" = "$screen_h" ] ||
    fail "full-screen window is ${WIN_W}x$WIN_H at $WIN_X,$WIN_Y; the screen is ${screen_w}x$screen_h"
# The picture fills the whole screen: the title card, stretched, not a corner.
ref_picture "$E2E_DATA/mij1.jpg" "$E2E_SCRATCH/ref-mij1-full.png"
wait_match "$E2E_SCRATCH/fullscreen-intro.png" "$E2E_SCRATCH/ref-mij1-full.png" "${WIN_W}x${WIN_H}+0+0" 0.07 10 ||
    fail "the full-screen title card does not fill the screen (MAE $MATCH_MAE)"
check_no_children
press Escape Escape Escape
sleep 1
press Escape
expect_exit 8 0
note "Yes: full screen ${WIN_W}x$WIN_H, exit 0"

# --- No display, answer on a terminal: "c" means no run.
term_out=$E2E_SCRATCH/terminal.txt
(
    unset DISPLAY
    cd "$E2E_REPO" && printf 'c\n' | timeout 20 script -qec "$E2E_MIJ" /dev/null
) >"$term_out" 2>&1
rc=$?
[ $rc = 0 ] || fail "with the answer c on a terminal the program ended with status $rc: $(cat "$term_out")"
grep -q 'Run in fullscreen mode? (Cancel means no run)' "$term_out" ||
    fail "the terminal did not show the question: $(cat "$term_out")"
grep -q 'Failed to load\|Mix_LoadMUS\|Couldn' "$term_out" && fail "Cancel on the terminal still set the show up"
note "terminal: question shown, c -> exit 0"

question_left && fail "the question box is left behind"
exit 0
