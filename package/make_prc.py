#!/usr/bin/env python3
"""Writes Kestrin.prc, a Palm resource database that stands in for the handheld application.

Usage: make_prc.py OUTPUT VERSION

Type 'appl', creator 'vqKT', name "Kestrin", holding the application's name resource (tAIN 1000)
and version resource (tver 1000). Dates are fixed so that the same sources give the same file.
"""
import struct
import sys

NAME = b"Kestrin"
TYPE = b"appl"
CREATOR = b"vqKT"
ATTR_RESOURCE_DB = 0x0001
ATTR_BACKUP = 0x0008
# 2026-01-01 00:00:00 in seconds since 1904-01-01.
FIXED_DATE = 1767225600 + 2082844800
HEADER_SIZE = 78
RESOURCE_ENTRY_SIZE = 10
GAP = b"\0\0"


def resources(version):
    return [(b"tAIN", 1000, NAME + b"\0"), (b"tver", 1000, version.encode("ascii") + b"\0")]


def header(count):
    return (NAME.ljust(32, b"\0") +
            struct.pack(">HHIIIIII4s4sIIH", ATTR_RESOURCE_DB | ATTR_BACKUP, 1, FIXED_DATE,
                        FIXED_DATE, 0, 0, 0, 0, TYPE, CREATOR, 0, 0, count))


def database(version):
    entries = resources(version)
    offset = HEADER_SIZE + RESOURCE_ENTRY_SIZE * len(entries) + len(GAP)
    table = b""
    for kind, ident, data in entries:
        table += struct.pack(">4sHI", kind, ident, offset)
        offset += len(data)
    return header(len(entries)) + table + GAP + b"".join(data for _, _, data in entries)


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: make_prc.py OUTPUT VERSION")
    with open(argv[1], "wb") as out:
        out.write(database(argv[2]))


if __name__ == "__main__":
    main(sys.argv)
