#!/usr/bin/env python3
"""Verification benchmark: makes signed PDFs of about 10, 100 and 500 MB
(random image data; one signature over the byte ranges of a signature field),
then times, in one run, the program's verification path (bench tool
bench_verify_signatures: doc_pdfium::load + verify_open_document) beside
`openssl dgst` over the file (the floor: reading and hashing), `mutool sign -v`
and `pdfsig -nocert -no-ocsp`, with each one's peak memory (GNU time).

Two kinds of file: "rsa", a detached PKCS#7 (SHA-256, signed attributes) made
by `openssl cms`; "sm2", an SM2 signature value (SM3, default identifier) over
the data itself, made by `openssl dgst -sm3 -sign`, with the signer certificate
in /Cert. With --later, an incremental update that adds an annotation follows
the signature, so the comparison of the signed revision with the whole file
runs too. Every figure is the median of RUNS runs (peak memory: the largest).
The files are removed as soon as they are measured.

usage: verify_bench.py BUILD_DIR [--runs N] [--kinds rsa,sm2] [--later] [sizes in MB ...]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

CONTENTS_BYTES = 8192


def make_key(folder):
    subprocess.run(
        "openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 30 "
        "-subj /CN=BenchSigner && "
        "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:SM2 -out sm2.key && "
        "openssl req -x509 -new -key sm2.key -sm3 -sigopt distid:1234567812345678 -days 30 "
        "-subj /CN=BenchSm2Signer -outform DER -out sm2.der",
        shell=True, cwd=folder, check=True, capture_output=True)


def write_signed_pdf(path, megabytes, folder, kind):
    side = int((megabytes * 1024 * 1024 / 3) ** 0.5)
    image_length = side * side * 3
    objects = []
    out = open(path, "wb")
    out.write(b"%PDF-1.7\n%\xe2\xe3\xcf\xd3\n")

    def begin(num):
        objects.append((num, out.tell()))
        out.write(b"%d 0 obj\n" % num)

    begin(1)
    out.write(b"<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [5 0 R] /SigFlags 3 >> >>\nendobj\n")
    begin(2)
    out.write(b"<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n")
    begin(3)
    out.write(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << /Im0 4 0 R >> >> "
              b"/Contents 6 0 R /Annots [5 0 R] >>\nendobj\n")
    begin(4)
    out.write(b"<< /Type /XObject /Subtype /Image /Width %d /Height %d /ColorSpace /DeviceRGB "
              b"/BitsPerComponent 8 /Length %d >>\nstream\n" % (side, side, image_length))
    left = image_length
    while left > 0:
        n = min(left, 8 << 20)
        out.write(os.urandom(n))
        left -= n
    out.write(b"\nendstream\nendobj\n")
    begin(6)
    content = b"q 612 0 0 792 0 0 cm /Im0 Do Q"
    out.write(b"<< /Length %d >>\nstream\n%s\nendstream\nendobj\n" % (len(content), content))
    begin(5)
    out.write(b"<< /Type /Annot /Subtype /Widget /FT /Sig /T (Signature1) /Rect [0 0 0 0] /F 132 /P 3 0 R "
              b"/V 7 0 R >>\nendobj\n")
    begin(7)
    if kind == "sm2":
        cert = open(os.path.join(folder, "sm2.der"), "rb").read()
        out.write(b"<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /GM.sm2sign /M (D:20240101000000Z) "
                  b"/Cert <" + cert.hex().upper().encode() + b"> /ByteRange ")
    else:
        out.write(b"<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached /M (D:20240101000000Z) "
                  b"/ByteRange ")
    byterange_at = out.tell()
    out.write(b" " * 60)
    out.write(b" /Contents ")
    contents_at = out.tell()
    out.write(b"<" + b"0" * (2 * CONTENTS_BYTES) + b">")
    out.write(b" >>\nendobj\n")
    xref_at = out.tell()
    out.write(b"xref\n0 8\n0000000000 65535 f \n")
    for num, offset in sorted(objects):
        out.write(b"%010d 00000 n \n" % offset)
    out.write(b"trailer\n<< /Size 8 /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % xref_at)
    total = out.tell()
    out.close()

    gap_end = contents_at + 2 * CONTENTS_BYTES + 2
    ranges = b"[0 %d %d %d]" % (contents_at, gap_end, total - gap_end)
    with open(path, "r+b") as f:
        f.seek(byterange_at)
        f.write(ranges.ljust(60))
    # Sign the covered bytes, streamed to openssl.
    if kind == "sm2":
        argv = ["openssl", "dgst", "-sm3", "-sign", "sm2.key", "-sigopt", "distid:1234567812345678"]
    else:
        argv = ["openssl", "cms", "-sign", "-binary", "-md", "sha256", "-signer", "cert.pem", "-inkey", "key.pem",
                "-outform", "DER", "-nosmimecap"]
    signer = subprocess.Popen(argv, cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    with open(path, "rb") as f:
        for start, length in ((0, contents_at), (gap_end, total - gap_end)):
            f.seek(start)
            while length > 0:
                block = f.read(min(length, 8 << 20))
                signer.stdin.write(block)
                length -= len(block)
    signer.stdin.close()
    der = signer.stdout.read()
    signer.wait()
    if signer.returncode != 0 or len(der) > CONTENTS_BYTES:
        raise SystemExit("signing failed")
    with open(path, "r+b") as f:
        f.seek(contents_at + 1)
        f.write(der.hex().upper().encode())
    return total


def append_annotation(path):
    """Appends an update that puts a text note on the page (objects 3 and 8)."""
    size = os.path.getsize(path)
    with open(path, "rb") as f:
        f.seek(max(0, size - 64))
        previous = int(f.read().split(b"startxref")[1].split()[0])
    objects = [
        (3, b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /XObject << /Im0 4 0 R >> >> "
            b"/Contents 6 0 R /Annots [5 0 R 8 0 R] >>"),
        (8, b"<< /Type /Annot /Subtype /Text /Rect [200 200 220 220] /Contents (note) >>"),
    ]
    update = b""
    offsets = []
    for num, body in objects:
        offsets.append((num, size + len(update)))
        update += b"%d 0 obj\n%s\nendobj\n" % (num, body)
    xref_at = size + len(update)
    update += b"xref\n0 1\n0000000000 65535 f \n"
    for num, offset in offsets:
        update += b"%d 1\n%010d 00000 n \n" % (num, offset)
    update += b"trailer\n<< /Size 9 /Root 1 0 R /Prev %d >>\nstartxref\n%d\n%%%%EOF\n" % (previous, xref_at)
    with open(path, "ab") as f:
        f.write(update)
    return size + len(update)


def measure(argv):
    """Wall time (s), peak resident memory (MB), exit code and output of one run.
    GNU time measures: a child forked from this (large) interpreter would
    report the interpreter's own resident size as its peak."""
    proc = subprocess.run(["/usr/bin/time", "-f", "VELKTIME %e %M %x"] + argv, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT)
    text = proc.stdout.decode(errors="replace")
    lines = text.splitlines()
    mark = [l for l in lines if l.startswith("VELKTIME ")][-1].split()
    output = "\n".join(l for l in lines if not l.startswith("VELKTIME ") and not l.startswith("Command exited"))
    return float(mark[1]), int(mark[2]) / 1024.0, int(mark[3]), output


def median(values):
    values = sorted(values)
    return values[len(values) // 2]


def main():
    args = sys.argv[1:]
    if not args:
        raise SystemExit(__doc__)
    build = args.pop(0)
    runs_per_tool = 5
    kinds = ["rsa", "sm2"]
    later = False
    sizes = []
    while args:
        a = args.pop(0)
        if a == "--runs":
            runs_per_tool = int(args.pop(0))
        elif a == "--kinds":
            kinds = args.pop(0).split(",")
        elif a == "--later":
            later = True
        else:
            sizes.append(int(a))
    sizes = sizes or [10, 100, 500]
    tool = os.path.join(build, "bench", "bench_verify_signatures")
    folder = tempfile.mkdtemp(prefix="velk-bench-")
    data = os.path.join(folder, "data")
    os.mkdir(data)
    try:
        make_key(folder)
        # The fixed cost of starting the program's process (its shared
        # libraries, the GUI toolkit's among them) with nothing to verify.
        start = [measure([tool]) for _ in range(runs_per_tool)]
        print("start-up of %s alone: %.3f s, %.1f MB" % (os.path.basename(tool), median([r[0] for r in start]),
                                                          max(r[1] for r in start)))
        print("%-5s %-8s %-22s %9s %9s %9s %5s  %s" % ("kind", "size", "tool", "time s", "in-proc s", "peak MB",
                                                      "exit", "verdict"))
        for kind in kinds:
            for mb in sizes:
                path = os.path.join(folder, "signed-%s-%d.pdf" % (kind, mb))
                total = write_signed_pdf(path, mb, folder, kind)
                if later:
                    total = append_annotation(path)
                floor = "-sm3" if kind == "sm2" else "-sha256"
                runs = [
                    ("openssl dgst %s" % floor, ["openssl", "dgst", floor, path]),
                    ("velkorant", [tool, path, data]),
                    ("mutool sign -v", ["mutool", "sign", "-v", path]),
                    ("pdfsig", ["pdfsig", "-nocert", "-no-ocsp", path]),
                ]
                # Warm the page cache once so every tool reads from memory alike.
                measure(["cat", path])
                times = {}
                for name, argv in runs:
                    results = [measure(argv) for _ in range(runs_per_tool)]
                    elapsed = median([r[0] for r in results])
                    peak = max(r[1] for r in results)
                    code = results[0][2]
                    output = results[0][3]
                    times[name.split()[0]] = elapsed
                    verdict = ""
                    in_process = "-"
                    for line in output.splitlines():
                        if name == "velkorant":
                            # The tool's own figures: its verdict line and the
                            # time from main to the end of the verification.
                            at = line.find("signature 1: ")
                            if at >= 0 and not verdict:
                                verdict = line[at:].strip()[:60]
                            continue
                        if "Signature Validation" in line or "verif" in line.lower() \
                                or "SM3" in line or "SHA2-256" in line:
                            verdict = line.strip()[:60]
                            break
                    if name == "velkorant":
                        inner = []
                        for r in results:
                            for line in r[3].splitlines():
                                if "load " in line and ", total " in line:
                                    inner.append(float(line.split(", total ")[1].split()[0]))
                        if inner:
                            in_process = "%.3f" % median(inner)
                    print("%-5s %-8s %-22s %9.3f %9s %9.1f %5d  %s" % (
                        kind, "%.0fMB" % (total / 1048576.0), name, elapsed, in_process, peak, code, verdict))
                print("%-5s %-8s ours / mutool %.2f, ours / openssl dgst %.2f" % (
                    kind, "%.0fMB" % (total / 1048576.0), times["velkorant"] / times["mutool"],
                    times["velkorant"] / times["openssl"]))
                sys.stdout.flush()
                os.remove(path)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
