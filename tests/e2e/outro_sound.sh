# The music as a listener hears it, recorded with SDL's disk audio driver: it
# fades in over 2.5 s at the start, plays at full level through the phases,
# fades out over the closing cards' 7.5 s and ends in (near) silence when the
# program shuts down. The recording is compared with the song itself, decoded
# by sox, so the level of the music at each moment cancels out and what is
# left is the gain the program applied.
source "$(dirname "$0")/lib.sh" "$@"

S=$E2E_SCRATCH
export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE=$S/audio.raw
BYTES_PER_SECOND=176400   # 44100 Hz, 16-bit, stereo

command -v sox >/dev/null || fail "sox (Debian package sox) is needed to decode the song"
sox "$E2E_DATA/song.ogg" -t raw -r 44100 -e signed -b 16 -c 2 -L "$S/song.raw" trim 0 60 ||
    fail "sox cannot decode $E2E_DATA/song.ogg"

audio_seconds() {
    local b
    b=$(stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0)
    awk -v b="$b" -v r="$BYTES_PER_SECOND" 'BEGIN { printf "%.3f", b / r }'
}

start_x
start_show
answer n
wait_window
wait_intro
note "title card at $(audio_seconds) s of sound"
escape_to_scroller scroller
# Leave a few seconds of full-level music after the fade-in for comparison.
d=$(deadline 30)
until gt "$(audio_seconds)" 6.5; do
    before "$d" || fail "the sound file grows too slowly: $(audio_seconds) s after 30 s more"
    sleep 0.1
done
mark=$(audio_seconds)
press Escape
note "Escape in the Scroller at $mark s of sound"
wait_match "$S/outro.png" "$S/ref-mij11.png" 800x600+0+0 0.06 30 ||
    fail "Escape in the Scroller did not lead to the closing card (MAE $MATCH_MAE)"
# The closing cards run their 7.5 s; then the program ends.
expect_exit 40 0
note "program ended after $(audio_seconds) s of sound"

python3 - "$S/audio.raw" "$S/song.raw" "$mark" <<'PY' || fail "the recorded sound does not follow the fades (see above)"
import array, math, sys

RATE, BLOCK = 44100, 441            # 10 ms blocks
rec_path, song_path, mark = sys.argv[1], sys.argv[2], float(sys.argv[3])

def energies(path):
    a = array.array('h')
    with open(path, 'rb') as f:
        a.frombytes(f.read())
    if sys.byteorder != 'little':
        a.byteswap()
    return [sum(x * x for x in a[2 * BLOCK * b:2 * BLOCK * (b + 1)]) for b in range(len(a) // (2 * BLOCK))]

rec, song = energies(rec_path), energies(song_path)
end = len(rec) / 100.0
blk = lambda t: int(round(t * 100))
problems = []

def check(ok, what):
    print(("  ok   " if ok else "  FAIL ") + what)
    if not ok:
        problems.append(what)

def rms(t0, t1):
    return math.sqrt(sum(rec[blk(t0):blk(t1)]) / (BLOCK * 2 * (blk(t1) - blk(t0))))

# Where the song starts in the recording: the lag (in blocks, up to 0.4 s)
# whose song loudness curve best matches the recording at full level.
lo, hi = blk(3.0), blk(mark - 0.3)
if hi - lo < 200:
    sys.exit("too little full-level music before the closing cards")
def match(lag):
    xs, ys = rec[lo:hi], song[lo - lag:hi - lag]
    mx, my = sum(xs) / len(xs), sum(ys) / len(ys)
    sxy = sum((x - mx) * (y - my) for x, y in zip(xs, ys))
    sxx = sum((x - mx) ** 2 for x in xs)
    syy = sum((y - my) ** 2 for y in ys)
    return sxy / math.sqrt(sxx * syy) if sxx and syy else 0
lag = max(range(0, 41), key=match)
corr = match(lag)
print("  song starts %.2f s into the recording (loudness correlation %.3f)" % (lag / 100, corr))
check(corr > 0.7, "the recording is the song (correlation %.3f)" % corr)

def gain(t0, t1):
    # Level of the recording relative to the song at the same place.
    r = sum(rec[blk(t0):blk(t1)])
    s = sum(song[blk(t0) - lag:blk(t1) - lag])
    return math.sqrt(r / s) if s else float('nan')

start = lag / 100
g = [gain(start + a, start + a + 0.25) for a in (0.0, 0.5, 1.0, 1.5, 2.0)]
print("  fade-in gains at 0.125, 0.625, 1.125, 1.625, 2.125 s: " + " ".join("%.2f" % v for v in g))
for a, v in zip((0.125, 0.625, 1.125, 1.625, 2.125), g):
    check(abs(v - a / 2.5) < 0.12, "fade-in at %.3f s: gain %.2f, expected %.2f" % (a, v, a / 2.5))

full = gain(start + 2.7, mark - 0.2)
level = rms(start + 2.7, mark - 0.2)
check(abs(full - 1) < 0.08, "full level before the closing cards: gain %.2f" % full)
check(level > 1000, "the music is audible before the closing cards: RMS %.0f" % level)

# The fade-out starts with the closing cards and runs linearly to silence
# over 7.5 s. On a busy machine the key reaches the program late, so the
# start is found in the recording: where a linear fade fits it best, which
# must be soon after the key press. The sound driver may also fall behind
# the clock there, and the program ends with the closing cards' 7.5 s of
# frame time: the recording then stops before the fade has run out, so only
# the fade's points inside it count, and its last 0.3 s must be as quiet as
# the fade is by then (silent when the driver kept up).
FADE_AT = (1.0, 2.5, 4.0, 5.5, 6.75)
def inside(t0):
    return [a for a in FADE_AT if t0 + a + 0.25 <= end]
def fade_error(t0):
    pts = inside(t0)
    return sum((gain(t0 + a - 0.25, t0 + a + 0.25) - (1 - a / 7.5)) ** 2 for a in pts) / len(pts)
starts = [t for t in (mark - 0.2 + i / 100 for i in range(0, 221)) if len(inside(t)) >= 3]
fade = min(starts, key=fade_error) if starts else mark
print("  the fade-out fits best from %.2f s, %.2f s after the key press" % (fade, fade - mark))
check(-0.2 <= fade - mark <= 2.0, "the fade-out starts %.2f s after the key press" % (fade - mark))
check(len(inside(fade)) >= 3, "the recording holds %d of the fade-out's checkpoints" % len(inside(fade)))
for a in inside(fade):
    v = gain(fade + a - 0.25, fade + a + 0.25)
    want = 1 - a / 7.5
    check(abs(v - want) < 0.1, "fade-out at %.2f s into the closing cards: gain %.2f, expected %.2f" % (a, v, want))

length = end - fade
check(5.5 <= length <= 9.0, "the sound ends %.2f s after the fade-out began (the closing cards last 7.5 s)" % length)
tail = gain(end - 0.3, end)
want = max(0.0, 1 - (end - 0.15 - fade) / 7.5)
check(tail < want + 0.08, "the last 0.3 s are near silent: gain %.2f, the fade is at %.2f by then" % (tail, want))
sys.exit(1 if problems else 0)
PY
exit 0
