#!/usr/bin/env python3
"""Kestrel's file formats for scripts: database records (".tvk"), parameter
files and custom lists (".par", ".ctm").

    python3 scripts/kestrel_files.py demo <install>
writes a sample database of version 12.34 and the parameter file
parameter/demo.par that the demo opens.
"""
import os
import sys


def hex4(v):
    return "%04X" % (v & 0xFFFF)


def tvk_record(number, name, attribute, decimals, minimum, maximum, value, default=None):
    """One 48-byte database record."""
    default = value if default is None else default
    text = ("U" + hex4(number) + hex4(value) + name.ljust(15)[:15] + hex4(minimum) + hex4(maximum)
            + str(decimals) + hex4(default) + "0000" + hex4(attribute))
    return text.encode("latin-1") + b"\x03\r\n"


def database(fields):
    return b"".join(tvk_record(*f) for f in fields) + b" END\x00"


def list_file(version, numbers_values):
    """A parameter file or custom list of version "12.34"."""
    header = b"PC : 1.4.1".ljust(29, b"\x00") + b"\r\nINV: A" + version.encode() + b"\r\n"
    body = b"".join((hex4(n) + hex4(v)).encode() + b"\r\n" for n, v in numbers_values)
    return header + body + b"END\x00\r\n"


# number, name, attribute, decimals, minimum, maximum, value
DEMO = [
    (0x0000, "Identification", 0x0800, 0, 0, 0, 0),
    (0x0001, "Drive type", 0x0A00, 0, 0, 100, 3),
    (0x0002, "Rated current", 0x6001, 1, 0, 5000, 120),
    (0x0010, "Basic settings", 0x0800, 0, 0, 0, 0),
    (0x0011, "Max frequency", 0x1040, 1, 0, 4000, 500),
    (0x0012, "Min frequency", 0x1040, 1, 0, 4000, 0),
    (0x0013, "Accel time", 0x2000, 2, 1, 30000, 1000),
    (0x0014, "Decel time", 0x2000, 2, 1, 30000, 1000),
    (0x0015, "Control word", 0x0220, 0, -100, 0x7FFF, 0x00FF),
    (0x0020, "Motor data", 0x0800, 0, 0, 0, 0),
    (0x0021, "Motor power", 0xB002, 2, 0, 32000, 7500),
    (0x0022, "Motor voltage", 0x7000, 0, 0, 690, 400),
    (0x0023, "Motor speed", 0xA000, 0, 0, 9000, 1450),
    (0x002C, "Language", 0x0000, 0, 0, 5, 1),
    (0x00E0, "System", 0x0800, 0, 0, 0, 0),
    (0x00E4, "Software vers.", 0x0800, 0, 0, 0x7FFF, 0x04D2),
    (0x00E9, "Parameter set", 0x0040, 0, 1, 3, 1),
]


def with_all_headers(fields):
    """A drive's database has a header record for every group up to its last."""
    out, next_group = [], 0
    for f in fields:
        while next_group < f[0] // 16 or (next_group == f[0] // 16 and f[0] % 16 != 0):
            out.append((16 * next_group, "Group %X" % next_group, 0x0800, 0, 0, 0, 0))
            next_group += 1
        if f[0] % 16 == 0:
            next_group = f[0] // 16 + 1
        out.append(f)
    return out


def write_demo(install):
    for sub in ("tvk", "parameter"):
        os.makedirs(os.path.join(install, sub), exist_ok=True)
    with open(os.path.join(install, "tvk", "RQ-1234.tvk"), "wb") as f:
        f.write(database(with_all_headers(DEMO)))
    with open(os.path.join(install, "parameter", "demo.par"), "wb") as f:
        f.write(list_file("12.34", [(n, v) for n, _, _, _, _, _, v in with_all_headers(DEMO)]))


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "demo":
        write_demo(sys.argv[2])
    else:
        sys.exit(__doc__)
