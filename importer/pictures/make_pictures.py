#!/usr/bin/env python3
"""Draws the importer's own pictures as small PNG files next to this script:
the hourglass of the wait window (81 x 81, see-through around it) and the
wizard's backdrop (800 x 600, a blue fall with pale stripes)."""
import importlib.util
import os

# The PNG writer of the client's own picture script.
_here = os.path.dirname(os.path.abspath(__file__))
_spec = importlib.util.spec_from_file_location(
    "client_pictures", os.path.join(_here, "..", "..", "client", "pictures", "make_pictures.py"))
_client = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(_client)
write_png = _client.write_png

BLUE = (0, 74, 149)
DARK = (0, 26, 64)
SAND = (222, 184, 96)
GLASS = (214, 232, 250)
WOOD = (120, 72, 30)
NONE = (0, 0, 0, 0)


def hourglass():
    w = h = 81
    px = [[NONE] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            cx, cy = x + 0.5 - 40.5, y + 0.5
            if 6 <= cy <= 12 or 69 <= cy <= 75:
                if abs(cx) <= 26:
                    px[y][x] = WOOD
                continue
            if 12 < cy < 69:
                # The glass narrows to a neck in the middle.
                half = 4 + abs(cy - 40.5) * 0.72
                if abs(cx) <= half:
                    edge = abs(cx) > half - 2
                    sand = (cy > 52 and not edge) or (cy < 34 and cy > 22 + abs(cx) * 0.3 and not edge)
                    px[y][x] = DARK if edge else (SAND if sand else GLASS)
                    if abs(cx) < 1.2 and 40 <= cy <= 56:
                        px[y][x] = SAND
    return px


def backdrop():
    w, h = 800, 600
    px = []
    for y in range(h):
        t = y / (h - 1)
        c = tuple(round(BLUE[i] * (1 - t) + DARK[i] * t) for i in range(3))
        row = [c] * w
        for x in range(w):
            # Pale diagonal stripes across the lower right.
            if (x + y) % 120 < 6 and x + y > 700:
                row[x] = tuple(min(255, v + 28) for v in c)
        px.append(row)
    return px


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_png(os.path.join(here, "hourglass.png"), hourglass())
    write_png(os.path.join(here, "backdrop.png"), backdrop())
