#!/usr/bin/env python3
"""Verification benchmark: makes signed PDFs of about 10, 100 and 500 MB
(random image data; one detached PKCS#7 signature over the byte ranges of a
signature field, signed by `openssl cms`), then times, in one run, our
verification tool beside `openssl dgst -sha256` over the file (the floor),
`mutool sign -v` and `pdfsig -nocert -no-ocsp`, with each one's peak memory.
The files are removed at the end.

usage: verify_bench.py BUILD_DIR [sizes in MB ...]
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
        "-subj /CN=BenchSigner", shell=True, cwd=folder, check=True, capture_output=True)


def write_signed_pdf(path, megabytes, folder):
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
    signer = subprocess.Popen(
        ["openssl", "cms", "-sign", "-binary", "-md", "sha256", "-signer", "cert.pem", "-inkey", "key.pem",
         "-outform", "DER", "-nosmimecap"], cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
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


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    tool = os.path.join(sys.argv[1], "bench", "bench_verify_signatures")
    sizes = [int(a) for a in sys.argv[2:]] or [10, 100, 500]
    folder = tempfile.mkdtemp(prefix="velk-bench-")
    try:
        make_key(folder)
        print("%-8s %-22s %9s %9s %5s  %s" % ("size", "tool", "time s", "peak MB", "exit", "verdict"))
        for mb in sizes:
            path = os.path.join(folder, "signed-%d.pdf" % mb)
            total = write_signed_pdf(path, mb, folder)
            runs = [
                ("openssl dgst (floor)", ["openssl", "dgst", "-sha256", path]),
                ("velkorant", [tool, path]),
                ("mutool sign -v", ["mutool", "sign", "-v", path]),
                ("pdfsig", ["pdfsig", "-nocert", "-no-ocsp", path]),
            ]
            # Warm the page cache once so every tool reads from memory alike.
            measure(["cat", path])
            for name, argv in runs:
                elapsed, peak, code, output = measure(argv)
                verdict = ""
                for line in output.splitlines():
                    if "status" in line or "Signature Validation" in line or "verif" in line.lower() \
                            or "SHA2-256" in line:
                        verdict = line.strip()[:60]
                        break
                print("%-8s %-22s %9.3f %9.1f %5d  %s" % ("%.0fMB" % (total / 1048576.0), name, elapsed, peak,
                                                        code, verdict))
            os.remove(path)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
