#!/usr/bin/env python3
"""Remakes the two pictures of the windows: the button face sheen and the background tile.

Both are drawn from smooth periodic functions, so the tile repeats without a seam, and written
as baseline JPEG through ImageMagick's `convert`. Run from anywhere: python3 make_pictures.py
"""
import math
import os
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def write_ppm(path, width, height, pixel):
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (width, height))
        for y in range(height):
            for x in range(width):
                f.write(bytes(max(0, min(255, round(c))) for c in pixel(x, y)))


def sheen(x, y):
    # Pale, nearly white, bluish; brightest along a band a third of the way down.
    band = math.exp(-((y - 11.0) / 9.0) ** 2)
    drift = 0.5 + 0.5 * math.sin(x / 101.0 * math.pi)
    v = 0.80 + 0.16 * band + 0.04 * drift
    return (228 * v + 10, 236 * v + 8, 255 * v)


def ripple(x, y):
    # Deep blue-violet ripples; every term has a whole number of periods across 100 pixels.
    t = 2 * math.pi / 100.0
    w = (math.sin(3 * t * x + 2 * math.sin(2 * t * y))
         + math.sin(4 * t * y + 1.5 * math.sin(t * x))
         + 0.6 * math.sin(5 * t * (x + y)))
    v = 0.5 + w / 5.2
    return (38 + 50 * v, 8 + 22 * v, 92 + 110 * v)


def make(name, width, height, pixel, quality):
    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, "p.ppm")
        write_ppm(ppm, width, height, pixel)
        out = os.path.join(HERE, name)
        subprocess.run(["convert", ppm, "-strip", "-interlace", "none", "-sampling-factor", "2x2",
                        "-quality", str(quality), out], check=True)
        print(name, width, "x", height, os.path.getsize(out), "bytes")


make("buttonface.jpg", 101, 35, sheen, 97)
make("tile.jpg", 100, 100, ripple, 80)
