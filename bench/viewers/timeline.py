#!/usr/bin/env python3
"""What the screen shows, over time, while a PDF viewer plays a show.

  timeline.py record SECONDS OUT_DIR COLOUR=NAME...
      grabs the root window with xwd about every 100 ms, names each grab by
      the colour the screen is filled with (NAME for a listed #RRGGBB,
      "fade #RRGGBB" for another colour filling the screen, "other" when the
      screen is not one colour: a window, a menu, a half-drawn page),
      writes OUT_DIR/timeline.tsv (seconds, name, the colours seen) and a PNG of the first grab
      of each change.
  timeline.py summary OUT_DIR
      the runs of equal grabs, then per picture how long it stood alone on
      the screen, whether a fade led to it, and what the show ended on.
"""
import os
import shutil
import struct
import subprocess
import sys
import time

# Points away from the caption (bottom left) and from the page number Okular
# shows at the top right, spread over a 1280 x 720
# screen: the page fills the screen in presentation mode.
POINTS = [(640, 80), (1000, 250), (80, 360), (640, 360), (1200, 400), (900, 600), (1240, 700)]
TOLERANCE = 12  # per channel: JPEG and scaling move flat colours a little


def grab(path):
    # A window that closes during the grab fails it; the next one will do.
    for _ in range(5):
        if subprocess.run(["xwd", "-root", "-silent", "-out", path],
                          stderr=subprocess.DEVNULL).returncode == 0:
            break
    else:
        raise RuntimeError("xwd cannot grab the screen")
    with open(path, "rb") as f:
        data = f.read()
    header = struct.unpack(">25I", data[:100])
    header_size, width, height = header[0], header[4], header[5]
    byte_order, bits_per_pixel, bytes_per_line = header[6], header[11], header[12]
    colours = header[19]
    start = header_size + colours * 12
    step = bits_per_pixel // 8
    samples = []
    for x, y in POINTS:
        x, y = min(x, width - 1), min(y, height - 1)
        at = start + y * bytes_per_line + x * step
        pixel = int.from_bytes(data[at:at + step], "big" if byte_order else "little")
        samples.append(((pixel >> 16) & 255, (pixel >> 8) & 255, pixel & 255))
    return samples


def near(a, b):
    return all(abs(p - q) <= TOLERANCE for p, q in zip(a, b))


def name_of(samples, known):
    first = samples[0]
    if not all(near(s, first) for s in samples):
        return "other"
    for colour, name in known:
        if near(first, colour):
            return name
    return "fade #%02X%02X%02X" % first


def record(seconds, out, pairs):
    known = []
    for pair in pairs:
        colour, name = pair.split("=", 1)
        known.append((tuple(int(colour.lstrip("#")[k:k + 2], 16) for k in (0, 2, 4)), name))
    os.makedirs(out, exist_ok=True)
    raw = os.path.join(out, "grab.xwd")
    kept = []
    lines = []
    start = time.monotonic()
    last = None
    while time.monotonic() - start < seconds:
        before = time.monotonic()
        samples = grab(raw)
        at = (before + time.monotonic()) / 2 - start
        name = name_of(samples, known)
        lines.append("%.3f\t%s\t%s\n" % (at, name, " ".join("%02X%02X%02X" % c for c in samples)))
        if name != last:
            keep = os.path.join(out, "%06.2f.xwd" % at)
            shutil.copy(raw, keep)
            kept.append(keep)
            last = name
        time.sleep(max(0.0, 0.1 - (time.monotonic() - before)))
    with open(os.path.join(out, "timeline.tsv"), "w") as f:
        f.writelines(lines)
    os.remove(raw)
    # After the clock stops, so that converting costs the viewer no time.
    for keep in kept:
        subprocess.run(["convert", keep, "-resize", "50%", keep[:-4] + ".png"], check=True)
        os.remove(keep)


def summary(out):
    grabs = []
    with open(os.path.join(out, "timeline.tsv")) as f:
        for line in f:
            at, name, _ = line.rstrip("\n").split("\t")
            grabs.append((float(at), name))
    period = (grabs[-1][0] - grabs[0][0]) / max(1, len(grabs) - 1)
    longest = max(b[0] - a[0] for a, b in zip(grabs, grabs[1:]))
    runs = []  # [name, first grab, last grab, count]
    for at, name in grabs:
        # The steps of one fade are one run.
        name = "fade" if name.startswith("fade") else name
        if runs and runs[-1][0] == name:
            runs[-1][2] = at
            runs[-1][3] += 1
        else:
            runs.append([name, at, at, 1])
    print("grabs: %d, one every %.0f ms (at most %.0f ms apart)" %
          (len(grabs), period * 1000, longest * 1000))
    # A run lasted at least from its first grab to its last, and at most from
    # the grab before it to the grab after it.
    bounds = []
    for k, (name, first, last, count) in enumerate(runs):
        before = runs[k - 1][2] if k > 0 else first
        after = runs[k + 1][1] if k + 1 < len(runs) else last
        bounds.append((last - first, after - before))
        print("  %7.2f s  %-10s %5.2f-%.2f s  (%d grabs)" % (first, name, last - first,
                                                             after - before, count))
    print("stays (s):")
    for k, (name, first, last, count) in enumerate(runs):
        if name.startswith("picture"):
            faded = k > 0 and runs[k - 1][0] == "fade"
            print("  %s %.2f-%.2f%s" % (name, *bounds[k], ", faded in" if faded else ""))
    print("ends on: %s" % runs[-1][0])


if __name__ == "__main__":
    if len(sys.argv) >= 4 and sys.argv[1] == "record":
        record(float(sys.argv[2]), sys.argv[3], sys.argv[4:])
    elif len(sys.argv) == 3 and sys.argv[1] == "summary":
        summary(sys.argv[2])
    else:
        sys.exit(__doc__)
