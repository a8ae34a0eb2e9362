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
