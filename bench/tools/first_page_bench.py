#!/usr/bin/env python3
"""First page on screen: times opening a PDF and rendering its first page at
96 DPI into the RGBA buffer the page view's texture is made from
(bench_first_page), beside `mutool draw -r 96 -o /dev/null FILE 1`, in one
run, on three files made here: a page of text, a page holding a
20-megapixel image, and a 300-page document. Each is run five times; the
table gives the medians of our in-process time (open to RGBA buffer), of
our whole process and of mutool's whole process, and the ratios.
The files are removed at the end.

usage: first_page_bench.py BUILD_DIR
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import zlib


def write_pdf(path, pages, extra_objects=()):
    """pages: list of (content bytes, resources text). extra_objects: list of
    (number, bytes) placed after the page objects (images)."""
    objects = {}
    n_pages = len(pages)
    kids = " ".join("%d 0 R" % (4 + 2 * i) for i in range(n_pages))
    objects[1] = b"<< /Type /Catalog /Pages 2 0 R >>"
    objects[2] = ("<< /Type /Pages /Kids [ %s ] /Count %d >>" % (kids, n_pages)).encode()
    objects[3] = b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"
    for i, (content, resources) in enumerate(pages):
        page_num, content_num = 4 + 2 * i, 5 + 2 * i
        objects[page_num] = ("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources %s "
                             "/Contents %d 0 R >>" % (resources, content_num)).encode()
        data = zlib.compress(content)
        objects[content_num] = b"<< /Length %d /Filter /FlateDecode >>\nstream\n" % len(data) + data + \
            b"\nendstream"
    for num, body in extra_objects:
        objects[num] = body
    out = bytearray(b"%PDF-1.7\n%\xe2\xe3\xcf\xd3\n")
    offsets = {}
    for num in sorted(objects):
        offsets[num] = len(out)
        out += b"%d 0 obj\n" % num + objects[num] + b"\nendobj\n"
    xref = len(out)
    count = max(objects) + 1
    out += b"xref\n0 %d\n0000000000 65535 f \n" % count
    for num in range(1, count):
        out += b"%010d 00000 n \n" % offsets.get(num, 0)
    out += b"trailer\n<< /Size %d /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (count, xref)
    with open(path, "wb") as f:
        f.write(out)


def text_content(seed):
    lines = [b"BT /F1 10 Tf 12 TL 50 750 Td"]
    words = b"the quick brown fox jumps over the lazy dog signed document verification page view".split()
    for i in range(60):
        line = b" ".join(words[(seed + i + k) % len(words)] for k in range(14))
        lines.append(b"(" + line + b") '")
    lines.append(b"ET")
    return b"\n".join(lines)


TEXT_RESOURCES = "<< /Font << /F1 3 0 R >> >>"


def make_text(path):
    write_pdf(path, [(text_content(0), TEXT_RESOURCES)])


def make_image(path, width=5000, height=4000):
    # A smooth picture with fine detail: it compresses as a scan would, not as noise.
    base = [bytes(((x * 255 // width) ^ k) & 0xff for x in range(width)) for k in range(32)]
    rows = bytearray(3 * width * height)
    row = bytearray(3 * width)
    for y in range(height):
        g = (y * 255 // height) & 0xff
        r = base[y & 0x1f]
        row[0::3] = r
        row[1::3] = bytes((g,)) * width
        row[2::3] = r.translate(bytes(((v + g) & 0xff) for v in range(256)))
        rows[y * 3 * width:(y + 1) * 3 * width] = row
    data = zlib.compress(bytes(rows), 6)
    image = (b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceRGB "
             b"/BitsPerComponent 8 /Filter /FlateDecode /Length %d >>\nstream\n" % (width, height, len(data)) +
             data + b"\nendstream")
    content = b"q 612 0 0 792 0 0 cm /Im1 Do Q"
    write_pdf(path, [(content, "<< /XObject << /Im1 6 0 R >> >>")], [(6, image)])


def make_many(path, pages=300):
    write_pdf(path, [(text_content(i), TEXT_RESOURCES) for i in range(pages)])


def wall(argv, allow_failure=False):
    """Wall time of the whole process (s) and its standard output."""
    proc = subprocess.run(["/usr/bin/time", "-f", "VELKTIME %e"] + argv, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE)
    mark = [l for l in proc.stderr.decode().splitlines() if l.startswith("VELKTIME ")][-1]
    if proc.returncode != 0 and not allow_failure:
        raise SystemExit("failed: %s" % " ".join(argv))
    return float(mark.split()[1]), proc.stdout.decode()


def in_process_seconds(output):
    """The tool's own time from the open to the RGBA buffer ("... in N ms")."""
    return float(output.split(" in ")[1].split(" ms")[0]) / 1000.0


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    tool = os.path.join(sys.argv[1], "bench", "bench_first_page")
    folder = tempfile.mkdtemp(prefix="velk-first-page-")
    try:
        files = [("text page", os.path.join(folder, "text.pdf"), make_text),
                 ("20-MP image page", os.path.join(folder, "image.pdf"), make_image),
                 ("300 pages, first", os.path.join(folder, "many.pdf"), make_many)]
        # Our tool links the GUI stack (GTK and its libraries load before main);
        # the program pays that once at start, not per document: shown apart.
        start = statistics.median(wall([tool], allow_failure=True)[0] for _ in range(5))
        print("process start of the tool alone: %.3f s" % start)
        print("%-18s %7s %14s %14s %10s %9s %9s" % ("file", "size", "ours open+1st", "ours process",
                                                     "mutool", "ratio in", "ratio all"))
        for name, path, make in files:
            make(path)
            subprocess.run(["cat", path], stdout=subprocess.DEVNULL)  # page cache warm for both
            inside, ours, theirs = [], [], []
            for _ in range(5):
                t, out = wall([tool, path])
                ours.append(t)
                inside.append(in_process_seconds(out))
                theirs.append(wall(["mutool", "draw", "-r", "96", "-o", "/dev/null", path, "1"])[0])
            i, a, b = statistics.median(inside), statistics.median(ours), statistics.median(theirs)
            print("%-18s %6.1fM %14.3f %14.3f %10.3f %9.2f %9.2f" % (
                name, os.path.getsize(path) / 1048576.0, i, a, b, i / b if b else 0, a / b if b else 0))
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
