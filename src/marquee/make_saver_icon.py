#!/usr/bin/env python3
"""Draws the message saver's icon and writes it as a Windows icon file.

    python3 make_saver_icon.py OUT.ico

writes pictures of 16 to 64 pixels square (32-bit BGRA with alpha): a
monitor whose dark screen carries a band of amber "text" moving to the left,
in the colours of Pavlune's own signboard icon.
"""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "res"))
from make_icon import AMBER, AMBER_LIGHT, INK, OUTLINE, PANEL, Canvas, rgb, write_ico  # noqa: E402

CASE = rgb(0xC9CCD6)       # monitor case
CASE_DARK = rgb(0x6B6F80)
SCREEN = rgb(0x1C2036)     # the saver's dark background


def draw_saver_icon(size):
    c = Canvas(size, size)
    s = size / 32.0

    def v(a):
        return round(a * s)

    # stand and foot
    c.rect(v(13), v(24), v(19), v(28), CASE_DARK)
    c.round_rect(v(8), v(27), v(24), v(30), max(0.5, 1.0 * s), CASE_DARK)
    # case and screen
    c.round_rect(v(1), v(3), size - v(1), v(25), max(1.0, 2.5 * s), CASE_DARK)
    c.round_rect(v(2), v(4), size - v(2), v(24), max(1.0, 2.0 * s), CASE)
    x0, y0, x1, y1 = v(4), v(6), size - v(4), v(22)
    c.rect(x0, y0, x1, y1, SCREEN)
    # the band of "text", leaving the screen on the left
    band_top, band_bottom = v(11), v(17)
    c.rect(x0, band_top, x1 - v(6), band_bottom, AMBER)
    c.hline(x0, x1 - v(6), band_top, AMBER_LIGHT)
    for i in range(3):
        gap = x0 + v(2) + i * v(6)
        if gap < x1 - v(7):
            c.rect(gap + v(3), band_top + max(1, v(2)), gap + v(5), band_bottom - max(1, v(2)), OUTLINE)
    # an arrow head on the right: the way the text goes
    c.polygon([(x1 - v(1), band_top - v(1)), (x1 - v(1), band_bottom + v(1)), (x1 - v(5), (band_top + band_bottom) / 2)],
              PANEL)
    c.frame(x0, y0, x1, y1, INK)
    return c


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: make_saver_icon.py OUT.ico\n')
        return 2
    write_ico(argv[1], [draw_saver_icon(n) for n in (16, 20, 24, 32, 40, 48, 64)])
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
