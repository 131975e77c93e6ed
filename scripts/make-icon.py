#!/usr/bin/env python3
"""Draws the product icon: a six-fold figure of glowing particle trails on black, as the saver itself draws
one head's trail rotated about the centre. Writes resources/tavo.ico (256, 48, 32 and 16 pixels) through
ImageMagick. Run it again only to change the icon; the .ico is kept in the repository."""
import math
import os
import subprocess
import sys
import tempfile

def render(size):
    img = [[[0.0, 0.0, 0.0] for _ in range(size)] for _ in range(size)]
    c = (size - 1) / 2.0
    trails = 6
    samples = 1400
    radius = size * 0.46
    dot = max(0.6, size / 64.0)
    for i in range(samples):
        t = i / samples
        # one trail: a loop swinging out from the centre and back
        a = t * math.pi * 2.0
        r = radius * math.sin(a * 0.5) ** 1.5
        theta = a * 0.55 + 0.35 * math.sin(a * 3.0)
        hue = t
        col = (0.5 + 0.5 * math.cos(2 * math.pi * (hue + 0.00)),
               0.5 + 0.5 * math.cos(2 * math.pi * (hue + 0.33)),
               0.5 + 0.5 * math.cos(2 * math.pi * (hue + 0.67)))
        fade = 0.35 + 0.65 * math.sin(math.pi * t)
        for k in range(trails):
            phi = theta + k * 2 * math.pi / trails
            x = c + r * math.cos(phi)
            y = c - r * math.sin(phi)
            x0, x1 = int(x - 2 * dot), int(x + 2 * dot) + 1
            y0, y1 = int(y - 2 * dot), int(y + 2 * dot) + 1
            for py in range(max(0, y0), min(size, y1 + 1)):
                for px in range(max(0, x0), min(size, x1 + 1)):
                    d2 = ((px - x) ** 2 + (py - y) ** 2) / (dot * dot)
                    w = math.exp(-d2) * fade * 0.55
                    if w < 0.01:
                        continue
                    p = img[py][px]
                    for ch in range(3):
                        p[ch] += col[ch] * w
    # a white-hot centre
    for py in range(size):
        for px in range(size):
            d2 = ((px - c) ** 2 + (py - c) ** 2) / ((size * 0.05) ** 2)
            w = math.exp(-d2)
            for ch in range(3):
                img[py][px][ch] += w
    out = bytearray()
    for row in img:
        for p in row:
            out += bytes(min(255, int(255 * (1 - math.exp(-1.6 * v)))) for v in p)
    return out

def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = os.path.join(top, "resources", "tavo.ico")
    with tempfile.TemporaryDirectory() as tmp:
        files = []
        for size in (256, 48, 32, 16):
            path = os.path.join(tmp, f"icon{size}.ppm")
            with open(path, "wb") as f:
                f.write(f"P6 {size} {size} 255\n".encode())
                f.write(render(size))
            files.append(path)
        subprocess.run(["convert", *files, target], check=True)
    print("wrote", target)

if __name__ == "__main__":
    sys.exit(main())
