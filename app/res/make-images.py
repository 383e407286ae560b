#!/usr/bin/env python3
"""Draws the window program's images as plain pixel art and writes them as BMP/ICO files:
treeimage.bmp (48x16: house, closed folder, open folder; white is transparent), toolbar.bmp
(16x16 glyphs side by side; magenta is transparent) and ostra.ico. Run it again after a change:
    python3 app/res/make-images.py app/res
"""
import struct
import sys

WHITE = (255, 255, 255)
MAGENTA = (255, 0, 255)
BLACK = (0, 0, 0)


class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):  # filled, inclusive
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = int(max(abs(x1 - x0), abs(y1 - y0), 1))
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def poly(self, pts, c):  # filled polygon by even-odd scanlines
        for y in range(self.h):
            xs = []
            for (xa, ya), (xb, yb) in zip(pts, pts[1:] + pts[:1]):
                if (ya <= y + 0.5 < yb) or (yb <= y + 0.5 < ya):
                    xs.append(xa + (y + 0.5 - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(int(round(a)), int(round(b))):
                    self.set(x, y, c)
        for a, b in zip(pts, pts[1:] + pts[:1]):
            self.line(a[0], a[1], b[0], b[1], c)


def bmp24(canvas):
    row = (canvas.w * 3 + 3) & ~3
    data = b""
    for y in range(canvas.h - 1, -1, -1):
        line = b"".join(bytes((b, g, r)) for (r, g, b) in canvas.px[y])
        data += line + b"\0" * (row - len(line))
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 14 + len(header)) + header + data


def ico(canvases, transparent):
    images = []
    for c in canvases:
        xor = b""
        for y in range(c.h - 1, -1, -1):
            for p in c.px[y]:
                a = 0 if p == transparent else 255
                xor += bytes((p[2], p[1], p[0], a))
        mrow = ((c.w + 31) // 32) * 4
        mask = b""
        for y in range(c.h - 1, -1, -1):
            bits = 0
            line = bytearray(mrow)
            for x, p in enumerate(c.px[y]):
                if p == transparent:
                    line[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(line)
        header = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append(header + xor + mask)
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, img in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def house(c, ox):
    roof, wall, door = (192, 32, 32), (240, 224, 176), (128, 80, 32)
    c.poly([(ox + 1, 8), (ox + 8, 1), (ox + 15, 8)], roof)
    c.rect(ox + 3, 8, ox + 13, 14, wall)
    c.frame(ox + 3, 8, ox + 13, 14, (96, 64, 32))
    c.rect(ox + 7, 10, ox + 9, 14, door)
    c.rect(ox + 11, 3, ox + 12, 5, (96, 96, 96))


def closed_folder(c, ox):
    body, edge = (240, 200, 64), (160, 112, 0)
    c.rect(ox + 1, 3, ox + 6, 4, body)
    c.rect(ox + 1, 5, ox + 14, 13, body)
    c.frame(ox + 1, 5, ox + 14, 13, edge)
    c.line(ox + 1, 3, ox + 6, 3, edge)
    c.line(ox + 1, 3, ox + 1, 5, edge)
    c.line(ox + 6, 3, ox + 7, 5, edge)
    c.line(ox + 2, 6, ox + 13, 6, (255, 236, 150))


def open_folder(c, ox):
    back, front, edge = (200, 160, 48), (255, 220, 96), (160, 112, 0)
    c.rect(ox + 1, 3, ox + 6, 4, back)
    c.rect(ox + 1, 5, ox + 12, 13, back)
    c.frame(ox + 1, 5, ox + 12, 13, edge)
    c.line(ox + 1, 3, ox + 6, 3, edge)
    c.poly([(ox + 3, 8), (ox + 15, 8), (ox + 12, 13), (ox + 1, 13)], front)
    c.line(ox + 3, 8, ox + 15, 8, edge)
    c.line(ox + 15, 8, ox + 12, 13, edge)
    c.line(ox + 1, 13, ox + 12, 13, edge)


def glyph_backup(c, ox):  # a disk with a green arrow into it
    c.rect(ox + 1, 6, ox + 14, 14, (64, 96, 176))
    c.frame(ox + 1, 6, ox + 14, 14, (32, 48, 112))
    c.rect(ox + 4, 11, ox + 11, 14, (224, 224, 224))
    c.rect(ox + 9, 12, ox + 10, 13, (64, 96, 176))
    c.poly([(ox + 5, 0), (ox + 10, 0), (ox + 10, 4), (ox + 13, 4), (ox + 7.5, 9), (ox + 2, 4), (ox + 5, 4)], (32, 160, 48))


def glyph_close(c, ox):  # a door with a red cross
    c.rect(ox + 2, 1, ox + 10, 14, (176, 128, 64))
    c.frame(ox + 2, 1, ox + 10, 14, (96, 64, 32))
    c.set(ox + 8, 8, (255, 224, 0))
    for d in range(5):
        for t in (0, 1):
            c.set(ox + 9 + d + t, 6 + d, (208, 0, 0))
            c.set(ox + 13 - d + t, 6 + d, (208, 0, 0))


def glyph_detail(c, ox):  # a window with lines of text
    c.rect(ox + 1, 1, ox + 14, 14, (255, 255, 254))
    c.frame(ox + 1, 1, ox + 14, 14, (64, 64, 64))
    c.rect(ox + 2, 2, ox + 13, 3, (32, 64, 160))
    for y in (6, 8, 10, 12):
        c.line(ox + 3, y, ox + (12 if y != 12 else 8), y, (96, 96, 96))


def glyph_on_top(c, ox):  # a push pin
    red, dark = (208, 32, 32), (128, 0, 0)
    c.rect(ox + 5, 1, ox + 10, 6, red)
    c.frame(ox + 5, 1, ox + 10, 6, dark)
    c.rect(ox + 3, 7, ox + 12, 8, red)
    c.frame(ox + 3, 7, ox + 12, 8, dark)
    c.line(ox + 7, 9, ox + 7, 15, (64, 64, 64))
    c.line(ox + 8, 9, ox + 8, 14, (128, 128, 128))


def glyph_stop(c, ox):  # a red octagon with a white bar
    c.poly([(ox + 5, 1), (ox + 10, 1), (ox + 14, 5), (ox + 14, 10), (ox + 10, 14), (ox + 5, 14), (ox + 1, 10), (ox + 1, 5)], (200, 16, 16))
    c.rect(ox + 4, 7, ox + 11, 8, (255, 255, 254))


def glyph_update(c, ox):  # a folder with a green tick
    closed_folder(c, ox)
    for x0, y0, x1, y1 in ((6, 9, 8, 12), (8, 12, 14, 5)):
        c.line(ox + x0, y0, ox + x1, y1, (0, 144, 0))
        c.line(ox + x0, y0 - 1, ox + x1, y1 - 1, (0, 144, 0))


def icon(size):
    c = Canvas(size, size, MAGENTA)
    s = size / 16
    c.poly([(1 * s, 5 * s), (8 * s, 1 * s), (15 * s, 5 * s), (15 * s, 14 * s), (1 * s, 14 * s)], (64, 96, 176))
    c.rect(int(3 * s), int(7 * s), int(13 * s) - 1, int(14 * s) - 1, (240, 224, 176))
    c.poly([(6 * s, 6 * s), (10 * s, 6 * s), (10 * s, 9 * s), (12 * s, 9 * s), (8 * s, 13 * s), (4 * s, 9 * s), (6 * s, 9 * s)], (32, 160, 48))
    return c


def main(out):
    tree = Canvas(48, 16, WHITE)
    house(tree, 0)
    closed_folder(tree, 16)
    open_folder(tree, 32)
    open(f"{out}/treeimage.bmp", "wb").write(bmp24(tree))
    glyphs = [glyph_backup, glyph_close, glyph_detail, glyph_on_top, glyph_stop, glyph_update]
    bar = Canvas(16 * len(glyphs), 16, MAGENTA)
    for i, g in enumerate(glyphs):
        g(bar, 16 * i)
    open(f"{out}/toolbar.bmp", "wb").write(bmp24(bar))
    open(f"{out}/ostra.ico", "wb").write(ico([icon(32), icon(16)], MAGENTA))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ".")
