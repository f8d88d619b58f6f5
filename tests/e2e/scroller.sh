# The scroll text as a viewer sees it: black text rising behind the upper
# half of the kitchen picture, glowing sprites over the upper right, and the
# arrow keys steering the speed: held Right speeds it up and the speed stays
# after the key is let go; held Left slows it down and runs it backwards.
source "$(dirname "$0")/lib.sh" "$@"

S=$E2E_SCRATCH
TEXT_AREA=700x240+60+305     # where the text shows: lower half, inside the fade bands
COVER_AREA=440x300+60+0      # above the text window, left of the sprites
SPRITE_AREA=300x300+500+0    # around the sprite sphere's centre near (686,92)
LEFT_AREA=480x300+0+0        # upper half away from the sprites

# Follows the scroll text by grabbing the text window straight from the X
# server, many times a second, for a given time, and adding up the vertical
# shifts between grabs. Prints "<seconds> <pixels moved up>" (negative: down).
cat >"$S/track.py" <<'PY'
import ctypes, ctypes.util, sys, time

x0, y0, w, h = (int(v) for v in sys.argv[1:5])
duration = float(sys.argv[5])
MAXS = 100    # largest shift between two compared grabs
GAP = 0.06    # compared grabs are at least this far apart, in seconds
BINS = 16     # columns summed per row, so a shift must match the letters too

x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))

class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]

x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.POINTER(XImage)
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XFree.argtypes = [ctypes.c_void_p]
dpy = x11.XOpenDisplay(None)
if not dpy:
    sys.exit("cannot open the display")
root = x11.XDefaultRootWindow(dpy)
dark = bytes(1 if v < 100 else 0 for v in range(256))
bw = w // BINS

# Grabs only copy the pixels; they are reduced to rows after the watch, so
# that grabs come often even on a busy machine.
def grab():
    img = x11.XGetImage(dpy, root, x0, y0, w, h, 0xFFFFFFFF, 2)  # ZPixmap
    t = time.monotonic()
    if not img:
        sys.exit("XGetImage failed")
    im = img.contents
    if im.bits_per_pixel != 32:
        sys.exit("expected 32 bits per pixel, got %d" % im.bits_per_pixel)
    bpl = im.bytes_per_line
    raw = ctypes.string_at(im.data, bpl * h)
    x11.XFree(ctypes.cast(im.data, ctypes.c_void_p))
    x11.XFree(ctypes.cast(img, ctypes.c_void_p))
    return t, (bpl, raw)

def reduce(grabbed):
    bpl, raw = grabbed
    # Dark pixels (green below 100) per row, in BINS column groups.
    rows = []
    for y in range(h):
        g = raw[y * bpl + 1:y * bpl + 4 * w:4].translate(dark)
        rows.append(tuple(sum(g[b * bw:(b + 1) * bw]) for b in range(BINS)))
    return rows

def cost(a, b, s, fine):
    # How unlike b[y] and a[y + s] are, per row of overlap.
    total, n = 0, 0
    for y in range(max(0, -s), min(h, h - s)):
        ra, rb = a[y + s], b[y]
        total += sum(abs(p - q) for p, q in zip(ra, rb)) if fine else abs(sum(ra) - sum(rb))
        n += 1
    return total / n

def shift(a, b):
    coarse = sorted(range(-MAXS, MAXS + 1), key=lambda s: cost(a, b, s, False))[:4]
    return min(coarse, key=lambda s: cost(a, b, s, True))

frames = [grab()]
start = frames[0][0]
while time.monotonic() - start < duration:
    t, grabbed = grab()
    if grabbed[1] != frames[-1][1][1]:
        frames.append((t, grabbed))
    time.sleep(0.005)
if len(frames) == 1:
    print("%.3f 0" % duration)
    sys.exit(0)
chosen = [frames[0]]
for f in frames[1:-1]:
    if f[0] - chosen[-1][0] >= GAP:
        chosen.append(f)
chosen.append(frames[-1])
chosen = [(t, reduce(g)) for t, g in chosen]
if any(sum(map(sum, rows)) == 0 for _, rows in chosen):
    sys.exit("no text in the measured area")
moved = sum(shift(p[1], q[1]) for p, q in zip(chosen, chosen[1:]))
# Both ends are times at which a new frame was first seen.
print("%.3f %d" % (frames[-1][0] - frames[0][0], moved))
PY

# Speed of the text in pixels per second (up is positive) over $1 seconds.
speed() {
    local r
    r=$(python3 "$S/track.py" $((WIN_X + 60)) $((WIN_Y + 350)) 640 200 "$1") ||
        fail "following the text failed: $r"
    set -- $r
    awk -v t="$1" -v d="$2" 'BEGIN { printf "%.1f", d / t }'
}
# Fraction (0..1) of pixels in region $3 at least 12 % brighter than in the reference.
brighter() {
    "$IM_CONVERT" "$1[$3]" "$2[$3]" -colorspace gray -compose minus_src -composite \
        -threshold 12% -format '%[fx:mean]' info:
}
# Fraction (0..1) of dark pixels in a region.
darkness() { "$IM_CONVERT" "$1[$2]" -colorspace gray -threshold 35% -negate -format '%[fx:mean]' info:; }

start_x
start_show
answer n
wait_window
wait_intro
escape_to_scroller scroller-start
# Sparks follow the pointer: keep them in the top left corner, out of the way.
xdotool mousemove --window "$WID" 5 5

# The text starts below the window and rises at 20 pixels a second; after a
# few seconds its first lines stand in the lower half.
text_ref=$(darkness "$S/ref-mij13.png" "$TEXT_AREA")
d=$(deadline 30)
while :; do
    sleep 0.5
    shot "$S/scroller.png"
    text=$(darkness "$S/scroller.png" "$TEXT_AREA")
    gt "$text" "$(awk -v r="$text_ref" 'BEGIN { print r + 0.008 }')" && break
    before "$d" || break
done
cover=$(mae "$S/scroller.png" "$S/ref-mij13.png" "$COVER_AREA")
sprites=$(brighter "$S/scroller.png" "$S/ref-mij13.png" "$SPRITE_AREA")
elsewhere=$(brighter "$S/scroller.png" "$S/ref-mij13.png" "$LEFT_AREA")
note "dark pixels in the text window: $text (bare picture $text_ref); upper half vs picture MAE $cover"
note "brightened pixels: $sprites around the sprites, $elsewhere in the upper left"
gt "$text" "$(awk -v r="$text_ref" 'BEGIN { print r + 0.008 }')" ||
    fail "no text in the lower half after 30 s of Scroller (dark fraction $text)"
lt "$cover" 0.03 || fail "the upper half is not the bare kitchen picture (MAE $cover): text shows above y 300?"
gt "$sprites" 0.025 || fail "no glowing sprites in the upper right (brightened fraction $sprites)"
gt "$sprites" "$(awk -v e="$elsewhere" 'BEGIN { print 2 * e }')" ||
    fail "the upper right is no brighter than the rest ($sprites vs $elsewhere): no sprites there"

# Speed at rest, then with Right held for 2 s (to about 11 times the start
# speed), twice after the release (it must stay), then with Left held for 3 s
# (through zero to about -4 times).
v0=$(speed 1.5)
note "text speed at the start: $v0 px/s"
xdotool keydown Right
sleep 2
xdotool keyup Right
# On a busy machine the release may reach the show a frame or many later, so
# the speed is followed until two readings in a row agree; held keys that
# never let go would keep it climbing through every reading.
steady() { awk -v a="$1" -v b="$2" 'BEGIN { d = b - a; if (d < 0) d = -d; exit !(d <= 0.15 * a) }'; }
v1=$(speed 1)
v2=$(speed 1)
for _ in 1 2 3; do
    steady "$v1" "$v2" && break
    v1=$v2
    v2=$(speed 1)
done
shot "$S/scroller-fast.png"
note "after Right held 2 s: $v1 px/s, then $v2 px/s"
xdotool keydown Left
sleep 3
xdotool keyup Left
v3=$(speed 1)
shot "$S/scroller-back.png"
note "after Left held 3 s: $v3 px/s"

awk -v v="$v0" 'BEGIN { exit !(v >= 14 && v <= 28) }' ||
    fail "the text rises at $v0 px/s at the start, expected about 20"
awk -v a="$v0" -v b="$v1" 'BEGIN { exit !(b >= 6 * a && b <= 18 * a) }' ||
    fail "Right held for 2 s took the speed from $v0 to $v1 px/s, expected about 11 times as fast"
steady "$v1" "$v2" || fail "the speed changed after Right was released: $v1 then $v2 px/s"
awk -v v="$v3" -v a="$v0" 'BEGIN { exit !(v <= -2 * a && v >= -7 * a) }' ||
    fail "Left held for 3 s should run the text backwards at about 4 times the start speed; got $v3 px/s"
# The window the text shows through stays where it is at any speed.
cover=$(mae "$S/scroller-fast.png" "$S/ref-mij13.png" "$COVER_AREA")
lt "$cover" 0.03 || fail "with fast text the upper half is no longer the bare picture (MAE $cover)"

press Escape
wait_match "$S/outro.png" "$S/ref-mij11.png" 800x600+0+0 0.06 30 ||
    fail "Escape in the Scroller did not lead to the closing card (MAE $MATCH_MAE)"
escape_ends_outro
exit 0
