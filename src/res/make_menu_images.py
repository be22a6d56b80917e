#!/usr/bin/env python3
"""Draws the 20 pictures of the command menu's image list.

    python3 make_menu_images.py OUTDIR

writes OUTDIR/menu00.ico ... OUTDIR/menu19.ico (each picture at 16 x 16 and
enlarged for scaled screens to 20, 24 and 32 pixels, 32-bit BGRA with alpha) and OUTDIR/menu_images.png, a contact sheet of all twenty
pictures at four times their size with their index numbers.

The pictures are pixel art: each is a 16 x 16 character map whose characters
name colours of one small palette ("." is transparent). A few parts that recur
(the monitor, the small badges in the lower right corner) are drawn once and
combined. Every shape has a one-pixel outline in a dark shade of its own colour,
so that it stands out both on a menu's light background and on the blue bar of
the highlighted item.

Index  command                                picture
  0    (spare)                                monitor with a night sky
  1    screen saver settings                  monitor and a gear
  2    open the menu definition file          page with lines of text
  3    open an additional-strings file        page with a bulleted list
  4    reload the menu                        circular arrow
  5    reload the menu automatically          circular arrow and a clock
  6    password on                            closed padlock
  7    about                                  blue "i" in a circle
  8    switch the screen saver off            monitor with a "no" sign
  9    change the password                    key
 10    message saver settings                 monitor with a text line and a gear
 11    sort phrases automatically             A over Z with a down arrow
 12    save phrases automatically             floppy disk
 13    start a screen saver                   monitor with a green play button
 14    Marquee as the message saver           message board with lines of text
 15    3D Text as the message saver           "3D" in extruded letters
 16    exit                                   door with an arrow going out
 17    the chosen saver (instead of 14, 15)   radio button, selected
 18    (spare)                                two persons
 19    password off (instead of 6)            open padlock

Only the Python 3 standard library is used.
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from make_icon import Canvas, rgb, write_ico, write_png  # noqa: E402

# --------------------------------------------------------------------------
# palette

PALETTE = {
    'K': 0x2F3542,   # outline of grey and white things, text
    'D': 0x5B6475,   # dark grey
    'G': 0x8E97A6,   # mid grey
    'g': 0xC5CCD6,   # light grey (metal)
    'w': 0xE8ECF1,   # very light grey (monitor bezel)
    'W': 0xFFFFFF,   # white (paper)
    'n': 0x1F3F73,   # night-blue screen
    'V': 0x17437F,   # outline of blue things
    'B': 0x2F7FDB,   # blue
    'b': 0x8CC2F7,   # light blue
    'O': 0x8F5A00,   # outline of yellow things
    'Y': 0xF7C02B,   # yellow (gold)
    'y': 0xFFE48A,   # light yellow
    'Q': 0x8E1A14,   # outline of red things
    'R': 0xE0413A,   # red
    'F': 0x17642C,   # outline of green things
    'E': 0x34A853,   # green
    'e': 0x93DBA4,   # light green
    'o': 0x7A3E0A,   # outline of wooden and amber things
    'U': 0xC27A35,   # wood
    'u': 0xE3A763,   # light wood
    'A': 0xF29A1F,   # amber (the program's signboard)
    'a': 0xFFC45C,   # light amber
    'P': 0xFFF8E6,   # signboard panel
}


def grid(text):
    """A character map from a block of text (blank lines around it ignored)."""
    rows = [line.strip() for line in text.strip().split('\n')]
    width = len(rows[0])
    for row in rows:
        if len(row) != width:
            raise ValueError('ragged character map: %r' % row)
    return [list(row) for row in rows]


def overlay(base, top, dx, dy):
    """base with the non-transparent characters of top placed at (dx, dy)."""
    out = [row[:] for row in base]
    for y, row in enumerate(top):
        for x, ch in enumerate(row):
            if ch != '.' and 0 <= y + dy < len(out) and 0 <= x + dx < len(out[0]):
                out[y + dy][x + dx] = ch
    return out


def to_canvas(cmap):
    c = Canvas(len(cmap[0]), len(cmap), samples=1)
    for y, row in enumerate(cmap):
        for x, ch in enumerate(row):
            if ch != '.':
                c.set(x, y, rgb(PALETTE[ch]))
    return c


# --------------------------------------------------------------------------
# recurring parts

MONITOR = grid('''
................
.KKKKKKKKKKKKKK.
KwwwwwwwwwwwwwwK
KwnnnnnnnnnnnnwK
KwnnnnnnnnnnnnwK
KwnnnnnnnnnnnnwK
KwnnnnnnnnnnnnwK
KwnnnnnnnnnnnnwK
KwnnnnnnnnnnnnwK
KwnnnnnnnnnnnnwK
KwnnnnnnnnnnnnwK
KwwwwwwwwwwwwwwK
.KKKKKKKKKKKKKK.
......KDDK......
....KKKKKKKK....
................
''')

# a crescent moon and two stars: the picture of "a screen saver"
NIGHT_SKY = grid('''
................
................
................
..........y.....
......YY.yWy....
.....YY...y.....
.....YY.........
.....YY.........
.....YY.........
......YY....y...
................
................
''')

# a line of text running across the screen, cut off at both ends
TEXT_LINE = grid('''
................
................
................
................
................
..yy.YYY.YY.YYY.
..yy.YYY.YY.YYY.
................
''')

GEAR = grid('''
...KKK...
.KKKgKKK.
.KgggggK.
KKggKggKK
KggK.KggK
KKggKggKK
.KgggggK.
.KKKgKKK.
...KKK...
''')

NO_SIGN = grid('''
..QQQQQ..
.QRRRRRQ.
QRRWWWWRQ
QRWRWWWRQ
QRWWRWWRQ
QRWWWRWRQ
QRWWWWRRQ
.QRRRRRQ.
..QQQQQ..
''')

PLAY = grid('''
..FFFFF..
.FEEEEEF.
FEEWEEEEF
FEEWWEEEF
FEEWWWEEF
FEEWWEEEF
FEEWEEEEF
.FEEEEEF.
..FFFFF..
''')

CLOCK = grid('''
..KKKKK..
.KWWWWWK.
KWWWKWWWK
KWWWKWWWK
KWWWKKKWK
KWWWWWWWK
KWWWWWWWK
.KWWWWWK.
..KKKKK..
''')

BADGE_AT = (7, 7)   # top-left corner of a 9 x 9 badge in the lower right


def with_badge(base, badge):
    return overlay(base, badge, *BADGE_AT)


SCREEN_SAVER = overlay(MONITOR, NIGHT_SKY, 0, 0)
MESSAGE_SCREEN = overlay(MONITOR, TEXT_LINE, 0, 0)

PAGE = grid('''
..KKKKKKKK......
..KWWWWWWKgK....
..KWWWWWWKggK...
..KWWWWWWKgggK..
..KWWWWWWKKKKK..
..KWWWWWWWWWWK..
..KWWWWWWWWWWK..
..KWWWWWWWWWWK..
..KWWWWWWWWWWK..
..KWWWWWWWWWWK..
..KWWWWWWWWWWK..
..KWWWWWWWWWWK..
..KWWWWWWWWWWK..
..KWWWWWWWWWWK..
..KWWWWWWWWWWK..
..KKKKKKKKKKKK..
''')

REFRESH = grid('''
.........F......
........FEF.....
......FFFEEF....
....FFEEEEEEF...
...FEEEEEEEEEF..
..FEEEFFFEEEF...
..FEEF..FEEF....
.FEEF...FEF.FF..
.FEEF....F.FEEF.
.FEEF......FEEF.
.FEEF......FEEF.
..FEEF....FEEF..
..FEEEFFFFEEEF..
...FEEEEEEEEF...
....FFEEEEFF....
......FFFF......
''')

PADLOCK_BODY = grid('''
..OOOOOOOOOOOO..
..OyyyyyyyyyyO..
..OYYYYOOYYYYO..
..OYYYYOOYYYYO..
..OYYYYOOYYYYO..
..OYYYYYYYYYYO..
..OOOOOOOOOOOO..
''')

# --------------------------------------------------------------------------
# the twenty pictures


def pictures():
    p = [None] * 20

    p[0] = SCREEN_SAVER
    p[1] = with_badge(SCREEN_SAVER, GEAR)

    p[2] = overlay(PAGE, grid('''
        ..........
        ..........
        ..........
        .GGGGG....
        ..........
        .GGGGGGGG.
        ..........
        .GGGGGGG..
        ..........
        .GGGGGGGG.
        ..........
        .GGGGG....
        '''), 3, 3)

    p[3] = overlay(PAGE, grid('''
        ..........
        ..........
        ..........
        .AA.GGG...
        .AA.......
        ..........
        .AA.GGGGG.
        .AA.......
        ..........
        .AA.GGGG..
        .AA.......
        '''), 3, 3)

    p[4] = REFRESH
    p[5] = overlay(REFRESH, CLOCK, 7, 7)

    p[6] = overlay(grid('''
        ................
        .....KKKKKK.....
        ....KggggggK....
        ...KgKKKKKKgK...
        ...KgK....KgK...
        ...KgK....KgK...
        ...KgK....KgK...
        ...KgK....KgK...
        ................
        ................
        ................
        ................
        ................
        ................
        ................
        ................
        '''), PADLOCK_BODY, 0, 8)

    p[7] = grid('''
        ................
        .....VVVVVV.....
        ...VVBBBBBBVV...
        ..VBBBBWWBBBBV..
        ..VBBBBWWBBBBV..
        .VBBBBBBBBBBBBV.
        .VBBBBWWWBBBBBV.
        .VBBBBBWWBBBBBV.
        .VBBBBBWWBBBBBV.
        .VBBBBBWWBBBBBV.
        .VBBBBBWWBBBBBV.
        ..VBBBWWWWBBBV..
        ..VBBBBBBBBBBV..
        ...VVBBBBBBVV...
        .....VVVVVV.....
        ................
        ''')

    p[8] = with_badge(SCREEN_SAVER, NO_SIGN)

    p[9] = grid('''
        ................
        ..OOOO..........
        .OyyyyO.........
        OyYYYYYO........
        OyYOOYYO........
        OyYOOYYO........
        OYYYYYYO........
        .OYYYYYYO.......
        ..OOOOYYYO......
        ......OYYYO.....
        .......OYYYO....
        ........OYYYO...
        .......OYOYYYO..
        ........O.OYYYO.
        ...........OYO..
        ............O...
        ''')

    p[10] = with_badge(MESSAGE_SCREEN, GEAR)

    p[11] = grid('''
        ................
        ..KKKK....VVVV..
        .KKKKKK...VBBV..
        .KK..KK...VBBV..
        .KKKKKK...VBBV..
        .KK..KK...VBBV..
        .KK..KK...VBBV..
        ..........VBBV..
        ..........VBBV..
        .KKKKKK.VVVBBVVV
        ....KKK..VBBBBV.
        ...KKK....VBBV..
        ..KKK......VV...
        .KKK............
        .KKKKKK.........
        ................
        ''')

    p[12] = grid('''
        ................
        .VVVVVVVVVVVVV..
        .VBBgggggggBBBV.
        .VBBggggDDgBBBV.
        .VBBggggDDgBBBV.
        .VBBgggggggBBBV.
        .VBBBBBBBBBBBBV.
        .VBBBBBBBBBBBBV.
        .VBWWWWWWWWWWBV.
        .VBWWWWWWWWWWBV.
        .VBWGGGGGGGGWBV.
        .VBWWWWWWWWWWBV.
        .VBWGGGGGGGGWBV.
        .VBWWWWWWWWWWBV.
        .VVVVVVVVVVVVVV.
        ................
        ''')

    p[13] = with_badge(SCREEN_SAVER, PLAY)

    p[14] = grid('''
        ................
        ................
        .oooooooooooooo.
        oAaaaaaaaaaaaaAo
        oAPPPPPPPPPPPPAo
        oAPRRRRRRPPPPPAo
        oAPPPPPPPPPPPPAo
        oAPKKKKKKKKKKPAo
        oAPPPPPPPPPPPPAo
        oAPKKKKKKKPPPPAo
        oAPPPPPPPPPPPPAo
        oAAAAAAAAAAAAAAo
        .oooooooooooooo.
        ..oo........oo..
        ..oo........oo..
        ................
        ''')

    p[15] = grid('''
        ................
        ................
        ................
        .VVVVV..VVVVV...
        VbbbbbVVbbbbbV..
        VbbbbbbVbbbbbbV.
        .VVVVbbVbbVVbbV.
        ..VbbbVVbbVVbbVV
        ..VbbbVVbbVVbbVV
        .VVVVbbVbbVVbbVV
        VbbbbbbVbbbbbbVV
        VbbbbbVVbbbbbVVV
        .VVVVVVVVVVVVVVV
        ...VVVVV..VVVVV.
        ................
        ................
        ''')

    p[16] = grid('''
        ................
        .oooooooo.......
        .oUUUUUUo.......
        .ouUUUUUo.......
        .ouUUUUUo.......
        .ouUUUUUo..Q....
        .ouUUUUUo..QQ...
        .ouUUQQQQQQRRQ..
        .ouUYQRRRRRRRRQ.
        .ouUUQRRRRRRRRQ.
        .ouUUQQQQQQRRQ..
        .ouUUUUUo..QQ...
        .ouUUUUUo..Q....
        .ouUUUUUo.......
        .oooooooo.......
        ................
        ''')

    p[17] = grid('''
        ................
        ................
        ......DDDD......
        ....DDWWWWDD....
        ...DWWWWWWWWD...
        ...DWWWVVWWWD...
        ..DWWWVBBVWWWD..
        ..DWWVBBBBVWWD..
        ..DWWVBBBBVWWD..
        ..DWWWVBBVWWWD..
        ...DWWWVVWWWD...
        ...DWWWWWWWWD...
        ....DDWWWWDD....
        ......DDDD......
        ................
        ................
        ''')

    p[18] = grid('''
        ................
        ...DDDD.........
        ..DggggD........
        .DggggggD.......
        .DggggggVVVV....
        .DgggggVBBBBV...
        ..DgggVBBBBBBV..
        ..DDDDVBBBBBBV..
        .DggggVBBBBBBV..
        DggggggVBBBBV...
        DggggggVVVVVV...
        DgggggVBBBBBBV..
        DggggVBBBBBBBBV.
        .DDDDVBBBBBBBBV.
        .....VBBBBBBBBV.
        ......VVVVVVVV..
        ''')

    p[19] = overlay(grid('''
        .....KKKKKK.....
        ....KggggggK....
        ...KgKKKKKKgK...
        ...KgK....KgK...
        ...KgK....KKK...
        ...KgK..........
        ...KgK..........
        ...KgK..........
        ................
        ................
        ................
        ................
        ................
        ................
        ................
        ................
        '''), PADLOCK_BODY, 0, 8)

    return [[row[:] for row in pic] for pic in p]


# --------------------------------------------------------------------------
# contact sheet

DIGITS = {
    '0': ('111', '101', '101', '101', '111'),
    '1': ('010', '110', '010', '010', '111'),
    '2': ('111', '001', '111', '100', '111'),
    '3': ('111', '001', '111', '001', '111'),
    '4': ('101', '101', '111', '001', '001'),
    '5': ('111', '100', '111', '001', '111'),
    '6': ('111', '100', '111', '101', '111'),
    '7': ('111', '001', '010', '010', '010'),
    '8': ('111', '101', '111', '101', '111'),
    '9': ('111', '101', '111', '001', '111'),
}


def contact_sheet(canvases, zoom=4, columns=5):
    cell_w = 16 * zoom + 16
    cell_h = 16 * zoom + 16 + 5 * 2 + 6
    rows = (len(canvases) + columns - 1) // columns
    sheet = Canvas(columns * cell_w + 8, rows * cell_h + 8,
                   fill=rgb(0xF3F4F6), samples=1)
    text = rgb(0x5B6475)
    for i, pic in enumerate(canvases):
        x0 = 8 + (i % columns) * cell_w
        y0 = 8 + (i // columns) * cell_h
        # a white tile behind the picture
        sheet.rect(x0, y0, x0 + 16 * zoom + 8, y0 + 16 * zoom + 8, rgb(0xFFFFFF))
        for y in range(16):
            for x in range(16):
                px = pic.get(x, y)
                if px[3]:
                    sheet.rect(x0 + 4 + x * zoom, y0 + 4 + y * zoom,
                               x0 + 4 + (x + 1) * zoom, y0 + 4 + (y + 1) * zoom,
                               px)
        # the index under it, in a 3 x 5 pixel font drawn two times larger
        label = '%d' % i
        lx = x0 + 4
        ly = y0 + 16 * zoom + 12
        for ch in label:
            for gy, bits in enumerate(DIGITS[ch]):
                for gx, bit in enumerate(bits):
                    if bit == '1':
                        sheet.rect(lx + gx * 2, ly + gy * 2,
                                   lx + gx * 2 + 2, ly + gy * 2 + 2, text)
            lx += 8
    return sheet


# The sides of each picture: 16 at 96 dpi, up to 32 at 192 dpi (200 %).
SIZES = (16, 20, 24, 32)


def enlarged(canvas, size):
    """The pixel art at size x size, each pixel repeated (no blur)."""
    out = Canvas(size, size, samples=1)
    for y in range(size):
        for x in range(size):
            out.set(x, y, canvas.get(x * canvas.width // size, y * canvas.height // size))
    return out


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: make_menu_images.py OUTDIR\n')
        return 2
    out_dir = argv[1]
    os.makedirs(out_dir, exist_ok=True)
    canvases = [to_canvas(p) for p in pictures()]
    for i, c in enumerate(canvases):
        if (c.width, c.height) != (16, 16):
            raise ValueError('picture %d is %d x %d' % (i, c.width, c.height))
        write_ico(os.path.join(out_dir, 'menu%02d.ico' % i), [enlarged(c, n) for n in SIZES])
    write_png(os.path.join(out_dir, 'menu_images.png'), contact_sheet(canvases))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
