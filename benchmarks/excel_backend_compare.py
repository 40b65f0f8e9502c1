#!/usr/bin/python3
"""Compares the workbook back end with openpyxl on the same string table.

Usage: excel_backend_compare.py BUILD_DIR

Runs excel_backend_bench (Google Benchmark) and openpyxl in write-only and
read-only mode on the table the benchmark uses (65,536 IDs in 12 languages,
as .xlsx), each under /usr/bin/time -v for its peak memory, and prints
seconds, peak memory and the speed-up.
"""
import json
import os
import re
import subprocess
import sys
import tempfile
import time

# openpyxl is the Debian package: run it with the system's interpreter even
# when another python3 comes first on PATH.
PYTHON = "/usr/bin/python3" if os.path.exists("/usr/bin/python3") else sys.executable
LANGUAGES = 12
SAMPLES = ["Save the file", "Datei speichern", "ファイルを保存", "حفظ الملف", "שמור קובץ", "บันทึกไฟล์"]
LCIDS = [2057, 1031, 1041, 1025, 1037, 1054, 1036, 1040, 1034, 1049, 2052, 1081]


def table(ids):
    yield [None] + ["Language %d" % l for l in LCIDS]
    yield [None] + LCIDS
    for i in range(ids):
        yield [i] + ["%s #%d" % (SAMPLES[l % 6], i) for l in range(LANGUAGES)]


def openpyxl_write(path, ids):
    import openpyxl
    wb = openpyxl.Workbook(write_only=True)
    ws = wb.create_sheet("Strings")
    for row in table(ids):
        ws.append(row)
    wb.save(path)


def openpyxl_read(path):
    import openpyxl
    wb = openpyxl.load_workbook(path, read_only=True)
    chars = 0
    for row in wb["Strings"].iter_rows(values_only=True):
        for v in row[1:]:
            if isinstance(v, str):
                chars += len(v)
    wb.close()
    return chars


def peak_kib(stderr):
    m = re.search(r"Maximum resident set size \(kbytes\): (\d+)", stderr)
    return int(m.group(1)) if m else 0


def timed(args):
    """Runs args under /usr/bin/time -v; returns (seconds, peak KiB, stdout)."""
    start = time.perf_counter()
    p = subprocess.run(["/usr/bin/time", "-v"] + args, capture_output=True, text=True, check=True)
    return time.perf_counter() - start, peak_kib(p.stderr), p.stdout


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    bench = os.path.join(build, "bin", "excel_backend_bench")
    if not os.path.exists(bench):
        bench = os.path.join(build, "excel_backend_bench")
    results = {}
    for name in ["BM_WriteXlsx", "BM_ReadXlsx", "BM_WriteXls", "BM_ReadXls"]:
        _, peak, out = timed([bench, "--benchmark_filter=^%s/" % name, "--benchmark_format=json"])
        b = json.loads(out)["benchmarks"][0]
        results[name] = (b["real_time"] / 1000.0, b["cpu_time"] / 1000.0, peak)

    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "table.xlsx")
        me = os.path.abspath(__file__)
        w, wpeak, _ = timed([PYTHON, me, "--write", path])
        r, rpeak, _ = timed([PYTHON, me, "--read", path])
    print("%-14s %10s %10s %12s" % ("", "wall s", "cpu s", "peak MiB"))
    for name, (real, cpu, peak) in results.items():
        print("%-14s %10.3f %10.3f %12.1f" % (name, real, cpu, peak / 1024))
    print("%-14s %10.3f %10s %12.1f" % ("openpyxl write", w, "", wpeak / 1024))
    print("%-14s %10.3f %10s %12.1f" % ("openpyxl read", r, "", rpeak / 1024))
    print("speed-up, write .xlsx: %.1fx   read .xlsx: %.1fx" % (w / results["BM_WriteXlsx"][0], r / results["BM_ReadXlsx"][0]))


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--write":
        openpyxl_write(sys.argv[2], 65536)
    elif len(sys.argv) == 3 and sys.argv[1] == "--read":
        openpyxl_read(sys.argv[2])
    else:
        main()
