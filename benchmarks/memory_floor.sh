#!/usr/bin/env bash
# The command-line tool's peak memory beside its peer or its floor, in one run,
# on 65,536 IDs x 12 languages of short texts (a 20 MB .res; 65,534 IDs for
# .xls): the .xls export beside xlwt, the .xlsx export beside libxlsxwriter's
# constant-memory mode (where libxlsxwriter-dev is installed), the .xlsx
# import beside the size of the file it writes, and the dump of the demo's
# 4.7 KB file beside windres. Prints seconds and peak MiB of each.
#   memory_floor.sh [BUILD-DIR]   (default: build-rel, a release build)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build-rel}/bin
[ -x "$bin/quillmark" ] || { echo "build $bin/quillmark first"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/xlwt_peer.py" <<'PY'
import sys, xlwt
book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("big")
rows = open(sys.argv[1], encoding="utf-8")
locales = next(rows).rstrip("\n").split("\t")
for c, lc in enumerate(locales):
    sheet.write(1, c + 1, int(lc))
for r, line in enumerate(rows):
    cells = line.rstrip("\n").split("\t")
    sheet.write(r + 2, 0, int(cells[0]))
    for c, t in enumerate(cells[1:]):
        sheet.write(r + 2, c + 1, t)
book.save(sys.argv[2])
PY
cat >"$work/xlsxwriter_peer.c" <<'C'
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <xlsxwriter.h>
int main(int argc, char **argv)
{
    lxw_workbook_options options = {.constant_memory = LXW_TRUE};
    lxw_workbook *book = workbook_new_opt(argv[2], &options);
    lxw_worksheet *sheet = workbook_add_worksheet(book, "big");
    FILE *rows = fopen(argv[1], "r");
    char line[65536];
    for (int r = 1; fgets(line, sizeof line, rows); ++r) {
        line[strcspn(line, "\n")] = 0;
        int c = r == 1 ? 1 : 0;
        for (char *cell = strtok(line, "\t"); cell; cell = strtok(NULL, "\t"), ++c) {
            if (r == 1 || c == 0)
                worksheet_write_number(sheet, r, c, atof(cell), NULL);
            else
                worksheet_write_string(sheet, r, c, cell, NULL);
        }
    }
    fclose(rows);
    return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}
C

python3 benchmarks/make_res.py 65536 12 ascending "$work/big.res" short --tsv "$work/big.tsv"
python3 benchmarks/make_res.py 65534 12 ascending "$work/xls.res" short --tsv "$work/xls.tsv"
row() { # label, command...: "label  seconds  MiB"
  local label=$1; shift
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || { echo "$label: failed: $(head -c 300 "$work/err")"; return; }
  read -r seconds kib <"$work/time"
  printf '%-44s %6.2f s %7.1f MiB\n' "$label" "$seconds" "$(echo "$kib / 1024" | bc -l)"
}
echo "load $(cut -d' ' -f1-3 /proc/loadavg); $(stat -c %s "$work/big.res") bytes of .res, 786,432 strings"
row ".xls export, quillmark" "$bin/quillmark" export "$work/xls.res" "$work/q.xls" --sheet big
row ".xls export, xlwt (goal < 64 MiB)" /usr/bin/python3 "$work/xlwt_peer.py" "$work/xls.tsv" "$work/p.xls"
row ".xlsx export, quillmark" "$bin/quillmark" export "$work/big.res" "$work/q.xlsx" --sheet big
if cc -O2 -o "$work/xlsxwriter_peer" "$work/xlsxwriter_peer.c" -lxlsxwriter 2>/dev/null; then
  row ".xlsx export, libxlsxwriter (goal < 16 MiB)" "$work/xlsxwriter_peer" "$work/big.tsv" "$work/p.xlsx"
else
  echo ".xlsx export, libxlsxwriter: not installed (libxlsxwriter-dev)"
fi
row ".xlsx import -o, quillmark (goal < 64 MiB)" "$bin/quillmark" import "$work/q.xlsx" "$work/big.res" --sheet big -o "$work/back.res"
[ -f "$work/back.res" ] && printf '%-44s %17.1f MiB\n' "  the file it writes" "$(echo "$(stat -c %s "$work/back.res") / 1048576" | bc -l)"
if command -v hyperfine >/dev/null && command -v x86_64-w64-mingw32-windres >/dev/null; then
  hyperfine -N --warmup 10 --runs 100 --export-json "$work/dump.json" \
    -n quillmark "$bin/quillmark dump demo/Demo.res" \
    -n windres "x86_64-w64-mingw32-windres -J res -O rc demo/Demo.res" >/dev/null
  python3 - "$work/dump.json" <<'PY'
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print(f"dump of the demo's 4.7 KB .res, {r['command']:<10} {r['median'] * 1000:8.2f} ms (goal < 2 ms)")
PY
fi
echo "load at the end $(cut -d' ' -f1-3 /proc/loadavg)"
