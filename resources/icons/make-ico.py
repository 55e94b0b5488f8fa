#!/usr/bin/env python3
"""Writes a Windows icon file from PNG images: palette PNGs become 8-bit entries, the others 32-bit.

Usage: make-ico.py OUT.ico IMAGE.png...   (ImageMagick's convert decodes the PNGs)
Each entry is a DIB: BITMAPINFOHEADER with twice the height, colour table (8-bit only), the colour rows
bottom-up padded to 4 bytes, then the 1-bit transparency mask rows, also bottom-up and padded.
"""
import struct
import subprocess
import sys


def png_info(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit(f"{path}: not a PNG")
    width, height, _depth, colour_type = struct.unpack(">IIBB", data[16:26])
    return width, height, colour_type == 3


def rgba(path, width, height):
    raw = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], check=True, capture_output=True).stdout
    if len(raw) != width * height * 4:
        raise SystemExit(f"{path}: unexpected pixel data")
    return [raw[i:i + 4] for i in range(0, len(raw), 4)]


def mask_rows(pixels, width, height):
    stride = ((width + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            if pixels[y * width + x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def entry(path):
    width, height, paletted = png_info(path)
    pixels = rgba(path, width, height)
    if paletted:
        colours = sorted({p[:3] for p in pixels if p[3] >= 128})
        if len(colours) > 255:
            raise SystemExit(f"{path}: {len(colours)} colours do not fit a palette")
        # Index 0 is kept for transparent pixels (black, hidden by the mask).
        palette = [b"\0\0\0"] + colours
        index = {c: i for i, c in enumerate(palette)}
        table = b"".join(bytes((c[2], c[1], c[0], 0)) for c in palette) + b"\0" * 4 * (256 - len(palette))
        stride = (width + 3) // 4 * 4
        body = bytearray()
        for y in reversed(range(height)):
            row = bytes(index[p[:3]] if p[3] >= 128 else 0 for p in pixels[y * width:(y + 1) * width])
            body += row + b"\0" * (stride - width)
        bits, colour_count = 8, 0  # 0 in the directory means 256 colours
    else:
        table = b""
        body = bytearray()
        for y in reversed(range(height)):
            for p in pixels[y * width:(y + 1) * width]:
                body += bytes((p[2], p[1], p[0], p[3]))
        bits, colour_count = 32, 0
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0,
                         len(body) + len(mask_rows(pixels, width, height)), 0, 0,
                         256 if bits == 8 else 0, 0)
    dib = header + table + bytes(body) + mask_rows(pixels, width, height)
    return width, height, colour_count, bits, dib


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    entries = [entry(p) for p in sys.argv[2:]]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for width, height, colours, bits, dib in entries:
        out += struct.pack("<BBBBHHII", width % 256, height % 256, colours, 0, 1, bits, len(dib), offset)
        offset += len(dib)
    for *_, dib in entries:
        out += dib
    open(sys.argv[1], "wb").write(out)


main()
