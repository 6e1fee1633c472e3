#!/usr/bin/env python3
"""Writes the two pictures of the update window, drawn here:
- the banner shown while the package downloads: 270 x 40, 24-bit BMP, a blue band
  with a download arrow over a tray and a row of progress blocks;
- the icon shown once it is in: one 32 x 32 image, 32 bits per pixel with alpha, a
  green disc with a white tick.
Edges are supersampled 4 x 4. Usage: make_update_images.py BANNER.bmp ICON.ico"""
import math
import struct
import sys

SUB = 4


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def banner_sample(x, y):
    """(r, g, b) of the banner at (x, y), y growing downwards."""
    # Background: a vertical blue gradient with a light line at the bottom.
    t = y / 40.0
    bg = (int(30 + 40 * t), int(90 + 50 * t), int(170 + 50 * t))
    if y >= 38:
        return (200, 220, 245)
    # The tray: a U shape under the arrow.
    if (segment_distance(x, y, 10, 24, 10, 31) <= 1.4 or segment_distance(x, y, 10, 31, 30, 31) <= 1.4 or
            segment_distance(x, y, 30, 31, 30, 24) <= 1.4):
        return (255, 255, 255)
    # The arrow: a shaft and a head pointing down into the tray.
    if segment_distance(x, y, 20, 5, 20, 22) <= 2.2:
        return (255, 210, 60)
    if segment_distance(x, y, 13, 16, 20, 24) <= 2.0 or segment_distance(x, y, 27, 16, 20, 24) <= 2.0:
        return (255, 210, 60)
    # Progress blocks: filled ones first, then outlines.
    if 44 <= x < 44 + 16 * 14 - 3 and 15 <= y < 25:
        block = int((x - 44) // 14)
        inside = (x - 44) - block * 14
        if inside < 11:
            if block < 10:
                return (120, 210, 120) if y < 20 else (90, 185, 95)
            edge = inside < 1 or inside >= 10 or y < 16 or y >= 24
            return (200, 220, 245) if edge else bg
    return bg


def icon_sample(x, y):
    """(r, g, b, a) of the icon at (x, y)."""
    d = math.hypot(x - 16, y - 16)
    if d > 15:
        return (0, 0, 0, 0)
    if segment_distance(x, y, 8.5, 16.5, 13.5, 22) <= 2.2 or segment_distance(x, y, 13.5, 22, 23.5, 10) <= 2.2:
        return (255, 255, 255, 255)
    if d > 13.8:
        return (20, 110, 40, 255)
    shade = int(30 * (y / 32.0))
    return (40, 170 - shade, 70, 255)


def supersample(sample, width, height, channels):
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            acc = [0] * channels
            for sy in range(SUB):
                for sx in range(SUB):
                    c = sample(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB)
                    for i in range(channels):
                        acc[i] += c[i]
            row.append(tuple(int(round(v / (SUB * SUB))) for v in acc))
        rows.append(row)
    return rows


def write_banner(path):
    width, height = 270, 40
    rows = supersample(banner_sample, width, height, 3)
    stride = (width * 3 + 3) & ~3
    bits = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        bits += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + bits)


def write_icon(path):
    size = 32
    rows = supersample(icon_sample, size, size, 4)
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bitsrow = 0
        for x, (r, g, b, a) in enumerate(row):
            if a:
                r, g, b = (min(255, int(v * 255 / a)) for v in (r, g, b))
            xor += bytes((b, g, r, a))
            if a == 0:
                bitsrow |= 1 << (31 - x)
        mask += struct.pack(">I", bitsrow)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + mask
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + image)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    write_banner(sys.argv[1])
    write_icon(sys.argv[2])
