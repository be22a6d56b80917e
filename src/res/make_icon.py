#!/usr/bin/env python3
"""Draws Pavlune's pictures and writes them as Windows icon files.

    python3 make_icon.py OUT.ico

writes the program icon (16 to 64 pixels square, for screens from 96 to 192
dpi, 32-bit BGRA with alpha) to OUT.ico. The picture is a small signboard hanging from a nail: an amber board
with a light panel carrying a few dark lines of "text".

The module is also meant to be imported: `Canvas` is a small RGBA canvas with
anti-aliased primitives (pixel, rect, rounded rect, circle, line, polygon), and
`write_ico` / `ico_bytes` / `write_png` turn canvases into files. Coordinates are
in pixels with (0, 0) at the top-left corner of the top-left pixel, so the pixel
(x, y) covers the square [x, x + 1) x [y, y + 1) and its centre is (x + .5, y + .5).

Only the Python 3 standard library is used.
"""

import math
import struct
import sys
import zlib

# --------------------------------------------------------------------------
# colours


def rgb(value, alpha=255):
    """Colour from 0xRRGGBB and an alpha of 0..255, as an (r, g, b, a) tuple."""
    return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF, alpha)


TRANSPARENT = (0, 0, 0, 0)

# --------------------------------------------------------------------------
# canvas


class Canvas:
    """A width x height picture of straight (not premultiplied) RGBA pixels.

    Every drawing call paints a colour "over" what is there already, weighted
    by how much of each pixel the shape covers. Coverage is measured by
    sampling each pixel on a `samples` x `samples` grid (1 gives hard edges).
    """

    def __init__(self, width, height, fill=TRANSPARENT, samples=4):
        self.width = width
        self.height = height
        self.samples = samples
        self.px = [list(fill) for _ in range(width * height)]

    # -- single pixels ------------------------------------------------------

    def get(self, x, y):
        return tuple(self.px[y * self.width + x])

    def set(self, x, y, color):
        """Replace one pixel outright (no blending)."""
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y * self.width + x] = list(color)

    def blend(self, x, y, color, coverage=1.0):
        """Paint `color` over pixel (x, y) with the given coverage (0..1)."""
        if not (0 <= x < self.width and 0 <= y < self.height):
            return
        a_src = color[3] / 255.0 * max(0.0, min(1.0, coverage))
        if a_src <= 0.0:
            return
        dst = self.px[y * self.width + x]
        a_dst = dst[3] / 255.0
        a_out = a_src + a_dst * (1.0 - a_src)
        if a_out <= 0.0:
            self.px[y * self.width + x] = [0, 0, 0, 0]
            return
        out = []
        for i in range(3):
            c = (color[i] * a_src + dst[i] * a_dst * (1.0 - a_src)) / a_out
            out.append(int(round(c)))
        out.append(int(round(a_out * 255.0)))
        self.px[y * self.width + x] = out

    def pixel(self, x, y, color):
        """Paint one whole pixel."""
        self.blend(x, y, color, 1.0)

    # -- generic filled shape ----------------------------------------------

    def fill(self, inside, color, bbox=None):
        """Paint every point for which inside(x, y) is true.

        bbox = (x0, y0, x1, y1) limits the pixels examined (a speed-up only).
        """
        if bbox is None:
            bbox = (0, 0, self.width, self.height)
        x0 = max(0, int(math.floor(bbox[0])))
        y0 = max(0, int(math.floor(bbox[1])))
        x1 = min(self.width, int(math.ceil(bbox[2])))
        y1 = min(self.height, int(math.ceil(bbox[3])))
        n = max(1, self.samples)
        offsets = [(i + 0.5) / n for i in range(n)]
        total = float(n * n)
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = 0
                for oy in offsets:
                    for ox in offsets:
                        if inside(px + ox, py + oy):
                            hits += 1
                if hits:
                    self.blend(px, py, color, hits / total)

    # -- primitives ---------------------------------------------------------

    def rect(self, x0, y0, x1, y1, color):
        """Filled rectangle [x0, x1) x [y0, y1)."""
        self.fill(lambda x, y: x0 <= x < x1 and y0 <= y < y1, color,
                  (x0, y0, x1, y1))

    def frame(self, x0, y0, x1, y1, color, width=1):
        """Rectangle outline of the given width, drawn inside the box."""
        w = width
        self.rect(x0, y0, x1, y0 + w, color)
        self.rect(x0, y1 - w, x1, y1, color)
        self.rect(x0, y0 + w, x0 + w, y1 - w, color)
        self.rect(x1 - w, y0 + w, x1, y1 - w, color)

    def hline(self, x0, x1, y, color):
        """One-pixel horizontal line over pixels x0..x1-1 of row y."""
        self.rect(x0, y, x1, y + 1, color)

    def vline(self, x, y0, y1, color):
        """One-pixel vertical line over pixels y0..y1-1 of column x."""
        self.rect(x, y0, x + 1, y1, color)

    def round_rect(self, x0, y0, x1, y1, radius, color):
        """Filled rectangle [x0, x1) x [y0, y1) with circular corners."""
        r = max(0.0, min(radius, (x1 - x0) / 2.0, (y1 - y0) / 2.0))

        def inside(x, y):
            if not (x0 <= x < x1 and y0 <= y < y1):
                return False
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

        self.fill(inside, color, (x0, y0, x1, y1))

    def round_frame(self, x0, y0, x1, y1, radius, color, width=1):
        """Outline of a rounded rectangle, `width` thick, inside the box."""
        r = max(0.0, min(radius, (x1 - x0) / 2.0, (y1 - y0) / 2.0))
        ri = max(0.0, r - width)
        ix0, iy0, ix1, iy1 = x0 + width, y0 + width, x1 - width, y1 - width

        def in_rr(x, y, a0, b0, a1, b1, rr):
            if not (a0 <= x < a1 and b0 <= y < b1):
                return False
            cx = min(max(x, a0 + rr), a1 - rr)
            cy = min(max(y, b0 + rr), b1 - rr)
            return (x - cx) ** 2 + (y - cy) ** 2 <= rr * rr

        self.fill(lambda x, y: in_rr(x, y, x0, y0, x1, y1, r)
                  and not in_rr(x, y, ix0, iy0, ix1, iy1, ri),
                  color, (x0, y0, x1, y1))

    def circle(self, cx, cy, radius, color):
        """Filled disc."""
        r2 = radius * radius
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2, color,
                  (cx - radius, cy - radius, cx + radius, cy + radius))

    def ring(self, cx, cy, radius, color, width=1):
        """Circle outline, `width` thick, inside the radius."""
        ro, ri = radius * radius, max(0.0, radius - width) ** 2
        self.fill(lambda x, y: ri < (x - cx) ** 2 + (y - cy) ** 2 <= ro,
                  color, (cx - radius, cy - radius, cx + radius, cy + radius))

    def line(self, xa, ya, xb, yb, color, width=1.0, round_caps=True):
        """Straight stroke from (xa, ya) to (xb, yb), `width` thick."""
        h = width / 2.0
        dx, dy = xb - xa, yb - ya
        length2 = dx * dx + dy * dy

        def inside(x, y):
            if length2 == 0.0:
                t = 0.0
            else:
                t = ((x - xa) * dx + (y - ya) * dy) / length2
            if not round_caps and (t < 0.0 or t > 1.0):
                return False
            t = min(1.0, max(0.0, t))
            qx, qy = xa + t * dx - x, ya + t * dy - y
            return qx * qx + qy * qy <= h * h

        self.fill(inside, color, (min(xa, xb) - h, min(ya, yb) - h,
                                  max(xa, xb) + h, max(ya, yb) + h))

    def polygon(self, points, color):
        """Filled polygon (even-odd rule) through a list of (x, y) points."""
        pts = list(points)

        def inside(x, y):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y):
                    if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                        c = not c
                j = i
            return c

        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.fill(inside, color, (min(xs), min(ys), max(xs), max(ys)))

    # -- whole picture ------------------------------------------------------

    def paste(self, other, dx=0, dy=0):
        """Paint another canvas over this one at offset (dx, dy)."""
        for y in range(other.height):
            for x in range(other.width):
                c = other.get(x, y)
                if c[3]:
                    self.blend(x + dx, y + dy, c, 1.0)

    def rows(self):
        """Rows top to bottom, each a list of (r, g, b, a)."""
        w = self.width
        return [[tuple(p) for p in self.px[y * w:(y + 1) * w]]
                for y in range(self.height)]


# --------------------------------------------------------------------------
# file formats


def _dib_image(canvas):
    """One icon image: BITMAPINFOHEADER, BGRA pixels, AND mask (bottom-up)."""
    w, h = canvas.width, canvas.height
    rows = canvas.rows()
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            if a == 0:
                r = g = b = 0
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:  # fully transparent: screen shows through
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return bytes(header) + bytes(xor) + bytes(mask)


def ico_bytes(canvases):
    """A whole .ico file holding the given canvases (each at most 256 px)."""
    images = [_dib_image(c) for c in canvases]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack('<BBBBHHII', c.width % 256, c.height % 256, 0, 0,
                           1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return bytes(out)


def write_ico(path, canvases):
    with open(path, 'wb') as f:
        f.write(ico_bytes(canvases))


def png_bytes(canvas):
    """A PNG (8-bit RGBA) of one canvas, for looking at a picture."""
    raw = bytearray()
    for row in canvas.rows():
        raw.append(0)
        for p in row:
            raw += bytes(p)

    def chunk(kind, data):
        body = kind + data
        return (struct.pack('>I', len(data)) + body
                + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF))

    ihdr = struct.pack('>IIBBBBB', canvas.width, canvas.height, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr)
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def write_png(path, canvas):
    with open(path, 'wb') as f:
        f.write(png_bytes(canvas))


# --------------------------------------------------------------------------
# the program icon

OUTLINE = rgb(0x8A4208)   # dark brown edge of the board
AMBER = rgb(0xF29A1F)     # board frame
AMBER_LIGHT = rgb(0xFFC45C)
PANEL = rgb(0xFFF8E6)     # writing surface
INK = rgb(0x3B3F58)       # "text" lines
INK_RED = rgb(0xD2362B)   # first line, like a heading
CORD = rgb(0x8C6848)      # hanging cord, light enough for dark task bars
NAIL = rgb(0x6E6E78)
NAIL_LIGHT = rgb(0xB8B8C4)


def draw_program_icon(size):
    """The signboard picture at size x size pixels (16, 32 or 48 look best)."""
    c = Canvas(size, size)
    if size <= 16:
        _sign16(c)
    else:
        _sign_scaled(c, size)
    return c


def _sign16(c):
    # Pixel art for the tray: every edge on a pixel boundary, no blur.
    c.samples = 1
    # nail
    c.hline(7, 9, 0, NAIL_LIGHT)
    c.hline(7, 9, 1, NAIL)
    # cord, a 45-degree stair down to the board's top corners
    for i in range(5):
        c.pixel(6 - i, 2 + i, CORD)
        c.pixel(9 + i, 2 + i, CORD)
    # board: outline with trimmed corners, amber frame, light panel
    c.rect(0, 7, 16, 16, OUTLINE)
    for x, y in ((0, 7), (15, 7), (0, 15), (15, 15)):
        c.set(x, y, TRANSPARENT)
    c.rect(1, 8, 15, 15, AMBER)
    c.hline(2, 14, 8, AMBER_LIGHT)
    c.rect(2, 9, 14, 14, PANEL)
    # two lines of "text": a red heading and a dark line
    c.hline(3, 9, 10, INK_RED)
    c.hline(3, 13, 12, INK)


def _sign_scaled(c, size):
    s = size / 32.0                    # design grid is 32 x 32
    ow = max(1.0, round(1.0 * s))       # outline width in pixels
    fw = max(2.0, round(2.5 * s))       # amber frame width

    def v(a):
        return a * s

    # cord and nail
    cw = max(1.2, 1.6 * s)
    c.line(v(16), v(4.0), v(6.0), v(12.5), CORD, cw)
    c.line(v(16), v(4.0), v(26.0), v(12.5), CORD, cw)
    c.circle(v(16), v(3.6), v(2.6), NAIL)
    c.circle(v(15.3), v(2.9), v(1.0), NAIL_LIGHT)
    # board, with an outline, an amber frame and a light panel
    # (edges snapped to whole pixels so that the board stays sharp)
    x0, y0, x1, y1 = round(v(1)), round(v(10)), size - round(v(1)), round(v(30))
    c.round_rect(x0, y0, x1, y1, v(4.0), OUTLINE)
    c.round_rect(x0 + ow, y0 + ow, x1 - ow, y1 - ow, v(4.0) - ow, AMBER)
    # a lighter band along the top of the frame
    c.round_rect(x0 + ow, y0 + ow, x1 - ow, y0 + ow + max(1, round(v(1.5))),
                 max(0.5, v(3.0) - ow), AMBER_LIGHT)
    px0, py0 = x0 + ow + fw, y0 + ow + fw
    px1, py1 = x1 - ow - fw, y1 - ow - fw
    c.round_rect(px0 - ow, py0 - ow, px1 + ow, py1 + ow, v(1.5), OUTLINE)
    c.round_rect(px0, py0, px1, py1, v(1.0), PANEL)
    # three lines of "text": a red heading and two dark lines
    lh = max(2.0, round(2.0 * s))
    gap = (py1 - py0 - 3 * lh) / 4.0
    lx0 = px0 + round(v(2.0))
    widths = (0.62, 1.0, 0.8)
    colours = (INK_RED, INK, INK)
    full = px1 - round(v(2.0)) - lx0
    for i in range(3):
        ly = round(py0 + gap * (i + 1) + lh * i)
        c.rect(lx0, ly, lx0 + round(full * widths[i]), ly + lh, colours[i])


def program_icon_images():
    return [draw_program_icon(n) for n in (16, 20, 24, 32, 40, 48, 64)]


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: make_icon.py OUT.ico\n')
        return 2
    write_ico(argv[1], program_icon_images())
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
