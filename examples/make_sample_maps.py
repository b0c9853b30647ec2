#!/usr/bin/env python3
"""Draws the two synthetic sample maps of examples/ (PNG, standard library only).

Both maps share one scale, 0.0001 degree per pixel, north up:
  sample-north.png  1200 x 800, top-left corner at 8.0000 E, 47.0000 N
  sample-east.png   1000 x 800, top-left corner at 8.1000 E, 46.9600 N (overlaps the first)
Grid lines every 0.01 degree carry their coordinates, so reference points can be read off the picture.
"""
import math
import struct
import zlib
from pathlib import Path

SCALE = 0.0001

# A 5 x 7 pixel font for the labels: digits, a few letters and signs.
FONT = {
    "0": ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "3": ["11110", "00001", "00001", "01110", "00001", "00001", "11110"],
    "4": ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    "5": ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    "6": ["00110", "01000", "10000", "11110", "10001", "10001", "01110"],
    "7": ["11111", "00001", "00010", "00100", "01000", "01000", "01000"],
    "8": ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    "9": ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
    ".": ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    " ": ["00000"] * 7,
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "D": ["11100", "10010", "10001", "10001", "10001", "10010", "11100"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "W": ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
}


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.rows = [bytearray(bytes(colour) * width) for _ in range(height)]

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][3 * x:3 * x + 3] = bytes(colour)

    def disc(self, cx, cy, r, colour):
        for y in range(int(cy - r), int(cy + r) + 1):
            for x in range(int(cx - r), int(cx + r) + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.dot(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for i in range(steps + 1):
            t = i / steps
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            if width <= 1:
                self.dot(int(round(x)), int(round(y)), colour)
            else:
                self.disc(x, y, width / 2, colour)

    def text(self, x, y, s, colour, size=2):
        for ch in s.upper():
            glyph = FONT.get(ch, FONT[" "])
            for gy, bits in enumerate(glyph):
                for gx, bit in enumerate(bits):
                    if bit == "1":
                        for dy in range(size):
                            for dx in range(size):
                                self.dot(x + gx * size + dx, y + gy * size + dy, colour)
            x += 6 * size

    def png(self, path):
        raw = b"".join(b"\x00" + bytes(row) for row in self.rows)

        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data +
                    struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        Path(path).write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                               chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def draw_map(path, width, height, west, north, towns):
    c = Canvas(width, height, (246, 240, 222))
    lon_at = lambda x: west + x * SCALE
    lat_at = lambda y: north - y * SCALE
    x_of = lambda lon: (lon - west) / SCALE
    y_of = lambda lat: (north - lat) / SCALE
    # Woods: soft green blobs.
    for i in range(14):
        lon = 8.0 + ((i * 37) % 23) / 100.0
        lat = 46.86 + ((i * 53) % 14) / 100.0
        c.disc(x_of(lon), y_of(lat), 25 + (i * 7) % 30, (205, 226, 190))
    # Contour lines around a hill.
    hx, hy = x_of(8.09), y_of(46.955)
    for r in range(40, 400, 40):
        for a in range(0, 720):
            t = math.radians(a / 2)
            c.dot(int(hx + r * 1.3 * math.cos(t)), int(hy + r * math.sin(t)), (196, 160, 120))
    # A river from north-west to south-east.
    pts = [(x_of(8.0 + k * 0.002), y_of(46.99 - k * 0.0012 + 0.006 * math.sin(k / 6))) for k in range(120)]
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        c.line(x0, y0, x1, y1, (70, 130, 220), 6)
    # Grid lines every 0.01 degree with their coordinates.
    lon = math.ceil(west / 0.01 - 1e-9) * 0.01
    while lon <= lon_at(width):
        x = int(round(x_of(lon)))
        if x <= 0:
            lon += 0.01
            continue
        c.line(x, 0, x, height - 1, (120, 120, 120))
        c.text(x + 4, 4, f"{lon:.2f}E", (60, 60, 60))
        lon += 0.01
    lat = math.floor(north / 0.01 + 1e-9) * 0.01
    while lat >= lat_at(height):
        y = int(round(y_of(lat)))
        if y <= 0:
            lat -= 0.01
            continue
        c.line(0, y, width - 1, y, (120, 120, 120))
        c.text(4, y + 4, f"{lat:.2f}N", (60, 60, 60))
        lat -= 0.01
    # Roads between the towns, then the towns.
    for (n0, lo0, la0), (n1, lo1, la1) in zip(towns, towns[1:]):
        c.line(x_of(lo0), y_of(la0), x_of(lo1), y_of(la1), (200, 60, 40), 4)
    for name, lo, la in towns:
        c.disc(x_of(lo), y_of(la), 9, (40, 40, 40))
        c.text(int(x_of(lo)) + 12, int(y_of(la)) - 7, name, (20, 20, 20), 3)
    c.png(path)


def main():
    here = Path(__file__).resolve().parent
    towns = [("ALDERBY", 8.021, 46.982), ("MOSSTON", 8.062, 46.951), ("KELDRA", 8.113, 46.934),
             ("BRAEMOOR", 8.171, 46.947), ("SUNDALE", 8.158, 46.902)]
    draw_map(here / "sample-north.png", 1200, 800, 8.0, 47.0, towns)
    draw_map(here / "sample-east.png", 1000, 800, 8.1, 46.96, towns)


if __name__ == "__main__":
    main()
