"""Drawing helpers shared by the scripts that draw the program's pictures at build
time: shapes by distance, 4 x 4 supersampling, and the .ico / .bmp file layouts."""
import math
import struct

SUB = 4


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def supersample_rgba(sample, width, height):
    """Rows of (r, g, b, a): each pixel the mean of SUB x SUB samples, colours
    weighted by their alpha so that transparent samples do not darken edges."""
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            acc = [0, 0, 0, 0]
            for sy in range(SUB):
                for sx in range(SUB):
                    r, g, b, a = sample(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            colour = tuple(round(c / acc[3]) for c in acc[:3]) if acc[3] else (0, 0, 0)
            row.append(colour + (round(acc[3] / (SUB * SUB)),))
        rows.append(row)
    return rows


def supersample_rgb(sample, width, height):
    opaque = lambda x, y: tuple(sample(x, y)) + (255,)
    return [[p[:3] for p in row] for row in supersample_rgba(opaque, width, height)]


def ico_bytes(rows):
    """A .ico file holding one square 32-bit image with alpha."""
    size = len(rows)
    mask_stride = (size + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up
        bits = 0
        for x, (r, g, b, a) in enumerate(row):
            xor += bytes((b, g, r, a))
            if a == 0:
                bits |= 1 << (mask_stride * 8 - 1 - x)
        mask += bits.to_bytes(mask_stride, "big")
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def bmp24_bytes(rows):
    """A 24-bit .bmp file of the rows of (r, g, b)."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    bits = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        bits += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    return head + info + bytes(bits)
