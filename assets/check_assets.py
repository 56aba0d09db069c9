#!/usr/bin/env python3
"""Checks the committed pictures: formats, header fields, and the colours of
each layer at the pixels where the window expects them.

Usage: check_assets.py [ASSET_DIR]   (default: the folder of this script)
Prints one line per check and "N passed, M failed"; exits 1 on any failure.
"""

import os
import struct
import sys

DIR = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))

FILL, FRAME, TITLE_BLUE, SLATE = 0xDBEEF7, 0x84B5D6, 0x0D6EC1, 0x446F7E
WHITE, PANEL_FRAME = 0xFFFFFF, 0x88C3F1
BUTTON_FRAME, GRADIENT_TOP, GRADIENT_BOTTOM, CAPTION_BLUE = 0x98C4DF, 0xD2EBF8, 0x7EC6EC, 0x1B53FA

passed = failed = 0


def check(name, ok, detail=""):
    global passed, failed
    if ok:
        passed += 1
        print("ok   " + name)
    else:
        failed += 1
        print("FAIL " + name + (": " + detail if detail else ""))


def hexc(c):
    return "#%06X" % c


def read(name):
    with open(os.path.join(DIR, name), "rb") as f:
        return f.read()


# --- BMP --------------------------------------------------------------------

class Bmp:
    """A 32-bit BI_RGB bottom-up BMP; px[y][x] is 0xRRGGBB, y from the top."""

    def __init__(self, name, data):
        self.name = name
        magic, size, _, _, off = struct.unpack_from("<2sIHHI", data, 0)
        (hsize, w, h, planes, bits, comp, isize, _, _, used, _) = struct.unpack_from(
            "<IiiHHIIiiII", data, 14)
        self.fields = dict(magic=magic, size=size, off=off, hsize=hsize, width=w, height=h,
                           planes=planes, bits=bits, comp=comp, isize=isize, used=used)
        self.length = len(data)
        self.width, self.height = w, abs(h)
        pix = data[off:off + self.width * self.height * 4]
        self.fourth = set(pix[3::4])
        rows = []
        for r in range(self.height):
            base = r * self.width * 4
            rows.append([pix[base + 4 * x + 2] << 16 | pix[base + 4 * x + 1] << 8 | pix[base + 4 * x]
                         for x in range(self.width)])
        self.px = rows[::-1] if h > 0 else rows


def check_bmp_format(bmp, width, height):
    f, n = bmp.fields, bmp.name
    check(f"{n}: signature BM, file size in header", f["magic"] == b"BM" and f["size"] == bmp.length,
          f"{f['magic']!r} {f['size']} vs {bmp.length}")
    check(f"{n}: BITMAPINFOHEADER, 1 plane, 32 bpp, BI_RGB, no colour table",
          (f["hsize"], f["planes"], f["bits"], f["comp"], f["used"], f["off"]) == (40, 1, 32, 0, 0, 54),
          str(f))
    check(f"{n}: {width} x {height}, bottom-up", (f["width"], f["height"]) == (width, height),
          f"{f['width']} x {f['height']}")
    check(f"{n}: pixel data complete", f["isize"] in (0, width * height * 4)
          and bmp.length >= 54 + width * height * 4, f"{f['isize']}, file {bmp.length}")
    check(f"{n}: fourth byte 0 everywhere", bmp.fourth == {0}, str(sorted(bmp.fourth)[:5]))


def pixels(bmp, x0, y0, x1, y1):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            yield x, y, bmp.px[y][x]


def all_are(bmp, x0, y0, x1, y1, colour):
    """None if every pixel of the rectangle has colour, else the first stray one."""
    for x, y, c in pixels(bmp, x0, y0, x1, y1):
        if c != colour:
            return f"({x}, {y}) is {hexc(c)}, not {hexc(colour)}"
    return None


def is_blend(c, a, b):
    """True if c lies (to rounding) on the line from colour a to colour b."""
    chans = lambda v: ((v >> 16) & 255, (v >> 8) & 255, v & 255)
    ts = []
    for cc, ca, cb in zip(chans(c), chans(a), chans(b)):
        if ca == cb:
            if abs(cc - ca) > 1:
                return False
            continue
        ts.append((cc - ca) / (cb - ca))
    return all(-0.02 <= t <= 1.02 for t in ts) and max(ts) - min(ts) < 0.05


def ink_box(bmp, x0, y0, x1, y1, ground):
    """Bounding box of the pixels in the rectangle that differ from ground."""
    pts = [(x, y) for x, y, c in pixels(bmp, x0, y0, x1, y1) if c != ground]
    if not pts:
        return None
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    return min(xs), min(ys), max(xs), max(ys)


def check_soft_glyph(bmp, what, box, ink, ground, min_w, min_h):
    x0, y0, x1, y1 = box
    cols = [c for _, _, c in pixels(bmp, x0, y0, x1, y1)]
    check(f"background: {what} has solid ink {hexc(ink)}", ink in cols)
    check(f"background: {what} has soft edges (blends of ink and fill only)",
          any(c not in (ink, ground) for c in cols) and all(is_blend(c, ground, ink) for c in cols))
    b = ink_box(bmp, x0, y0, x1, y1, ground)
    check(f"background: {what} fills its box (at least {min_w} x {min_h})",
          b is not None and b[2] - b[0] + 1 >= min_w and b[3] - b[1] + 1 >= min_h, str(b))


def check_background():
    bmp = Bmp("background.bmp", read("background.bmp"))
    check_bmp_format(bmp, 666, 485)
    if (bmp.width, bmp.height) != (666, 485):
        return
    frame = [all_are(bmp, 0, 0, 665, 0, FRAME), all_are(bmp, 0, 484, 665, 484, FRAME),
             all_are(bmp, 0, 0, 0, 484, FRAME), all_are(bmp, 665, 0, 665, 484, FRAME)]
    check("background: 1 px frame #84B5D6 on all four edges", not any(frame),
          next((e for e in frame if e), ""))
    for x, y in ((5, 5), (2, 40), (300, 36), (400, 20), (600, 30), (663, 482), (30, 420)):
        check(f"background: fill at ({x}, {y})", bmp.px[y][x] == FILL, hexc(bmp.px[y][x]))

    # The top band holds only the title, the credit line and the two glyphs.
    boxes = [(11, 9, 136, 28), (147, 15, 287, 28), (614, 12, 627, 14), (640, 6, 656, 19)]
    stray = None
    for x, y, c in pixels(bmp, 1, 1, 664, 42):
        if c != FILL and not any(a <= x <= b and t <= y <= u for a, t, b, u in boxes):
            stray = f"({x}, {y}) is {hexc(c)}"
            break
    check("background: nothing but fill around the title and glyphs (y 1-42)", stray is None, stray)
    check_soft_glyph(bmp, "title (x 11-136, y 9-28)", boxes[0], TITLE_BLUE, FILL, 110, 17)
    check_soft_glyph(bmp, "credit line (x 147-287, y 15-28)", boxes[1], TITLE_BLUE, FILL, 120, 7)
    check("background: title and credit line are separate",
          all(c == FILL for _, _, c in pixels(bmp, 137, 9, 146, 28)))
    check_soft_glyph(bmp, "minimise bar (x 614-627, y 12-14)", boxes[2], SLATE, FILL, 14, 3)
    check("background: minimise bar solid in its middle",
          not all_are(bmp, 616, 12, 625, 14, SLATE), all_are(bmp, 616, 12, 625, 14, SLATE))
    check_soft_glyph(bmp, "close cross (x 640-656, y 6-19)", boxes[3], SLATE, FILL, 17, 14)
    cross = {(x, y): c for x, y, c in pixels(bmp, 640, 6, 656, 19)}
    check("background: close cross is an X (solid centre and ends, open sides)",
          cross[(648, 12)] == SLATE and cross[(648, 13)] == SLATE
          and cross[(642, 7)] == SLATE and cross[(654, 7)] == SLATE
          and cross[(642, 18)] == SLATE and cross[(654, 18)] == SLATE
          and cross[(648, 6)] == FILL and cross[(648, 19)] == FILL
          and cross[(640, 12)] == FILL and cross[(656, 13)] == FILL)

    err = all_are(bmp, 16, 44, 649, 399, WHITE)
    check("background: text panel white at x 16-649, y 44-399", err is None, err)
    pf = [all_are(bmp, 15, 43, 650, 43, PANEL_FRAME), all_are(bmp, 15, 400, 650, 400, PANEL_FRAME),
          all_are(bmp, 15, 43, 15, 400, PANEL_FRAME), all_are(bmp, 650, 43, 650, 400, PANEL_FRAME)]
    check("background: panel frame #88C3F1 at x 15, x 650, y 43, y 400", not any(pf),
          next((e for e in pf if e), ""))
    around = [all_are(bmp, 1, 43, 14, 400, FILL), all_are(bmp, 651, 43, 664, 400, FILL)]
    check("background: fill on both sides of the panel", not any(around), next((e for e in around if e), ""))
    err = all_are(bmp, 1, 401, 664, 483, FILL)
    check("background: only fill below the panel (y 401-483)", err is None, err)


# --- Buttons ----------------------------------------------------------------

def check_button(name):
    bmp = Bmp(name, read(name))
    check_bmp_format(bmp, 105, 39)
    if (bmp.width, bmp.height) != (105, 39):
        return None
    frame = [all_are(bmp, 0, 0, 104, 0, BUTTON_FRAME), all_are(bmp, 0, 38, 104, 38, BUTTON_FRAME),
             all_are(bmp, 0, 0, 0, 38, BUTTON_FRAME), all_are(bmp, 104, 0, 104, 38, BUTTON_FRAME)]
    check(f"{name}: 1 px frame #98C4DF", not any(frame), next((e for e in frame if e), ""))
    check(f"{name}: gradient starts #D2EBF8 at row 1", all_are(bmp, 1, 1, 103, 1, GRADIENT_TOP) is None,
          all_are(bmp, 1, 1, 103, 1, GRADIENT_TOP))
    check(f"{name}: gradient ends #7EC6EC at row 37",
          all_are(bmp, 1, 37, 103, 37, GRADIENT_BOTTOM) is None, all_are(bmp, 1, 37, 103, 37, GRADIENT_BOTTOM))
    row_colour = [bmp.px[y][1] for y in range(39)]
    mixed = [y for y in list(range(1, 12)) + list(range(27, 38))
               if all_are(bmp, 1, y, 103, y, row_colour[y])]
    check(f"{name}: one colour per row outside the caption rows", not mixed, f"rows {mixed}")
    chans = [[(row_colour[y] >> s) & 255 for y in range(1, 38)] for s in (16, 8, 0)]
    mono = all(all(a >= b for a, b in zip(ch, ch[1:])) or all(a <= b for a, b in zip(ch, ch[1:]))
               for ch in chans)
    check(f"{name}: gradient runs steadily from top to bottom", mono)
    ink = [(x, y) for y in range(1, 38) for x in range(1, 104) if bmp.px[y][x] != row_colour[y]]
    ys, xs = [p[1] for p in ink], [p[0] for p in ink]
    check(f"{name}: caption within rows 12-26, 13 to 15 px high",
          bool(ink) and min(ys) >= 12 and max(ys) <= 26 and max(ys) - min(ys) + 1 >= 13,
          f"rows {min(ys)}-{max(ys)}" if ink else "no caption")
    if ink:
        left, right = min(xs), 104 - max(xs)
        check(f"{name}: caption centred across", abs(left - right) <= 1, f"margins {left} and {right}")
        check(f"{name}: caption in strong blue #1B53FA",
              any(bmp.px[y][x] == CAPTION_BLUE for x, y in ink))
    return [row[:] for row in bmp.px[12:27]]


# --- Icon and cursor --------------------------------------------------------

def read_dir(data, kind):
    reserved, typ, count = struct.unpack_from("<HHH", data, 0)
    entries = [struct.unpack_from("<BBBBHHII", data, 6 + 16 * i) for i in range(count)]
    return reserved, typ, entries


def read_mask(data, off, size):
    stride = ((size + 31) // 32) * 4
    rows = []
    for r in range(size):
        line = data[off + r * stride:off + (r + 1) * stride]
        rows.append([(line[x // 8] >> (7 - x % 8)) & 1 for x in range(size)])
    return rows[::-1]  # top-down


def icon_pixels(data, off, size, bits):
    """(rgba rows top-down, and-mask rows top-down) of one icon DIB."""
    pal_len = 1024 if bits == 8 else 0
    pal = data[off + 40:off + 40 + pal_len]
    xo = off + 40 + pal_len
    stride = ((size * bits + 31) // 32) * 4
    rows = []
    for r in range(size):
        line = data[xo + r * stride:xo + (r + 1) * stride]
        if bits == 32:
            rows.append([(line[4 * x + 2], line[4 * x + 1], line[4 * x], line[4 * x + 3])
                         for x in range(size)])
        else:
            rows.append([(pal[4 * i + 2], pal[4 * i + 1], pal[4 * i], 255)
                         for i in line[:size]])
    rgba = rows[::-1]
    andm = read_mask(data, xo + stride * size, size)
    if bits == 8:
        rgba = [[(r, g, b, 0 if m else 255) for (r, g, b, _), m in zip(row, mrow)]
                for row, mrow in zip(rgba, andm)]
    return rgba, andm


PAINTS = {
    "orange-yellow palette": lambda r, g, b: r > 220 and 140 < g < 200 and b < 90,
    "red dab": lambda r, g, b: r > 180 and g < 80 and b < 80,
    "blue paint or handle": lambda r, g, b: b > 180 and r < 80 and g < 120,
    "green handle or bristles": lambda r, g, b: g > 130 and r < 90 and b < 100,
    "pink bristles": lambda r, g, b: r > 220 and 80 < g < 170 and b > 150,
}


def check_icon():
    data = read("glimvane.ico")
    reserved, typ, entries = read_dir(data, 1)
    check("glimvane.ico: ICONDIR of type 1", (reserved, typ) == (0, 1), f"{reserved}, {typ}")
    want = [(16, 8), (24, 8), (32, 8), (16, 32), (24, 32), (32, 32), (48, 32)]
    got = [(w or 256, bits) for w, h, _, _, _, bits, _, _ in entries]
    check("glimvane.ico: seven images 16/24/32 at 8 bpp, 16/24/32/48 at 32 bpp", got == want, str(got))
    end = 6 + 16 * len(entries)
    for w, h, colours, res, planes, bits, nbytes, off in entries:
        n = f"glimvane.ico {w}x{h} {bits} bpp"
        size = w or 256
        stride = ((size * bits + 31) // 32) * 4
        mstride = ((size + 31) // 32) * 4
        expect = 40 + (1024 if bits == 8 else 0) + (stride + mstride) * size
        check(f"{n}: entry square, 1 plane, placed after the previous image, size adds up",
              w == h and planes == 1 and res == 0 and colours == 0 and off >= end
              and off + nbytes <= len(data) and nbytes == expect, f"{nbytes} vs {expect}, at {off}")
        end = off + nbytes
        hs, dw, dh, dp, dbits, comp = struct.unpack_from("<IiiHHI", data, off)
        check(f"{n}: DIB header with doubled height, BI_RGB",
              (hs, dw, dh, dp, dbits, comp) == (40, size, 2 * size, 1, bits, 0),
              str((hs, dw, dh, dp, dbits, comp)))
        rgba, andm = icon_pixels(data, off, size, bits)
        check(f"{n}: transparent corners, opaque picture",
              all(andm[y][x] == 1 and rgba[y][x][3] == 0 for x, y in ((0, size - 1), (size - 1, size - 1)))
              and sum(p[3] == 255 for row in rgba for p in row) > size * size // 4)
        if bits == 32:
            check(f"{n}: AND mask set exactly where alpha is 0",
                  all((p[3] == 0) == bool(m) for row, mrow in zip(rgba, andm) for p, m in zip(row, mrow)))
        colours = [p[:3] for row in rgba for p in row if p[3] >= 128]
        missing = [k for k, test in PAINTS.items() if not any(test(*c) for c in colours)]
        check(f"{n}: shows palette, paint and both brushes", not missing, "no " + ", ".join(missing))


def check_cursor():
    data = read("hand.cur")
    reserved, typ, entries = read_dir(data, 2)
    check("hand.cur: one image, type 2", (reserved, typ, len(entries)) == (0, 2, 1),
          f"{reserved}, {typ}, {len(entries)}")
    if len(entries) != 1:
        return
    w, h, colours, _, hx, hy, nbytes, off = entries[0]
    check("hand.cur: 32 x 32, hot spot (6, 0)", (w, h, hx, hy) == (32, 32, 6, 0), str((w, h, hx, hy)))
    hs, dw, dh, dp, bits, comp = struct.unpack_from("<IiiHHI", data, off)
    check("hand.cur: monochrome DIB, doubled height, black and white colour table",
          (hs, dw, dh, dp, bits, comp) == (40, 32, 64, 1, 1, 0)
          and data[off + 40:off + 48] == bytes((0, 0, 0, 0, 255, 255, 255, 0))
          and nbytes == 40 + 8 + 128 + 128 and off + nbytes <= len(data),
          str((hs, dw, dh, dp, bits, comp, nbytes)))
    xor, andm = read_mask(data, off + 48, 32), read_mask(data, off + 48 + 128, 32)
    shown = [(x, y) for y in range(32) for x in range(32) if not andm[y][x]]
    check("hand.cur: no inverted pixels", not any(andm[y][x] and xor[y][x] for y in range(32) for x in range(32)))
    if not shown:
        check("hand.cur: the hand is drawn", False)
        return
    box = (min(p[0] for p in shown), min(p[1] for p in shown), max(p[0] for p in shown), max(p[1] for p in shown))
    check("hand.cur: hand fills the top-left 17 x 22 px, the rest transparent", box == (0, 0, 16, 21), str(box))
    check("hand.cur: hot spot on the black tip of the finger",
          not andm[0][6] and not xor[0][6] and all(andm[0][x] for x in range(0, 5)))
    white = [(x, y) for x, y in shown if xor[y][x]]
    enclosed = all(0 < x < 31 and 0 < y < 31 and all(not andm[y + dy][x + dx]
                   for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))) for x, y in white)
    check("hand.cur: white hand with a black outline", len(white) > 100 and enclosed,
          f"{len(white)} white pixels")


def main():
    groups = [check_background, check_icon, check_cursor]
    for g in groups:
        try:
            g()
        except Exception as e:  # a file too broken to parse is one failure
            check(f"{g.__name__}: file readable", False, repr(e))
    captions = []
    for name in ("button_forward.bmp", "button_reverse.bmp", "button_copy.bmp"):
        try:
            captions.append(check_button(name))
        except Exception as e:
            check(f"{name}: file readable", False, repr(e))
    if len(captions) == 3 and all(captions):
        check("buttons: three different captions",
              captions[0] != captions[1] and captions[1] != captions[2] and captions[0] != captions[2])
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
