#!/usr/bin/env python3
"""Lays out the user guide (a small plain-text file) as a PDF: A4 pages,
Helvetica, headings for lines that start with "# ". Usage: SOURCE OUTPUT."""
import sys

PAGE_W, PAGE_H, MARGIN = 595, 842, 56
BODY, HEAD, LEADING = 11, 16, 15


def escape(text):
    return text.replace("\\", "\\\\").replace("(", "\\(").replace(")", "\\)")


def pages_of(lines):
    pages, ops, y = [], [], PAGE_H - MARGIN
    for raw in lines:
        line = raw.rstrip("\n")
        heading = line.startswith("# ")
        size = HEAD if heading else BODY
        step = LEADING + (10 if heading else 0)
        if y - step < MARGIN:
            pages.append(ops)
            ops, y = [], PAGE_H - MARGIN
        y -= step
        if line:
            font = "/F2" if heading else "/F1"
            text = line[2:] if heading else line
            ops.append("BT %s %d Tf %d %d Td (%s) Tj ET" % (font, size, MARGIN, y, escape(text)))
    pages.append(ops)
    return pages


def build(lines):
    pages = pages_of(lines)
    objects = []  # bodies, object number = index + 1
    objects.append(None)  # 1: catalog
    objects.append(None)  # 2: pages
    objects.append("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")
    objects.append("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>")
    kids = []
    for ops in pages:
        stream = "\n".join(ops).encode("latin-1")
        objects.append(b"<< /Length %d >>\nstream\n" % len(stream) + stream + b"\nendstream")
        content = len(objects)
        objects.append("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 %d %d] /Resources << /Font << /F1 3 0 R"
                       " /F2 4 0 R >> >> /Contents %d 0 R >>" % (PAGE_W, PAGE_H, content))
        kids.append(len(objects))
    objects[0] = "<< /Type /Catalog /Pages 2 0 R >>"
    objects[1] = "<< /Type /Pages /Kids [%s] /Count %d >>" % (" ".join("%d 0 R" % k for k in kids), len(kids))
    out = bytearray(b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n")
    offsets = []
    for number, body in enumerate(objects, start=1):
        offsets.append(len(out))
        if isinstance(body, str):
            body = body.encode("latin-1")
        out += b"%d 0 obj\n" % number + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objects) + 1)
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size %d /Root 1 0 R /Info << /Title (Velkorant User Guide) >> >>\n" % (len(objects) + 1)
    out += b"startxref\n%d\n%%%%EOF\n" % xref
    return bytes(out)


def main():
    source, output = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        data = build(f.readlines())
    with open(output, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
