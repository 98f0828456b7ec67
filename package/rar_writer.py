#!/usr/bin/env python3
"""Writes a RAR 4.x archive whose entries are stored (not compressed).

Usage: rar_writer.py ARCHIVE MEMBER...

Each member is stored under its base name, in the order given, with host OS Win32, the store
method, the CRC-32 of its bytes, its modification time as a DOS date and time, and the archive
attribute. The archive is written beside its final name and renamed into place when complete.
"""
import os
import struct
import sys
import time
import zlib

MARKER = b"Rar!\x1a\x07\x00"
MAIN_HEAD = 0x73
FILE_HEAD = 0x74
END_HEAD = 0x7B
LONG_BLOCK = 0x8000  # an ADD_SIZE field (here: the packed size) follows the header
END_SKIP_IF_UNKNOWN = 0x4000
HOST_WIN32 = 2
UNPACK_VERSION = 20
METHOD_STORE = 0x30
ATTR_ARCHIVE = 0x20
CHUNK = 1 << 16


def block(head_type, flags, body):
    """A header: HEAD_CRC, then HEAD_TYPE..end, whose CRC-32's low 16 bits HEAD_CRC holds."""
    rest = struct.pack("<BHH", head_type, flags, 7 + len(body)) + body
    return struct.pack("<H", zlib.crc32(rest) & 0xFFFF) + rest


def dos_time(seconds):
    t = time.localtime(seconds)
    if t.tm_year < 1980:
        return (1 << 16) | (1 << 21)  # 1980-01-01 00:00, the earliest a DOS time holds
    date = ((t.tm_year - 1980) << 9) | (t.tm_mon << 5) | t.tm_mday
    clock = (t.tm_hour << 11) | (t.tm_min << 5) | (min(t.tm_sec, 59) // 2)
    return (date << 16) | clock


def stored_name(path):
    name = os.path.basename(path)
    try:
        encoded = name.encode("ascii")
    except UnicodeEncodeError:
        sys.exit(f"rar_writer: {name!r}: only ASCII names are stored")
    if not encoded or len(encoded) > 259:
        sys.exit(f"rar_writer: {name!r}: a stored name holds 1 to 259 characters")
    return encoded


def file_header(name, size, crc, mtime):
    if size > 0xFFFFFFFF:
        sys.exit(f"rar_writer: {name!r}: entries of 4 GiB or more are not supported")
    body = struct.pack("<IIBIIBBHI", size, size, HOST_WIN32, crc, dos_time(mtime), UNPACK_VERSION,
                       METHOD_STORE, len(name), ATTR_ARCHIVE) + name
    return block(FILE_HEAD, LONG_BLOCK, body)


def write_member(out, path):
    """Copies a member in one pass; its header, written first with the size known so far, is
    written again over itself once the CRC and the size copied are known."""
    name = stored_name(path)
    mtime = os.path.getmtime(path)
    header_at = out.tell()
    out.write(file_header(name, 0, 0, mtime))
    size = crc = 0
    with open(path, "rb") as f:
        while chunk := f.read(CHUNK):
            crc = zlib.crc32(chunk, crc)
            size += len(chunk)
            out.write(chunk)
    end = out.tell()
    out.seek(header_at)
    out.write(file_header(name, size, crc, mtime))
    out.seek(end)


def write_archive(archive, members):
    partial = archive + ".partial"
    with open(partial, "wb") as out:
        out.write(MARKER)
        out.write(block(MAIN_HEAD, 0, struct.pack("<HI", 0, 0)))
        for member in members:
            write_member(out, member)
        out.write(block(END_HEAD, END_SKIP_IF_UNKNOWN, b""))
    os.replace(partial, archive)


def main(argv):
    if len(argv) < 3:
        sys.exit("usage: rar_writer.py ARCHIVE MEMBER...")
    names = [os.path.basename(m).lower() for m in argv[2:]]
    if len(set(names)) != len(names):
        sys.exit("rar_writer: two members have the same name")
    write_archive(argv[1], argv[2:])


if __name__ == "__main__":
    main(sys.argv)
