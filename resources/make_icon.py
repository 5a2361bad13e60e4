#!/usr/bin/env python3
"""Draws the application icon (a clock face with the remaining time as a red sweep) and writes
countdown.ico: a 32x32 16-colour image for old shells, then 16, 20, 24, 32 and 48 pixel 32-bit
images with alpha for the taskbar and the notification area.

Plain Python, no imaging library, so the output is byte-for-byte reproducible:
    python3 resources/make_icon.py resources/countdown.ico
"""
import math
import struct
import sys

# Colours of the 32-bit images (RGB).
RIM = (30, 60, 120)
FACE = (255, 255, 255)
SWEEP = (229, 57, 53)
HANDS = (32, 32, 32)

# The Windows 16-colour palette; the 16-colour image uses entries of it directly.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
VGA_INDEX = {"rim": 4, "face": 15, "sweep": 9, "hands": 0}
RGB_OF = {"rim": RIM, "face": FACE, "sweep": SWEEP, "hands": HANDS}

SWEEP_DEGREES = 120  # from 12 o'clock clockwise to 4 o'clock


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def hand_end(degrees, length):
    a = math.radians(degrees)
    return math.sin(a) * length, -math.cos(a) * length


def part_at(x, y, size):
    """Which part of the drawing covers the point (x, y) in [-1, 1]^2 (y down), or None."""
    pixel = 2.0 / size  # one pixel in drawing units
    r = math.hypot(x, y)
    if r > 1.0:
        return None
    rim = max(0.12, 1.5 * pixel)
    if r > 1.0 - rim:
        return "rim"
    hand = max(0.1, 1.5 * pixel) / 2
    if math.hypot(x, y) < max(0.16, 1.8 * pixel):
        return "hands"
    if segment_distance(x, y, 0, 0, *hand_end(0, 0.72)) < hand:
        return "hands"
    if segment_distance(x, y, 0, 0, *hand_end(SWEEP_DEGREES, 0.5)) < hand:
        return "hands"
    # Quarter-hour ticks, dropped where they would blur into the rim.
    if size >= 24:
        for deg in (90, 180, 270):
            if segment_distance(x, y, *hand_end(deg, 0.68), *hand_end(deg, 0.84)) < hand * 0.9:
                return "hands"
    angle = math.degrees(math.atan2(x, -y)) % 360
    if r < 0.84 - rim and angle <= SWEEP_DEGREES:
        return "sweep"
    return "face"


def render_rgba(size, samples=8):
    """Anti-aliased 32-bit image: rows top-down of (r, g, b, a)."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = ((px + (sx + 0.5) / samples) / size) * 2 - 1
                    y = ((py + (sy + 0.5) / samples) / size) * 2 - 1
                    part = part_at(x, y, size)
                    if part is not None:
                        c = RGB_OF[part]
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        acc[3] += 1
            n = samples * samples
            a = acc[3] / n
            if acc[3]:
                # Straight (not premultiplied) colour, as icons store it.
                rgb = tuple(round(v / acc[3]) for v in acc[:3])
            else:
                rgb = (0, 0, 0)
            row.append((*rgb, round(a * 255)))
        rows.append(row)
    return rows


def render_indexed(size):
    """16-colour image: rows of palette indices (None = transparent), sampled at pixel centres."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            part = part_at(((px + 0.5) / size) * 2 - 1, ((py + 0.5) / size) * 2 - 1, size)
            row.append(None if part is None else VGA_INDEX[part])
        rows.append(row)
    return rows


def and_mask(size, transparent):
    """1-bit mask rows bottom-up, each padded to 4 bytes; 1 = transparent."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(size)):
        line = bytearray(stride)
        for x in range(size):
            if transparent(x, y):
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def bitmap_header(size, bits, palette_entries):
    image_bytes = 0
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0,
                       palette_entries, 0)


def dib_32(size):
    rgba = render_rgba(size)
    data = bytearray(bitmap_header(size, 32, 0))
    for y in reversed(range(size)):
        for r, g, b, a in rgba[y]:
            data += bytes((b, g, r, a))
    data += and_mask(size, lambda x, y: rgba[y][x][3] == 0)
    return bytes(data)


def dib_4(size):
    idx = render_indexed(size)
    data = bytearray(bitmap_header(size, 4, 16))
    for r, g, b in VGA:
        data += bytes((b, g, r, 0))
    stride = ((size * 4 + 31) // 32) * 4
    for y in reversed(range(size)):
        line = bytearray(stride)
        for x in range(size):
            v = idx[y][x] or 0  # transparent pixels are black under the mask
            line[x // 2] |= v << (4 if x % 2 == 0 else 0)
        data += line
    data += and_mask(size, lambda x, y: idx[y][x] is None)
    return bytes(data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "countdown.ico"
    images = [(32, 4, 16, dib_4(32))]
    images += [(s, 32, 0, dib_32(s)) for s in (16, 20, 24, 32, 48)]
    blob = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bits, colours, dib in images:
        blob += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(dib), offset)
        offset += len(dib)
    for *_, dib in images:
        blob += dib
    with open(out, "wb") as f:
        f.write(blob)


if __name__ == "__main__":
    main()
