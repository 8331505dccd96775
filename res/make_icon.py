#!/usr/bin/env python3
"""make_icon.py: draws the program icon (16x16 and 32x32, 32-bit with alpha) into Zendrix.ico.

Two overlapping cards, red for the Simplified and blue for the Traditional side, with a white arrow pair on the
front card. Standard library only: each pixel is supersampled 4x4 for smooth edges.
Usage: make_icon.py [OUTPUT]   (default: Zendrix.ico beside this script)
"""
import os
import struct
import sys

RED = (0xC6, 0x28, 0x28)
BLUE = (0x15, 0x65, 0xC0)
WHITE = (0xFF, 0xFF, 0xFF)
SAMPLES = 4


def rounded_rect(x0, y0, x1, y1, r):
    """Inside test for a rectangle with rounded corners, in units of the icon's side (0..1)."""
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def arrow(y, pointing_right):
    """A horizontal arrow: a shaft and a triangular head, centred on the front card."""
    left, right, shaft, head = 0.40, 0.86, 0.045, 0.11

    def inside(px, py):
        tip, base = (right, right - 0.14) if pointing_right else (left, left + 0.14)
        if pointing_right and left <= px <= base or not pointing_right and base <= px <= right:
            return abs(py - y) <= shaft
        span = abs(px - tip)
        return span <= 0.14 and abs(py - y) <= head * span / 0.14 and (px <= tip if pointing_right else px >= tip)
    return inside


# Painted back to front.
SHAPES = [
    (rounded_rect(0.03, 0.03, 0.62, 0.62, 0.10), RED),
    (rounded_rect(0.30, 0.30, 0.97, 0.97, 0.10), BLUE),
    (arrow(0.52, True), WHITE),
    (arrow(0.76, False), WHITE),
]


def render(size):
    """Rows top to bottom of (r, g, b, a) pixels, colours premultiplied while blending."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    colour = None
                    for inside, c in SHAPES:
                        if inside(x, y):
                            colour = c
                    if colour:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            n = SAMPLES * SAMPLES
            if a:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib(size):
    """BITMAPINFOHEADER, BGRA pixels bottom-up, then the AND mask (1 = transparent), rows padded to 4 bytes."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "Zendrix.ico")
    images = [(size, dib(size)) for size in (16, 32)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b"".join(image for _, image in images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
