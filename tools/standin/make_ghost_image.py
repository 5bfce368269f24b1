#!/usr/bin/env python3
"""Makes a stand-in Ghost image from a folder, for the stand-in Ghost (Norvex32.exe) to check and
restore in the tests and the demo.

The format (all header text is UTF-8, lines end in a single LF):

    QVGHO 1                        the first line
    title <text>                   optional header lines, in any order
    password <text>
                                   an empty line ends the header
    dir <path>                     a folder to make
    file <size> <fnv1a64> <path>   followed by exactly <size> bytes and one LF
    end                            the last entry; anything after it is padding

Paths are relative, with "/" between their parts, never absolute and never with "..". The
checksum is the 64-bit FNV-1a of the file's bytes in 16 lower-case hexadecimal digits. Padding
makes the image as large as a real one (the program ignores images under 100 MB) without costing
disk space: the file is extended sparsely.

    make_ghost_image.py SOURCE_FOLDER IMAGE [--pad-to 150M] [--title T] [--password P] [--damage]

--damage changes one byte of the first file's data after its checksum was taken, which the
image check reports and a restore without -crcignore refuses.
"""
import argparse
import os
import sys

MAGIC = b"QVGHO 1\n"


def fnv1a64(data: bytes) -> str:
    h = 0xCBF29CE484222325
    for b in data:
        h ^= b
        h = (h * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return "%016x" % h


def size_of(text: str) -> int:
    units = {"K": 1 << 10, "M": 1 << 20, "G": 1 << 30}
    if text and text[-1].upper() in units:
        return int(text[:-1]) * units[text[-1].upper()]
    return int(text)


def entries(source: str):
    """Folders and files below the source, folders before their contents, names in order."""
    for root, dirs, files in os.walk(source):
        dirs.sort()
        rel_root = os.path.relpath(root, source)
        if rel_root != ".":
            yield "dir", rel_root.replace(os.sep, "/"), None
        for name in sorted(files):
            full = os.path.join(root, name)
            rel = os.path.relpath(full, source).replace(os.sep, "/")
            yield "file", rel, full


def make_image(source, image, pad_to=0, title="", password="", damage=False):
    out = bytearray(MAGIC)
    if title:
        out += b"title " + title.encode("utf-8") + b"\n"
    if password:
        out += b"password " + password.encode("utf-8") + b"\n"
    out += b"\n"
    damaged = False
    for kind, rel, full in entries(source):
        if kind == "dir":
            out += b"dir " + rel.encode("utf-8") + b"\n"
            continue
        with open(full, "rb") as f:
            data = f.read()
        out += ("file %d %s " % (len(data), fnv1a64(data))).encode("ascii") + rel.encode("utf-8") + b"\n"
        if damage and not damaged and data:
            data = bytes([data[0] ^ 0xFF]) + data[1:]
            damaged = True
        out += data + b"\n"
    out += b"end\n"
    if damage and not damaged:
        out = out[: -len(b"end\n")]  # no file to change: the image loses its end instead
    os.makedirs(os.path.dirname(os.path.abspath(image)), exist_ok=True)
    with open(image, "wb") as f:
        f.write(out)
        if pad_to > len(out):
            f.truncate(pad_to)


def main(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("source")
    p.add_argument("image")
    p.add_argument("--pad-to", default="0")
    p.add_argument("--title", default="")
    p.add_argument("--password", default="")
    p.add_argument("--damage", action="store_true")
    a = p.parse_args(argv)
    if not os.path.isdir(a.source):
        print("no such folder: " + a.source, file=sys.stderr)
        return 1
    make_image(a.source, a.image, size_of(a.pad_to), a.title, a.password, a.damage)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
