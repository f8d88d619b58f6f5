# Closing the window, as a window manager's close button asks: in the Intro,
# the Slideshow or the Scroller it skips what is left of the show but the
# closing cards still play; during the closing cards a close request or Escape
# ends the program at once. Every run ends with exit status 0.
source "$(dirname "$0")/lib.sh" "$@"

S=$E2E_SCRATCH
XCLOSE_BIN=$(xclose_tool)
SLIDE_AREA=800x250+0+0       # slide picture above the chef and buttons
KITCHEN_AREA=480x300+0+0     # Scroller picture, left of the sprites
CENTRE=200x150+300+225       # where the second closing card grows from

close_window() {
    "$XCLOSE_BIN" "$WID" || fail "xclose could not ask window $WID to close"
}

# Seconds (with fractions) between two now() stamps.
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

# Watches until the first closing card shows; fails if one of the phases
# named after the tag (slide, scroller) shows on the way, since a close
# request skips them.
wait_outro() {
    local tag=$1 skipped=" ${*:2} " targets rc
    targets=("want:$(ppm_of "$S/ref-mij11.png"):800x600+0+0:0.06")
    [[ $skipped == *" slide "* ]] && targets+=("avoid:$(ppm_of "$S/ref-mij4.png"):$SLIDE_AREA:0.05")
    [[ $skipped == *" scroller "* ]] && targets+=("avoid:$(ppm_of "$S/ref-mij13.png"):$KITCHEN_AREA:0.05")
    watch_screen "$S/$tag-outro.png" 30 --pid "$SHOW_PID" "${targets[@]}"
    rc=$?
    case $rc in
        0) ;;
        3)
            local seen=${targets[${MATCH_MAE#* } - 1]#avoid:}
            fail "$tag: a phase showed after the close request, which skips it (like $(basename "${seen%%:*}"))"
            ;;
        4) fail "$tag: the program ended without the closing cards (last MAE $MATCH_MAE against mij11.jpg)" ;;
        *) fail "$tag: no closing card within 30 s of the close request (MAE $MATCH_MAE against mij11.jpg)" ;;
    esac
    OUTRO_SEEN=$(now)
    note "$tag: first closing card shown (MAE $MATCH_MAE) $(elapsed "$closed" "$OUTRO_SEEN") s after the close"
}

# After a key or close request in the first closing card ($pressed): the
# program ends with status 0 before the second card shows.
cut_short() {
    local tag=$1 what=$2
    ends_before_second_card "$tag: $what"
    note "$tag: exit 0 $(elapsed "$pressed" "$(now)") s after $what in the closing cards, before the second card"
}

start_x

# --- Close during the Intro: straight to the closing cards, which play to the
# end (second card included) while the program waits for nothing else.
ref_picture "$E2E_DATA/mij12.jpg" "$S/ref-mij12.png"
start_show "$E2E_REPO" intro
answer n
wait_window
wait_intro
close_window
closed=$(now)
wait_outro intro slide scroller
# The second card grows from the centre at 4.55 s and fades out from 6.05 s
# on: compare the centre with it after evening out the brightness, so that a
# late look in the fade still counts.
watch_screen "$S/intro-second.png" 40 --pid "$SHOW_PID" "want:$(ppm_of "$S/ref-mij12.png"):$CENTRE:0.06:even"
case $? in
    0) second=$(now) SECOND_MAE=$MATCH_MAE ;;
    4) fail "intro: the program ended without the second closing card (centre MAE $MATCH_MAE)" ;;
    *) fail "intro: the second closing card never showed (centre MAE $MATCH_MAE)" ;;
esac
wait_exit 40
ended=$(now)
[ "$SHOW_RC" = 0 ] || fail "intro: exit status $SHOW_RC, expected 0"
# The title card as caught, evened out to full brightness (made now that
# the show no longer waits on it).
even_out "$S/intro.png" "$S/ref-mij1.png" 800x600+0+0
cp "$S/intro-even.png" "$S/intro-card.png"
intro_rgb=$(mean_rgb "$S/intro-card.png")
outro_rgb=$(mean_rgb "$S/intro-outro.png")
dist=$(awk -v a="$intro_rgb" -v b="$outro_rgb" 'BEGIN {
    split(a, x, " "); split(b, y, " ")
    printf "%.3f", sqrt((x[1]-y[1])^2 + (x[2]-y[2])^2 + (x[3]-y[3])^2) }')
note "intro: mean colour $intro_rgb on the title card, $outro_rgb on the closing card (distance $dist)"
gt "$dist" 0.1 || fail "the closing card looks like the title card (mean colour distance $dist)"
took=$(elapsed "$closed" "$ended")
note "intro: second card (centre MAE $SECOND_MAE) $(elapsed "$OUTRO_SEEN" "$second") s after the first was seen; exit 0 $took s after the close"
# The closing cards take 7.5 s of frame time, all of it after the close.
gt "$took" 7.2 || fail "intro: the program ended $took s after the close: the closing cards were cut short"
lt "$took" 20 || fail "intro: the program took $took s to end after the close request"
[ -s "$SHOW_OUT" ] && fail "intro: the program printed: $(cat "$SHOW_OUT")"

# --- Close during the Slideshow, then Escape during the closing cards.
start_show "$E2E_REPO" slideshow
answer n
wait_window
wait_intro
press Escape
wait_match "$S/slideshow-slide.png" "$S/ref-mij4.png" "$SLIDE_AREA" 0.04 30 ||
    fail "slideshow: Escape in the Intro did not bring the first slide (MAE $MATCH_MAE)"
close_window
closed=$(now)
wait_outro slideshow scroller
sleep 0.5
kill -0 "$SHOW_PID" 2>/dev/null || fail "slideshow: the closing cards ended on their own within 0.5 s"
pressed=$(now)
press Escape
cut_short slideshow Escape

# --- Close during the Scroller, then a second close during the closing cards.
start_show "$E2E_REPO" scroller
answer n
wait_window
wait_intro
escape_to_scroller scroller-kitchen
close_window
closed=$(now)
wait_outro scroller
sleep 0.5
kill -0 "$SHOW_PID" 2>/dev/null || fail "scroller: the closing cards ended on their own within 0.5 s"
pressed=$(now)
close_window
cut_short scroller "a close request"

# --- The display goes away mid-show (the X server ends, the session is
# closed): the program ends at once with its line and status 1, rather than
# waiting for ever on the lost connection.
start_show "$E2E_REPO" display-lost
answer n
wait_window
wait_intro
kill "$XVFB_PID"
lost=$(now)
wait_exit 30
[ "$SHOW_RC" = 1 ] || fail "display lost: exit status $SHOW_RC, expected 1"
grep -qx "Lost the display: the X server went away" "$SHOW_OUT" ||
    fail "display lost: no line saying so; the program said: $(tail -3 "$SHOW_OUT")"
note "display lost: exit 1 $(elapsed "$lost" "$(now)") s after the X server ended"
exit 0
