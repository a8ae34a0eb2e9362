#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into DIR/<target>/."""
import os
import sys

out = sys.argv[1]


def seeds(target, items):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    for i, data in enumerate(items):
        if isinstance(data, str):
            data = data.encode("utf-8")
        with open(os.path.join(folder, "seed%02d" % i), "wb") as f:
            f.write(data)


line = ";".join(["8710000101", "0001234567", "15.01.2009", "01.03.2010", "ЭКР 2102К",
                 "102345", "ООО Ромашка"]) + ";\r\n"
register = line.encode("cp1251")
seeds("fuzz_register_parser", [
    register * 3,
    b"a;b\rc;d\r\ne\nf;",
    b";;;;;;;\r\n\r\n",
    bytes(range(256)),
    b"x" * 40000 + b"\r\n",
])
seeds("fuzz_register_roundtrip", [
    "\x01".join(["8710000101", "15.01.2009", "ЭКР 2102К", " blanks ", ""]).encode("cp1251"),
    b"a\x01b\x02c\x01d\x02\x02",
    bytes(range(3, 256)),
])
seeds("fuzz_activation_date", [
    "15.01.2009", " 5.1.2009 ", "29.02.2008", "31.02.2009", "скоро", "31.12.9999",
    "01.13.2009", "1.1.0001",
])
seeds("fuzz_archive_name", ["2009", "arch", "архив", "../thisyear", "a\\b", "..", ".", "a\tb",
                            "ß", "ǆ"])


# A log as the program writes it: the file header, the start frame (the
# origin and a snapshot of a header row and one entry), a file hash frame and
# a batch of changes.
MASK = (1 << 64) - 1
PRIME = 0x9E3779B97F4A7C15


def log_hash(data):
    h = 0
    whole = len(data) - len(data) % 8
    for pos in range(0, whole, 8):
        h = ((h ^ int.from_bytes(data[pos:pos + 8], "little")) * PRIME) & MASK
        h ^= h >> 29
    for b in data[whole:]:
        h = ((h ^ b) * PRIME) & MASK
    h ^= (len(data) * PRIME) & MASK
    return h ^ (h >> 32)


def u(n, v, signed=False):
    return v.to_bytes(n, "little", signed=signed)


def text16(s):
    data = s.encode("utf-16-le")
    return u(4, len(data)) + data


def packed(cells):
    out = b""
    for cell in cells:
        data = cell.encode("cp1251")
        out += bytes([len(data)]) + data
    return u(1, 0) + u(4, len(out)) + out


def frame(kind, steps, payload):
    return (u(4, 0x4D415246) + u(1, kind) + u(4, steps) + u(8, 1765000000000) + u(4, len(payload)) +
            u(8, log_hash(payload)) + payload)


origin = (text16("/home/user/.local/share/palomet") + u(4, 1) + text16("") + u(1, 1) +
          b"".join(u(8, v) for v in (2049, 131, 61, 1765000000, 1765000000)) + u(1, 0) + u(8, 0) +
          text16("/home/user/.local/share/palomet/thisyear.csv"))
columns = u(4, 7) + b"".join(u(4, 1500) + u(4, 1) for _ in range(7))
rows = u(4, 2) + packed(["№ ЭКЛЗ", "Рег. №", "Дата акт.", "Дата блок.", "Модель ККМ", "№ ККМ", "Владелец"])
rows += packed(["8710000101", "0001234567", "15.01.2009", "01.03.2010", "ЭКР", "101", "ООО"])
changes = (u(1, 7) + u(4, 1) + u(4, 6) + u(1, 0) + u(4, 4) + "Иван".encode("cp1251") +
           u(1, 3) + u(1, 0) + u(4, 0) +
           u(1, 12) + u(4, 1) + u(4, 2) + u(4, 1) + u(4, 0) +
           u(1, 6) + u(4, 6) + u(4, 2) +
           u(1, 9) + text16("A|>B|^C"))
log = (b"PALOMETJ" + u(4, 1) + frame(1, 0, origin + columns + rows) + frame(3, 0, u(8, 12345)) +
           frame(2, 5, changes))
seeds("fuzz_worklog_reader", [log, log[:-7], log[:60], b"PALOMETJ" + u(4, 1)])
