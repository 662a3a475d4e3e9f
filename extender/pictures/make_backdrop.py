#!/usr/bin/env python3
"""Draws the extender's backdrop, an 800 x 600 picture at 24 bits a pixel:
a deep blue sky over a database drum with an arrow rising out of it (the
database being raised a level). Writes backdrop.png next to this script."""
import os
import struct
import zlib

W, H = 800, 600
TOP, BOTTOM = (8, 40, 96), (0, 12, 36)
DRUM, DRUM_EDGE, ARROW = (36, 92, 160), (120, 170, 225), (251, 245, 179)


def sky(y):
    t = y / (H - 1)
    return tuple(round(TOP[i] * (1 - t) + BOTTOM[i] * t) for i in range(3))


def colour_at(x, y):
    cx, rx, ry, top, bottom = 400, 150, 40, 300, 480
    in_body = abs(x - cx) <= rx and top <= y <= bottom
    cap = ((x - cx) / rx) ** 2 + ((y - top) / ry) ** 2
    base = ((x - cx) / rx) ** 2 + ((y - bottom) / ry) ** 2
    # The arrow: a shaft and a head above the drum.
    if abs(x - cx) <= 22 and 150 <= y <= 290:
        return ARROW
    if 80 <= y < 150 and abs(x - cx) <= (y - 80) * 0.9:
        return ARROW
    if cap <= 1:
        return DRUM_EDGE if cap >= 0.8 else DRUM
    if in_body or base <= 1:
        for ring in (360, 420):
            if abs(((x - cx) / rx) ** 2 + ((y - ring) / ry) ** 2 - 1) < 0.08 and y > ring:
                return DRUM_EDGE
        return DRUM
    return sky(y)


def write_png(path):
    rows = b"".join(b"\0" + b"".join(bytes(colour_at(x, y)) for x in range(W)) for y in range(H))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


write_png(os.path.join(os.path.dirname(os.path.abspath(__file__)), "backdrop.png"))
