#!/usr/bin/env python3
"""Writes the two pictures of the update window, drawn here:
- the banner shown while the package downloads: 270 x 40, 24-bit BMP, a blue band
  with a download arrow over a tray and a row of progress blocks;
- the icon shown once it is in: one 32 x 32 image, 32 bits per pixel with alpha, a
  green disc with a white tick.
Edges are supersampled 4 x 4. Usage: make_update_images.py BANNER.bmp ICON.ico"""
import math
import sys

from pictures import bmp24_bytes, ico_bytes, segment_distance, supersample_rgb, supersample_rgba

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


def write_banner(path):
    with open(path, "wb") as f:
        f.write(bmp24_bytes(supersample_rgb(banner_sample, 270, 40)))


def write_icon(path):
    with open(path, "wb") as f:
        f.write(ico_bytes(supersample_rgba(icon_sample, 32, 32)))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    write_banner(sys.argv[1])
    write_icon(sys.argv[2])
