"""Converts a 24-bit uncompressed BMP file (as palisade_driver's screenshot
writes it) into a PNG file.

  bmp_to_png.py IN.bmp OUT.png"""

import struct
import sys
import zlib


def main(source, target):
    data = open(source, "rb").read()
    if data[:2] != b"BM":
        sys.exit("bmp_to_png: %s is no BMP file" % source)
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits != 24 or compression != 0:
        sys.exit("bmp_to_png: %s is not 24-bit uncompressed" % source)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        # Bottom row first unless the height is negative; pixels as B, G, R.
        at = offset + stride * (abs(height) - 1 - y if height > 0 else y)
        bgr = data[at:at + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))
    open(target, "wb").write(png)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
