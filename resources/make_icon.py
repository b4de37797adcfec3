#!/usr/bin/env python3
"""Remakes the application icon: a yellow folder with an upward arrow on a blue tile.

Writes quaylink.ico (32 x 32 and 16 x 16 in 16 colours, and 32 x 32 monochrome, for the
Windows executable) and icons/quaylink-N.png (full colour, for the Linux desktop's hicolor
theme). The picture is drawn from shapes at each size, so the small sizes stay sharp, and
put together by ImageMagick's `convert`. Run from anywhere: python3 make_icon.py
"""
import os
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

NAVY = (0, 0, 128)
BLUE = (0, 0, 255)
YELLOW = (255, 255, 0)
OLIVE = (128, 128, 0)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

# The 16 colours every Windows display has; the small icons use only these.
VGA = [BLACK, (128, 0, 0), (0, 128, 0), OLIVE, NAVY, (128, 0, 128), (0, 128, 128), (192, 192, 192),
       (128, 128, 128), (255, 0, 0), (0, 255, 0), YELLOW, BLUE, (255, 0, 255), (0, 255, 255), WHITE]


def inside_rounded(u, v, r):
    cx = min(max(u, r), 1 - r)
    cy = min(max(v, r), 1 - r)
    return (u - cx) ** 2 + (v - cy) ** 2 <= r * r


def shape(u, v):
    """Colour and opacity at (u, v) in the unit square, or None outside the icon."""
    if not inside_rounded(u, v, 0.16):
        return None
    colour = BLUE if v < 0.5 else NAVY
    # Folder: a tab, then the body, outlined in black.
    tab = 0.12 <= u <= 0.46 and 0.22 <= v <= 0.34
    body = 0.12 <= u <= 0.88 and 0.30 <= v <= 0.86
    if tab or body:
        edge = not (0.15 <= u <= 0.85 and 0.33 <= v <= 0.83) and body or (
            tab and not (0.15 <= u <= 0.43 and 0.25 <= v))
        colour = BLACK if edge else YELLOW
    # Upward arrow inside the folder: the upload.
    head = 0.38 <= v <= 0.58 and abs(u - 0.5) <= (v - 0.38) * 1.1
    shaft = 0.56 <= v <= 0.78 and abs(u - 0.5) <= 0.07
    if head or shaft:
        colour = NAVY
    return colour


def render(size, samples=4):
    """RGBA bytes of the icon at `size` pixels, each pixel averaged over samples^2 points."""
    out = bytearray()
    for y in range(size):
        for x in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = shape((x + (sx + 0.5) / samples) / size, (y + (sy + 0.5) / samples) / size)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits == 0:
                out += bytes((0, 0, 0, 0))
            else:
                out += bytes([round(a / hits) for a in acc] + [round(255 * hits / samples ** 2)])
    return bytes(out)


def nearest(colour, palette):
    return min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))


def dib(size, palette, rgba):
    """One icon image: a bottom-up bitmap of palette indices, then the transparency mask."""
    bits = 4 if len(palette) > 2 else 1
    per_byte = 8 // bits
    pixels = [rgba[i:i + 4] for i in range(0, len(rgba), 4)]
    stride = ((size * bits + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    colour_rows = []
    mask_rows = []
    for y in reversed(range(size)):
        row = bytearray(stride)
        mask = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = pixels[y * size + x]
            if a < 128:
                mask[x // 8] |= 0x80 >> (x % 8)
                index = 0
            elif bits == 1:
                index = 1 if 0.299 * r + 0.587 * g + 0.114 * b > 100 else 0
            else:
                index = nearest((r, g, b), palette)
            shift = (per_byte - 1 - x % per_byte) * bits
            row[x // per_byte] |= index << shift
        colour_rows.append(bytes(row))
        mask_rows.append(bytes(mask))
    image = b"".join(colour_rows) + b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, len(image), 0, 0, len(palette), 0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colours + image, bits


def write_ico(path, images):
    """An icon file of (size, palette, RGBA bytes) images, in that order."""
    entries = [dib(size, palette, rgba) + (size, len(palette)) for size, palette, rgba in images]
    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    data = b""
    for body, bits, size, colours in entries:
        directory += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(body), offset + len(data))
        data += body
    with open(path, "wb") as f:
        f.write(directory + data)


def convert(*args):
    subprocess.run(["convert", *args], check=True)


def main():
    os.makedirs(os.path.join(HERE, "icons"), exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        def raw(size):
            path = os.path.join(tmp, "icon%d.rgba" % size)
            with open(path, "wb") as f:
                f.write(render(size))
            return "rgba:" + path

        for size in (16, 32, 48, 64, 128, 256):
            out = os.path.join(HERE, "icons", "quaylink-%d.png" % size)
            convert("-size", "%dx%d" % (size, size), "-depth", "8", raw(size), "-strip", out)

    write_ico(os.path.join(HERE, "quaylink.ico"),
              [(32, VGA, render(32, 1)), (16, VGA, render(16, 1)), (32, [BLACK, WHITE], render(32, 1))])

main()
