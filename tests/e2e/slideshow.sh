# The slideshow as a viewer sees it: the seven slides paged with the arrow
# keys and the on-screen buttons, each slide with its chef, bubble and
# caption, the lit buttons under the pointer and the exit button at the end.
source "$(dirname "$0")/lib.sh" "$@"

S=$E2E_SCRATCH
REST=2.8          # a slide change takes 2.5 s; then the slide stands still
TOP=800x250+0+0   # slide picture only: above the chef, bubble and buttons
# The chef's face: its 200x200 picture stands at x 100 on the 1st, 3rd, 5th
# and 7th slide and at x 450 on the others, bottom edge on the screen's.
chef_area() { if [ $(($1 % 2)) = 0 ]; then echo 100x120+150+460; else echo 100x120+500+460; fi; }
BUTTON=31x29+747+550

for n in 4 5 6 7 8 9 10 13; do ref_picture "$E2E_DATA/mij$n.jpg" "$S/ref-mij$n.png"; done
"$IM_CONVERT" "$E2E_DATA/unpack.jpg" -crop 31x29+448+448 +repage "$S/atlas-next-lit.png"
"$IM_CONVERT" "$E2E_DATA/unpack.jpg" -crop 31x29+448+21 +repage "$S/atlas-exit.png"
"$IM_CONVERT" "$E2E_DATA/unpack.jpg" -crop 31x29+448+384 +repage "$S/atlas-exit-lit.png"
crop() { "$IM_CONVERT" "$1" -crop "$2" +repage "$3"; }

# The slide picture shows; the chef stands in front of it.
check_slide() {
    local shotfile=$1 n=$2 what=$3 top chef
    top=$(mae "$shotfile" "$S/ref-mij$n.png" "$TOP")
    chef=$(mae "$shotfile" "$S/ref-mij$n.png" "$(chef_area "$n")")
    note "$what: slide picture MAE $top, chef area vs bare slide MAE $chef"
    lt "$top" 0.04 || fail "$what does not show mij$n.jpg (MAE $top in the slide area)"
    gt "$chef" 0.08 || fail "$what shows no chef over mij$n.jpg (chef area MAE $chef)"
}

# Polls screenshots (for up to 30 s) until the slide and its chef show, then
# checks the last one. On a busy machine a screenshot may come late.
wait_slide() {
    local shotfile=$1 n=$2 what=$3 d
    d=$(deadline 30)
    while :; do
        shot "$shotfile"
        lt "$(mae "$shotfile" "$S/ref-mij$n.png" "$TOP")" 0.04 &&
            gt "$(mae "$shotfile" "$S/ref-mij$n.png" "$(chef_area "$n")")" 0.08 && break
        before "$d" || break
        sleep 0.2
    done
    check_slide "$shotfile" "$n" "$what"
}

start_x
start_show
answer n
wait_window
# Keep the pointer off the window so no motion reaches the show.
xdotool mousemove 0 0
wait_intro
press Escape
wait_match "$S/slide-1.png" "$S/ref-mij4.png" "$TOP" 0.04 30 ||
    fail "Escape in the Intro did not lead to the first slide (MAE $MATCH_MAE)"
wait_slide "$S/slide-1.png" 4 "slide 1"
press Left
sleep 0.6
shot "$S/slide-1-left.png"
check_slide "$S/slide-1-left.png" 4 "Left on slide 1"

for k in 2 3 4 5 6 7; do
    press Right
    sleep "$REST"
    wait_slide "$S/slide-$k.png" $((k + 3)) "slide $k after Right"
done

# A seventh Right changes nothing.
press Right
sleep 0.6
shot "$S/slide-7-right.png"
check_slide "$S/slide-7-right.png" 10 "Right on the last slide"
# On the last slide the exit button is always there; pointer away: its own picture.
crop "$S/slide-7.png" "$BUTTON" "$S/exit-away.png"
v=$(mae "$S/exit-away.png" "$S/atlas-exit.png")
b=$(mae "$S/slide-7.png" "$S/ref-mij10.png" "$BUTTON")
note "exit button, pointer away: MAE $v to its atlas picture, $b to the bare slide"
lt "$v" 0.08 || fail "the exit button on the last slide does not show its picture (MAE $v)"
lt "$v" "$b" || fail "the exit button area looks more like the bare slide than the button"

press Left
sleep "$REST"
wait_slide "$S/slide-6-back.png" 9 "slide 6 after Left"

# The next button lights up under the pointer (and only then).
crop "$S/slide-6-back.png" "$BUTTON" "$S/next-away.png"
away_bare=$(mae "$S/slide-6-back.png" "$S/ref-mij9.png" "$BUTTON")
xdotool mousemove --window "$WID" 762 564
d=$(deadline 20)
while :; do
    sleep 0.3
    shot "$S/slide-6-hover.png"
    crop "$S/slide-6-hover.png" "$BUTTON" "$S/next-hover.png"
    hover_lit=$(mae "$S/next-hover.png" "$S/atlas-next-lit.png")
    hover_bare=$(mae "$S/slide-6-hover.png" "$S/ref-mij9.png" "$BUTTON")
    hover_away=$(mae "$S/next-hover.png" "$S/next-away.png")
    gt "$hover_away" 0.08 && lt "$hover_lit" "$hover_bare" && break
    before "$d" || break
done
note "next button: away vs bare slide $away_bare; hover vs lit picture $hover_lit, vs bare slide $hover_bare, vs away $hover_away"
lt "$away_bare" 0.06 || fail "the next button is drawn without the pointer over it (MAE $away_bare to the bare slide)"
gt "$hover_away" 0.08 || fail "the next button does not change under the pointer (MAE $hover_away)"
lt "$hover_lit" "$hover_bare" || fail "the area under the pointer does not look like the lit next button"

# Click: next slide.
xdotool click 1
sleep "$REST"
wait_slide "$S/slide-7-click.png" 10 "slide 7 after a click on next"
crop "$S/slide-7-click.png" "$BUTTON" "$S/exit-hover.png"
v=$(mae "$S/exit-hover.png" "$S/atlas-exit-lit.png")
w=$(mae "$S/exit-hover.png" "$S/atlas-exit.png")
note "exit button under the pointer: MAE $v to its lit picture, $w to its plain one"
lt "$v" "$w" || fail "the exit button under the pointer does not show its lit picture"

# The previous button pages back.
xdotool mousemove --window "$WID" 724 564
sleep 0.3
xdotool click 1
sleep "$REST"
wait_slide "$S/slide-6-prev.png" 9 "slide 6 after a click on previous"

# Next, next: the last slide (still wiping in), then the click that leaves the
# slideshow.
xdotool mousemove --window "$WID" 762 564
sleep 0.3
xdotool click 1
sleep 0.6
xdotool click 1
wait_match "$S/scroller.png" "$S/ref-mij13.png" 800x300+0+0 0.06 30 ||
    fail "a click on the exit button did not lead to the Scroller (MAE $MATCH_MAE)"
note "exit button click: Scroller shown (upper half MAE $MATCH_MAE)"
ref_picture "$E2E_DATA/mij11.jpg" "$S/ref-mij11.png"
press Escape
wait_match "$S/outro.png" "$S/ref-mij11.png" 800x600+0+0 0.06 30 ||
    fail "Escape in the Scroller did not lead to the closing card (MAE $MATCH_MAE)"
# Escape in the closing cards ends them at once; shut-down waits for nothing.
escape_ends_outro

# A contact sheet for people to look at.
mkdir -p "$E2E_REPO/out"
"$IM_CONVERT" \( "$S/slide-1.png" "$S/slide-2.png" "$S/slide-3.png" "$S/slide-4.png" +append \) \
    \( "$S/slide-5.png" "$S/slide-6.png" "$S/slide-7.png" "$S/slide-6-hover.png" +append \) \
    -append -resize 50% "$E2E_REPO/out/e2e-slides.png" || fail "cannot write the contact sheet"
note "contact sheet: $E2E_REPO/out/e2e-slides.png"
exit 0
