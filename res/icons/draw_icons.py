#!/usr/bin/env python3
# draw_icons.py
# Draws the program's two icons and writes them as .ico files beside this script:
#   program.ico  (resource 101, the program file's icon): a chip with a green
#                 arrow going into it; 16, 17, 32, 34, 64 and 68 pixels.
#   window.ico   (resource 102, the window's icon): the chip alone with a blue
#                 core; 16, 17, 32, 48 and 64 pixels.
# Every image is 32 bits per pixel (BGRA with an AND mask), drawn from the shape
# descriptions below with 8x8 supersampling. Needs only the Python standard
# library. Run it after changing a shape; the .ico files are kept in the
# repository so that the build does not need it.
import os
import struct
import sys

SUPERSAMPLE = 8

SLATE = (0x37, 0x47, 0x4F)
SLATE_LIGHT = (0x60, 0x7D, 0x8B)
SILVER = (0xB0, 0xBE, 0xC5)
GREEN = (0x2E, 0x9D, 0x3A)
BLUE = (0x1E, 0x88, 0xE5)
WHITE = (0xFF, 0xFF, 0xFF)


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def in_polygon(x, y, points):
    inside = False
    n = len(points)
    for i in range(n):
        x1, y1 = points[i]
        x2, y2 = points[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
    return inside


def segment_distance(x, y, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0.0 if length == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length))
    px, py = ax + t * dx, ay + t * dy
    return ((x - px) ** 2 + (y - py) ** 2) ** 0.5


def near_polygon(x, y, points, width):
    if in_polygon(x, y, points):
        return True
    n = len(points)
    return any(segment_distance(x, y, points[i], points[(i + 1) % n]) <= width for i in range(n))


ARROW = [(0.64, 0.40), (0.82, 0.40), (0.82, 0.64), (0.95, 0.64), (0.73, 0.93), (0.51, 0.64),
         (0.64, 0.64)]


def chip_colour(x, y):
    """Colour of the chip at (x, y) in [0, 1] units, or None where it is clear."""
    if in_rounded_rect(x, y, 0.34, 0.34, 0.66, 0.66, 0.04):
        return None  # filled by the variant
    if in_rounded_rect(x, y, 0.20, 0.20, 0.80, 0.80, 0.07):
        return SLATE
    for centre in (0.32, 0.44, 0.56, 0.68):
        half = 0.035
        if centre - half <= x <= centre + half and (0.07 <= y <= 0.20 or 0.80 <= y <= 0.93):
            return SILVER
        if centre - half <= y <= centre + half and (0.07 <= x <= 0.20 or 0.80 <= x <= 0.93):
            return SILVER
    return None


def program_icon(x, y):
    if in_polygon(x, y, ARROW):
        return GREEN
    if near_polygon(x, y, ARROW, 0.045):
        return WHITE
    if in_rounded_rect(x, y, 0.34, 0.34, 0.66, 0.66, 0.04):
        return SLATE_LIGHT
    return chip_colour(x, y)


def window_icon(x, y):
    if in_rounded_rect(x, y, 0.34, 0.34, 0.66, 0.66, 0.04):
        return BLUE
    return chip_colour(x, y)


def render(shape, size):
    """BGRA rows, top row first."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = hits = 0
            for sy in range(n):
                for sx in range(n):
                    colour = shape((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if colour:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        hits += 1
            if hits:
                row.append((b // hits, g // hits, r // hits, hits * 255 // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib(rows):
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b''.join(bytes(c for pixel in row for c in pixel) for row in reversed(rows))
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + colour + bytes(mask)


def write_ico(path, shape, sizes):
    images = [dib(render(shape, s)) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


def main():
    here = os.path.dirname(os.path.abspath(sys.argv[0]))
    write_ico(os.path.join(here, 'program.ico'), program_icon, [16, 17, 32, 34, 64, 68])
    write_ico(os.path.join(here, 'window.ico'), window_icon, [16, 17, 32, 48, 64])


if __name__ == '__main__':
    main()
