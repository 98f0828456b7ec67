#!/usr/bin/env python3
"""kestrin-files on this host: packs and unpacks files of the sizes around a record's end, plain
and zipped, byte for byte; Perl's Palm::PDB reads every database it writes; and a table of damaged
and hostile databases each gets a one-line error, no crash, and nothing written anywhere.
Usage: check-tool.py KESTRIN_FILES WORK_DIR [RUNNER]   (RUNNER: build/wine-run for kestrin-files.exe)"""
import os, random, shutil, struct, subprocess, sys, zipfile, zlib

tool, work = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
runner = sys.argv[3:4]
passed = failed = 0


def check(ok, what):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
        print("FAIL:", what)


def run(*args, cwd=None):
    return subprocess.run([*runner, tool, *args], cwd=cwd, capture_output=True, text=True, errors="replace",
                          stdin=subprocess.DEVNULL)


def pattern(size, seed):
    block = bytes((i * 7 + seed * 13 + i // 251) & 0xFF for i in range(65536))
    return (block * (size // len(block) + 1))[:size]


def pdb_view(path):
    """Name, type, creator, record sizes and the data records joined, as Palm::PDB reads them."""
    script = ('use Palm::PDB; use Palm::Raw; my $db = Palm::PDB->new; $db->Load($ARGV[0]);'
              'print join("|", $db->{name}, $db->{type}, $db->{creator}, map { length $_->{data} }'
              ' @{$db->{records}}), "\\n"; binmode STDOUT;'
              'print map { $_->{data} } @{$db->{records}}[1 .. $#{$db->{records}}];')
    out = subprocess.run(["perl", "-e", script, path], capture_output=True)
    if out.returncode != 0:
        return None, None
    line, _, data = out.stdout.partition(b"\n")
    return line.decode("latin-1"), data


# A Kestrin file database built here, independently of the tool.
def file_header(name, ext, size, compression=0):
    return (struct.pack("<I", compression) + struct.pack(">III", size, 0, 0) + name.ljust(16, b"\0")[:16] +
            ext.ljust(8, b"\0")[:8] + b"01.02.2003".ljust(12, b"\0") + b"01.02.2003".ljust(12, b"\0"))


def pdb(records, name=b"notes.txt", type_=b"DaTa", creator=b"vqKT", attributes=0, offsets=None, count=None):
    count = len(records) if count is None else count
    header = (name.ljust(32, b"\0")[:32] + struct.pack(">HHIIIIII", attributes, 10, 0, 0, 0, 0, 0, 0) + type_ +
              creator + struct.pack(">IIH", 0, 0, count))
    position = len(header) + 8 * len(records) + 2
    if offsets is None:
        offsets = []
        for record in records:
            offsets.append(position)
            position += len(record)
    entries = b"".join(struct.pack(">IB3s", offset, 0x40, (i + 1).to_bytes(3, "big")) for i, offset in enumerate(offsets))
    return header + entries + b"\0\0" + b"".join(records)


def file_db(data, name=b"notes", ext=b".txt", size=None, compression=0, **kwargs):
    records = [data[i:i + 32768] for i in range(0, len(data), 32768)]
    return pdb([file_header(name, ext, len(data) if size is None else size, compression)] + records, **kwargs)


def zip_of(entries):
    path = os.path.join(work, "scratch.zip")
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        for entry_name, data in entries:
            archive.writestr(entry_name, data)
    with open(path, "rb") as f:
        return f.read()


def rar_of(entry_name, data):
    """A RAR 4.x archive with one stored entry."""
    def block(head_type, flags, body, extra=b""):
        size = 7 + len(body)
        crc = zlib.crc32(bytes([head_type]) + struct.pack("<HH", flags, size) + body) & 0xFFFF
        return struct.pack("<HBHH", crc, head_type, flags, size) + body + extra
    name = entry_name.encode("latin-1")
    body = struct.pack("<IIBIIBBHI", len(data), len(data), 2, zlib.crc32(data), 0x21000000, 20, 0x30, len(name), 0x20)
    return (b"Rar!\x1a\x07\x00" + block(0x73, 0, b"\0" * 6) + block(0x74, 0x8000, body + name, data) +
            b"\xc4\x3d\x7b\x00\x40\x07\x00")


shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)

# Round trips on this host, and the independent reader on every database written.
for size in (0, 1, 32767, 32768, 32769, 3 * 1024 * 1024 + 5):
    for zipped in (False, True):
        case = os.path.join(work, f"trip-{size}-{zipped}")
        os.makedirs(case)
        source = os.path.join(case, "Round Trip Data.bin")
        data = pattern(size, size % 251)
        with open(source, "wb") as f:
            f.write(data)
        packed = run("pack", source, "-o", os.path.join(case, "db"), *(["--zip"] if zipped else []))
        database = os.path.join(case, "db", "Round Trip D.bin.pdb")
        check(packed.returncode == 0 and os.path.exists(database), f"pack {size} zip={zipped}: {packed.stderr}")
        view, records = pdb_view(database)
        fields = (view or "").split("|")
        check(fields[:3] == ["Round Trip D.bin", "DaTa", "vqKT"] and fields[3:4] == ["64"],
              f"Palm::PDB reads the {size}-byte database as {view}")
        if not zipped:
            expected = ["32768"] * (size // 32768) + ([str(size % 32768)] if size % 32768 else [])
            check(fields[4:] == expected and records == data, f"Palm::PDB: the {size}-byte file's records")
        unpacked = run("unpack", database, "-o", os.path.join(case, "back"))
        # An archive's file comes back under the name it was packed with, as from HotSync.
        with open(os.path.join(case, "back", "Round Trip Data.bin" if zipped else "Round Trip D.bin"), "rb") as f:
            check(unpacked.returncode == 0 and f.read() == data, f"unpack {size} zip={zipped}: {unpacked.stderr}")
        shutil.rmtree(case)

queue = os.path.join(work, "KestrinDatabaseFiles.pdb")
check(run("queue", "notes.txt", "Round Trip D.bin", "-o", queue).returncode == 0, "queue")
view, _ = pdb_view(queue)
check(view == "KestrinDatabaseFiles|DATA|vqKT|4|10|17", f"Palm::PDB reads the queue as {view}")
check(run("queue", "again.txt", "-o", queue).returncode == 1, "queue replaced an existing file")

# Damaged and hostile databases: one line naming the file, exit 1, nothing written anywhere.
good = file_db(b"hello")
noise = random.Random(3).randbytes(9000)
header_only = file_header(b"notes", b".txt", 5)
hostile_names = [b"..", b".", b"../up", b"..\\up", b"a/b", b"a\\b", b"C:", b"C:evil", b"CON", b"con.txt", b"LPT1",
                 b"com9.doc", b"NUL .txt", b"trailing.", b"trailing ", b"tab\tname", b"bell\x07", b"new\nline",
                 b"q?", b"star*", b"pipe|", b"<less", b"quote\"", b""]
cases = [("empty file", b""), ("10 bytes", good[:10]), ("header cut at 77 bytes", good[:77]),
         ("record list cut", good[:80]), ("last record cut", good[:-2]), ("header record of 63 bytes",
         pdb([header_only[:63]])), ("no records", pdb([])), ("count past the list", good[:78] + b"\xff\xff" + good[80:]),
         ("offset past the end", pdb([header_only, b"hello"], offsets=[88, 999999])),
         ("offsets reversed", pdb([header_only, b"hello"], offsets=[157, 88])),
         ("offset inside the list", pdb([header_only, b"hello"], offsets=[40, 152])),
         ("offsets overlapping", pdb([header_only, b"hello"], offsets=[88, 100])),
         ("name field unterminated", b"N" * 32 + good[32:]), ("resource database", file_db(b"hello", attributes=1)),
         ("wrong type", file_db(b"hello", type_=b"TEXt")), ("wrong creator", file_db(b"hello", creator=b"abcd")),
         ("compression 7", file_db(b"hello", compression=7)), ("compression 0xFFFFFFFF", file_db(b"hi", compression=0xFFFFFFFF)),
         ("data shorter than its header", file_db(b"hello", size=6)), ("data longer than its header", file_db(b"hello", size=4)),
         ("record of 40 000 bytes", pdb([header_only, b"x" * 40000])),
         ("zip larger than its header", file_db(zip_of([("notes.txt", b"z" * 100000)]), size=10, compression=1)),
         ("zip bomb", file_db(zip_of([("notes.txt", b"\0" * 5000000)]), size=1000, compression=1)),
         ("zip holding a path", file_db(zip_of([("../evil.txt", b"evil")]), size=4, compression=1)),
         ("zip holding a folder path", file_db(zip_of([("sub/evil.txt", b"evil")]), size=4, compression=1)),
         ("zip holding an absolute path", file_db(zip_of([("/tmp/evil.txt", b"evil")]), size=4, compression=1)),
         ("zip holding a device name", file_db(zip_of([("AUX.txt", b"evil")]), size=4, compression=1)),
         ("zip cut in its data", file_db(zip_of([("notes.txt", noise)])[:4000], size=9000, compression=1)),
         ("zip that is no zip", file_db(b"this is not an archive", size=22, compression=1)),
         ("rar holding a path", file_db(rar_of("..\\evil.txt", b"evil"), size=4, compression=2)),
         ("rar holding a folder path", file_db(rar_of("sub\\evil.txt", b"evil"), size=4, compression=2)),
         ("rar larger than its header", file_db(rar_of("notes.txt", b"r" * 5000), size=100, compression=2)),
         ("rar that is no rar", file_db(b"Rar!\x1a\x07\x00garbage", size=10, compression=2))]
cases += [(f"hostile header name {name!r}", file_db(b"data", name=name, ext=b"")) for name in hostile_names]
cases += [(f"hostile extension {ext!r}", file_db(b"data", name=b"x", ext=ext)) for ext in (b"/../", b".\\a", b".:", b". ")]
cases += [(f"cut at byte {cut}", good[:cut]) for cut in (79, 86, 87, 90, 100)]
check(len(cases) >= 50, f"only {len(cases)} hostile cases")

sandbox = os.path.join(work, "sandbox")
for index, (label, content) in enumerate(cases):
    case = os.path.join(sandbox, f"case{index}")
    os.makedirs(os.path.join(case, "out"))
    database = os.path.join(case, "input.pdb")
    with open(database, "wb") as f:
        f.write(content)
    before = sorted(os.listdir(work))
    result = run("unpack", database, "-o", "out", cwd=case)
    lines = result.stderr.splitlines()
    check(result.returncode == 1, f"{label}: exit {result.returncode}")
    check(len(lines) >= 1 and all(line.startswith(f"kestrin-files: {database}: ") for line in lines),
          f"{label}: error {result.stderr!r}")
    check(os.listdir(os.path.join(case, "out")) == [] and sorted(os.listdir(case)) == ["input.pdb", "out"] and
          sorted(os.listdir(work)) == before and not os.path.exists("/tmp/evil.txt"), f"{label}: something was written")
    listed = run("list", database)
    check(listed.returncode in (0, 1), f"{label}: list exited {listed.returncode}")

# The good database next to a bad one: the bad one is reported, the good one still unpacked.
os.makedirs(os.path.join(sandbox, "mixed"))
for name, content in (("bad.pdb", good[:50]), ("good.pdb", good)):
    with open(os.path.join(sandbox, "mixed", name), "wb") as f:
        f.write(content)
result = run("unpack", "bad.pdb", "good.pdb", "-o", "out", cwd=os.path.join(sandbox, "mixed"))
check(result.returncode == 1 and os.listdir(os.path.join(sandbox, "mixed", "out")) == ["notes.txt"],
      f"a bad database stops the next one: {result.stderr}")
result = run("unpack", "good.pdb", "-o", "out", cwd=os.path.join(sandbox, "mixed"))
check(result.returncode == 1 and "already exists" in result.stderr, "an existing file was replaced")
check(run("unpack", "good.pdb", "-o", "out", "--overwrite", cwd=os.path.join(sandbox, "mixed")).returncode == 0,
      "--overwrite did not replace")
check(run("pack").returncode == 2 and run("frobnicate", "x").returncode == 2, "bad usage does not exit 2")

if failed == 0:
    shutil.rmtree(work)
print(f"kestrin-files: {len(cases)} hostile databases")
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
