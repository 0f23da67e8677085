#!/usr/bin/env python3
"""Draws the designer's palette bitmaps and tool-bar glyphs as 16-colour BMP files.

Run from the source tree: python3 scripts/make-bitmaps.py (writes resources/bitmaps/*.bmp).
"""
import struct
from pathlib import Path

# The 16 standard colours, index: (r, g, b).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
           (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(16)

# A 3 x 5 font for the palette captions.
FONT = {
    'A': ['010', '101', '111', '101', '101'], 'B': ['110', '101', '110', '101', '110'],
    'C': ['011', '100', '100', '100', '011'], 'D': ['110', '101', '101', '101', '110'],
    'E': ['111', '100', '110', '100', '111'], 'H': ['101', '101', '111', '101', '101'],
    'I': ['111', '010', '010', '010', '111'], 'K': ['101', '110', '100', '110', '101'],
    'L': ['100', '100', '100', '100', '111'], 'M': ['101', '111', '111', '101', '101'],
    'N': ['110', '101', '101', '101', '101'], 'P': ['110', '101', '110', '100', '100'],
    'R': ['110', '101', '110', '101', '101'], 'S': ['011', '100', '010', '001', '110'],
    'T': ['111', '010', '010', '010', '010'], 'U': ['101', '101', '101', '101', '111'],
    'V': ['101', '101', '101', '101', '010'], 'X': ['101', '101', '010', '101', '101'],
}


class Image:
    def __init__(self, w, h, fill=SILVER):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c, fill=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge:
                    self.set(x, y, c)
                elif fill is not None:
                    self.set(x, y, fill)

    def hline(self, x0, x1, y, c):
        for x in range(x0, x1 + 1):
            self.set(x, y, c)

    def vline(self, x, y0, y1, c):
        for y in range(y0, y1 + 1):
            self.set(x, y, c)

    def text(self, x, y, s, c):
        for ch in s:
            for dy, row in enumerate(FONT[ch]):
                for dx, bit in enumerate(row):
                    if bit == '1':
                        self.set(x + dx, y + dy, c)
            x += 4

    def ring(self, cx, cy, r, c):
        for y in range(self.h):
            for x in range(self.w):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if r - 0.8 <= d <= r + 0.5:
                    self.set(x, y, c)

    def save(self, path):
        row_bytes = ((self.w + 1) // 2 + 3) // 4 * 4
        rows = []
        for y in reversed(range(self.h)):  # bottom-up
            line = bytearray()
            for x in range(0, self.w, 2):
                hi = self.px[y][x]
                lo = self.px[y][x + 1] if x + 1 < self.w else 0
                line.append(hi << 4 | lo)
            line += b'\0' * (row_bytes - len(line))
            rows.append(bytes(line))
        pixels = b''.join(rows)
        palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
        offset = 14 + 40 + len(palette)
        header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
        info = struct.pack('<IiiHHIIiiII', 40, self.w, self.h, 1, 4, 0, len(pixels), 3780, 3780, 16, 0)
        Path(path).write_bytes(header + info + palette + pixels)


def palette_bitmap(caption, colour):
    img = Image(24, 24)
    img.rect(1, 3, 22, 20, GRAY, WHITE)
    img.hline(2, 22, 21, BLACK)
    img.vline(23, 4, 21, BLACK)
    img.rect(2, 4, 21, 7, colour, colour)
    x = 12 - (len(caption) * 4 - 1) // 2
    img.text(x, 11, caption, BLACK)
    return img


def align_glyph(mode):
    img = Image(14, 14)
    bars = [(2, 10), (4, 6), (6, 8), (8, 4), (10, 9)]  # top, length
    for top, length in bars:
        if mode == 'left':
            x0 = 3
        elif mode == 'right':
            x0 = 11 - length
        else:
            x0 = 7 - length // 2
        img.rect(x0, top, x0 + length - 1, top + 1, NAVY, NAVY)
    if mode == 'left':
        img.vline(1, 1, 12, BLACK)
    elif mode == 'right':
        img.vline(12, 1, 12, BLACK)
    elif mode == 'center':
        img.vline(7, 1, 12, BLACK)
    else:  # the page's centre: a page outline with a dashed centre line
        img.rect(0, 0, 13, 13, GRAY)
        for y in range(1, 13, 2):
            img.set(7, y, RED)
    return img


def glasses():
    img = Image(24, 24)
    img.ring(7, 13, 5, BLACK)
    img.ring(17, 13, 5, BLACK)
    for cx in (7, 17):
        for y in range(10, 17):
            for x in range(cx - 3, cx + 4):
                if (x - cx) ** 2 + (y - 13) ** 2 <= 10:
                    img.set(x, y, AQUA)
    img.hline(11, 13, 11, BLACK)
    img.hline(0, 2, 10, BLACK)
    img.hline(21, 23, 10, BLACK)
    img.set(9, 11, WHITE)
    img.set(19, 11, WHITE)
    return img


def zoom_glyph(zoom_in):
    """A magnifying glass with a plus (zoom this list) or a minus (give the space back)."""
    img = Image(13, 13)
    img.ring(5, 5, 4, BLACK)
    for y in range(2, 9):
        for x in range(2, 9):
            if (x - 5) ** 2 + (y - 5) ** 2 <= 8:
                img.set(x, y, WHITE)
    img.hline(3, 7, 5, NAVY)
    if zoom_in:
        img.vline(5, 3, 7, NAVY)
    for i in range(3):
        img.set(8 + i, 9 + i, BLACK)
        img.set(9 + i, 9 + i, BLACK)
    return img


PALETTE_CLASSES = {
    'TKIVVARLABEL': ('VL', BLUE), 'TKIVTOTALVARLABEL': ('TL', GREEN), 'TKIVLINE': ('LN', GRAY),
    'TKIVSHAPE': ('SH', TEAL), 'TKIVIMAGELABEL': ('IM', PURPLE), 'TKIVVERTICALDIVIDER': ('VD', GRAY),
    'TKIVCHECKLABEL': ('CK', OLIVE), 'TKIVBARCODELABEL': ('BC', BLACK), 'TKIVCUSTOMLABEL': ('CU', MAROON),
    'TKIVREPORTBUTTON': ('RB', NAVY), 'TKIVRICHTEXTLABEL': ('RT', RED), 'TKIVREPORT': ('REP', NAVY),
    'TQORMETER': ('MT', GREEN), 'TQORPREVIEW': ('PV', TEAL), 'TKIVTEXTLABEL': ('TX', BLUE),
}

if __name__ == '__main__':
    out = Path(__file__).resolve().parent.parent / 'resources' / 'bitmaps'
    out.mkdir(parents=True, exist_ok=True)
    for name, (caption, colour) in PALETTE_CLASSES.items():
        palette_bitmap(caption, colour).save(out / f'{name}.bmp')
    glasses().save(out / 'KIVGLASSES.bmp')
    zoom_glyph(True).save(out / 'ZOOMIN.bmp')
    zoom_glyph(False).save(out / 'ZOOMOUT.bmp')
    for mode, name in [('left', 'KIVLEFTALIGN'), ('center', 'KIVCENTERALIGN'), ('right', 'KIVRIGHTALIGN'),
                       ('page', 'KIVPAGECENTER')]:
        align_glyph(mode).save(out / f'{name}.bmp')
