#!/usr/bin/env python3
"""Counts the dots two sets of decoded label pictures (thermal-preview's
1-bit PNGs) differ in, page by page: compare_dots.py PREFIX_A PREFIX_B PAGES.
Prints the pages alike, the dots that differ in all and the black dots of A."""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    pos, idat, width, height, depth, kind = 8, b"", 0, 0, 0, 0
    while pos < len(data):
        size, = struct.unpack(">I", data[pos:pos + 4])
        tag, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + size]
        pos += 12 + size
        if tag == b"IHDR":
            width, height, depth, kind = struct.unpack(">IIBB", body[:10])
        elif tag == b"IDAT":
            idat += body
    if depth != 1 or kind != 0:
        raise SystemExit(f"{path}: not a 1-bit gray PNG")
    raw, stride, rows, prev = zlib.decompress(idat), (width + 7) // 8, [], bytearray((width + 7) // 8)
    for y in range(height):
        kind_of_filter = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - 1] if x else 0
            up, corner = prev[x], prev[x - 1] if x else 0
            if kind_of_filter == 1:
                line[x] = (line[x] + left) & 255
            elif kind_of_filter == 2:
                line[x] = (line[x] + up) & 255
            elif kind_of_filter == 3:
                line[x] = (line[x] + (left + up) // 2) & 255
            elif kind_of_filter == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[x] = (line[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(bytes(line))
        prev = line
    return width, height, rows


def black(rows):  # 1-bit gray PNG: 0 bits are black
    return sum(bin(b ^ 0xFF).count("1") for row in rows for b in row)


def main():
    a, b, pages = sys.argv[1], sys.argv[2], int(sys.argv[3])
    alike = differ = ink = 0
    for n in range(1, pages + 1):
        wa, ha, ra = read_png(f"{a}-{n}.png")
        wb, hb, rb = read_png(f"{b}-{n}.png")
        ink += black(ra)
        if (wa, ha) != (wb, hb):
            differ += max(black(ra), black(rb))
            continue
        d = sum(bin(x ^ y).count("1") for la, lb in zip(ra, rb) for x, y in zip(la, lb))
        alike += d == 0
        differ += d
    print(f"{alike} {differ} {ink}")


main()
