#!/usr/bin/env python3
"""Draws Setup.exe's icon: a bold "Z" on a dark rounded square.

    scripts/draw-setup-icon.py src/app/res/setup.ico

The .ico is committed, so the build needs no Python; run this again only to
change the drawing. Every size is drawn on its own (four times larger, then
reduced) rather than shrunk from the 256 px picture, so that the 16 px icon keeps
a readable stroke. 16, 32 and 48 px are stored as 32-bit DIBs (every Windows
reads them), 256 px as PNG (what Explorer expects for the large size).
"""
import io
import struct
import sys

from PIL import Image, ImageDraw

SIZES = (16, 32, 48, 256)
BACKGROUND = (30, 34, 42, 255)   # near-black slate
RIM = (70, 78, 92, 255)          # a lighter edge so it reads on dark desktops
MARK = (0, 200, 170, 255)        # the product's teal
SUPERSAMPLE = 4


def draw(size):
    big = size * SUPERSAMPLE
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    # Small icons get a smaller margin and a relatively heavier stroke.
    margin = big * (0.03 if size <= 16 else 0.06)
    radius = big * 0.2
    rim = max(SUPERSAMPLE, big * 0.03)
    d.rounded_rectangle((margin, margin, big - margin, big - margin),
                        radius=radius, fill=RIM)
    d.rounded_rectangle((margin + rim, margin + rim, big - margin - rim, big - margin - rim),
                        radius=radius - rim, fill=BACKGROUND)
    # The Z: top bar, diagonal, bottom bar, as one polygon.
    left, right = big * 0.25, big * 0.75
    top, bottom = big * 0.24, big * 0.76
    bar = big * (0.15 if size <= 16 else 0.12)
    d.polygon([
        (left, top), (right, top), (right, top + bar),
        (left + bar * 1.25, bottom - bar), (right, bottom - bar), (right, bottom),
        (left, bottom), (left, bottom - bar),
        (right - bar * 1.25, top + bar), (left, top + bar),
    ], fill=MARK)
    return img.resize((size, size), Image.LANCZOS)


def dib(img):
    """The icon-resource form of a picture: BITMAPINFOHEADER (twice the height,
    for the colour and the mask), bottom-up BGRA rows, then the 1-bit AND mask."""
    w, h = img.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, a = img.getpixel((x, y))
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray(mask_stride)
        for x in range(w):
            if img.getpixel((x, y))[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + b"".join(rows) + bytes(mask)


def png(img):
    out = io.BytesIO()
    img.save(out, format="PNG", optimize=True)
    return out.getvalue()


def ico(images):
    blobs = [png(img) if img.size[0] >= 256 else dib(img) for img in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for img, blob in zip(images, blobs):
        w = img.size[0]
        out += struct.pack("<BBBBHHII", w % 256, w % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw-setup-icon.py OUT.ico")
    with open(sys.argv[1], "wb") as f:
        f.write(ico([draw(s) for s in SIZES]))


if __name__ == "__main__":
    main()
