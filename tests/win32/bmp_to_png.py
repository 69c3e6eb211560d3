#!/usr/bin/env python3
"""Usage: bmp_to_png.py PICTURE.bmp PICTURE.png

Writes a 24-bit bottom-up BMP, as the Windows tests take pictures of windows, as a PNG file."""
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
offset, = struct.unpack_from("<I", data, 10)
width, height = struct.unpack_from("<ii", data, 18)
row = (width * 3 + 3) // 4 * 4
lines = []
for y in range(height - 1, -1, -1):
    bgr = data[offset + y * row: offset + y * row + width * 3]
    rgb = bytearray(len(bgr))
    rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
    lines.append(b"\0" + bytes(rgb))
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(b"".join(lines), 9)) + chunk(b"IEND", b"")
open(sys.argv[2], "wb").write(png)
