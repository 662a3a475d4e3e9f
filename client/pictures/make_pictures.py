#!/usr/bin/env python3
"""Draws the client's own pictures as small PNG files next to this script:
the about box's background and logo, and the pictures of the log-on and
registration dialogs (a figure, and a figure with a plus sign)."""
import math
import os
import struct
import zlib

BLUE = (0, 74, 149)
DARK = (0, 26, 64)
CREAM = (251, 245, 179)
NONE = (0, 0, 0, 0)


def canvas(w, h, colour=NONE):
    return [[colour] * w for _ in range(h)]


def fill(px, inside, colour):
    for y, row in enumerate(px):
        for x in range(len(row)):
            if inside(x + 0.5, y + 0.5):
                row[x] = colour


def rgba(c):
    return c if len(c) == 4 else c + (255,)


def write_png(path, px):
    h, w = len(px), len(px[0])
    raw = b"".join(b"\0" + b"".join(bytes(rgba(c)) for c in row) for row in px)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def about_background():
    w, h = 564, 290
    px = canvas(w, h)
    for y in range(h):
        t = y / (h - 1)
        c = tuple(round(BLUE[i] * (1 - t) + DARK[i] * t) for i in range(3))
        px[y] = [c] * w
    return px


def logo():
    w, h = 169, 174
    px = canvas(w, h)
    fill(px, lambda x, y: 8 <= x <= 161 and 8 <= y <= 166, CREAM)
    fill(px, lambda x, y: 16 <= x <= 153 and 16 <= y <= 158, BLUE)
    fill(px, lambda x, y: 40 <= x <= 129 and 40 <= y <= 60, CREAM)
    fill(px, lambda x, y: 75 <= x <= 94 and 60 <= y <= 138, CREAM)
    return px


def figure(w, h, cx, plus=False):
    px = canvas(w, h)
    head = w * 0.2
    fill(px, lambda x, y: math.hypot(x - cx, y - head * 1.6) <= head, CREAM)
    fill(px, lambda x, y: y >= h * 0.55 and ((x - cx) / (w * 0.38)) ** 2 + ((y - h) / (h * 0.4)) ** 2 <= 1,
         CREAM)
    if plus:
        px_cx, px_cy, arm = w * 0.8, h * 0.22, w * 0.13
        fill(px, lambda x, y: abs(x - px_cx) <= 5 and abs(y - px_cy) <= arm, CREAM)
        fill(px, lambda x, y: abs(y - px_cy) <= 5 and abs(x - px_cx) <= arm, CREAM)
    return px


here = os.path.dirname(os.path.abspath(__file__))
write_png(os.path.join(here, "aboutbg.png"), about_background())
write_png(os.path.join(here, "logo.png"), logo())
write_png(os.path.join(here, "logon.png"), figure(129, 129, 64))
write_png(os.path.join(here, "register.png"), figure(177, 193, 75, plus=True))
