#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets:
corpus/dpf_reader: the shipped definition files and small files that reach the
reader's error paths; corpus/par_file: parameter files of both formats."""
import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
DEVICE_DATA = os.path.join(HERE, "..", "DeviceData")


def write(directory, name, data):
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode())


def dpf_seeds(d):
    os.makedirs(d, exist_ok=True)
    for f in sorted(os.listdir(DEVICE_DATA)):
        if f.endswith(".dpf"):
            shutil.copy(os.path.join(DEVICE_DATA, f), os.path.join(d, f.replace(" ", "_")))
    small = {
        "sections.dpf": "[Strings]\n1,Speed\n2,Hz\n3,Off\n4,On\n\n[Groups]\n1,1,0, G,0,0\n\n"
                        "[Parameters]\n1,1,12,0,5000,2,0,40101,100, P,0,0\n2,1,1,0,1,1,0,40102,0, P,0,0\n\n"
                        "[Parameter List]\n1,1,1\n2,1,2\n3,1,7\n\n[Enum]\n1,1,0,3\n2,1,1,4\n\n"
                        "[Fault Code]\n1,0,3,0, F0,0\n\n[Active Faults]\n1,1\n\n[Fault History]\n1,2\n[End]\n",
        "errors.dpf": "[Strings]\n[Groups]\n5\n1,abc,,def\nxyz\n\n7,orphan\n[Revision]\n1, 8, 'LM3 '\nEOF\n",
        "abort.dpf": "[Fault Code]\n1,2,3,4\n",
        "ranges.dpf": "[Strings]\n99999,x\n[Groups]\n100,1\n[Parameter List]\n1999,0,5\n[End]",
        "crlf.dpf": "[Strings]\r\n1,a\r\n[End]\r\n",
    }
    for name, text in small.items():
        write(d, name, text)


def header(name, device=(8, 1, 3), flags=0):
    block = bytearray(712)
    struct.pack_into("<HH", block, 0, 712, len(name))
    block[4:4 + len(name)] = name.encode()
    struct.pack_into("<H", block, 128, 40)
    struct.pack_into("<I", block, 132, 0x40425)
    struct.pack_into("<HHHH", block, 136, 1, 0, 1, 0)
    struct.pack_into("<HHHH", block, 168, 40, *device)
    struct.pack_into("<I", block, 208, flags)
    return bytes(block) + bytes(288)


def records(n):
    out = b""
    for k in range(n):
        rec = bytearray(64)
        struct.pack_into("<ii", rec, 56, k % 8, 1000 + k)
        out += rec
    return out


def par_seeds(d):
    write(d, "current.par", header("LM3_Normal_V3.dpf", flags=5) + records(171))
    write(d, "windows_name.par", header("Drives\\LT4_VEXAL_V2.DPF", (6, 0, 2)) + records(20))
    write(d, "empty_1010.par", header("lm3 dorrin_sequencer_v12.dpf", (7, 2, 12)) + bytes(10))
    name = b"LM3_Normal_V3.dpf"
    older = struct.pack("<I", len(name)) + name + struct.pack("<III", 8, 1, 3)
    write(d, "older.par", older.ljust(1000, b"\0") + b"*" * 10 + records(30))
    write(d, "no_dpf.par", header("notes.txt") + records(1))


if __name__ == "__main__":
    dpf_seeds(os.path.join(HERE, "corpus", "dpf_reader"))
    par_seeds(os.path.join(HERE, "corpus", "par_file"))
