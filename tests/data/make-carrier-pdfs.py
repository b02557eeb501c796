#!/usr/bin/env python3
"""Writes the carrier pages the label-finding tests print: a 4 x 6 in label
with a Code 128 and a QR code on a Letter or A4 page beside instructions, a
receipt or a fold line, upright or turned; the same without a frame; a small
QR label on a 4 x 6 in page; a job of three pages, the middle one too large
to draw.

The PDFs are committed; run this only to change them. The codes' modules
come from zint (Debian package zint, `--dump`), drawn as rectangles on the
203 dpi grid, so that a label printed dot for dot has modules of whole dots.
"""
import importlib.util
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(sys.argv[0]))
sibling = importlib.util.spec_from_file_location(
    "make_pdfs", os.path.join(HERE, "make-pdfs.py"))
make_pdfs = importlib.util.module_from_spec(sibling)
sibling.loader.exec_module(make_pdfs)

DPI = 203
LABEL_W, LABEL_H = 812, 1218          # 4 x 6 in in dots
TRACKING = "1Z999AA10123456784"
QR_TEXT = "https://track.example/" + TRACKING
LETTER = (612, 792)
A4 = (595.28, 841.89)


def pt(dots):
    return dots * 72.0 / DPI


def modules(symbology, data):
    """The code's modules, rows of 0/1, from zint's dump."""
    out = subprocess.run(["zint", "-b", symbology, "--dump", "-d", data],
                         check=True, capture_output=True, text=True).stdout
    rows = []
    for line in out.splitlines():
        bits = "".join("{:08b}".format(int(b, 16)) for b in line.split())
        rows.append([int(c) for c in bits])
    return rows


class Label:
    """Content in the label's own dots (origin top-left, y down), written as
    PDF operators in points with the origin at the label's bottom-left."""

    def __init__(self, width, height):
        self.w, self.h = width, height
        self.ops = ["0 g 0 G"]

    def rect(self, x, y, w, h):
        self.ops.append("%.4f %.4f %.4f %.4f re f" % (
            pt(x), pt(self.h - y - h), pt(w), pt(h)))

    def frame(self, inset, thickness):
        w, h = self.w - 2 * inset, self.h - 2 * inset
        self.rect(inset, inset, w, thickness)
        self.rect(inset, inset + h - thickness, w, thickness)
        self.rect(inset, inset, thickness, h)
        self.rect(inset + w - thickness, inset, thickness, h)

    def text(self, x, y, size, line, bold=False):
        """`y` is the baseline, in dots from the top."""
        self.ops.append(make_pdfs.text("F2" if bold else "F1", size, pt(x),
                                       pt(self.h - y), line).strip())

    def code(self, rows, x, y, module, height=None):
        """Dark modules as rectangles; a linear code's one row `height` high."""
        for r, row in enumerate(rows):
            row_h = height if height else module
            c = 0
            while c < len(row):
                if row[c]:
                    start = c
                    while c < len(row) and row[c]:
                        c += 1
                    self.rect(x + start * module, y + r * row_h,
                              (c - start) * module, row_h)
                else:
                    c += 1

    def content(self):
        return "\n".join(self.ops) + "\n"


def shipping_label(framed=True):
    """A 4 x 6 in carrier label: addresses, a Code 128 of 3-dot modules, a
    QR code of 6-dot modules."""
    label = Label(LABEL_W, LABEL_H)
    if framed:
        label.frame(12, 4)
        label.rect(12, 330, LABEL_W - 24, 4)
    label.text(40, 80, 12, "FROM: Corner Shop, 5 Market Street, Springfield")
    label.text(40, 170, 22, "SHIP TO:", bold=True)
    label.text(40, 230, 14, "ACME Thermal Supplies")
    label.text(40, 280, 14, "1200 Example Road, Springfield 12345")
    label.code(modules("20", TRACKING), 80, 420, 3, height=220)
    label.text(120, 700, 12, "TRACKING # " + TRACKING, bold=True)
    label.code(modules("58", QR_TEXT), 80, 780, 6)
    label.text(400, 860, 28, "ZONE 4", bold=True)
    label.text(400, 920, 12, "GROUND  1 of 1  2.5 LBS")
    return label.content()


def on_page(page_h, content, x, y, turned=False):
    """Places the label, measured from the page's top-left."""
    x, y = pt(round(x * DPI / 72.0)), pt(round(y * DPI / 72.0))
    if turned:
        # Label point (u, v) goes to (x + v, page_h - y - u): its top edge
        # (v = 432) on the right.
        return "q 0 -1 1 0 %.4f %.4f cm\n%sQ\n" % (x, page_h - y, content)
    return "q 1 0 0 1 %.4f %.4f cm\n%sQ\n" % (x, page_h - y - 432, content)


def paragraph(x, y, lines, size=10, leading=14):
    """Lines of text from (x, y) points from the page's top; PDF y given
    through the caller's page height."""
    return [(x, y + i * leading, size, line) for i, line in enumerate(lines)]


def text_block(page_h, items, bold_first=True):
    ops = ""
    for i, (x, y, size, line) in enumerate(items):
        font = "F2" if bold_first and i == 0 else "F1"
        ops += make_pdfs.text(font, size, x, page_h - y, line)
    return ops


INSTRUCTIONS = [
    "How to send your parcel",
    "1. Print this page. Cut or fold along the line.",
    "2. Attach the label to the largest side of the parcel.",
    "3. Make sure the whole bar code can be seen and is flat.",
    "4. Cover the label with clear tape, not over the codes.",
    "5. Hand the parcel in at any drop-off point near you.",
    "Keep the receipt until the parcel has been delivered.",
]


def dashed_line(page_w, page_h, y):
    return ("0 G 1 w [6 4] 0 d 18 %.2f m %.2f %.2f l S [] 0 d\n"
            % (page_h - y, page_w - 18, page_h - y))


def letter_upright():
    """The label at the top-left, instructions beside it and below."""
    w, h = LETTER
    c = on_page(h, shipping_label(), 18, 18)
    beside = [(330, 40 + i * 16, 10, line)
              for i, line in enumerate(["Your shipping label",
                                        "Order 58-2231 from Corner Shop",
                                        "Shipped with Ground, 2.5 lbs",
                                        "Printed on a label printer? Print",
                                        "the label part only."])]
    c += text_block(h, beside)
    c += text_block(h, paragraph(18, 500, INSTRUCTIONS))
    return c


def letter_turned():
    """The label turned in the top half, a dashed fold line, instructions
    in the bottom half."""
    w, h = LETTER
    c = on_page(h, shipping_label(), 90, 360 - 288 - 40, turned=True)
    c += dashed_line(w, h, 396)
    c += text_block(h, paragraph(60, 440, INSTRUCTIONS))
    return c


def a4_receipt():
    """The label at the left, a receipt column at the right with its own
    small bar code."""
    w, h = A4
    c = on_page(h, shipping_label(), 24, 40)
    items = [("RECEIPT", ""), ("Corner Shop", ""), ("Order 58-2231", ""),
             ("Coffee beans 1 kg", "14.90"), ("Paper filters", "3.20"),
             ("Shipping", "5.50"), ("TOTAL", "23.60")]
    lines = [(350, 60 + i * 18, 10, name) for i, (name, _) in enumerate(items)]
    prices = [(520, 60 + i * 18, 10, price)
              for i, (_, price) in enumerate(items) if price]
    c += text_block(h, lines) + text_block(h, prices, bold_first=False)
    receipt_code = Label(220, 60)
    receipt_code.code(modules("20", "58-2231"), 0, 0, 1, height=60)
    c += "q 1 0 0 1 %.4f %.4f cm\n%sQ\n" % (
        pt(round(350 * DPI / 72.0)), h - 230 - pt(60), receipt_code.content())
    c += text_block(h, paragraph(350, 260, ["Returns within 30 days.",
                                            "Thank you for your order!"]),
                    bold_first=False)
    return c


def letter_unframed():
    """The label without a frame, instructions below a dashed cut line."""
    w, h = LETTER
    c = on_page(h, shipping_label(framed=False), 18, 18)
    c += dashed_line(w, h, 470)
    c += text_block(h, paragraph(18, 500, INSTRUCTIONS))
    return c


def small_qr():
    """A 1 x 1 in return label (a QR code of 3-dot modules and a line of
    text) in the middle of a 4 x 6 in page."""
    label = Label(203, 203)
    label.code(modules("58", "RETURN 58-2231"), 40, 20, 3)
    label.text(30, 190, 8, "RETURN 58-2231", bold=True)
    return "q 1 0 0 1 %.4f %.4f cm\n%sQ\n" % (pt(300), pt(500), label.content())


def main():
    pages = {
        "carrier-letter-upright.pdf": [(LETTER, letter_upright())],
        "carrier-letter-turned.pdf": [(LETTER, letter_turned())],
        "carrier-a4-receipt.pdf": [(A4, a4_receipt())],
        "carrier-letter-unframed.pdf": [(LETTER, letter_unframed())],
        "small-qr-4x6.pdf": [((288, 432), small_qr())],
    }
    # A page too large to draw between two labels.
    pages["carrier-job-3p.pdf"] = [
        (LETTER, letter_upright()), ((14400, 14400), "0 g 10 10 200 200 re f\n"),
        ((288, 432), small_qr())]
    for name, page in pages.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(make_pdfs.pdf([(c, "%g" % w, "%g" % h) for (w, h), c in page],
                                  "0", "0"))


if __name__ == "__main__":
    main()
