#!/usr/bin/env python3
"""Writes a minimal PE32 image (one code section, 1024 bytes) for the
Authenticode tests: make_pe.py OUTPUT [FILLER-TEXT]"""
import struct
import sys

out = sys.argv[1]
filler = (sys.argv[2] if len(sys.argv) > 2 else "velkorant test image").encode()

dos = bytearray(64)
dos[0:2] = b"MZ"
struct.pack_into("<I", dos, 0x3C, 0x40)

coff = struct.pack("<HHIIIHH", 0x14C, 1, 0, 0, 0, 224, 0x0102)
optional = struct.pack(
    "<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII",
    0x10B, 14, 0, 0x200, 0, 0, 0x1000, 0x1000, 0x1000,
    0x400000, 0x1000, 0x200, 6, 0, 0, 0, 6, 0, 0,
    0x2000, 0x200, 0, 3, 0, 0x100000, 0x1000, 0x100000, 0x1000, 0, 16)
optional += bytes(16 * 8)
assert len(optional) == 224
section = struct.pack("<8sIIIIIIHHI", b".text", 0x10, 0x1000, 0x200, 0x200, 0, 0, 0, 0, 0x60000020)

headers = bytes(dos) + b"PE\0\0" + coff + optional + section
headers += bytes(0x200 - len(headers))
code = b"\xC3" + filler[: 0x1FF]
code += bytes(0x200 - len(code))
with open(out, "wb") as f:
    f.write(headers + code)
