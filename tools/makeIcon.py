#!/usr/bin/env python3
"""Generates the game's desktop icon: the player's ship over a wormhole's glow on a dark disc.

Run once after changing it: python3 tools/makeIcon.py [output file]
Only the standard library is used; the output is deterministic."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from artlib import Canvas, sd_circle, sd_ring, write_png  # noqa: E402
from makeArt import ship_player  # noqa: E402

SIZE = 128
OUT = os.path.join("desktop", "quorble.png")


def icon():
    c = Canvas(SIZE)
    c.shape(sd_circle(0.0, 0.0, 0.96), lambda u, v, d: (0.03, 0.05, 0.12, 1.0))
    c.glow(0.0, 0.0, 0.9, (0.25, 0.35, 0.9), strength=0.7, power=1.6)
    c.shape(sd_ring(0.0, 0.0, 0.9, 0.04), lambda u, v, d: (0.35, 0.85, 1.0, 0.95))
    ship = ship_player()
    # The ship, a little smaller than the disc, composited over it.
    scale = 0.78
    for y in range(SIZE):
        for x in range(SIZE):
            u, v = c.uv(x, y)
            sx = int((u / scale + 1.0) / 2.0 * ship.w)
            sy = int((1.0 - v / scale) / 2.0 * ship.h)
            if 0 <= sx < ship.w and 0 <= sy < ship.h:
                j = sy * ship.w + sx
                c.over(y * SIZE + x, ship.r[j], ship.g[j], ship.b[j], ship.a[j])
    return c


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else OUT
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    write_png(path, icon())
    print("wrote", path, os.path.getsize(path), "bytes")


if __name__ == "__main__":
    main()
