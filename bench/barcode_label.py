#!/usr/bin/env python3
"""Bar code labels for bench/quality.sh, drawn from zint's module matrix.

  barcode_label.py MATRIX KIND MODULE_MM DPI OUT [ROW_MODULES]
MATRIX is the output of `zint --dump` (one line of hex per row of modules).
KIND: pdf   vector PDF, one rectangle per run of black modules;
      aa    8-bit gray PNG at DPI, anti-aliased: each pixel as dark as the
            share of it the modules cover, the symbol starting a third of a
            pixel off the grid (as browsers and phones scale bar codes);
      bw    1-bit-looking PNG at DPI, each module a whole number of pixels.
Linear codes (one row) are 12 mm tall; the rows of a 2D code are
ROW_MODULES tall (default 1; PDF417 takes 3); a quiet zone of 10 modules surrounds
the symbol, which sits in the middle of a 4 x 6 in label (as label websites
send whole labels).
"""
import struct
import sys
import zlib

QUIET = 10
LABEL_IN = (4, 6)


def read_matrix(path):
    rows = []
    for line in open(path):
        bits = "".join(f"{int(h, 16):04b}" for h in "".join(line.split()))
        if bits:
            rows.append([c == "1" for c in bits])
    width = max(max((i + 1 for i, b in enumerate(r) if b), default=0) for r in rows)
    return [r[:width] for r in rows], width


def module_rects(rows, width, height_modules, row_modules):
    """Black rectangles in module units: (x, y, w, h), runs merged per row."""
    rects = []
    row_h = height_modules if len(rows) == 1 else row_modules
    for j, row in enumerate(rows):
        x = 0
        while x < width:
            if not row[x]:
                x += 1
                continue
            end = x
            while end < width and row[end]:
                end += 1
            rects.append((x + QUIET, j * row_h + QUIET, end - x, row_h))
            x = end
    return rects


def write_pdf(path, rects, w_mod, h_mod, module_mm):
    pt = module_mm * 72 / 25.4
    page_w, page_h = LABEL_IN[0] * 72, LABEL_IN[1] * 72
    left, top = (page_w - w_mod * pt) / 2, (page_h - h_mod * pt) / 2
    ops = ["0 g"]
    for x, y, w, h in rects:
        ops.append(f"{left + x * pt:.4f} {page_h - top - (y + h) * pt:.4f} {w * pt:.4f} {h * pt:.4f} re f")
    content = "\n".join(ops).encode()
    objects = [
        b"<< /Type /Catalog /Pages 2 0 R >>",
        b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        f"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 {page_w:.4f} {page_h:.4f}] "
        f"/Contents 4 0 R /Resources << >> >>".encode(),
        b"<< /Length %d >>\nstream\n" % len(content) + content + b"\nendstream",
    ]
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for i, body in enumerate(objects, 1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % i + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for o in offsets:
        out += b"%010d 00000 n \n" % o
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objects) + 1, xref)
    open(path, "wb").write(out)


def write_png(path, w, h, pixels, dpi):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + bytes(pixels[y * w:(y + 1) * w]) for y in range(h))
    ppm = round(dpi / 0.0254)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 0, 0, 0, 0))
    png += chunk(b"pHYs", struct.pack(">IIB", ppm, ppm, 1))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    open(path, "wb").write(png)


def overlap(a0, a1, b0, b1):
    return max(0.0, min(a1, b1) - max(a0, b0))


def raster(rects, w_mod, h_mod, scale, offset, dpi):
    """Coverage of each pixel of the label by the rectangles; scale pixels per module."""
    w, h = round(LABEL_IN[0] * dpi), round(LABEL_IN[1] * dpi)
    left = int((w - w_mod * scale) / 2) + offset
    top = int((h - h_mod * scale) / 2) + offset
    ink = [0.0] * (w * h)
    for x, y, rw, rh in rects:
        x0, x1 = x * scale + left, (x + rw) * scale + left
        y0, y1 = y * scale + top, (y + rh) * scale + top
        cols = [(px, overlap(px, px + 1, x0, x1)) for px in range(int(x0), min(w, int(x1) + 1))]
        for py in range(int(y0), min(h, int(y1) + 1)):
            cy = overlap(py, py + 1, y0, y1)
            if cy <= 0:
                continue
            for px, cx in cols:
                ink[py * w + px] += cx * cy
    return w, h, [255 - round(255 * min(1.0, c)) for c in ink]


def main():
    matrix, kind, module_mm, dpi, out = sys.argv[1:6]
    row_modules = int(sys.argv[6]) if len(sys.argv) > 6 else 1
    module_mm, dpi = float(module_mm), float(dpi)
    rows, width = read_matrix(matrix)
    height = round(12 / module_mm) if len(rows) == 1 else len(rows) * row_modules
    w_mod, h_mod = width + 2 * QUIET, height + 2 * QUIET
    rects = module_rects(rows, width, height, row_modules)
    if kind == "pdf":
        write_pdf(out, rects, w_mod, h_mod, module_mm)
        return
    scale = module_mm * dpi / 25.4
    if kind == "bw":
        scale = max(1, round(scale))
    w, h, pixels = raster(rects, w_mod, h_mod, scale, 1 / 3 if kind == "aa" else 0, dpi)
    write_png(out, w, h, pixels, dpi)


main()
