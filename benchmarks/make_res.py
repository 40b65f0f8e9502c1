#!/usr/bin/env python3
"""Writes a .res of string tables for the memory benchmarks.

make_res.py IDS LANGUAGES ORDER PATH [short] [--tsv TSV]

ORDER "ascending" writes every block of one language before the next;
"interleaved" gives each block in every language before the next block (the
order of files other tools write). "short" texts are like "Text105_3", which
makes 65,536 x 12 a 20 MB file; the others are longer, some beyond Latin.
TSV, if given, receives the same table as tab-separated rows for the peers:
a line of locales, then a line per ID.
"""
import struct
import sys

args = [a for a in sys.argv[1:] if a != "--tsv"]
tsv = None
if "--tsv" in sys.argv:
    tsv = sys.argv[sys.argv.index("--tsv") + 1]
    args.remove(tsv)
ids, languages, order, path = int(args[0]), int(args[1]), args[2], args[3]
short = len(args) > 4 and args[4] == "short"
locales = [1025, 1028, 1031, 1033, 1036, 1037, 1040, 1041, 1049, 1054, 2052, 2057, 1029, 1030, 1032, 1034,
           1035, 1038, 1042, 1043, 1044, 1045, 1046, 1050, 1051, 1053, 1055, 1057, 1060, 1061, 1062, 1063][:languages]


def text(i, lc):
    if short:
        return "Text%d_%d" % (i, lc % 10)
    return {1041: "文字列 %d 番" % i, 1025: "النص رقم %d" % i, 1049: "Строка номер %d" % i}.get(
        lc, "String number %d for locale %d" % (i, lc))


def block(b, lc):
    data = b"".join(struct.pack("<H", len(t.encode("utf-16-le")) // 2) + t.encode("utf-16-le")
                    for t in (text(b * 16 + k, lc) if b * 16 + k < ids else "" for k in range(16)))
    data += b"\0" * (-len(data) % 4)
    head = struct.pack("<IIHHHHIHHII", len(data), 32, 0xFFFF, 6, 0xFFFF, b + 1, 0, 0x1030, lc, 0, 0)
    return head + data


blocks = (ids + 15) // 16
pairs = [(b, lc) for lc in sorted(locales) for b in range(blocks)] if order == "ascending" else \
        [(b, lc) for b in range(blocks) for lc in locales]
with open(path, "wb") as f:
    f.write(struct.pack("<IIHHHHIHHII", 0, 32, 0xFFFF, 0, 0xFFFF, 0, 0, 0, 0, 0, 0))
    for b, lc in pairs:
        f.write(block(b, lc))
if tsv:
    with open(tsv, "w", encoding="utf-8") as f:
        f.write("\t".join(str(lc) for lc in locales) + "\n")
        for i in range(ids):
            f.write("\t".join([str(i)] + [text(i, lc) for lc in locales]) + "\n")
