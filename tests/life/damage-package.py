#!/usr/bin/env python3
"""Writes a damaged copy of a package written by package/rar_writer.py.

Usage: damage-package.py PACKAGE OUTPUT DAMAGE [ARGUMENT...]

DAMAGE (entries counted from 1):
  flip N            one bit flipped in the middle of entry N's data
  cut N             the package cut off in the middle of entry N's data
  main-header       one bit of the main header flipped
  folder N          entry N flagged as a folder
  rename N NAME     entry N stored under NAME
  drop N            entry N left out
  swap N M          entries N and M trade places
  add NAME          a further entry NAME after the others
"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "package"))
import rar_writer  # noqa: E402

ATTR_DIRECTORY = 0x10


def read_entries(package):
    """The package's bytes and its entries: (name, header fields after the name, data)."""
    data = open(package, "rb").read()
    entries = []
    at = len(rar_writer.MARKER) + 13
    while at < len(data):
        head_type, head_size = data[at + 2], struct.unpack_from("<H", data, at + 5)[0]
        if head_type != rar_writer.FILE_HEAD:
            break
        packed, _, host, crc, mtime, version, method, name_size, attr = struct.unpack_from(
            "<IIBIIBBHI", data, at + 7)
        name = data[at + 32:at + 32 + name_size]
        start = at + head_size
        entries.append({"name": name, "crc": crc, "mtime": mtime, "attr": attr, "start": start,
                        "data": data[start:start + packed]})
        at = start + packed
    return data, entries


def entry_bytes(entry):
    size = len(entry["data"])
    body = struct.pack("<IIBIIBBHI", size, size, rar_writer.HOST_WIN32, entry["crc"], entry["mtime"],
                       rar_writer.UNPACK_VERSION, rar_writer.METHOD_STORE, len(entry["name"]),
                       entry["attr"]) + entry["name"]
    return rar_writer.block(rar_writer.FILE_HEAD, rar_writer.LONG_BLOCK, body) + entry["data"]


def package_bytes(entries):
    main = rar_writer.block(rar_writer.MAIN_HEAD, 0, struct.pack("<HI", 0, 0))
    end = rar_writer.block(rar_writer.END_HEAD, rar_writer.END_SKIP_IF_UNKNOWN, b"")
    return rar_writer.MARKER + main + b"".join(entry_bytes(e) for e in entries) + end


def damaged(package, damage, arguments):
    data, entries = read_entries(package)
    if damage in ("flip", "cut"):
        entry = entries[int(arguments[0]) - 1]
        middle = entry["start"] + len(entry["data"]) // 2
        if damage == "cut":
            return data[:middle]
        return data[:middle] + bytes([data[middle] ^ 0x04]) + data[middle + 1:]
    if damage == "main-header":
        at = len(rar_writer.MARKER) + 8
        return data[:at] + bytes([data[at] ^ 0x01]) + data[at + 1:]
    if damage == "folder":
        entries[int(arguments[0]) - 1]["attr"] = ATTR_DIRECTORY
    elif damage == "rename":
        entries[int(arguments[0]) - 1]["name"] = arguments[1].encode("ascii")
    elif damage == "drop":
        del entries[int(arguments[0]) - 1]
    elif damage == "swap":
        n, m = int(arguments[0]) - 1, int(arguments[1]) - 1
        entries[n], entries[m] = entries[m], entries[n]
    elif damage == "add":
        extra = b"read me\r\n"
        entries.append({"name": arguments[0].encode("ascii"), "crc": rar_writer.zlib.crc32(extra),
                        "mtime": entries[0]["mtime"], "attr": rar_writer.ATTR_ARCHIVE, "data": extra})
    else:
        sys.exit(f"damage-package: unknown damage {damage}")
    return package_bytes(entries)


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    result = damaged(sys.argv[1], sys.argv[3], sys.argv[4:])
    open(sys.argv[2], "wb").write(result)
