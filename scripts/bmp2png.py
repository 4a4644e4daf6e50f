#!/usr/bin/env python3
"""bmp2png.py BMP... : writes FILE.png beside each 24-bit BMP the Win32 tests
take of the applet's windows (standard library only)."""
import struct
import sys
import zlib


def convert(path):
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        raise SystemExit(f"{path}: not a BMP")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise SystemExit(f"{path}: {bits} bits per pixel, expected 24")
    row = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y
        line = data[offset + source * row: offset + source * row + width * 3]
        rgb = bytearray(len(line))
        rgb[0::3], rgb[1::3], rgb[2::3] = line[2::3], line[1::3], line[0::3]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    out = path[:-4] + ".png" if path.lower().endswith(".bmp") else path + ".png"
    open(out, "wb").write(png)
    return out


if __name__ == "__main__":
    for p in sys.argv[1:]:
        print(convert(p))
