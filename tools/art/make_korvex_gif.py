#!/usr/bin/env python3
"""Draws the KORVEX logo that the HTML report copies beside its charts and writes it as a GIF
(resources/KORVEX.gif). Standard library only: shapes are sampled 4 x 4 per pixel for smooth
edges, the shades go into a 64-colour palette, and the pixels are LZW-compressed as GIF89a.

    python3 tools/art/make_korvex_gif.py resources/KORVEX.gif
"""
import math
import struct
import sys

WIDTH, HEIGHT = 232, 60
SUPERSAMPLE = 4
WHITE = (255, 255, 255)
NAVY = (27, 42, 74)
AMBER = (245, 166, 35)
LEVELS = 21  # shades of each ramp (white-navy, white-amber, navy-amber): 1 + 3 x 21 = 64 colours

# The emblem: a navy rounded square holding an amber lightning bolt.
EMBLEM = (4, 4, 52, 52, 10)  # x, y, width, height, corner radius
BOLT = [(34, 8), (15, 33), (27, 33), (21, 50), (41, 22), (29, 22), (37, 8)]

# Block letters on a 22 x 30 grid, as strokes (segments of width STROKE) and rings.
STROKE = 5.5
LETTERS = {
    "K": {"lines": [((3, 2), (3, 28)), ((19, 2), (4, 17)), ((9, 12), (20, 28))]},
    "O": {"rings": [((11, 15), 8.5, 12.5, None)]},
    "R": {"lines": [((3, 2), (3, 28)), ((3, 2), (11, 2)), ((3, 16), (11, 16)),
                    ((11, 16), (20, 28))],
          "rings": [((11, 9), 7, 7, "right")]},
    "V": {"lines": [((2, 2), (11, 28)), ((20, 2), (11, 28))]},
    "E": {"lines": [((3, 2), (3, 28)), ((3, 2), (19, 2)), ((3, 15), (16, 15)),
                    ((3, 28), (19, 28))]},
    "X": {"lines": [((2, 2), (20, 28)), ((20, 2), (2, 28))]},
}
TEXT, TEXT_X, TEXT_Y, ADVANCE = "KORVEX", 68, 15, 27


def segment_distance(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def in_ring(px, py, ring):
    (cx, cy), rx, ry, half = ring
    if half == "right" and px < cx:
        return False
    outer = ((px - cx) / (rx + STROKE / 2)) ** 2 + ((py - cy) / (ry + STROKE / 2)) ** 2
    inner = ((px - cx) / (rx - STROKE / 2)) ** 2 + ((py - cy) / (ry - STROKE / 2)) ** 2
    return outer <= 1 and inner >= 1


def in_polygon(px, py, points):
    inside = False
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def in_rounded_rect(px, py, rect):
    x, y, w, h, r = rect
    if not (x <= px <= x + w and y <= py <= y + h):
        return False
    cx = min(max(px, x + r), x + w - r)
    cy = min(max(py, y + r), y + h - r)
    return math.hypot(px - cx, py - cy) <= r


def in_text(px, py):
    index = int((px - TEXT_X) // ADVANCE)
    if not 0 <= index < len(TEXT) or py < TEXT_Y - 4 or py > TEXT_Y + 34:
        return False
    lx, ly = px - TEXT_X - index * ADVANCE, py - TEXT_Y
    letter = LETTERS[TEXT[index]]
    if any(segment_distance(lx, ly, a, b) <= STROKE / 2 for a, b in letter.get("lines", [])):
        return True
    return any(in_ring(lx, ly, ring) for ring in letter.get("rings", []))


def ink_at(px, py):
    """Which ink covers the point: 'amber', 'navy' or None."""
    if in_rounded_rect(px, py, EMBLEM):
        return "amber" if in_polygon(px, py, BOLT) else "navy"
    return "navy" if in_text(px, py) else None


def mix(base, ink, level):
    f = level / LEVELS
    return tuple(round(b + (c - b) * f) for b, c in zip(base, ink))


def draw():
    ramps = [(WHITE, NAVY), (WHITE, AMBER), (NAVY, AMBER)]
    palette = [WHITE] + [mix(a, b, k) for a, b in ramps for k in range(1, LEVELS + 1)]
    pixels = []
    n = SUPERSAMPLE
    for y in range(HEIGHT):
        for x in range(WIDTH):
            navy = amber = 0
            for sy in range(n):
                for sx in range(n):
                    ink = ink_at(x + (sx + 0.5) / n, y + (sy + 0.5) / n)
                    navy += ink == "navy"
                    amber += ink == "amber"
            if navy and amber:  # the bolt's edge: amber over navy
                level = round(amber / (navy + amber) * LEVELS)
                pixels.append(2 * LEVELS + level if level else LEVELS)
            elif amber:
                level = round(amber / (n * n) * LEVELS)
                pixels.append(LEVELS + level if level else 0)
            else:
                pixels.append(round(navy / (n * n) * LEVELS))
    return palette, pixels


def lzw(indices, min_code_size):
    """GIF's variable-length LZW, least significant bit first."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, bits, nbits = bytearray(), 0, 0

    def emit(code, size):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    def reset():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, size = reset()
    emit(clear, size)
    prefix = (indices[0],)
    for value in indices[1:]:
        candidate = prefix + (value,)
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix], size)
        if next_code < 4096:
            table[candidate] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear, size)
            table, next_code, size = reset()
        prefix = (value,)
    emit(table[prefix], size)
    emit(end, size)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def gif(width, height, palette, pixels):
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", width, height, 0xF0 | 5, 0, 0)  # 64-entry global table
    for colour in palette:
        data += bytes(colour)
    data += b"," + struct.pack("<HHHHB", 0, 0, width, height, 0)
    data.append(6)  # LZW minimum code size for 64 colours
    compressed = lzw(pixels, 6)
    for k in range(0, len(compressed), 255):
        chunk = compressed[k:k + 255]
        data.append(len(chunk))
        data += chunk
    data += b"\x00;"
    return bytes(data)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    palette, pixels = draw()
    with open(sys.argv[1], "wb") as f:
        f.write(gif(WIDTH, HEIGHT, palette, pixels))


if __name__ == "__main__":
    main()
