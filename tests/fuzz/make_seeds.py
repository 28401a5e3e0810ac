#!/usr/bin/env python3
"""Writes the seed corpus of the file-reader fuzzers: small layout and macro files of every
version, built byte by byte from the file format (not by our own writer)."""
import os
import struct
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")


def header(v):
    return struct.pack("<I", 0xFFAA3300 + v)


def string(s, n):
    b = s.encode("cp1252")[:n]
    return bytes([len(b)]) + b + bytes(n - len(b))


def board_block(v3=False):
    b = struct.pack("<iii", 0, 5000, 3000) + bytes([1, 0]) + struct.pack("<dd", 254.0, 0.1)
    b += struct.pack("<ii", 0, 0) + bytes([3, 0, 0, 0]) + bytes([1, 1, 1, 1]) + bytes([0, 0])
    b += string("", 200) + string("", 200) + struct.pack("<iiiiiiii", 600, 600, 0, 0, 0, 0, 0xFF00, 0xFF00)
    b += struct.pack("<ii", 100, -100)
    assert len(b) == 490
    return b[:482] if v3 else b


def rec_v4(kind, x=0, y=0, s1=0, s2=0, w=0, layer=1, shape=1, angle=0, filled=0, clearance=40, autorouted=0):
    r = bytes([kind]) + struct.pack("<iiiii", x, y, s1, s2, w) + bytes([0, layer, shape]) + bytes(4)
    r += struct.pack("<h", 0) + bytes([0]) + struct.pack("<i", angle) + bytes(4) + bytes([0, filled])
    r += struct.pack("<i", clearance) + bytes(8) + bytes([autorouted, 0, 0, 0]) + bytes(15) + bytes(3)
    assert len(r) == 75, len(r)
    return r


def block_v4():
    b = struct.pack("<i", 5)
    for layer in (1, 3):  # through-plated pair
        b += rec_v4(2, 1000, -1000, 80, 40, 0, layer, 2) + struct.pack("<ii", 0, 1) + struct.pack("<i", 7)
        b += struct.pack("<i", 1 if layer == 1 else 0)
    b += rec_v4(6, w=40, layer=3, autorouted=1) + struct.pack("<iii", 0, 0, 2) + struct.pack("<iiii", 1000, -1000, 2000, -1000)
    b += rec_v4(8, 2000, -1000, 150, 80, layer=3) + struct.pack("<ii", 0, 0)
    b += rec_v4(7, 500, -500, 500, 1, 1, layer=2) + struct.pack("<i", 1) + b"A" + struct.pack("<i", 0)
    b += struct.pack("<i", 1) + rec_v4(6, w=56, layer=2) + struct.pack("<i", 2) + struct.pack("<iiii", 500, -500, 600, -300)
    # connections of pads and SMD pads, then autorouted ends
    b += struct.pack("<i", 0) + struct.pack("<ii", 1, 3) + struct.pack("<ii", 1, 1)
    b += struct.pack("<ii", 1, 3)
    return b


def rec_v3(kind, x=0, y=0, s1=0, s2=0, w=0, layer=1, shape=1, text="", group=0, angle=0):
    r = bytes([kind]) + struct.pack("<iiiii", x, y, s1, s2, w) + bytes([0, layer, shape]) + string(text, 15)
    r += bytes(4) + struct.pack("<h", group) + bytes([0]) + struct.pack("<i", angle) + bytes(4) + bytes([0, 0])
    r += struct.pack("<i", 40) + bytes(8) + bytes(5)
    assert len(r) == 74, len(r)
    return r


def block_v3():
    b = struct.pack("<i", 3)
    b += rec_v3(2, 1000, -1000, 80, 40) + struct.pack("<i", 0) + struct.pack("<i", -1)
    b += rec_v3(6, w=40) + struct.pack("<i", 0) + struct.pack("<iiiii", 2, 1000, -1000, 2000, -1000)
    b += rec_v3(3, 100, -100, 900, -300, -20, text="Hello") + struct.pack("<i", 0)
    b += struct.pack("<i", 0)
    return b


def rec_v0(kind, x=0, y=0, s1=0, s2=0, w=0, layer=1, shape=1, text="", group=0, angle=0):
    r = bytes([kind]) + struct.pack("<hhhhh", x, y, s1, s2, w) + bytes([0, layer, shape]) + string(text, 15)
    r += bytes(4) + struct.pack("<h", group) + bytes([0]) + struct.pack("<h", angle) + bytes(4) + bytes([0]) + bytes(5)
    assert len(r) == 49, len(r)
    return r


def block_v0(version):
    b = struct.pack("<h", 3)
    for i, (kind, g) in enumerate(((2, 5), (5, 5), (6, 7))):
        if kind == 6:
            r = rec_v0(6, w=40, group=g if version == 1 else 0)
        else:
            r = rec_v0(kind, 1000 + i * 500, -1000, 80, 40, group=g if version == 1 else 0)
        b += r
        if version == 2:
            b += struct.pack("<hh", 1, i + 1)
        if kind == 6:
            b += struct.pack("<hhhhh", 2, 100, -100, 900, -100)
    return b


files = {
    "layout/v4.lay": header(4) + struct.pack("<i", 1) + string("Platine 1", 30) + board_block() + block_v4()
    + struct.pack("<i", 0) + string("Title", 100) + string("Me", 100) + string("Lab", 100) + struct.pack("<i", 4) + b"a\r\nb",
    "layout/v4-empty.lay": header(4) + struct.pack("<i", 1) + string("Platine 1", 30) + board_block() + struct.pack("<i", 0)
    + struct.pack("<i", 0) + string("", 100) * 3 + struct.pack("<i", 0),
    "layout/v3.lay": header(3) + struct.pack("<i", 1) + string("Alt", 30) + board_block(True) + block_v3()
    + struct.pack("<iii", 0, 0, 0),
    "macro/v4.lmk": header(4) + block_v4() + string("DIP 8", 50) + string("7.62 mm", 50),
    "macro/v3.lmk": header(3) + block_v3(),
}
for v in (0, 1, 2):
    files[f"layout/v{v}.lay"] = header(v) + struct.pack("<ii", 5000, 3000) + block_v0(v)
    files[f"macro/v{v}.lmk"] = header(v) + block_v0(v)
for name, data in files.items():
    path = os.path.join(out, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
