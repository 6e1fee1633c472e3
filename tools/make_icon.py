#!/usr/bin/env python3
"""Writes the program's icon: one 16 x 16 image, 32 bits per pixel with alpha, as a
.ico file of 1,150 bytes. The picture (a magnifier over a tick) is drawn here,
supersampled 4 x 4 for smooth edges. Usage: make_icon.py OUTPUT.ico"""
import math
import sys

from pictures import ico_bytes, segment_distance, supersample_rgba

SIZE = 16


def sample(x, y):
    """Colour (r, g, b, a) of the point (x, y), y growing downwards."""
    # The handle of the magnifier.
    if segment_distance(x, y, 10.2, 10.2, 14.6, 14.6) <= 1.5:
        return (200, 90, 20, 255)
    d = math.hypot(x - 6.5, y - 6.5)
    # The ring.
    if 4.2 <= d <= 6.2:
        return (24, 96, 190, 255)
    if d < 4.2:
        # A green tick on the lens: the product is indexed.
        if (segment_distance(x, y, 4.0, 6.8, 5.8, 8.6) <= 0.9 or
                segment_distance(x, y, 5.8, 8.6, 9.2, 4.6) <= 0.9):
            return (30, 160, 60, 255)
        return (235, 245, 255, 255)
    return (0, 0, 0, 0)


def main():
    data = ico_bytes(supersample_rgba(sample, SIZE, SIZE))
    assert len(data) == 1150, len(data)
    with open(sys.argv[1], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
