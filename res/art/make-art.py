#!/usr/bin/env python3
"""Draws the program's icon and bitmaps and writes them beside this script.

    res/art/make-art.py            writes every file below (the build does not run this; the
                                   outputs are committed)

  icon-128.ico            window icon: one image, 32 x 32, 256 colours, with its AND mask
  bitmap-157.bmp          welcome banner, 324 x 47, 24 bits, logos and greeting on pure white
  bitmap-25012.bmp        link banner "Guide", 100 x 60, 8 bits, 256-colour palette
  bitmap-25013.bmp        link banner "News", 100 x 60, 8 bits, 129-colour palette
  bitmap-25014.bmp        link banner "Community", 100 x 60, 8 bits, 65-colour palette
  icons/mirrak-generator-N.png
                          desktop icon with alpha, N x N for N = 16, 24, 32, 48, 64, 128 and 256
                          (the sizes of the desktop's hicolor icon theme)
  mirrak-generator.svg    the same icon, scalable

Shapes are drawn by a small supersampling rasteriser below; text is rendered as a coverage mask by
ImageMagick's "convert" with DejaVu Sans Bold (Debian: imagemagick, fonts-dejavu-core, installed
through scripts/setup.sh when missing). Files are written byte by byte with the standard library
only, so the palettes are exactly the ones asked for.
"""

import math
import os
import shutil
import struct
import subprocess
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
SAMPLES = 4  # supersampling grid per pixel side


def ensure_tools():
    """Installs ImageMagick and the font with the project's set-up when they are missing."""
    if shutil.which("convert") is None or not os.path.exists(FONT):
        setup = os.path.join(HERE, "..", "..", "scripts", "setup.sh")
        command = 'source "$0" && ensure_packages imagemagick fonts-dejavu-core'
        subprocess.run(["bash", "-c", command, setup], check=True)


def hex_rgb(text):
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


# ---- Shapes: inside(x, y) tests plus a bounding box, in the shape's own units ----


class Shape:
    def __init__(self, inside, box):
        self.inside = inside
        self.box = box  # (x0, y0, x1, y1)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return Shape(inside, (x0, y0, x1, y1))


def circle(cx, cy, r):
    return Shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
                 (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    return Shape(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0,
                 (cx - rx, cy - ry, cx + rx, cy + ry))


def polygon(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result

    return Shape(inside, (min(xs), min(ys), max(xs), max(ys)))


def union(*shapes):
    return Shape(lambda x, y: any(s.inside(x, y) for s in shapes),
                 (min(s.box[0] for s in shapes), min(s.box[1] for s in shapes),
                  max(s.box[2] for s in shapes), max(s.box[3] for s in shapes)))


def minus(shape, cut):
    return Shape(lambda x, y: shape.inside(x, y) and not cut.inside(x, y), shape.box)


def clip(shape, limit):
    return Shape(lambda x, y: shape.inside(x, y) and limit.inside(x, y), shape.box)


# ---- Canvas: premultiplied RGBA floats ----


class Canvas:
    def __init__(self, width, height, background=None):
        self.width = width
        self.height = height
        fill = (0.0, 0.0, 0.0, 0.0) if background is None else tuple(background) + (1.0,)
        self.px = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, rgb, alpha):
        if alpha <= 0.0:
            return
        p = self.px[y * self.width + x]
        keep = 1.0 - alpha
        p[0] = rgb[0] * alpha + p[0] * keep
        p[1] = rgb[1] * alpha + p[1] * keep
        p[2] = rgb[2] * alpha + p[2] * keep
        p[3] = alpha + p[3] * keep

    def fill(self, shape, paint, scale=1.0, ox=0.0, oy=0.0, opacity=1.0):
        """Fills shape (in its own units, placed at ox, oy and scaled) with paint(u, v) -> rgb,
        where u, v are the shape units of the pixel's centre."""
        x0 = max(0, int(math.floor(shape.box[0] * scale + ox)))
        y0 = max(0, int(math.floor(shape.box[1] * scale + oy)))
        x1 = min(self.width, int(math.ceil(shape.box[2] * scale + ox)) + 1)
        y1 = min(self.height, int(math.ceil(shape.box[3] * scale + oy)) + 1)
        step = 1.0 / SAMPLES
        total = SAMPLES * SAMPLES
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for j in range(SAMPLES):
                    v = ((y + (j + 0.5) * step) - oy) / scale
                    for i in range(SAMPLES):
                        u = ((x + (i + 0.5) * step) - ox) / scale
                        if shape.inside(u, v):
                            hits += 1
                if hits:
                    colour = paint(((x + 0.5) - ox) / scale, ((y + 0.5) - oy) / scale)
                    self.blend(x, y, colour, opacity * hits / total)

    def fill_mask(self, mask, mw, mh, ox, oy, paint, opacity=1.0):
        """Blends a coverage mask (floats 0..1, mw x mh) at ox, oy with paint(x, y) -> rgb."""
        for my in range(mh):
            y = oy + my
            if not 0 <= y < self.height:
                continue
            for mx in range(mw):
                x = ox + mx
                coverage = mask[my * mw + mx]
                if coverage > 0.0 and 0 <= x < self.width:
                    self.blend(x, y, paint(x, y), opacity * coverage)

    def rgb(self, x, y):
        """Straight (not premultiplied) colour of a pixel as 0..255 integers, and its alpha."""
        r, g, b, a = self.px[y * self.width + x]
        if a <= 0.0:
            return (0, 0, 0), 0.0
        return tuple(max(0, min(255, int(round(c / a * 255)))) for c in (r, g, b)), a


def vertical(top, bottom, y0, y1):
    def paint(_u, v):
        return mix(top, bottom, min(1.0, max(0.0, (v - y0) / (y1 - y0))))

    return paint


def solid(rgb):
    return lambda _u, _v: rgb


# ---- The logo: a gold padlock on a blue rounded tile, in a 32 x 32 unit square ----

TILE_TOP, TILE_BOTTOM = hex_rgb("#3d8fe6"), hex_rgb("#123e84")
STEEL_TOP, STEEL_BOTTOM = hex_rgb("#f4f7fa"), hex_rgb("#aebccb")
GOLD_TOP, GOLD_BOTTOM = hex_rgb("#ffd85c"), hex_rgb("#e8961c")
KEYHOLE = hex_rgb("#4a2e06")
SHINE = (1.0, 1.0, 1.0)

TILE = rounded_rect(1, 1, 31, 31, 6)
TILE_SHINE = clip(ellipse(16, 3, 20, 12), TILE)
SHACKLE = union(
    minus(clip(circle(16, 13, 7.2), Shape(lambda x, y: y <= 13, (0, 0, 32, 13))),
          circle(16, 13, 4.4)),
    rounded_rect(8.8, 12.5, 11.6, 17, 0.3),
    rounded_rect(20.4, 12.5, 23.2, 17, 0.3),
)
BODY = rounded_rect(6.5, 15.5, 25.5, 28, 2.6)
BODY_SHINE = clip(rounded_rect(6.5, 15.5, 25.5, 19.5, 2.6), BODY)
KEYHOLE_SHAPE = union(circle(16, 20.4, 2.1), polygon([(15.0, 21.0), (17.0, 21.0),
                                                      (17.7, 25.2), (14.3, 25.2)]))


def draw_logo(canvas, scale, ox, oy):
    canvas.fill(TILE, vertical(TILE_TOP, TILE_BOTTOM, 1, 31), scale, ox, oy)
    canvas.fill(TILE_SHINE, solid(SHINE), scale, ox, oy, opacity=0.16)
    canvas.fill(SHACKLE, vertical(STEEL_TOP, STEEL_BOTTOM, 5.8, 17), scale, ox, oy)
    canvas.fill(BODY, vertical(GOLD_TOP, GOLD_BOTTOM, 15.5, 28), scale, ox, oy)
    canvas.fill(BODY_SHINE, solid(SHINE), scale, ox, oy, opacity=0.22)
    canvas.fill(KEYHOLE_SHAPE, solid(KEYHOLE), scale, ox, oy)


def logo_svg():
    def c(rgb):
        return "#%02x%02x%02x" % tuple(int(round(v * 255)) for v in rgb)

    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">
  <title>Mirrak Generator</title>
  <defs>
    <linearGradient id="tile" x1="0" y1="1" x2="0" y2="31" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="{c(TILE_TOP)}"/><stop offset="1" stop-color="{c(TILE_BOTTOM)}"/>
    </linearGradient>
    <linearGradient id="steel" x1="0" y1="5.8" x2="0" y2="17" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="{c(STEEL_TOP)}"/><stop offset="1" stop-color="{c(STEEL_BOTTOM)}"/>
    </linearGradient>
    <linearGradient id="gold" x1="0" y1="15.5" x2="0" y2="28" gradientUnits="userSpaceOnUse">
      <stop offset="0" stop-color="{c(GOLD_TOP)}"/><stop offset="1" stop-color="{c(GOLD_BOTTOM)}"/>
    </linearGradient>
    <clipPath id="tileClip"><rect x="1" y="1" width="30" height="30" rx="6"/></clipPath>
    <clipPath id="bodyClip"><rect x="6.5" y="15.5" width="19" height="12.5" rx="2.6"/></clipPath>
  </defs>
  <rect x="1" y="1" width="30" height="30" rx="6" fill="url(#tile)"/>
  <ellipse cx="16" cy="3" rx="20" ry="12" fill="#ffffff" fill-opacity="0.16" clip-path="url(#tileClip)"/>
  <path d="M8.8 17 V13 A7.2 7.2 0 0 1 23.2 13 V17 H20.4 V13 A4.4 4.4 0 0 0 11.6 13 V17 Z"
        fill="url(#steel)"/>
  <rect x="6.5" y="15.5" width="19" height="12.5" rx="2.6" fill="url(#gold)"/>
  <rect x="6.5" y="15.5" width="19" height="4" fill="#ffffff" fill-opacity="0.22" clip-path="url(#bodyClip)"/>
  <circle cx="16" cy="20.4" r="2.1" fill="{c(KEYHOLE)}"/>
  <path d="M15 21 H17 L17.7 25.2 H14.3 Z" fill="{c(KEYHOLE)}"/>
</svg>
"""


# ---- Text: coverage masks rendered by ImageMagick ----


def text_mask(text, pixels):
    """Renders text in DejaVu Sans Bold at a font size of `pixels` and returns (mask, w, h), the
    mask trimmed to the ink's columns but keeping the line's full height (so baselines agree)."""
    out = subprocess.run(
        ["convert", "-background", "black", "-fill", "white", "-font", FONT, "-density", "72",
         "-pointsize", str(pixels), "label:" + text, "-depth", "8", "pgm:-"],
        check=True, capture_output=True).stdout
    # Binary PGM: "P5 w h 255" then w*h bytes.
    fields = []
    pos = 0
    while len(fields) < 4:
        while out[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not out[pos:pos + 1].isspace():
            pos += 1
        fields.append(out[start:pos])
    pos += 1
    w, h = int(fields[1]), int(fields[2])
    data = out[pos:pos + w * h]
    mask = [b / 255.0 for b in data]
    columns = [x for x in range(w) if any(mask[y * w + x] > 0 for y in range(h))]
    left, right = columns[0], columns[-1] + 1
    trimmed = [mask[y * w + x] for y in range(h) for x in range(left, right)]
    return trimmed, right - left, h


def ink_rows(mask, w, h):
    rows = [y for y in range(h) if any(mask[y * w + x] > 0 for x in range(w))]
    return rows[0], rows[-1] + 1


# ---- Colour quantisation: median cut with an optional fixed white entry ----


def median_cut(counts, n):
    """counts: {rgb: pixels}. Returns at most n colours, the weighted means of median-cut boxes."""
    boxes = [list(counts.items())]
    while len(boxes) < n:
        best, best_range, best_axis = None, 0, 0
        for index, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for axis in range(3):
                values = [c[axis] for c, _ in box]
                spread = (max(values) - min(values)) * math.sqrt(sum(k for _, k in box))
                if spread > best_range:
                    best, best_range, best_axis = index, spread, axis
        if best is None:
            break
        box = sorted(boxes.pop(best), key=lambda item: item[0][best_axis])
        half = sum(k for _, k in box) / 2.0
        running, cut = 0, 1
        for i, (_, k) in enumerate(box[:-1]):
            running += k
            cut = i + 1
            if running >= half:
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(k for _, k in box)
        palette.append(tuple(int(round(sum(c[a] * k for c, k in box) / total)) for a in range(3)))
    return palette


def quantise(pixels, size, keep_white, pad=False):
    """Maps rgb pixels onto a palette of exactly `size` entries. With keep_white, entry 0 is pure
    white and only pure white pixels use it. With pad, a picture of fewer colours gets unused
    black entries up to the size. Returns (palette, indices)."""
    fixed = [(255, 255, 255)] if keep_white else []
    counts = {}
    for p in pixels:
        if not (keep_white and p == (255, 255, 255)):
            counts[p] = counts.get(p, 0) + 1
    palette = fixed + median_cut(counts, size - len(fixed))
    palette = list(dict.fromkeys(palette))  # boxes may round to one colour
    if pad:
        palette += [(0, 0, 0)] * (size - len(palette))
    if len(palette) < size:
        sys.exit("quantise: only %d distinct colours for a %d-colour palette" %
                 (len(palette), size))
    cache = {}
    first = len(fixed)

    def nearest(p):
        if keep_white and p == (255, 255, 255):
            return 0
        if p not in cache:
            cache[p] = min(range(first, size), key=lambda i: sum(
                (a - b) ** 2 for a, b in zip(palette[i], p)))
        return cache[p]

    return palette, [nearest(p) for p in pixels]


# ---- File writers ----


def bmp_bytes(width, height, bits, rows, palette=()):
    """rows: top-down list of byte strings (BGR triples or palette indices)."""
    stride = (width * bits // 8 + 3) & ~3
    pixel_data = b"".join(row.ljust(stride, b"\0") for row in reversed(rows))
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixel_data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixel_data), 2835, 2835,
                       len(palette), 0)
    return header + info + colours + pixel_data


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)
    print("wrote", name, len(data), "bytes")


def write_bmp24(name, canvas):
    rows = []
    for y in range(canvas.height):
        row = bytearray()
        for x in range(canvas.width):
            r, g, b = canvas.rgb(x, y)[0]
            row += bytes((b, g, r))
        rows.append(bytes(row))
    write(name, bmp_bytes(canvas.width, canvas.height, 24, rows))


def write_bmp8(name, canvas, colours, keep_white):
    pixels = [canvas.rgb(x, y)[0] for y in range(canvas.height) for x in range(canvas.width)]
    palette, indices = quantise(pixels, colours, keep_white)
    w = canvas.width
    rows = [bytes(indices[y * w:(y + 1) * w]) for y in range(canvas.height)]
    write(name, bmp_bytes(w, canvas.height, 8, rows, palette))


def write_ico(name, canvas):
    size = canvas.width
    opaque = [canvas.rgb(x, y)[1] >= 0.5 for y in range(size) for x in range(size)]
    pixels = [canvas.rgb(x, y)[0] for y in range(size) for x in range(size)]
    palette, indices = quantise([p for p, o in zip(pixels, opaque) if o], 256, False, pad=True)
    lookup = iter(indices)
    xor_rows, and_rows = [], []
    for y in range(size):
        row = bytearray()
        bits = 0
        for x in range(size):
            if opaque[y * size + x]:
                row.append(next(lookup))
            else:
                row.append(0)
                bits |= 1 << (size - 1 - x)
        xor_rows.append(bytes(row))
        and_rows.append(bits.to_bytes(size // 8, "big").ljust(4, b"\0"))
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    image = b"".join(reversed(xor_rows)) + b"".join(reversed(and_rows))
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, len(image), 0, 0, 256, 0)
    body = info + colours + image
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(body), 6 + 16)
    write(name, directory + entry + body)


def write_png(name, canvas):
    raw = bytearray()
    for y in range(canvas.height):
        raw.append(0)
        for x in range(canvas.width):
            rgb, alpha = canvas.rgb(x, y)
            raw += bytes(rgb) + bytes((int(round(alpha * 255)),))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    write(name, b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
          chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# ---- The pictures ----


ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


def make_icon():
    canvas = Canvas(32, 32)
    draw_logo(canvas, 1.0, 0, 0)
    write_ico("icon-128.ico", canvas)
    write("mirrak-generator.svg", logo_svg().encode())
    os.makedirs(os.path.join(HERE, "icons"), exist_ok=True)
    for size in ICON_SIZES:
        # The logo is drawn anew at each size from its shapes, not scaled from another picture.
        canvas = Canvas(size, size)
        draw_logo(canvas, size / 32.0, 0, 0)
        write_png(os.path.join("icons", "mirrak-generator-%d.png" % size), canvas)


def make_welcome():
    white = (1.0, 1.0, 1.0)
    canvas = Canvas(324, 47, white)
    logo = 39.0 / 32.0
    draw_logo(canvas, logo, 4, 4)
    draw_logo(canvas, logo, 324 - 4 - 39, 4)
    # The largest size at which the greeting fits between the logos with a margin.
    for size in range(18, 8, -1):
        full, full_w, h = text_mask("Welcome to Mirrak Generator", size)
        if full_w <= 324 - 2 * (4 + 39 + 8):
            break
    lead, lead_w, _ = text_mask("Welcome to ", size)
    top, bottom = ink_rows(full, full_w, h)
    ox = (324 - full_w) // 2
    oy = (47 - (bottom - top)) // 2 - top
    split = ox + lead_w + 2
    grey, blue = hex_rgb("#3a4a5c"), hex_rgb("#1d5fb4")
    # Faint coverage would give near-white pixels that are not background: drop it.
    mask = [c if c >= 1.0 / 16 else 0.0 for c in full]
    canvas.fill_mask(mask, full_w, h, ox, oy, lambda x, _y: grey if x < split else blue)
    write_bmp24("bitmap-157.bmp", canvas)


# Pictograms in a 28 x 28 unit box.


def book():
    left = polygon([(1, 6), (13.4, 8.5), (13.4, 25), (1, 22.5)])
    right = polygon([(14.6, 8.5), (27, 6), (27, 22.5), (14.6, 25)])
    lines = []
    for i in range(4):
        y = 11.5 + i * 3
        lines.append(polygon([(3.5, y - 1.6), (11.3, y), (11.3, y + 1.1), (3.5, y - 0.5)]))
        lines.append(polygon([(16.7, y), (24.5, y - 1.6), (24.5, y - 0.5), (16.7, y + 1.1)]))
    return union(left, right), union(*lines)


def newspaper():
    page = rounded_rect(2, 3, 26, 25, 2)
    headline = rounded_rect(5, 6, 23, 9.5, 0.8)
    photo = rounded_rect(5, 12, 12.5, 21.5, 0.8)
    lines = [rounded_rect(14.5, 12 + i * 2.5, 23, 13.2 + i * 2.5, 0.5) for i in range(4)]
    return page, union(headline, photo, *lines)


def people():
    def person(cx, top, r):
        head = circle(cx, top + r, r)
        shoulders = clip(ellipse(cx, top + 4.2 * r, 2.0 * r, 2.0 * r),
                         Shape(lambda x, y: y <= top + 4.4 * r, (0, 0, 28, 28)))
        return union(head, shoulders)

    back = union(person(6.5, 5, 2.6), person(21.5, 5, 2.6))
    front = person(14, 7.5, 3.3)
    halo = union(circle(14, 10.8, 4.6),
                 clip(ellipse(14, 21.4, 7.9, 7.9),
                      Shape(lambda x, y: y <= 22.6, (0, 0, 28, 28))))
    return back, front, halo


def make_banner(name, word, top, bottom, colours, keep_white, picture):
    canvas = Canvas(100, 60)
    canvas.fill(rounded_rect(0, 0, 100, 60, 0), vertical(top, bottom, 0, 60))
    # A soft diagonal sheen across the upper left.
    canvas.fill(polygon([(0, 0), (62, 0), (30, 60), (0, 60)]), solid((1.0, 1.0, 1.0)), opacity=0.08)
    canvas.fill(ellipse(50, -18, 70, 36), solid((1.0, 1.0, 1.0)), opacity=0.10)
    white = (1.0, 1.0, 1.0)
    dark = mix(bottom, (0.0, 0.0, 0.0), 0.35)
    scale, ox, oy = 30.0 / 28.0, 35, 2
    picture(canvas, scale, ox, oy, white, top, bottom, dark)
    mask, w, h = text_mask(word, 15 if len(word) < 8 else 13)
    t, b = ink_rows(mask, w, h)
    tx = (100 - w) // 2
    ty = 49 - (b - t) // 2 - t
    canvas.fill_mask(mask, w, h, tx + 1, ty + 1, lambda _x, _y: dark, opacity=0.55)
    canvas.fill_mask(mask, w, h, tx, ty, lambda _x, _y: white)
    write_bmp8(name, canvas, colours, keep_white)


def draw_book(canvas, scale, ox, oy, white, top, bottom, dark):
    pages, lines = book()
    canvas.fill(pages, solid(dark), scale, ox + 1, oy + 1, opacity=0.45)
    canvas.fill(pages, solid(white), scale, ox, oy)
    canvas.fill(lines, solid(mix(top, bottom, 0.5)), scale, ox, oy)


def draw_newspaper(canvas, scale, ox, oy, white, top, bottom, dark):
    page, marks = newspaper()
    canvas.fill(page, solid(dark), scale, ox + 1, oy + 1, opacity=0.45)
    canvas.fill(page, solid(white), scale, ox, oy)
    canvas.fill(marks, vertical(top, bottom, 6, 22), scale, ox, oy)


def draw_people(canvas, scale, ox, oy, white, top, bottom, dark):
    back, front, halo = people()
    canvas.fill(back, solid(mix(white, top, 0.35)), scale, ox, oy)
    canvas.fill(halo, vertical(top, bottom, 0, 28), scale, ox, oy)
    canvas.fill(front, solid(dark), scale, ox + 1, oy + 1, opacity=0.45)
    canvas.fill(front, solid(white), scale, ox, oy)


def main():
    ensure_tools()
    make_icon()
    make_welcome()
    make_banner("bitmap-25012.bmp", "Guide", hex_rgb("#22b08a"), hex_rgb("#0a5e4a"), 256, True,
                draw_book)
    make_banner("bitmap-25013.bmp", "News", hex_rgb("#f08a34"), hex_rgb("#b23c14"), 129, True,
                draw_newspaper)
    make_banner("bitmap-25014.bmp", "Community", hex_rgb("#8a5ee0"), hex_rgb("#46268c"), 65, True,
                draw_people)


if __name__ == "__main__":
    main()
