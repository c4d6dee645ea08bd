#!/usr/bin/env python3
"""Writes the seed inputs of the Kestrel reader fuzzer into corpus/.

The list-file seeds match the fixed database of ListFileFuzz.cpp (version
12.34); the first byte of a list-file input picks the kind (0 .par, 1 .ctm).
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "scripts"))
import kestrel_files  # noqa: E402

# number, name, attribute, decimals, minimum, maximum, value (as ListFileFuzz.cpp)
FIELDS = [
    (0x0000, "Identification", 0x0800, 0, 0, 0, 0),
    (0x0001, "Drive type", 0x0A00, 0, 0, 100, 3),
    (0x0010, "Basic", 0x0800, 0, 0, 0, 0),
    (0x0013, "Accel time", 0x2001, 2, -30000, 30000, 1000),
    (0x0014, "Control word", 0x0220, 0, -100, 0x7FFF, 0x00FF),
    (0x0020, "Service", 0x0800, 0, 0, 0, 0),
    (0x0021, "Trim", 0x0103, 3, -5, 5, 0),
    (0x00E0, "System", 0x0800, 0, 0, 0, 0),
    (0x00E4, "Software vers.", 0x0800, 0, 0, 0x7FFF, 0x04D2),
    (0x00E9, "Parameter set", 0x0040, 0, 1, 3, 1),
]


def database():
    return kestrel_files.database(FIELDS)


def list_file(numbers_values):
    return kestrel_files.list_file("12.34", numbers_values)


def netlist():
    out = b""
    for address in range(32):
        name = ("Drive %d" % address).encode() if address % 3 == 0 else b""
        record = bytes([0, 1 if address % 3 == 0 else 0]) + name.ljust(34, b"\x00")
        record += struct.pack("<i", 375 * address) + b"\x00" * 12
        out += record
    return out


def write(folder, name, data):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


full = [(f[0], f[6]) for f in FIELDS]
write("list_file", "motor.par", b"\x00" + list_file(full))
write("list_file", "custom.ctm", b"\x01" + list_file([(0x0013, 0x0064), (0x00E4, 0x04D2), (0x00E9, 2)]))
write("list_file", "short.par", b"\x00" + list_file(full[:-1]))
write("tvk_database", "RQ-1234.tvk", database())
write("tvk_database", "cut.tvk", database()[:200])
write("netlist", "netlist.cfg", netlist())
write("netlist", "short.cfg", netlist()[:100])
