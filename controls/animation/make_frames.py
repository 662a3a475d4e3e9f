#!/usr/bin/env python3
"""Draws the progress window's 19 animation frames: a blue ball circling a
grey track with a fading tail, on a magenta background that serves as the
transparent colour (the bottom-left pixel). Writes frame01.bmp .. frame19.bmp
as 24-bit bitmaps next to this script."""
import math
import os
import struct

SIZE = 32
FRAMES = 19
BACK = (255, 0, 255)
TRACK = (190, 190, 190)
BALL = [(0, 74, 149), (60, 120, 190), (130, 170, 220), (190, 210, 240)]
RADII = [4.5, 3.6, 2.8, 2.0]


def disc(pixels, cx, cy, r, colour):
    for y in range(SIZE):
        for x in range(SIZE):
            if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                pixels[y][x] = colour


def frame(i):
    pixels = [[BACK] * SIZE for _ in range(SIZE)]
    c = SIZE / 2
    orbit = 10.5
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x + 0.5 - c, y + 0.5 - c)
            if abs(d - orbit) < 0.8:
                pixels[y][x] = TRACK
    for k in reversed(range(len(BALL))):
        a = 2 * math.pi * (i - k * 0.8) / FRAMES - math.pi / 2
        disc(pixels, c + orbit * math.cos(a), c + orbit * math.sin(a), RADII[k], BALL[k])
    return pixels


def write_bmp(path, pixels):
    row = SIZE * 3
    pad = (4 - row % 4) % 4
    data = b""
    for y in reversed(range(SIZE)):
        for (r, g, b) in pixels[y]:
            data += bytes((b, g, r))
        data += b"\0" * pad
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


here = os.path.dirname(os.path.abspath(__file__))
for i in range(FRAMES):
    write_bmp(os.path.join(here, "frame%02d.bmp" % (i + 1)), frame(i))
