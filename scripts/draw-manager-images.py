#!/usr/bin/env python3
"""Draws KestrinManager's pictures and writes them as Windows BMP and ICO files.

Plain Python, no imaging library: each picture is drawn pixel by pixel on a small canvas and
written with the colour depth the manager's resources use. Run it again after changing a drawing
and keep the generated files in manager/res/ (the build uses them as they are).

    python3 scripts/draw-manager-images.py [OUTPUT_FOLDER [UNINSTALL_OUTPUT_FOLDER]]
"""
import os
import struct
import sys

# The 16 colours of the standard Windows palette: 16-colour pictures use only these.
BLACK, MAROON, GREEN, OLIVE = (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0)
NAVY, PURPLE, TEAL, SILVER = (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192)
GRAY, RED, LIME, YELLOW = (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0)
BLUE, FUCHSIA, AQUA, WHITE = (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)
VGA16 = [BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
         GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE]

# Extra colours of the 256-colour file-type strip.
PAPER_EDGE = (96, 96, 96)
FOLD = (208, 208, 208)
LINE = (150, 150, 150)
SKY = (120, 180, 255)
HILL = (40, 160, 40)
SUN = (255, 200, 0)
ORANGE = (230, 110, 0)
BROWN = (140, 90, 30)
TAN = (210, 160, 90)
DARK = (60, 60, 60)
DOC_BLUE = (20, 60, 170)
PDF_RED = (190, 20, 20)
WEB_BLUE = (30, 110, 220)
LAND = (60, 170, 60)
GOLD = (220, 170, 0)
PALM_BODY = (90, 95, 110)
PALM_SCREEN = (160, 200, 150)

# 3 by 5 pixel letters for the labels on the file-type icons.
FONT = {
    'A': "010101111101101", 'B': "110101110101110", 'C': "011100100100011", 'D': "110101101101110",
    'E': "111100110100111", 'F': "111100110100100", 'G': "011100101101011", 'H': "101101111101101",
    'I': "111010010010111", 'J': "001001001101010", 'K': "101101110101101", 'L': "100100100100111",
    'M': "101111111101101", 'N': "110101101101101", 'O': "010101101101010", 'P': "110101110100100",
    'Q': "010101101110011", 'R': "110101110101101", 'S': "011100010001110", 'T': "111010010010010",
    'U': "101101101101111", 'V': "101101101101010", 'W': "101101111111101", 'X': "101101010101101",
    'Y': "101101010010010", 'Z': "111001010100111", '0': "111101101101111", '1': "010110010010111",
    '2': "110001010100111", '3': "110001010001110", '4': "101101111001001", '5': "111100110001110",
    '6': "011100111101111", '7': "111001010010010", '8': "111101111101111", '9': "111101111001110",
    '+': "000010111010000", '?': "110001010000010",
}


class Canvas:
    """A picture of RGB pixels; None is transparent."""

    def __init__(self, width, height, fill=None):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.hline(x0, x1, y0, colour)
        self.hline(x0, x1, y1, colour)
        self.vline(x0, y0, y1, colour)
        self.vline(x1, y0, y1, colour)

    def hline(self, x0, x1, y, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y, colour)

    def vline(self, x, y0, y1, colour):
        for y in range(y0, y1 + 1):
            self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, colour)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, colour):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def ring(self, cx, cy, r, colour, thickness=1.0):
        for y in range(int(cy - r - 1), int(cy + r + 2)):
            for x in range(int(cx - r - 1), int(cx + r + 2)):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if r - thickness < d <= r:
                    self.put(x, y, colour)

    def polygon(self, points, colour):
        ys = [p[1] for p in points]
        for y in range(min(ys), max(ys) + 1):
            crossings = []
            for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
                if (y0 <= y < y1) or (y1 <= y < y0):
                    crossings.append(x0 + (y + 0.5 - y0) * (x1 - x0) / (y1 - y0))
            crossings.sort()
            for a, b in zip(crossings[::2], crossings[1::2]):
                for x in range(int(round(a)), int(round(b))):
                    self.put(x, y, colour)

    def text(self, x, y, label, colour, scale=1):
        for ch in label:
            bits = FONT[ch]
            for row in range(5):
                for col in range(3):
                    if bits[row * 3 + col] == '1':
                        self.fill(x + col * scale, y + row * scale, x + col * scale + scale - 1,
                                  y + row * scale + scale - 1, colour)
            x += 4 * scale

    def paste(self, other, x0, y0):
        for y in range(other.height):
            for x in range(other.width):
                if other.pixels[y][x] is not None:
                    self.put(x0 + x, y0 + y, other.pixels[y][x])


def text_width(label, scale=1):
    return (4 * len(label) - 1) * scale


# ---- Writing BMP and ICO files --------------------------------------------------------------

def nearest(colour, palette):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))


def pack_rows(rows, bpp):
    """Rows of palette indexes, bottom row first, each padded to 4 bytes."""
    data = bytearray()
    for row in reversed(rows):
        bits, count, line = 0, 0, bytearray()
        for index in row:
            bits = (bits << bpp) | index
            count += bpp
            if count == 8:
                line.append(bits)
                bits, count = 0, 0
        if count:
            line.append(bits << (8 - count))
        while len(line) % 4:
            line.append(0)
        data += line
    return bytes(data)


def indexed(canvas, palette, transparent_index=0):
    lookup = {}
    rows = []
    for row in canvas.pixels:
        out = []
        for colour in row:
            if colour is None:
                out.append(transparent_index)
                continue
            if colour not in lookup:
                lookup[colour] = palette.index(colour) if colour in palette else nearest(colour, palette)
            out.append(lookup[colour])
        rows.append(out)
    return rows


def mask_rows(canvas):
    """1 where the picture is transparent (the background shows), 0 where it is drawn."""
    return [[1 if c is None else 0 for c in row] for row in canvas.pixels]


def bitmap_info(width, height, bpp, palette):
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bpp, 0, 0, 2835, 2835, len(palette), 0)
    return header + b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)


def write_bmp(path, width, height, bpp, palette, rows):
    info = bitmap_info(width, height, bpp, palette)
    pixels = pack_rows(rows, bpp)
    offset = 14 + len(info)
    with open(path, 'wb') as out:
        out.write(b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset))
        out.write(info + pixels)


def palette_for(canvases, bpp):
    if bpp == 4:
        return VGA16
    colours = list(VGA16)
    for canvas in canvases:
        for row in canvas.pixels:
            for c in row:
                if c is not None and c not in colours:
                    colours.append(c)
    assert len(colours) <= 256, len(colours)
    return colours + [BLACK] * (256 - len(colours))


def write_picture(path, canvas, bpp):
    """A colour bitmap; transparent pixels are black so that an image list's mask shows through."""
    palette = palette_for([canvas], bpp)
    write_bmp(path, canvas.width, canvas.height, bpp, palette, indexed(canvas, palette))


def write_mask(path, canvas):
    write_bmp(path, canvas.width, canvas.height, 1, [BLACK, WHITE], mask_rows(canvas))


def write_icon(path, canvases_with_depths):
    entries, images = [], []
    for canvas, bpp in canvases_with_depths:
        palette = palette_for([canvas], bpp)
        info = struct.pack('<IiiHHIIiiII', 40, canvas.width, canvas.height * 2, 1, bpp, 0, 0, 0, 0,
                           len(palette), 0)
        info += b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
        data = info + pack_rows(indexed(canvas, palette), bpp) + pack_rows(mask_rows(canvas), 1)
        entries.append((canvas.width, canvas.height, len(palette) if bpp < 8 else 0, bpp, data))
        images.append(data)
    offset = 6 + 16 * len(entries)
    with open(path, 'wb') as out:
        out.write(struct.pack('<HHH', 0, 1, len(entries)))
        for width, height, colours, bpp, data in entries:
            out.write(struct.pack('<BBBBHHII', width % 256, height % 256, colours, 0, 1, bpp, len(data), offset))
            offset += len(data)
        for data in images:
            out.write(data)


# ---- UnInstall's icon --------------------------------------------------------------------------

def uninstall_icon(size):
    """The handheld under a red cross: the product leaves the PC."""
    s = size / 32.0
    c = Canvas(size, size)
    c.fill(int(8 * s), int(2 * s), int(23 * s), int(29 * s), GRAY)
    c.frame(int(8 * s), int(2 * s), int(23 * s), int(29 * s), BLACK)
    c.fill(int(10 * s), int(5 * s), int(21 * s), int(19 * s), LIME)
    c.frame(int(10 * s), int(5 * s), int(21 * s), int(19 * s), BLACK)
    c.fill(int(11 * s), int(22 * s), int(13 * s), int(24 * s), SILVER)
    c.fill(int(18 * s), int(22 * s), int(20 * s), int(24 * s), SILVER)
    for k in (range(-1, 2) if size >= 32 else range(2)):
        c.line(int(3 * s), int(6 * s) + k, int(28 * s), int(27 * s) + k, RED)
        c.line(int(28 * s), int(6 * s) + k, int(3 * s), int(27 * s) + k, RED)
    return c


def write_uninstall_pictures(out):
    os.makedirs(out, exist_ok=True)
    write_icon(os.path.join(out, 'UnInstall.ico'), [(uninstall_icon(32), 4), (uninstall_icon(16), 4)])


# ---- The 16 by 16 file-type icons -----------------------------------------------------------

def page(c, full=False):
    """A sheet of paper with a folded corner; `full` runs it to the bottom (no label band)."""
    bottom = 15 if full else 9
    c.fill(3, 1, 12, bottom, WHITE)
    c.hline(2, 9, 0, PAPER_EDGE)
    c.vline(2, 0, bottom, PAPER_EDGE)
    c.vline(13, 4, bottom, PAPER_EDGE)
    c.line(10, 0, 13, 3, PAPER_EDGE)
    c.fill(10, 1, 10, 3, FOLD)
    c.fill(11, 2, 11, 3, FOLD)
    c.put(12, 3, FOLD)
    c.hline(10, 12, 4, PAPER_EDGE)
    c.vline(9, 1, 3, WHITE)
    if full:
        c.hline(2, 13, 15, PAPER_EDGE)


def band(c, label, colour, ink=WHITE):
    """The coloured strip at the bottom that names the file type."""
    c.fill(1, 9, 14, 15, colour)
    c.text(8 - (text_width(label) + 1) // 2, 10, label, ink)


def text_lines(c, top=2, rows=3):
    for i, y in enumerate(range(top, top + 2 * rows, 2)):
        c.hline(4, 11 - (i % 2) * 2 - (3 if i == 0 else 0), y, LINE)


def glyph_picture(c):
    c.fill(3, 1, 12, 8, SKY)
    c.fill(10, 2, 11, 3, SUN)
    c.polygon([(3, 9), (6, 5), (9, 8), (11, 6), (13, 9)], HILL)


def glyph_note(c):
    c.vline(9, 1, 6, BLACK)
    c.fill(6, 6, 8, 8, BLACK)
    c.fill(7, 5, 8, 5, BLACK)
    c.put(10, 2, BLACK)
    c.put(11, 3, BLACK)
    c.put(11, 4, BLACK)


def glyph_film(c):
    c.fill(3, 1, 12, 8, DARK)
    for x in range(4, 12, 2):
        c.put(x, 2, WHITE)
        c.put(x, 7, WHITE)
    c.fill(4, 4, 11, 5, SKY)


def glyph_code(c):
    c.hline(4, 7, 2, BLUE)
    c.hline(6, 11, 4, GREEN)
    c.hline(6, 9, 6, RED)
    c.hline(4, 5, 8, BLUE)


def glyph_globe(c):
    c.disc(7.5, 4.5, 4.2, WEB_BLUE)
    c.fill(5, 2, 7, 3, LAND)
    c.fill(6, 4, 6, 5, LAND)
    c.fill(9, 5, 10, 7, LAND)


def glyph_gear(c, colour=GRAY):
    c.disc(7.5, 4.5, 3.2, colour)
    for x, y in [(7, 0), (8, 0), (7, 8), (8, 8), (3, 4), (3, 5), (12, 4), (12, 5),
                 (4, 1), (11, 1), (4, 8), (11, 8)]:
        c.put(x, y, colour)
    c.disc(7.5, 4.5, 1.2, WHITE)


def glyph_seal(c):
    c.polygon([(5, 5), (7, 5), (6, 9), (4, 9)], RED)
    c.polygon([(8, 5), (10, 5), (11, 9), (9, 9)], RED)
    c.disc(7.5, 3.5, 3.0, GOLD)
    c.disc(7.5, 3.5, 1.5, ORANGE)


def glyph_question(c):
    c.text(6, 2, '?', BLUE)
    c.text(7, 2, '?', BLUE)


def glyph_letter(c, letter, colour):
    c.text(6, 1, letter, colour)
    c.text(6, 2, letter, colour)


def glyph_big_a(c):
    c.line(4, 8, 7, 1, BLACK)
    c.line(8, 1, 11, 8, BLACK)
    c.hline(7, 8, 1, BLACK)
    c.hline(5, 10, 6, BLACK)


def glyph_envelope(c):
    c.fill(3, 2, 12, 8, (255, 250, 220))
    c.frame(3, 2, 12, 8, PAPER_EDGE)
    c.line(3, 2, 7, 6, PAPER_EDGE)
    c.line(12, 2, 8, 6, PAPER_EDGE)


def glyph_magnifier(c):
    c.ring(6.5, 4.0, 3.0, DARK)
    c.disc(6.5, 4.0, 1.9, SKY)
    c.line(9, 6, 11, 8, BROWN)
    c.line(9, 7, 11, 9, BROWN)


def glyph_arrow(c):
    c.fill(3, 4, 8, 8, WHITE)
    c.frame(3, 4, 8, 8, DARK)
    c.line(5, 7, 8, 4, BLUE)
    c.hline(6, 8, 4, BLUE)
    c.vline(8, 4, 6, BLUE)


def glyph_project(c):
    c.fill(3, 2, 7, 5, GOLD)
    c.fill(8, 4, 12, 7, SKY)
    c.line(6, 5, 9, 6, DARK)


def window(c):
    """A program window: title bar and a white client area."""
    c.fill(1, 1, 14, 9, WHITE)
    c.frame(1, 1, 14, 9, DARK)
    c.fill(2, 2, 13, 3, NAVY)
    c.put(12, 2, WHITE)
    c.fill(3, 5, 6, 7, SILVER)


def books(c):
    """An archive: three packed volumes strapped together."""
    for x, colour in [(2, PURPLE), (6, TEAL), (10, OLIVE)]:
        c.fill(x, 1, x + 3, 9, colour)
        c.vline(x, 1, 9, DARK)
    c.fill(1, 4, 14, 5, TAN)
    c.fill(7, 3, 8, 6, BROWN)


def handheld(c):
    """The Palm application: a handheld with its screen and buttons."""
    c.fill(3, 0, 12, 15, PALM_BODY)
    c.frame(3, 0, 12, 15, DARK)
    c.fill(5, 2, 10, 9, PALM_SCREEN)
    c.text(6, 3, 'K', DARK)
    c.fill(5, 11, 6, 12, SILVER)
    c.fill(9, 11, 10, 12, SILVER)
    c.hline(7, 8, 13, SILVER)


def default_page(c):
    page(c, full=True)
    for y in range(6, 14, 2):
        c.hline(4, 11, y, LINE)


CATEGORY_BAND = {
    'doc': DOC_BLUE, 'pic': PURPLE, 'sound': ORANGE, 'video': MAROON, 'archive': BROWN,
    'program': NAVY, 'system': DARK, 'code': TEAL, 'web': WEB_BLUE, 'font': BLACK,
    'config': GRAY, 'cert': MAROON, 'help': GOLD, 'mail': DOC_BLUE, 'link': GREEN,
}

# image index: (category, label, top drawing); the index order is the strip's.
FILE_TYPES = [
    ('system', 'DLL', lambda c: (page(c), glyph_gear(c))),
    ('program', 'EXE', window),
    ('help', 'HLP', lambda c: (page(c), glyph_question(c))),
    ('default', '', default_page),
    ('doc', 'TXT', lambda c: (page(c), text_lines(c))),
    ('doc', 'WRI', lambda c: (page(c), text_lines(c), c.hline(4, 7, 2, BLUE))),
    ('config', 'REG', lambda c: (page(c), glyph_gear(c, TEAL))),
    ('code', 'RC', lambda c: (page(c), glyph_code(c))),
    ('code', 'H', lambda c: (page(c), glyph_letter(c, 'H', PURPLE))),
    ('code', 'DSP', lambda c: (page(c), glyph_project(c))),
    ('code', 'CPP', lambda c: (page(c), glyph_letter(c, '+', BLUE))),
    ('link', 'LNK', lambda c: (page(c), glyph_arrow(c))),
    ('archive', 'RAR', books),
    ('archive', 'ZIP', books),
    ('pic', 'WMF', lambda c: (page(c), glyph_picture(c))),
    ('web', 'ASP', lambda c: (page(c), glyph_globe(c))),
    ('doc', 'PDF', lambda c: (page(c), glyph_letter(c, 'A', PDF_RED))),
    ('doc', 'FDF', lambda c: (page(c), glyph_letter(c, 'F', PDF_RED))),
    ('video', 'ASF', lambda c: (page(c), glyph_film(c))),
    ('video', 'ASX', lambda c: (page(c), glyph_film(c))),
    ('code', 'BSC', lambda c: (page(c), glyph_code(c))),
    ('code', 'C', lambda c: (page(c), glyph_letter(c, 'C', BLUE))),
    ('code', 'HPP', lambda c: (page(c), glyph_letter(c, 'H', PURPLE))),
    ('code', 'BPK', lambda c: (page(c), glyph_project(c))),
    ('code', 'BPR', lambda c: (page(c), glyph_project(c))),
    ('cert', 'CRL', lambda c: (page(c), glyph_seal(c))),
    ('code', 'CTL', lambda c: (page(c), glyph_code(c))),
    ('doc', 'CDF', lambda c: (page(c), text_lines(c))),
    ('doc', 'RTF', lambda c: (page(c), text_lines(c), c.hline(4, 8, 4, RED))),
    ('help', 'CHM', lambda c: (page(c), glyph_question(c))),
    ('pic', 'THM', lambda c: (page(c), glyph_picture(c))),
    ('code', 'DSM', lambda c: (page(c), glyph_code(c))),
    ('help', 'CNT', lambda c: (page(c), text_lines(c))),
    ('config', 'INI', lambda c: (page(c), glyph_gear(c))),
    ('video', 'MPG', lambda c: (page(c), glyph_film(c))),
    ('web', 'IDC', lambda c: (page(c), glyph_globe(c))),
    ('web', 'HTX', lambda c: (page(c), glyph_globe(c))),
    ('web', 'ITS', lambda c: (page(c), glyph_globe(c))),
    ('cert', 'DER', lambda c: (page(c), glyph_seal(c))),
    ('web', 'HTM', lambda c: (page(c), glyph_globe(c))),
    ('doc', 'PT', lambda c: (page(c), text_lines(c))),
    ('config', 'UDL', lambda c: (page(c), glyph_gear(c))),
    ('code', 'ODL', lambda c: (page(c), glyph_code(c))),
    ('sound', 'RA', lambda c: (page(c), glyph_note(c))),
    ('code', 'SCT', lambda c: (page(c), glyph_code(c))),
    ('cert', 'CAT', lambda c: (page(c), glyph_seal(c))),
    ('cert', 'CRT', lambda c: (page(c), glyph_seal(c))),
    ('sound', 'AIF', lambda c: (page(c), glyph_note(c))),
    ('video', 'MOV', lambda c: (page(c), glyph_film(c))),
    ('pic', 'XBM', lambda c: (page(c), glyph_picture(c))),
    ('sound', 'CDA', lambda c: (page(c), glyph_note(c))),
    ('video', 'AVI', lambda c: (page(c), glyph_film(c))),
    ('pic', 'GRA', lambda c: (page(c), glyph_picture(c))),
    ('doc', 'DOC', lambda c: (page(c), glyph_letter(c, 'W', DOC_BLUE))),
    ('doc', 'OFN', lambda c: (page(c), text_lines(c))),
    ('sound', 'WAV', lambda c: (page(c), glyph_note(c))),
    ('default', '', default_page),
    ('doc', 'WBK', lambda c: (page(c), glyph_letter(c, 'W', DOC_BLUE))),
    ('doc', 'WIZ', lambda c: (page(c), text_lines(c))),
    ('sound', 'MID', lambda c: (page(c), glyph_note(c))),
    ('system', 'WLL', lambda c: (page(c), glyph_gear(c))),
    ('sound', 'IDF', lambda c: (page(c), glyph_note(c))),
    ('program', 'BAT', window),
    ('mail', 'NWS', lambda c: (page(c), glyph_envelope(c))),
    ('mail', 'EML', lambda c: (page(c), glyph_envelope(c))),
    ('config', 'FND', lambda c: (page(c), glyph_magnifier(c))),
    ('web', 'HT', lambda c: (page(c), glyph_globe(c))),
    ('font', 'FON', lambda c: (page(c), glyph_big_a(c))),
    ('font', 'TTF', lambda c: (page(c), glyph_big_a(c))),
    ('config', 'DUN', lambda c: (page(c), glyph_globe(c))),
    ('doc', 'SHS', lambda c: (page(c), text_lines(c))),
    ('program', 'PIF', window),
    ('program', 'SCR', window),
    ('palm', '', handheld),
    ('archive', 'LZH', books),
    ('program', 'GRP', window),
    ('pic', 'ICM', lambda c: (page(c), glyph_picture(c))),
    ('pic', 'PCX', lambda c: (page(c), glyph_picture(c))),
    ('pic', 'BMP', lambda c: (page(c), glyph_picture(c))),
    ('pic', 'EMF', lambda c: (page(c), glyph_picture(c))),
    ('pic', 'GIF', lambda c: (page(c), glyph_picture(c))),
    ('pic', 'JPG', lambda c: (page(c), glyph_picture(c))),
    ('pic', 'PIC', lambda c: (page(c), glyph_picture(c))),
    ('pic', 'PNG', lambda c: (page(c), glyph_picture(c))),
    ('pic', 'PSD', lambda c: (page(c), glyph_picture(c))),
    ('pic', 'TGA', lambda c: (page(c), glyph_picture(c))),
    ('pic', 'TIF', lambda c: (page(c), glyph_picture(c))),
]


def file_type_icon(category, label, draw):
    c = Canvas(16, 16)
    draw(c)
    if label:
        ink = BLACK if category == 'help' else WHITE
        band(c, label, CATEGORY_BAND[category], ink)
    return c


def file_type_strip():
    assert len(FILE_TYPES) == 87
    strip = Canvas(16 * len(FILE_TYPES), 16)
    for i, (category, label, draw) in enumerate(FILE_TYPES):
        strip.paste(file_type_icon(category, label, draw), 16 * i, 0)
    return strip


# ---- Tab icons (16 by 19, 16 colours) --------------------------------------------------------

def tab_files():
    c = Canvas(16, 19)
    c.polygon([(0, 5), (6, 5), (7, 7), (16, 7), (16, 17), (0, 17)], OLIVE)
    c.fill(2, 2, 11, 12, WHITE)
    c.frame(2, 2, 11, 12, GRAY)
    for y in range(4, 11, 2):
        c.hline(4, 9, y, GRAY)
    c.polygon([(0, 9), (15, 9), (14, 17), (1, 17)], YELLOW)
    c.hline(0, 15, 9, OLIVE)
    c.hline(1, 14, 17, OLIVE)
    c.line(0, 9, 1, 17, OLIVE)
    c.line(15, 9, 14, 17, OLIVE)
    return c


def tab_settings():
    c = Canvas(16, 19)
    for i, (y, knob) in enumerate([(3, 10), (9, 4), (15, 8)]):
        c.fill(1, y, 14, y + 1, GRAY)
        c.hline(1, 14, y, BLACK)
        c.fill(knob, y - 2, knob + 2, y + 3, [BLUE, RED, GREEN][i])
        c.frame(knob, y - 2, knob + 2, y + 3, NAVY)
    return c


def tab_about():
    c = Canvas(16, 19)
    c.disc(7.5, 9.5, 7.5, NAVY)
    c.disc(7.5, 9.5, 6.4, BLUE)
    c.fill(7, 4, 8, 5, WHITE)
    c.fill(7, 7, 8, 14, WHITE)
    c.hline(6, 7, 7, WHITE)
    c.hline(6, 9, 14, WHITE)
    return c


def tab_strip():
    strip = Canvas(48, 19)
    for i, draw in enumerate([tab_files, tab_settings, tab_about]):
        strip.paste(draw(), 16 * i, 0)
    return strip


# ---- Program icon and the About picture ------------------------------------------------------

def program_icon(size):
    """The handheld with two arrows on its screen: files travel both ways."""
    return program_icon_32() if size >= 32 else program_icon_16()


def program_icon_32():
    c = Canvas(32, 32)
    c.fill(8, 2, 23, 29, GRAY)
    c.frame(8, 2, 23, 29, BLACK)
    c.fill(10, 5, 21, 19, LIME)
    c.frame(10, 5, 21, 19, BLACK)
    c.fill(11, 22, 13, 24, SILVER)
    c.fill(18, 22, 20, 24, SILVER)
    c.hline(15, 16, 26, SILVER)
    c.fill(11, 9, 16, 10, NAVY)
    c.fill(15, 15, 20, 16, RED)
    for k in range(4):
        c.vline(16 + k, 6 + k, 13 - k, NAVY)
        c.vline(15 - k, 12 + k, 19 - k, RED)
    return c


def program_icon_16():
    c = Canvas(16, 16)
    c.fill(3, 0, 12, 15, GRAY)
    c.frame(3, 0, 12, 15, BLACK)
    c.fill(5, 2, 10, 9, LIME)
    c.hline(5, 8, 4, NAVY)
    c.vline(8, 3, 5, NAVY)
    c.put(9, 4, NAVY)
    c.hline(7, 10, 7, RED)
    c.vline(7, 6, 8, RED)
    c.put(6, 7, RED)
    c.fill(5, 11, 6, 12, SILVER)
    c.fill(9, 11, 10, 12, SILVER)
    c.hline(7, 8, 13, SILVER)
    return c


def about_picture():
    c = Canvas(83, 67, WHITE)
    c.fill(0, 0, 82, 40, AQUA)
    c.fill(0, 41, 82, 66, TEAL)
    # A kestrel hovering over the scene.
    c.polygon([(27, 7), (35, 9), (40, 11), (40, 14), (34, 12), (29, 9)], MAROON)
    c.polygon([(55, 7), (47, 9), (42, 11), (42, 14), (48, 12), (53, 9)], MAROON)
    c.polygon([(39, 10), (43, 10), (43, 16), (39, 16)], MAROON)
    c.polygon([(39, 16), (43, 16), (45, 22), (37, 22)], OLIVE)
    c.disc(41, 9, 2.0, MAROON)
    c.put(41, 12, BLACK)
    for x in (30, 33, 49, 52):
        c.put(x, 9, BLACK)
    # The PC.
    c.fill(4, 22, 32, 44, SILVER)
    c.frame(4, 22, 32, 44, BLACK)
    c.fill(7, 25, 29, 41, NAVY)
    c.fill(10, 28, 15, 33, WHITE)
    c.fill(18, 28, 23, 33, WHITE)
    c.fill(10, 35, 15, 39, YELLOW)
    c.fill(14, 45, 22, 47, GRAY)
    c.fill(8, 48, 28, 51, SILVER)
    c.frame(8, 48, 28, 51, BLACK)
    # The handheld.
    c.fill(58, 18, 76, 56, GRAY)
    c.frame(58, 18, 76, 56, BLACK)
    c.fill(61, 21, 73, 41, LIME)
    c.frame(61, 21, 73, 41, BLACK)
    for y in range(24, 40, 4):
        c.hline(63, 71, y, GREEN)
    c.fill(61, 45, 64, 48, SILVER)
    c.fill(70, 45, 73, 48, SILVER)
    c.fill(66, 50, 68, 52, SILVER)
    # Files travel both ways at every HotSync.
    c.polygon([(36, 27), (48, 27), (48, 24), (54, 29), (48, 34), (48, 31), (36, 31)], RED)
    c.polygon([(54, 38), (42, 38), (42, 35), (36, 40), (42, 45), (42, 42), (54, 42)], BLUE)
    c.text(9, 56, 'KESTRIN', WHITE)
    return c


# ---- Setup's pictures ------------------------------------------------------------------------

def setup_icon():
    """The program icon's handheld above an open box: the package being installed."""
    c = program_icon_32()
    c.fill(2, 20, 29, 31, None)
    c.fill(4, 22, 27, 30, OLIVE)
    c.frame(4, 22, 27, 30, BLACK)
    c.polygon([(4, 22), (0, 18), (8, 18), (11, 22)], YELLOW)
    c.polygon([(27, 22), (31, 18), (23, 18), (20, 22)], YELLOW)
    c.hline(12, 19, 26, BLACK)
    return c


def setup_picture():
    """The banner on the left of Setup's dialog: a kestrel over hills, the handheld and the name."""
    width, height = 164, 287
    c = Canvas(width, height)
    for y in range(height):
        shade = y * 160 // height
        c.hline(0, width - 1, y, (20 + shade // 4, 40 + shade // 2, 120 + shade * 3 // 4))
    c.disc(124, 40, 16.0, (255, 214, 90))
    for x in range(width):
        hill = 200 + int(12 * ((x - 80) / 80.0) ** 2)
        c.vline(x, hill, height - 1, (40 + x // 8, 120 + x // 6, 50))
    # The kestrel, hovering.
    c.polygon([(30, 66), (52, 72), (66, 78), (66, 84), (50, 80), (36, 72)], MAROON)
    c.polygon([(110, 66), (88, 72), (74, 78), (74, 84), (90, 80), (104, 72)], MAROON)
    c.polygon([(64, 76), (76, 76), (76, 94), (64, 94)], (150, 70, 30))
    c.polygon([(64, 94), (76, 94), (80, 110), (60, 110)], OLIVE)
    c.disc(70, 73, 5.0, (150, 70, 30))
    c.put(72, 72, BLACK)
    # The handheld, with files on its screen.
    c.fill(48, 128, 116, 226, PALM_BODY)
    c.frame(48, 128, 116, 226, BLACK)
    c.fill(56, 136, 108, 190, PALM_SCREEN)
    c.frame(56, 136, 108, 190, BLACK)
    for y in range(144, 186, 8):
        c.hline(62, 102, y, GREEN)
    for x in (58, 78, 98):
        c.fill(x, 200, x + 8, 208, SILVER)
    c.text(42, 240, 'KESTRIN', WHITE, 3)
    c.text(63, 262, 'SETUP', YELLOW, 2)
    return c


def write_setup_pictures(folder):
    os.makedirs(folder, exist_ok=True)
    write_picture(os.path.join(folder, 'Setup.bmp'), setup_picture(), 8)
    write_icon(os.path.join(folder, 'Setup.ico'), [(setup_icon(), 4)])


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'manager', 'res')
    os.makedirs(out, exist_ok=True)
    write_uninstall_pictures(sys.argv[2] if len(sys.argv) > 2 else
                             os.path.join(os.path.dirname(__file__), '..', 'uninstall', 'res'))
    strip = file_type_strip()
    write_picture(os.path.join(out, 'FileTypes.bmp'), strip, 8)
    write_mask(os.path.join(out, 'FileTypesMask.bmp'), strip)
    tabs = tab_strip()
    write_picture(os.path.join(out, 'Tabs.bmp'), tabs, 4)
    write_mask(os.path.join(out, 'TabsMask.bmp'), tabs)
    write_picture(os.path.join(out, 'About.bmp'), about_picture(), 4)
    write_icon(os.path.join(out, 'Kestrin.ico'),
               [(program_icon(32), 4), (program_icon(16), 4), (program_icon(32), 8), (program_icon(16), 8)])
    write_setup_pictures(os.path.join(os.path.dirname(__file__), '..', 'setup', 'res'))


if __name__ == '__main__':
    main()
