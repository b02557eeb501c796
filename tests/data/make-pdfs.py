#!/usr/bin/env python3
"""Writes the small PDF files the printing tests and the demo use.

The PDFs are committed; run this only to change them. Fonts are the standard
Helvetica faces (not embedded), so the rasteriser substitutes a system font.
"""
import os
import sys


def pdf(pages, width, height):
    """Builds a PDF of the given pages (content streams) at one page size; a
    page given as (content, width, height) has its own."""
    objects = []  # object bodies, numbered from 1

    def add(body):
        objects.append(body)
        return len(objects)

    catalog = add(None)
    pages_obj = add(None)
    font = add(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica "
               b"/Encoding /WinAnsiEncoding >>")
    bold = add(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold "
               b"/Encoding /WinAnsiEncoding >>")
    kids = []
    for content in pages:
        page_w, page_h = width, height
        if isinstance(content, tuple):
            content, page_w, page_h = content
        data = content.encode("latin-1")
        stream = add(b"<< /Length %d >>\nstream\n" % len(data) + data +
                     b"\nendstream")
        kids.append(add(
            b"<< /Type /Page /Parent %d 0 R /MediaBox [0 0 %s %s] "
            b"/Resources << /Font << /F1 %d 0 R /F2 %d 0 R >> >> "
            b"/Contents %d 0 R >>" % (pages_obj, page_w.encode(),
                                        page_h.encode(), font, bold, stream)))
    objects[catalog - 1] = b"<< /Type /Catalog /Pages %d 0 R >>" % pages_obj
    objects[pages_obj - 1] = (b"<< /Type /Pages /Kids [%s] /Count %d >>" % (
        b" ".join(b"%d 0 R" % k for k in kids), len(kids)))

    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += (b"trailer\n<< /Size %d /Root %d 0 R >>\nstartxref\n%d\n%%%%EOF\n"
            % (len(objects) + 1, catalog, xref))
    return bytes(out)


def text(font, size, x, y, line):
    return "BT /%s %d Tf %g %g Td (%s) Tj ET\n" % (font, size, x, y, line)


def shipping_label():
    """A 4 x 6 in shipping label: frame, address text, thin bars, gray box."""
    c = "0 g 0 G 3 w 6 6 276 420 re S\n"
    c += "1 w 6 330 m 282 330 l S\n"
    c += text("F2", 22, 18, 396, "SHIP TO:")
    c += text("F1", 14, 18, 372, "ACME Thermal Supplies")
    c += text("F1", 14, 18, 354, "1200 Example Road")
    c += text("F1", 14, 18, 336, "Springfield 12345")
    # Bars from 0.5 to 3 points wide, like a barcode.
    x = 24.0
    for i, w in enumerate([1, 0.5, 2, 1, 3, 0.5, 1, 2, 0.5, 1, 3, 1, 0.5, 2,
                           1, 1, 3, 0.5, 2, 1, 0.5, 1, 2, 3, 1, 0.5, 1, 2]):
        if i % 2 == 0:
            c += "%g 170 %g 130 re f\n" % (x, w)
        x += w + 3
    c += text("F1", 12, 24, 152, "1Z 999 AA1 01 2345 6784")
    # A 50 % gray box with a black heading over it.
    c += "0.5 g 160 30 110 100 re f 0 g\n"
    c += text("F2", 28, 24, 70, "ZONE 4")
    return c


def small_label():
    """A 2 x 1 in address label: a short address and a barcode, large enough
    to read on a 2-inch head."""
    c = "0 g 0 G 1.5 w 3 3 138 66 re S\n"
    c += text("F2", 10, 9, 54, "ACME Thermal Supplies")
    c += text("F1", 8, 9, 44, "1200 Example Road, Springfield")
    # Bars from 1 to 3 points wide, like a barcode.
    x = 10.0
    for i, w in enumerate([2, 1, 3, 1, 1, 2, 1, 3, 2, 1, 1, 2, 3, 1, 2, 1,
                           1, 3, 2, 1, 2, 1, 3, 1]):
        if i % 2 == 0:
            c += "%g 16 %g 22 re f\n" % (x, w)
        x += w + 2
    c += text("F1", 7, 10, 7, "1Z 999 AA1 01")
    return c


def receipt_page(number, items):
    """One page of a receipt 58 mm wide (164.4 pt), 100 mm long, its content
    within the 48 mm that a 58 mm printer prints."""
    c = "0 g 0 G\n"
    c += text("F2", 13, 30, 260, "CORNER SHOP")
    c += text("F1", 8, 30, 248, "Receipt page %d of 2" % number)
    c += "0.75 w [2 2] 0 d 16 240 m 148 240 l S [] 0 d\n"
    y = 226
    for name, price in items:
        c += text("F1", 9, 18, y, name) + text("F1", 9, 122, y, price)
        y -= 14
    c += "1.5 w 16 %g m 148 %g l S\n" % (y + 6, y + 6)
    c += text("F2", 10, 18, y - 8, "TOTAL" if number == 2 else "SUBTOTAL")
    # The thanks in a frame, on white, where thermal print stays readable.
    c += "0.75 w 16 10 132 30 re S\n"
    c += text("F2", 10, 52, 21, "Thank you!")
    return c


def long_receipt():
    """A receipt 58 x 200 mm whose content is 90 mm of it, 25 mm from the
    top: rules and bars only, on whole dots at 203 dpi (rows 200 to 918), so
    that its printed length is exact."""
    dot = 72.0 / 203
    height = 566.93

    def rows(x, width, top, count):
        return "%.4f %.4f %.4f %.4f re f\n" % (
            x, height - (top + count) * dot, width, count * dot)

    c = "0 g\n" + rows(20, 124, 200, 4)
    for i in range(16):
        c += rows(24, 30 + 5 * i, 240 + 40 * i, 16)
    return c + rows(20, 124, 915, 4)


def main():
    folder = os.path.dirname(os.path.abspath(sys.argv[0]))
    with open(os.path.join(folder, "label-4x6.pdf"), "wb") as f:
        f.write(pdf([shipping_label()], "288", "432"))
    with open(os.path.join(folder, "label-2x1.pdf"), "wb") as f:
        f.write(pdf([small_label()], "144", "72"))
    first = [("Coffee", "2.50"), ("Bagel", "1.90"), ("Orange juice", "3.10")]
    second = [("Newspaper", "1.20"), ("Apples 1 kg", "2.40")]
    with open(os.path.join(folder, "receipt-2p.pdf"), "wb") as f:
        f.write(pdf([receipt_page(1, first), receipt_page(2, second)],
                    "164.4", "283.5"))
    with open(os.path.join(folder, "receipt-long.pdf"), "wb") as f:
        f.write(pdf([long_receipt()], "164.41", "566.93"))


if __name__ == "__main__":
    main()
