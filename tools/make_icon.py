#!/usr/bin/env python3
"""Writes the program's icon: one 16 x 16 image, 32 bits per pixel with alpha, as a
.ico file of 1,150 bytes. The picture (a magnifier over a tick) is drawn here,
supersampled 4 x 4 for smooth edges. Usage: make_icon.py OUTPUT.ico"""
import math
import struct
import sys

SIZE = 16
SUB = 4


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


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


def pixels():
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            acc = [0, 0, 0, 0]
            for sy in range(SUB):
                for sx in range(SUB):
                    r, g, b, a = sample(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SUB * SUB
            alpha = acc[3] / n
            if acc[3]:
                colour = tuple(round(c / acc[3]) for c in acc[:3])
            else:
                colour = (0, 0, 0)
            row.append(colour + (round(alpha),))
        rows.append(row)
    return rows


def icon_bytes():
    rows = pixels()
    xor = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    and_mask = bytearray()
    for row in reversed(rows):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (15 - x)
        and_mask += struct.pack(">H", bits) + b"\0\0"  # rows padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(and_mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    data = icon_bytes()
    assert len(data) == 1150, len(data)
    with open(sys.argv[1], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
