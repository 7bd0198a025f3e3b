#!/usr/bin/env python3
"""Draws the saver's icon: a 32 x 32, 16-colour picture of a glassy sphere
with glowing particles on black, written as a Windows .ico file; or the same
picture drawn at a larger size as a 16-colour PNG, for the web page's app
icons.

    python3 resources/make_icon.py OUTPUT.ico
    python3 resources/make_icon.py --png SIZE OUTPUT.png
"""
import math
import struct
import sys
import zlib

SIZE = 32

# The 16-colour palette (blue, green, red, reserved), the classic VGA colours.
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]  # (red, green, blue)
BLACK, DARK_BLUE, DARK_CYAN, DARK_MAGENTA = 0, 1, 3, 5
CYAN, MAGENTA, YELLOW, WHITE, GREEN = 11, 13, 14, 15, 10

# Particles: inside the sphere and a few that have escaped.
PARTICLES = [(12, 11), (19, 14), (15, 19), (21, 20), (10, 17), (17, 9),
             (4, 5), (27, 4), (28, 26), (3, 27), (25, 12)]


def pixel(x, y):
    """The colour at (x, y) on the 32 x 32 grid; x and y may fall between
    the grid's points, for a picture drawn larger."""
    cx, cy, radius = 15.5, 15.5, 12.0
    for px, py in PARTICLES:
        d = abs(x - px) + abs(y - py)
        if d < 0.5:
            return YELLOW
        if d < 1.5:
            return GREEN
    r = math.hypot(x - cx, y - cy)
    if r > radius:
        return BLACK
    if r > radius - 1.2:
        return CYAN
    # Bands of cells across the glass, a highlight at the upper left.
    if math.hypot(x - 11, y - 10) < 2.5:
        return WHITE
    band = int((math.atan2(y - cy, x - cx) + math.pi) / (math.pi / 4) + r / 4) % 4
    return (DARK_BLUE, DARK_CYAN, DARK_MAGENTA, MAGENTA)[band]


def icon():
    # Rows are stored bottom-up, two pixels per byte, high nibble first.
    xor = bytearray()
    for y in reversed(range(SIZE)):
        for x in range(0, SIZE, 2):
            xor.append(pixel(x, y) << 4 | pixel(x + 1, y))
    mask = bytes(SIZE * SIZE // 8)  # every pixel opaque
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 16, 0)
    image = header + palette + bytes(xor) + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def png(size):
    """The picture at size x size pixels, each sampled at its centre, as a
    PNG of 4-bit palette indices."""
    scale = SIZE / size
    rows = bytearray()
    for y in range(size):
        rows.append(0)  # no filter
        v = (y + 0.5) * scale - 0.5
        for x in range(0, size, 2):
            u0, u1 = (x + 0.5) * scale - 0.5, (x + 1.5) * scale - 0.5
            rows.append(pixel(u0, v) << 4 | pixel(u1, v))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0)
    palette = b"".join(bytes(colour) for colour in PALETTE)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", palette) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


if sys.argv[1] == "--png":
    with open(sys.argv[3], "wb") as out:
        out.write(png(int(sys.argv[2])))
else:
    with open(sys.argv[1], "wb") as out:
        out.write(icon())
