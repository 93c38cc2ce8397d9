#!/usr/bin/env python3
"""Draws the application icon and the warning picture.

Usage: make_images.py OUTPUT_DIR
Writes tesmara.ico (16, 32, 48 and 256 pixels, 32-bit with alpha; the 256-pixel image PNG-compressed,
as Windows Vista and later read it) and warning.bmp (80 x 78, 24-bit).
Shapes are evaluated per pixel with 4 x 4 supersampling, so the edges come out smooth.
"""
import math
import os
import struct
import sys
import zlib

SAMPLES = 4


def coverage(inside, x, y):
    """Share of pixel (x, y) covered by the shape `inside(px, py)` (unit square pixels)."""
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            if inside(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES):
                hits += 1
    return hits / (SAMPLES * SAMPLES)


def blend(under, over, alpha):
    return tuple(u + (o - u) * alpha for u, o in zip(under, over))


# ---- application icon: a recorder under network waves, on a blue rounded tile ----

def icon_pixels(size):
    s = size / 32.0  # the drawing is made on a 32-unit grid

    def rounded_tile(px, py):
        r = 6 * s
        x0, y0, x1, y1 = 1 * s, 1 * s, 31 * s, 31 * s
        cx = min(max(px, x0 + r), x1 - r)
        cy = min(max(py, y0 + r), y1 - r)
        return (px - cx) ** 2 + (py - cy) ** 2 <= r * r

    def recorder(px, py):
        return 6 * s <= px <= 26 * s and 19 * s <= py <= 27 * s

    def slot(px, py):
        return 9 * s <= px <= 18 * s and 22 * s <= py <= 24 * s

    def led(cx, cy):
        return lambda px, py: (px - cx * s) ** 2 + (py - cy * s) ** 2 <= (1.6 * s) ** 2

    def arc(radius):
        def inside(px, py):
            dx, dy = px - 16 * s, py - 17 * s
            d = math.hypot(dx, dy)
            if dy > -1.5 * s or abs(dx) > -dy * 1.1:
                return False
            return abs(d - radius * s) <= 1.1 * s
        return inside

    tile = (0xA8, 0x5A, 0x1E)  # BGR: a deep blue
    white = (0xFF, 0xFF, 0xFF)
    dark = (0x40, 0x30, 0x20)
    green = (0x3C, 0xD8, 0x2C)
    amber = (0x1C, 0xA8, 0xF0)
    # At 16 pixels three waves run together: two, the outer one left out.
    waves = [4.5, 8.5] if size <= 16 else [4.5, 8.5, 12.5]
    shapes = [(recorder, white), (slot, dark), (led(21.5, 23), green)]
    shapes += [(arc(r), white) for r in waves]
    shapes.append((led(16, 16.5), amber))
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            a = coverage(rounded_tile, x, y)
            colour = tile
            for inside, c in shapes:
                k = coverage(inside, x, y)
                if k:
                    colour = blend(colour, c, k)
            row.append((colour, a))
        pixels.append(row)
    return pixels


def icon_image(size):
    """One icon directory image: BITMAPINFOHEADER, 32-bit XOR bitmap, 1-bit AND mask."""
    pixels = icon_pixels(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in reversed(range(size)):  # bottom-up rows
        for (b, g, r), a in pixels[y]:
            xor += bytes((round(b), round(g), round(r), round(a * 255)))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if pixels[y][x][1] < 0.5:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(xor) + bytes(mask)


def icon_png(size):
    """One icon directory image as PNG (RGBA, 8 bits per channel)."""
    pixels = icon_pixels(size)
    raw = bytearray()
    for row in pixels:
        raw.append(0)  # filter: none
        for (b, g, r), a in row:
            raw += bytes((round(r), round(g), round(b), round(a * 255)))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_icon(path, sizes):
    images = [icon_png(n) if n >= 256 else icon_image(n) for n in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


# ---- warning picture: a red triangle with a white exclamation mark ----

def write_warning_bitmap(path, width=80, height=78):
    face = (0xF0, 0xF0, 0xF0)  # dialog face grey, BGR
    red = (0x18, 0x1E, 0xD9)
    white = (0xFF, 0xFF, 0xFF)
    top = (width / 2, 4.0)
    left = (3.0, height - 5.0)
    right = (width - 3.0, height - 5.0)

    def in_triangle(px, py):
        def side(a, b):
            return (b[0] - a[0]) * (py - a[1]) - (b[1] - a[1]) * (px - a[0])
        d1, d2, d3 = side(top, right), side(right, left), side(left, top)
        return (d1 >= 0 and d2 >= 0 and d3 >= 0) or (d1 <= 0 and d2 <= 0 and d3 <= 0)

    def in_bar(px, py):
        # Tapering stroke from y=24 to y=52.
        if not 24 <= py <= 52:
            return False
        half = 4.6 - (py - 24) * (1.6 / 28)
        return abs(px - width / 2) <= half

    def in_dot(px, py):
        return (px - width / 2) ** 2 + (py - 61) ** 2 <= 4.6 ** 2

    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            colour = blend(face, red, coverage(in_triangle, x, y))
            k = max(coverage(in_bar, x, y), coverage(in_dot, x, y))
            colour = blend(colour, white, k)
            row += bytes(round(c) for c in colour)
        row += bytes(stride - len(row))
        rows.append(row)
    image = b"".join(reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(image), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(file_header + info + image)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    write_icon(os.path.join(out, "tesmara.ico"), [16, 32, 48, 256])
    write_warning_bitmap(os.path.join(out, "warning.bmp"))


if __name__ == "__main__":
    main()
