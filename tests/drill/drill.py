#!/usr/bin/env python3
"""Damaged-data drill: every file of the data set in turn missing, empty, cut
in half, random bytes, in the wrong format, and (pictures) palettised,
greyscale, 1x1 and very large; the real program is started on each, answered
"no" in its question box and walked through every phase with Escape under a
private virtual X server. A finer picture (name@2x.ext) is only read where the
show is drawn large enough to need it (the chef's and the captions' above 2.4
times 800 x 600): its runs answer "yes", full screen on the server's
2048 x 1536, and its line says that the plain file stands in. Each run must end on its own in time with status 0
and nothing but the damaged file's own line on stdout (status 1 and the font
line for the font), and with no sanitizer report on stderr.

    drill.py <mijotine> <data-dir> <scratch-dir> [--jobs N] [--timeout S] [--only FILE]

Prints a table (file x damage -> status and line) and exits 1 if any run
broke a rule. The full lines are kept in <scratch-dir>/table.txt.
"""

import argparse
import os
import queue
import random
import re
import shutil
import struct
import subprocess
import sys
import threading
import time
import zlib

CAPTION = "Mijotine - Issue 1 - In the kitchen with Stovecraft"
CONVERT = "/usr/bin/convert" if os.access("/usr/bin/convert", os.X_OK) else "convert"

DAMAGES = ["missing", "empty", "half", "random", "wrong", "palette", "grey", "1x1", "8192", "4096"]
PICTURE_ONLY = {"palette", "grey", "1x1", "8192", "4096"}
# Huge pictures cost seconds each to make and to load: only the icon (which
# goes into a window property), the first title card and the spark sprite
# (drawn hundreds of times a frame) get them.
BIG = {"icon.jpg", "mij1.jpg", "particle.png", "mij1@2x.jpg"}
# Damages after which nothing of the file can be read: its line must show.
UNREADABLE = {"missing", "empty", "random"}
INTACT = "(none)"  # the row of the run with the whole data set as it is


def kind(name):
    if name == "font.ttf":
        return "font"
    if name.endswith(".ogg"):
        return "song"
    return "picture"


def finer(name):
    return "@2x." in name


def cases_for(name):
    out = []
    for d in DAMAGES:
        if d in PICTURE_ONLY and kind(name) != "picture":
            continue
        if d == "8192" and name not in BIG:
            continue
        if d == "4096" and name != "icon.jpg":
            continue
        out.append(d)
    return out


def line_pattern(name):
    if name == INTACT:
        return re.compile(r"(?!)")
    if name == "icon.jpg":
        return re.compile(r"^  Failed to load icon\.jpg$")
    if finer(name):
        plain = name.replace("@2x.", ".")
        return re.compile(r"^  Using '\./data/" + re.escape(plain) + r"' for its finer '\./data/" + re.escape(name) +
                          r"': .+$")
    if kind(name) == "song":
        return re.compile(r"^ Mix_LoadMUS: .+$")
    if kind(name) == "font":
        return re.compile(r"^cannot open font file: '\./data/font\.ttf'$")
    return re.compile(r"^  Failed to load '\./data/" + re.escape(name) + r"', he said: '.+'$")


def line_required(name, damage):
    if damage in UNREADABLE:
        return True
    if finer(name) and damage in ("half", "1x1", "8192"):
        return True  # cut short, or not twice the plain one's size
    if damage == "wrong":
        # Pictures get another picture format, which the loader reads by its
        # content; the song and the font get a picture.
        return kind(name) != "picture"
    if name == "icon.jpg" and damage in ("8192", "4096"):
        return True  # far too large for a window icon
    return False


def convert(args):
    # One thread: ImageMagick's worker threads spin against each other on a busy machine.
    r = subprocess.run([CONVERT] + args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                       env=dict(os.environ, MAGICK_THREAD_LIMIT="1"))
    if r.returncode != 0:
        raise RuntimeError("convert %s: %s" % (" ".join(args), r.stdout.decode(errors="replace")))


def make_damaged(src, dst, name, damage, data_dir):
    """Writes the damaged version of src at dst (nothing for 'missing')."""
    ext = os.path.splitext(name)[1]
    if damage == "missing":
        return
    if damage == "empty":
        open(dst, "wb").close()
    elif damage == "half":
        with open(src, "rb") as f:
            b = f.read()
        with open(dst, "wb") as f:
            f.write(b[: len(b) // 2])
    elif damage == "random":
        n = os.path.getsize(src)
        with open(dst, "wb") as f:
            f.write(random.Random(name).randbytes(n))
    elif damage == "wrong":
        if kind(name) == "picture":
            other = "png" if ext == ".jpg" else "jpg"
            convert([src, other + ":" + dst])
        else:
            shutil.copyfile(os.path.join(data_dir, "mij1.jpg"), dst)
    elif damage == "palette":
        convert([src, "-colors", "16", "png8:" + dst])
    elif damage == "grey":
        fmt = "jpg" if ext == ".jpg" else "png"
        convert([src, "-colorspace", "Gray", fmt + ":" + dst])
    elif damage == "1x1":
        convert([src, "-resize", "1x1!", ext[1:] + ":" + dst])
    elif damage in ("8192", "4096"):
        if ext == ".png":
            huge_png(src, dst, int(damage))
        else:
            s = damage + "x" + damage
            convert([src, "-sample", s + "!", "-quality", "80", ext[1:] + ":" + dst])
    else:
        raise ValueError(damage)


def huge_png(src, dst, size):
    """src scaled to size x size by repeating pixels, written as an RGBA PNG
    row by row (ImageMagick's resource limits refuse a picture this large)."""
    r = subprocess.run([CONVERT, src, "-format", "%w %h", "info:"], stdout=subprocess.PIPE, check=True)
    w, h = (int(v) for v in r.stdout.split())
    rgba = subprocess.run([CONVERT, src, "-depth", "8", "rgba:-"], stdout=subprocess.PIPE, check=True).stdout
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    z = zlib.compressobj(1)
    idat = []
    last_row, line = None, b""
    for y in range(size):
        sy = y * h // size
        if sy != last_row:
            src_row = rgba[sy * w * 4:(sy + 1) * w * 4]
            line = b"\0" + b"".join(src_row[(x * w // size) * 4:(x * w // size) * 4 + 4] for x in range(size))
            last_row = sy
        idat.append(z.compress(line))
    idat.append(z.flush())
    with open(dst, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", b"".join(idat)))
        f.write(chunk(b"IEND", b""))


class XServer:
    def __init__(self, log):
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", "2048x1536x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=open(log, "w"))
        os.close(w)
        buf = b""
        end = time.monotonic() + 30
        while not buf.endswith(b"\n"):
            if time.monotonic() > end:
                raise RuntimeError("Xvfb gave no display number within 30 s")
            c = os.read(r, 16)
            if not c:
                raise RuntimeError("Xvfb did not start (see %s)" % log)
            buf += c
        os.close(r)
        self.display = ":" + buf.decode().strip()

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


def xdo(env, *args, timeout=20):
    try:
        r = subprocess.run(["xdotool"] + list(args), env=env, stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, timeout=timeout)
    except subprocess.TimeoutExpired:
        return 1, ""
    return r.returncode, r.stdout.decode().strip()


def run_case(mij, data_dir, work, display, name, damage, limit):
    """Runs one case; returns a dict with status, stdout, stderr, notes."""
    cdir = os.path.join(work, "%s-%s" % (name, damage))
    shutil.rmtree(cdir, ignore_errors=True)
    ddir = os.path.join(cdir, "data")
    os.makedirs(ddir)
    for f in os.listdir(data_dir):
        if f.startswith(".") or f == name:
            continue
        os.symlink(os.path.join(data_dir, f), os.path.join(ddir, f))
    t0 = time.monotonic()
    if name != INTACT:
        make_damaged(os.path.join(data_dir, name), os.path.join(ddir, name), name, damage, data_dir)
    made = time.monotonic() - t0

    env = dict(os.environ, DISPLAY=display, SDL_AUDIODRIVER=os.environ.get("SDL_AUDIODRIVER", "dummy"))
    env.pop("XAUTHORITY", None)
    out_path, err_path = os.path.join(cdir, "stdout"), os.path.join(cdir, "stderr")
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        p = subprocess.Popen([mij], cwd=cdir, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err)
    start = time.monotonic()
    deadline = start + limit
    notes = []
    answered = False
    wid = ""
    escapes = 0
    while p.poll() is None and time.monotonic() < deadline:
        if not answered:
            rc, ids = xdo(env, "search", "--onlyvisible", "--name", "^Mijotine!$")
            if rc == 0 and ids:
                box = ids.split()[0]
                xdo(env, "windowfocus", "--sync", box, "key", "y" if finer(name) else "n", timeout=10)
                answered = True
            else:
                time.sleep(0.1)
            continue
        if not wid:
            rc, ids = xdo(env, "search", "--onlyvisible", "--name", "^" + re.escape(CAPTION) + "$")
            if rc == 0 and ids:
                wid = ids.split()[0]
            else:
                time.sleep(0.1)
                continue
        # Keys pressed while the pictures load are read and dropped; keep
        # pressing until the closing cards have been left too.
        xdo(env, "windowfocus", "--sync", wid, "key", "Escape", timeout=10)
        escapes += 1
        time.sleep(0.25)
    hung = p.poll() is None
    if hung:
        p.kill()
        p.wait()
        notes.append("still running after %d s (answered: %s, window: %s, %d Escapes)"
                     % (limit, answered, bool(wid), escapes))
    with open(out_path, "rb") as f:
        stdout = f.read().decode(errors="replace")
    with open(err_path, "rb") as f:
        stderr = f.read().decode(errors="replace")
    return {"status": "hang" if hung else p.returncode, "stdout": stdout, "stderr": stderr,
            "notes": notes, "seconds": time.monotonic() - start, "made": made, "escapes": escapes, "window": bool(wid)}


def judge(name, damage, r):
    """The rules a run must keep; returns whether the file's line showed and
    a list of the rules broken."""
    problems = list(r["notes"])
    pat = line_pattern(name)
    out = r["stdout"]
    lines = out.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    own = [l for l in lines if pat.match(l)]
    others = [l for l in lines if not pat.match(l)]
    if others:
        problems.append("other output: %r" % others[:3])
    if len(own) > 1:
        problems.append("its line %d times" % len(own))
    font_fails = kind(name) == "font" and own
    if line_required(name, damage) and not own:
        problems.append("no line for the damaged file")
    if font_fails:
        if r["status"] != 1:
            problems.append("status %s with the font line, expected 1" % r["status"])
        if out.endswith("\n"):
            problems.append("the font line ends in a line break")
    elif r["status"] != 0:
        problems.append("status %s, expected 0" % r["status"])
    elif not r["window"] or r["escapes"] < 4:
        problems.append("ended before it was walked through its phases (%d Escapes)" % r["escapes"])
    if re.search(r"Sanitizer|runtime error:", r["stderr"]):
        problems.append("sanitizer report on stderr")
    return bool(own), problems


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("mijotine")
    ap.add_argument("data")
    ap.add_argument("scratch")
    ap.add_argument("--jobs", type=int, default=3)
    ap.add_argument("--timeout", type=float, default=90)
    ap.add_argument("--only", action="append")
    a = ap.parse_args()
    mij = os.path.abspath(a.mijotine)
    data_dir = os.path.abspath(a.data)
    work = os.path.abspath(a.scratch)
    os.makedirs(work, exist_ok=True)

    files = sorted(f for f in os.listdir(data_dir) if not f.startswith("."))
    if "font.ttf" not in files or not any(f.endswith(".jpg") for f in files):
        sys.exit("no data set in %s" % data_dir)
    cases = [(INTACT, "-")]
    for f in files:
        if a.only and f not in a.only:
            continue
        cases += [(f, d) for d in cases_for(f)]
    # The slowest first, so that the two lanes finish together.
    cases.sort(key=lambda c: c[1] not in ("8192", "4096"))

    todo = queue.Queue()
    for c in cases:
        todo.put(c)
    results = {}
    lock = threading.Lock()
    t0 = time.monotonic()

    def lane(i):
        x = XServer(os.path.join(work, "xvfb-%d.log" % i))
        try:
            while True:
                try:
                    name, damage = todo.get_nowait()
                except queue.Empty:
                    return
                try:
                    r = run_case(mij, data_dir, work, x.display, name, damage, a.timeout)
                except Exception as e:  # a damaged file that could not be made is a drill fault
                    r = {"status": "error", "stdout": "", "stderr": "", "notes": [str(e)],
                         "seconds": 0, "made": 0, "escapes": 0, "window": False}
                said, p = judge(name, damage, r)
                with lock:
                    results[(name, damage)] = (r, said, p)
                    print("%-14s %-8s status %-4s %5.1f s (file made in %.1f s) %s"
                          % (name, damage, r["status"], r["seconds"], r["made"],
                                                                  "ok" if not p else "FAIL: " + "; ".join(p)),
                          flush=True)
        finally:
            x.stop()

    threads = [threading.Thread(target=lane, args=(i,)) for i in range(a.jobs)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    took = time.monotonic() - t0

    # The table: one row per file, one column per damage; each cell is the
    # exit status and L where the file's line was printed, - where nothing.
    def cell(name, damage):
        if (name, damage) not in results:
            return ""
        r, said, p = results[(name, damage)]
        return "%s %s%s" % (r["status"], "L" if said else "-", " !" if p else "")

    lines = ["", "Damaged-data drill: exit status, L = the file's own line printed, - = nothing printed, "
             "! = a rule broken", "%-14s" % "file" + "".join("%-9s" % d for d in DAMAGES)]
    lines.append("%-14s%s" % (INTACT, cell(INTACT, "-")))
    for n in files:
        if a.only and n not in a.only:
            continue
        lines.append(("%-14s" % n + "".join("%-9s" % cell(n, d) for d in DAMAGES)).rstrip())
    failed = [(k, v) for k, v in results.items() if v[2]]
    lines.append("%d runs in %.0f s on %d lanes; %d broke a rule" % (len(results), took, a.jobs, len(failed)))
    print("\n".join(lines))

    with open(os.path.join(work, "table.txt"), "w") as f:
        f.write("\n".join(lines) + "\n\nfile | damage | status | stdout\n")
        for (n, d) in cases:
            r, _, p = results[(n, d)]
            f.write("%s | %s | %s | %s%s\n" % (n, d, r["status"], r["stdout"].strip().replace("\n", " / ") or "-",
                                               ("   BROKE: " + "; ".join(p)) if p else ""))
    print("full lines: %s" % os.path.join(work, "table.txt"))
    for (n, d), (r, _, p) in sorted(failed):
        print("FAIL %s %s: %s" % (n, d, "; ".join(p)))
        if r["stderr"].strip():
            print("  stderr: " + r["stderr"].strip()[-1500:].replace("\n", "\n  "))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
