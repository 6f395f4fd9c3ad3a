#!/usr/bin/env python3
"""Draws the installer's own pictures and writes them as PNG and ICO files.

    resources/draw_pictures.py [output folder]    (default: this folder)

Writes:
  close.png        834 x 834  a dark diagonal cross on a transparent ground
  minimize.png     835 x 834  a dark horizontal bar on a transparent ground
  error_robot.png  100 x 60   a small grey robot holding a wrench and a
                              screwdriver, on a transparent ground
  app_icon.png     256 x 256  the program icon (the window icon on Linux)
  TavoInstaller.ico           the same icon at 16, 32, 48 and 256 pixels

Every picture is 8-bit RGBA. Shapes are signed distance functions: a pixel's
coverage is its centre's distance to the shape's edge, clamped to one pixel,
which gives smooth edges without supersampling. Only the standard library is
used (zlib and struct write the files), so the pictures can be redrawn on any
machine; the files are committed and the build only embeds them.
"""

import math
import os
import struct
import sys
import zlib


# ---- shapes: each is (distance function, bounding box) ---------------------

def capsule(ax, ay, bx, by, r):
    """A segment from (ax, ay) to (bx, by) with round ends, radius r."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1e-9

    def d(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - r

    return d, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r)


def circle(cx, cy, r):
    return (lambda x, y: math.hypot(x - cx, y - cy) - r), (cx - r, cy - r, cx + r, cy + r)


def rounded_box(cx, cy, hw, hh, radius):
    """An axis-aligned box with centre (cx, cy), half sizes hw, hh."""

    def d(x, y):
        qx = abs(x - cx) - hw + radius
        qy = abs(y - cy) - hh + radius
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return d, (cx - hw, cy - hh, cx + hw, cy + hh)


def union(*shapes):
    fns = [s[0] for s in shapes]
    boxes = [s[1] for s in shapes]
    box = (min(b[0] for b in boxes), min(b[1] for b in boxes),
           max(b[2] for b in boxes), max(b[3] for b in boxes))
    return (lambda x, y: min(f(x, y) for f in fns)), box


def minus(shape, cut):
    f, g = shape[0], cut[0]
    return (lambda x, y: max(f(x, y), -g(x, y))), shape[1]


def scaled(shape, k):
    """The shape drawn at k times its size (coordinates and distances)."""
    f, b = shape
    return (lambda x, y: f(x / k, y / k) * k), tuple(v * k for v in b)


# ---- canvas ------------------------------------------------------------------

class Canvas:
    """Premultiplied RGBA in floats; paint() composites a shape 'over'."""

    def __init__(self, width, height):
        self.w, self.h = width, height
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def paint(self, shape, rgb, alpha=1.0):
        f, (x0, y0, x1, y1) = shape
        r, g, b = (c / 255.0 for c in rgb)
        for y in range(max(0, int(y0) - 1), min(self.h, int(math.ceil(y1)) + 2)):
            row = y * self.w
            for x in range(max(0, int(x0) - 1), min(self.w, int(math.ceil(x1)) + 2)):
                cover = 0.5 - f(x + 0.5, y + 0.5)
                if cover <= 0.0:
                    continue
                a = alpha * min(cover, 1.0)
                p = self.px[row + x]
                keep = 1.0 - a
                p[0] = r * a + p[0] * keep
                p[1] = g * a + p[1] * keep
                p[2] = b * a + p[2] * keep
                p[3] = a + p[3] * keep

    def rgba_rows(self):
        """Straight (not premultiplied) 8-bit RGBA, top row first."""
        rows = []
        for y in range(self.h):
            row = bytearray()
            for p in self.px[y * self.w:(y + 1) * self.w]:
                a = p[3]
                if a <= 0.0:
                    row += b"\0\0\0\0"
                    continue
                row += bytes(min(255, int(round(c / a * 255.0))) for c in p[:3])
                row.append(min(255, int(round(a * 255.0))))
            rows.append(bytes(row))
        return rows


# ---- file formats ------------------------------------------------------------

def png_bytes(canvas):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + row for row in canvas.rgba_rows())  # filter 0 on each row
    header = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico_bytes(canvases):
    """An icon file: 256-pixel images as PNG, smaller ones as 32-bit DIBs
    with an empty AND mask (the alpha channel carries the transparency)."""
    images = []
    for c in canvases:
        if c.w >= 256:
            images.append(png_bytes(c))
            continue
        rows = c.rgba_rows()
        pixels = b"".join(
            bytes(v for i in range(0, len(row), 4) for v in (row[i + 2], row[i + 1], row[i], row[i + 3]))
            for row in reversed(rows))
        mask_row = ((c.w + 31) // 32) * 4
        info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0,
                           len(pixels) + mask_row * c.h, 0, 0, 0, 0)
        images.append(info + pixels + b"\0" * (mask_row * c.h))
    out = struct.pack("<HHH", 0, 1, len(canvases))
    offset = 6 + 16 * len(canvases)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# ---- the pictures ------------------------------------------------------------

GLYPH_INK = (0x3A, 0x3A, 0x3A)


def draw_close():
    c = Canvas(834, 834)
    m, t = 190.0, 34.0  # margin to the cross's ends, half the stroke
    c.paint(union(capsule(m, m, 834 - m, 834 - m, t), capsule(834 - m, m, m, 834 - m, t)),
            GLYPH_INK)
    return c


def draw_minimize():
    c = Canvas(835, 834)
    c.paint(rounded_box(835 / 2.0, 834 / 2.0, 835 / 2.0 - 170, 34.0, 10.0), GLYPH_INK)
    return c


def draw_robot():
    c = Canvas(100, 60)
    light, mid, dark, darker = (0xB4, 0xB4, 0xB4), (0x9C, 0x9C, 0x9C), (0x84, 0x84, 0x84), \
        (0x6C, 0x6C, 0x6C)
    # Wrench in the left hand: a handle and an open jaw.
    jaw = minus(circle(14.0, 30.0, 4.6), rounded_box(12.2, 27.4, 1.6, 3.2, 0.6))
    c.paint(union(capsule(25.5, 44.5, 15.5, 32.5, 1.7), jaw), darker)
    # Screwdriver in the right hand: a handle and a thin shaft.
    c.paint(capsule(80.0, 35.0, 87.5, 25.5, 0.8), dark)
    c.paint(capsule(74.5, 41.5, 80.0, 35.0, 2.2), darker)
    # Arms.
    c.paint(capsule(36.0, 35.0, 26.5, 44.0, 2.6), mid)
    c.paint(capsule(64.0, 35.0, 74.0, 42.0, 2.6), mid)
    # Wheels and the base.
    c.paint(circle(41.0, 56.0, 3.4), darker)
    c.paint(circle(59.0, 56.0, 3.4), darker)
    c.paint(rounded_box(50.0, 53.5, 13.0, 2.5, 2.0), dark)
    # Body with a chest panel and two lights.
    c.paint(rounded_box(50.0, 41.0, 15.0, 10.5, 4.0), light)
    c.paint(rounded_box(50.0, 40.5, 7.5, 4.2, 1.6), dark)
    c.paint(circle(46.5, 40.5, 1.3), light)
    c.paint(circle(53.5, 40.5, 1.3), light)
    # Neck, head, eyes, mouth and antenna.
    c.paint(rounded_box(50.0, 29.0, 3.0, 2.0, 0.5), dark)
    c.paint(capsule(50.0, 9.0, 50.0, 5.0, 0.9), dark)
    c.paint(circle(50.0, 4.0, 2.1), mid)
    c.paint(rounded_box(50.0, 18.0, 13.0, 9.0, 4.0), mid)
    c.paint(circle(45.0, 16.5, 2.6), (0xEE, 0xEE, 0xEE))
    c.paint(circle(55.0, 16.5, 2.6), (0xEE, 0xEE, 0xEE))
    c.paint(circle(45.0, 17.0, 1.1), darker)
    c.paint(circle(55.0, 17.0, 1.1), darker)
    c.paint(capsule(46.5, 23.0, 53.5, 23.0, 0.9), darker)
    return c


def draw_icon(size):
    """A blue rounded square with a white arrow into a tray: 'install'.
    Drawn on a 64-unit grid and scaled, so every size is drawn, not resized."""
    k = size / 64.0
    c = Canvas(size, size)
    c.paint(scaled(rounded_box(32.0, 32.0, 29.0, 29.0, 9.0), k), (0x45, 0x92, 0xFD))
    arrow = union(capsule(32.0, 14.0, 32.0, 36.0, 3.2), capsule(32.0, 38.0, 22.5, 28.5, 3.2),
                  capsule(32.0, 38.0, 41.5, 28.5, 3.2))
    tray = union(capsule(17.0, 40.0, 17.0, 48.0, 3.0), capsule(17.0, 48.0, 47.0, 48.0, 3.0),
                 capsule(47.0, 48.0, 47.0, 40.0, 3.0))
    c.paint(scaled(union(arrow, tray), k), (0xFF, 0xFF, 0xFF))
    return c


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    files = {
        "close.png": png_bytes(draw_close()),
        "minimize.png": png_bytes(draw_minimize()),
        "error_robot.png": png_bytes(draw_robot()),
        "app_icon.png": png_bytes(draw_icon(256)),
        "TavoInstaller.ico": ico_bytes([draw_icon(s) for s in (16, 32, 48, 256)]),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
