# Missing data: every picture and the music gone -> one line each on stdout,
# untextured (white) quads, a normal run to the end; the font gone -> exit 1
# with its message.
source "$(dirname "$0")/lib.sh" "$@"

start_x

# --- Only the font left.
W=$E2E_SCRATCH/fontonly
mkdir -p "$W/data"
cp "$E2E_DATA/font.ttf" "$W/data/"
start_show "$W" fontonly
answer n
wait_window
# The title card is an untextured quad in the card's grey: most sampled
# points show the same neutral grey (glows and sparks are small squares).
# It fades in once the (quick) loading is over.
grey_points() {
    local pic=$1 p c n=0
    for p in 200,200 600,250 150,500 650,450 400,150 300,320 500,520 700,300 100,300; do
        c=$("$IM_CONVERT" "$pic" -format "%[fx:int(255*p{$p}.r)] %[fx:int(255*p{$p}.g)] %[fx:int(255*p{$p}.b)]" info:)
        set -- $c
        [ "$1" = "$2" ] && [ "$2" = "$3" ] && [ "$1" -gt 20 ] && n=$((n + 1))
    done
    echo $n
}
d=$(deadline 60)
while :; do
    shot "$E2E_SCRATCH/fontonly-intro.png"
    flat=$(grey_points "$E2E_SCRATCH/fontonly-intro.png")
    [ "$flat" -ge 6 ] && break
    before "$d" || fail "without pictures the card should be a plain untextured quad ($flat of 9 points grey)"
    sleep 0.2
done
note "no pictures: $flat of 9 sampled points are plain neutral grey"
# Without pictures no phase can be told from the next on screen: Escape every
# 1.5 s walks them (a phase reads the keys of its frame, so keys further apart
# land in separate phases) until the program ends.
escapes=0
d=$(deadline 60)
while kill -0 "$SHOW_PID" 2>/dev/null; do
    before "$d" || fail "no pictures: still running 60 s after the title card, $escapes Escapes pressed"
    press Escape
    escapes=$((escapes + 1))
    e=$(deadline 1.5)
    while kill -0 "$SHOW_PID" 2>/dev/null && before "$e"; do sleep 0.1; done
done
expect_exit 1 0
[ "$escapes" -ge 4 ] || fail "no pictures: the program ended after $escapes Escapes; four phases need four"

expected=$E2E_SCRATCH/expected.txt
{
    echo "  Failed to load icon.jpg"
    for f in unpack.jpg particle.png bubble.png chef.png; do echo "  Failed to load './data/$f'"; done
    for i in $(seq 1 13); do echo "  Failed to load './data/mij$i.jpg'"; done
    for i in $(seq 4 10); do echo "  Failed to load './data/mij${i}_txt.png'"; done
    echo " Mix_LoadMUS:"
} | sort >"$expected"
# Reduce each line to what identifies it: the file and the fixed start.
sed -e "s/^\(  Failed to load '[^']*'\), he said: '.*'\$/\1/" -e 's/^\( Mix_LoadMUS:\) .*$/\1/' "$SHOW_OUT" |
    sort >"$E2E_SCRATCH/seen.txt"
diff -u "$expected" "$E2E_SCRATCH/seen.txt" >"$E2E_SCRATCH/lines.diff" ||
    fail "diagnostic lines differ from one per missing file: $(cat "$E2E_SCRATCH/lines.diff")"
# Every picture line carries SDL's reason, and each file is named once.
n=$(grep -c "^  Failed to load './data/[^']*', he said: '.\+'\$" "$SHOW_OUT")
[ "$n" = 24 ] || fail "expected 24 picture lines with a reason, found $n"
grep -q '^ Mix_LoadMUS: .\+' "$SHOW_OUT" || fail "the music line carries no reason"
note "no pictures, no music: 26 diagnostic lines as expected, exit 0"

# --- A sound system that cannot start: one line, then the whole show in silence.
SDL_AUDIODRIVER=no-such-driver start_show "$E2E_REPO" nosound
answer n
wait_window
wait_intro
escape_to_scroller nosound-scroller
press Escape
wait_match "$E2E_SCRATCH/nosound-outro.png" "$E2E_SCRATCH/ref-mij11.png" 800x600+0+0 0.05 30 ||
    fail "Escape in the Scroller did not bring the first closing card (MAE $MATCH_MAE)"
expect_exit 40 0
[ "$(wc -l <"$SHOW_OUT")" = 1 ] && grep -q '^ Mix_OpenAudio: .\+' "$SHOW_OUT" ||
    fail "without sound expected the one line ' Mix_OpenAudio: …', got: $(cat "$SHOW_OUT")"
note "no sound system: one line, every phase shown, exit 0"

# --- No font: exit 1 with the font message as the last output, no newline.
W=$E2E_SCRATCH/nofont
mkdir -p "$W/data"
for f in "$E2E_DATA"/*; do
    [ "$(basename "$f")" = font.ttf ] || cp "$f" "$W/data/"
done
start_show "$W" nofont
answer n
expect_exit 60 1
want="cannot open font file: './data/font.ttf'"
tail_bytes=$(tail -c ${#want} "$SHOW_OUT")
[ "$tail_bytes" = "$want" ] || fail "stdout does not end with \"$want\": $(tail -c 200 "$SHOW_OUT")"
[ "$(tail -c 1 "$SHOW_OUT" | od -An -c | tr -d ' ')" = "'" ] || fail "the font message ends in a line break"
note "no font: exit 1, stdout ends with the font message"
exit 0
