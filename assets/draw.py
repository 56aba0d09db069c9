#!/usr/bin/env python3
"""Draws the pictures of the window skin, the program icon and the hand pointer.

ImageMagick renders the anti-aliased parts (text, the glyph shapes, the icon
artwork) as grey-scale coverage masks or RGBA rasters; this script places them
at their exact pixels, blends them over the flat colours and writes the BMP,
ICO and CUR files itself, so every header field is the one the program needs.

Usage: draw.py [OUTPUT_DIR]   (default: the folder of this script)
The environment variable CONVERT names ImageMagick's convert if it is not
/usr/bin/convert.
"""

import math
import os
import re
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERT = os.environ.get("CONVERT") or (
    "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert")

DEJAVU = "/usr/share/fonts/truetype/dejavu/"
TITLE_FONT = DEJAVU + "DejaVuSans-Bold.ttf"
CREDIT_FONT = DEJAVU + "DejaVuSansCondensed-Bold.ttf"
CAPTION_FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# Colours of the skin.
FILL = 0xDBEEF7
FRAME = 0x84B5D6
TITLE_BLUE = 0x0D6EC1
GLYPH_SLATE = 0x446F7E
PANEL = 0xFFFFFF
PANEL_FRAME = 0x88C3F1
BUTTON_FRAME = 0x98C4DF
GRADIENT_TOP = 0xD2EBF8
GRADIENT_BOTTOM = 0x7EC6EC
CAPTION_BLUE = 0x1B53FA

BACKGROUND_SIZE = (666, 485)
BUTTON_SIZE = (105, 39)
BUTTONS = [
    ("button_forward.bmp", "转为形近字"),
    ("button_reverse.bmp", "转为简体字"),
    ("button_copy.bmp", "复制全部"),
]


def convert(args, stdin=None):
    return subprocess.run([CONVERT] + args, input=stdin, check=True,
                          stdout=subprocess.PIPE).stdout


def site_label():
    """The companion website from window/app_info.h, without its scheme."""
    header = os.path.join(HERE, "..", "window", "app_info.h")
    with open(header, encoding="utf-8") as f:
        m = re.search(r'#define\s+GLIMVANE_SITE_URL\s+"([^"]+)"', f.read())
    if not m:
        sys.exit("draw.py: GLIMVANE_SITE_URL not found in " + header)
    url = re.sub(r"^[a-zA-Z][a-zA-Z0-9+.-]*://", "", m.group(1)).rstrip("/")
    return url.upper()


# --- Coverage masks -------------------------------------------------------

class Mask:
    """An 8-bit coverage mask cut to its ink, with the text baseline if any."""

    def __init__(self, width, height, data, baseline=None):
        self.width, self.height, self.data, self.baseline = width, height, data, baseline

    def at(self, x, y):
        return self.data[y * self.width + x]


def read_gray(blob, width, height):
    assert len(blob) == width * height, (len(blob), width, height)
    return bytes(blob)


def crop_to_ink(width, height, data, baseline=None):
    rows = [y for y in range(height) if any(data[y * width:(y + 1) * width])]
    if not rows:
        raise ValueError("nothing was drawn")
    cols = [x for x in range(width) if any(data[y * width + x] for y in rows)]
    x0, x1, y0, y1 = cols[0], cols[-1], rows[0], rows[-1]
    w, h = x1 - x0 + 1, y1 - y0 + 1
    out = bytearray(w * h)
    for y in range(h):
        out[y * w:(y + 1) * w] = data[(y0 + y) * width + x0:(y0 + y) * width + x1 + 1]
    return Mask(w, h, bytes(out), None if baseline is None else baseline - y0)


def text_mask(font, size, text):
    """Renders text white on black with ImageMagick and cuts it to its ink."""
    width, height, base = 60 + int(size * len(text) * 1.5), int(size * 3) + 20, int(size * 2) + 10
    blob = convert(["-size", f"{width}x{height}", "xc:black", "-fill", "white",
                    "-font", font, "-pointsize", str(size),
                    "-annotate", f"+20+{base}", text,
                    "-colorspace", "gray", "-depth", "8", "gray:-"])
    return crop_to_ink(width, height, read_gray(blob, width, height), base)


def fit_text(font, text, max_w, max_h, start):
    """The largest rendering, in steps of a quarter point, that fits the box."""
    size = start
    while size > 4:
        m = text_mask(font, size, text)
        if m.width <= max_w and m.height <= max_h:
            return m, size
        size -= 0.25
    raise ValueError(f"{text!r} does not fit {max_w}x{max_h}")


def shape_mask(width, height, draw_args):
    """Draws white primitives on a black canvas of exactly width x height."""
    blob = convert(["-size", f"{width}x{height}", "xc:black", "-fill", "white",
                    "-stroke", "none"] + draw_args +
                   ["-colorspace", "gray", "-depth", "8", "gray:-"])
    return Mask(width, height, read_gray(blob, width, height))


# --- Raster ---------------------------------------------------------------

class Picture:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.px = [[colour] * width for _ in range(height)]

    def rect(self, x0, y0, x1, y1, colour):  # inclusive corners
        for y in range(y0, y1 + 1):
            row = self.px[y]
            for x in range(x0, x1 + 1):
                row[x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0, colour)
        self.rect(x0, y1, x1, y1, colour)
        self.rect(x0, y0, x0, y1, colour)
        self.rect(x1, y0, x1, y1, colour)

    def blend(self, mask, left, top, colour):
        """Lays colour over the picture through a coverage mask."""
        for y in range(mask.height):
            row = self.px[top + y]
            for x in range(mask.width):
                a = mask.at(x, y)
                if a:
                    row[left + x] = mix(row[left + x], colour, a)


def mix(under, over, alpha):
    out = 0
    for shift in (16, 8, 0):
        u, o = (under >> shift) & 255, (over >> shift) & 255
        out |= ((u * (255 - alpha) + o * alpha + 127) // 255) << shift
    return out


def lerp_colour(a, b, t):
    out = 0
    for shift in (16, 8, 0):
        ca, cb = (a >> shift) & 255, (b >> shift) & 255
        out |= int(round(ca + (cb - ca) * t)) << shift
    return out


def write_bmp(path, pic):
    """32 bits per pixel, BI_RGB, fourth byte 0, bottom-up rows."""
    image = bytearray()
    for row in reversed(pic.px):
        for c in row:
            image += bytes((c & 255, (c >> 8) & 255, (c >> 16) & 255, 0))
    info = struct.pack("<IiiHHIIiiII", 40, pic.width, pic.height, 1, 32, 0,
                       len(image), 3780, 3780, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(image), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + image)


# --- Background and buttons -------------------------------------------------

def draw_background():
    w, h = BACKGROUND_SIZE
    pic = Picture(w, h, FILL)
    pic.frame(0, 0, w - 1, h - 1, FRAME)

    # Title within x 11-136, y 9-28; the credit line within x 147-287, y 15-28,
    # its capitals standing on the title's baseline.
    title, _ = fit_text(TITLE_FONT, "Glimvane", 126, 20, 26)
    title_top = 9
    pic.blend(title, 11, title_top, TITLE_BLUE)
    baseline = title_top + title.baseline
    credit, _ = fit_text(CREDIT_FONT, site_label(), 141, 14, 14)
    credit_top = max(15, min(28 - credit.height + 1, baseline - credit.baseline))
    pic.blend(credit, 147, credit_top, TITLE_BLUE)

    # Minimise bar, 14 x 3 at x 614-627, y 12-14, its ends rounded off.
    bar = shape_mask(14, 3, ["-draw", "roundrectangle -0.2,-0.2 13.2,2.2 1.5,1.5"])
    pic.blend(bar, 614, 12, GLYPH_SLATE)

    # Close cross, 17 x 14 at x 640-656, y 6-19, two strokes about 3 px thick.
    # (ImageMagick puts pixel centres on whole coordinates.)
    cross = shape_mask(17, 14, ["-stroke", "white", "-strokewidth", "3",
                                "-draw", "line 1.3,1.1 14.7,11.9",
                                "-draw", "line 14.7,1.1 1.3,11.9"])
    pic.blend(cross, 640, 6, GLYPH_SLATE)

    # Text panel: white field x 16-649, y 44-399 inside a 1 px frame.
    pic.rect(15, 43, 650, 400, PANEL_FRAME)
    pic.rect(16, 44, 649, 399, PANEL)
    return pic


def draw_button(caption):
    w, h = BUTTON_SIZE
    pic = Picture(w, h, BUTTON_FRAME)
    for y in range(1, h - 1):
        pic.rect(1, y, w - 2, y, lerp_colour(GRADIENT_TOP, GRADIENT_BOTTOM, (y - 1) / (h - 3)))
    text, _ = fit_text(CAPTION_FONT, caption, w - 8, 15, 17)
    left = (w - text.width) // 2
    top = 12 + (15 - text.height) // 2
    pic.blend(text, left, top, CAPTION_BLUE)
    return pic


# --- Icon -----------------------------------------------------------------

ICON_ART = 192
ICON_SIZES_8BIT = (16, 24, 32)
ICON_SIZES_32BIT = (16, 24, 32, 48)


def _pts(points):
    return " ".join(f"{x:.1f},{y:.1f}" for x, y in points)


def _palette_outline():
    """An ellipse with a bite out of its lower right edge, as a polygon."""
    cx, cy, rx, ry = 96, 128, 88, 58
    bx, by, br = 178, 160, 26  # the bite
    pts = []
    for i in range(180):
        t = 2 * math.pi * i / 180
        x, y = cx + rx * math.cos(t), cy + ry * math.sin(t)
        d = math.hypot(x - bx, y - by)
        if d < br:
            x, y = bx + (x - bx) * br / d, by + (y - by) * br / d
        pts.append((x, y))
    return pts


def _brush(tip, end, width, handle, bristles):
    """Draw arguments for one brush, bristles at tip, handle at end."""
    tx, ty = tip
    ex, ey = end
    length = math.hypot(ex - tx, ey - ty)
    ux, uy = (ex - tx) / length, (ey - ty) / length  # along the brush
    nx, ny = -uy, ux  # across it

    def at(t, off):
        return (tx + ux * length * t + nx * off, ty + uy * length * t + ny * off)

    hw = width / 2
    tuft = [at(0, 0), at(0.08, hw * 0.75), at(0.2, hw * 1.05), at(0.27, hw * 0.95),
            at(0.27, -hw * 0.95), at(0.2, -hw * 1.05), at(0.08, -hw * 0.75)]
    ferrule = [at(0.26, hw * 0.95), at(0.38, hw * 0.8), at(0.38, -hw * 0.8), at(0.26, -hw * 0.95)]
    stick = [at(0.37, hw * 0.8), at(0.97, hw * 0.62), at(1.0, 0), at(0.97, -hw * 0.62),
             at(0.37, -hw * 0.8)]
    args = []
    for colour, poly in ((handle, stick), ("#C9CED6", ferrule), (bristles, tuft)):
        args += ["-fill", colour, "-draw", f"stroke-linejoin round polygon {_pts(poly)}"]
    return args


def icon_art(outline, brush_outline):
    """The icon artwork at 192 x 192 as a PNG blob, with the given line widths.

    The lines are drawn wider for the smaller images, so that they still come
    out about one pixel wide there."""
    line = "#6B3A12"
    args = ["-size", f"{ICON_ART}x{ICON_ART}", "xc:none",
            "-stroke", line, "-strokewidth", str(outline), 
            # The palette with its thumb hole.
            "-fill", "#F7AE2A", "-draw",
            "stroke-linejoin round fill-rule evenodd path 'M " + " L ".join(f"{x:.1f},{y:.1f}" for x, y in _palette_outline()) +
            " Z M 148,128 a 15,12 0 1,0 30,0 a 15,12 0 1,0 -30,0 Z'",
            # A red and a blue dab of paint.
            "-fill", "#E3262B", "-draw", "ellipse 44,128 24,19 0,360",
            "-fill", "#2255E0", "-draw", "ellipse 86,162 24,17 0,360",
            ]
    # Two brushes standing in the palette, leaning apart.
    if brush_outline > 0:
        args += ["-strokewidth", str(brush_outline)]
    else:
        args += ["-stroke", "none"]
    args += _brush((90, 130), (30, 4), 32, "#1F5FD8", "#2FC24A")
    args += _brush((120, 134), (176, 10), 32, "#2EA03E", "#FF6FB8")
    args += ["png:-"]
    return convert(args)


def icon_rgba(size):
    """The artwork scaled down to size x size, as rows of (r, g, b, a)."""
    outline = max(5.0, 1.05 * ICON_ART / size)
    blob = convert(["png:-", "-filter", "Box", "-resize", f"{size}x{size}",
                    "-depth", "8", "rgba:-"], icon_art(outline, 0 if size < 32 else 0.6 * outline))
    assert len(blob) == size * size * 4
    return [[tuple(blob[(y * size + x) * 4:(y * size + x) * 4 + 4]) for x in range(size)]
            for y in range(size)]


def mask_rows(size, transparent):
    """The 1-bit AND mask, bottom-up, rows padded to 4 bytes."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if transparent(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def dib_header(size, bits, image_bytes):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0, 0, 0)


def icon_dib_32(rgba):
    size = len(rgba)
    xor = bytearray()
    for row in reversed(rgba):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    andm = mask_rows(size, lambda x, y: rgba[y][x][3] == 0)
    return dib_header(size, 32, len(xor) + len(andm)) + bytes(xor) + andm


def icon_dib_8(rgba):
    """256-colour image: opaque where alpha >= 128, ImageMagick picks the palette."""
    size = len(rgba)
    opaque = [[p[3] >= 128 for p in row] for row in rgba]
    # Quantise the opaque colours to at most 255 entries; entry 0 is left black
    # for the transparent pixels.
    flat = bytearray()
    for row in rgba:
        for r, g, b, a in row:
            flat += bytes((r, g, b))
    quant = convert(["-size", f"{size}x{size}", "-depth", "8", "rgb:-", "+dither",
                     "-colors", "255", "-depth", "8", "rgb:-"], bytes(flat))
    colours = [(0, 0, 0)]
    index = {}
    pix = [[0] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if not opaque[y][x]:
                continue
            c = tuple(quant[(y * size + x) * 3:(y * size + x) * 3 + 3])
            if c not in index:
                index[c] = len(colours)
                colours.append(c)
            pix[y][x] = index[c]
    assert len(colours) <= 256, len(colours)
    palette = bytearray()
    for r, g, b in colours + [(0, 0, 0)] * (256 - len(colours)):
        palette += bytes((b, g, r, 0))
    xor = bytearray()
    for row in reversed(pix):
        xor += bytes(row)  # 16, 24 and 32 are multiples of 4: no padding
    andm = mask_rows(size, lambda x, y: not opaque[y][x])
    return dib_header(size, 8, len(xor) + len(andm)) + bytes(palette) + bytes(xor) + andm


def write_icon_file(path, kind, entries):
    """entries: (width, height, colour_count, field1, field2, dib); kind 1 icon, 2 cursor."""
    out = bytearray(struct.pack("<HHH", 0, kind, len(entries)))
    offset = 6 + 16 * len(entries)
    for w, h, colours, f1, f2, dib in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0, f1, f2, len(dib), offset)
        offset += len(dib)
    for entry in entries:
        out += entry[5]
    with open(path, "wb") as f:
        f.write(out)


def draw_icon(path):
    entries = []
    art = {s: icon_rgba(s) for s in sorted(set(ICON_SIZES_8BIT + ICON_SIZES_32BIT))}
    for s in ICON_SIZES_8BIT:
        entries.append((s, s, 0, 1, 8, icon_dib_8(art[s])))
    for s in ICON_SIZES_32BIT:
        entries.append((s, s, 0, 1, 32, icon_dib_32(art[s])))
    write_icon_file(path, 1, entries)
    return art


# --- Hand pointer ---------------------------------------------------------

# '#' black outline, '.' white, ' ' transparent; 17 x 22, hot spot at the
# tip of the index finger, (6, 0).
HAND = [
    "      ##         ",
    "     #..#        ",
    "     #..#        ",
    "     #..#        ",
    "     #..#        ",
    "     #..###      ",
    "     #..#..###   ",
    "     #..#..#..## ",
    "     #..#..#..#.#",
    " ##  #..#..#..#.#",
    "#..# #..........#",
    "#...##..........#",
    " #..#...........#",
    " #..............#",
    "  #.............#",
    "  #............# ",
    "   #...........# ",
    "   #..........#  ",
    "    #.........#  ",
    "    #.........#  ",
    "    #.........#  ",
    "    ###########  ",
]
HAND_HOTSPOT = (6, 0)
CURSOR_SIZE = 32


def draw_cursor(path):
    size = CURSOR_SIZE
    rows = [r.ljust(size) for r in HAND] + [" " * size] * (size - len(HAND))
    xor = mask_rows(size, lambda x, y: rows[y][x] == ".")  # 1 = white (palette entry 1)
    andm = mask_rows(size, lambda x, y: rows[y][x] == " ")  # 1 = leave the screen
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    dib = dib_header(size, 1, len(xor) + len(andm)) + palette + xor + andm
    write_icon_file(path, 2, [(size, size, 2, HAND_HOTSPOT[0], HAND_HOTSPOT[1], dib)])


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else HERE
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "background.bmp"), draw_background())
    for name, caption in BUTTONS:
        write_bmp(os.path.join(out, name), draw_button(caption))
    draw_icon(os.path.join(out, "glimvane.ico"))
    draw_cursor(os.path.join(out, "hand.cur"))


if __name__ == "__main__":
    main()
