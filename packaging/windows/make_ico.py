#!/usr/bin/python3
"""Packs square PNG pictures, one per size, into a Windows icon file.

  make_ico.py OUT.ico IN.png...

Each picture is stored as it is, as PNG, which Windows reads in icons of every size since
Vista. Sizes run from 1 to 256 pixels; the icon's directory lists them in the order given.
"""
import struct
import sys

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_size(data, name):
    if data[:8] != PNG_SIGNATURE or data[12:16] != b"IHDR":
        sys.exit("make_ico: %s is not a PNG picture" % name)
    width, height = struct.unpack(">II", data[16:24])
    if width != height or not 1 <= width <= 256:
        sys.exit("make_ico: %s is %dx%d, not square between 1 and 256" % (name, width, height))
    return width


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: make_ico.py OUT.ico IN.png...")
    pictures = []
    for name in sys.argv[2:]:
        with open(name, "rb") as f:
            data = f.read()
        pictures.append((png_size(data, name), data))
    header = struct.pack("<HHH", 0, 1, len(pictures))  # reserved, type 1 = icon, count
    offset = len(header) + 16 * len(pictures)
    directory = b""
    for size, data in pictures:
        side = size % 256  # 0 stands for 256
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(header + directory + b"".join(data for _, data in pictures))


if __name__ == "__main__":
    main()
