#!/usr/bin/env bash
# The command-line tool on the 65,536 IDs x 12 languages file of resfile_bench,
# each command beside its peer in the same run, interleaved: start-up against
# windres, .xlsx export against XlsxWriter's constant-memory mode, import
# --dry-run against openpyxl's read-only mode, and the export of 65,536 x 32
# (whose memory must not grow with the strings) and its import, which the
# readers' limits, grown with the file, let through. Prints wall time and peak memory
# (the median of RUNS runs), file sizes and the machine's load.
#   compare_cli.sh [BUILD-DIR] [RUNS]   (default: build-rel, a release build; 5)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-rel}
runs=${2:-5}
bin=$build/bin
for tool in hyperfine x86_64-w64-mingw32-windres /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/install-deps.sh --with-tests)"; exit 1; }
done
[ -x "$bin/quillmark" ] && [ -x "$bin/resfile_bench" ] || { echo "build $bin/quillmark and $bin/resfile_bench first"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
res=$work/big.res
QM_RESFILE_BENCH_KEEP=$res "$bin/resfile_bench" --benchmark_filter=NONE >/dev/null
# The same IDs in 32 languages: the export's memory must not grow with them.
res32=$work/big32.res
QM_RESFILE_BENCH_KEEP=$res32 QM_RESFILE_BENCH_LANGUAGES=32 "$bin/resfile_bench" --benchmark_filter=NONE >/dev/null
echo "test file: $(stat -c %s "$res") bytes, $("$bin/quillmark" dump "$res" | wc -l) strings; load $(cut -d' ' -f1-3 /proc/loadavg)"

# The peers write and read the same table: the tool's own export as their input.
cat >"$work/peers.py" <<'PY'
import sys, json
mode, path = sys.argv[1], sys.argv[2]
if mode == "write":
    import xlsxwriter
    rows = json.load(open(sys.argv[3]))
    book = xlsxwriter.Workbook(path, {"constant_memory": True})
    sheet = book.add_worksheet("big")
    for r, row in enumerate(rows):
        for c, value in enumerate(row):
            if value is not None:
                sheet.write(r, c, value)
    book.close()
else:
    import openpyxl
    book = openpyxl.load_workbook(path, read_only=True)
    cells = sum(1 for row in book["big"].iter_rows(values_only=True) for v in row if v is not None)
    print(cells)
PY
"$bin/quillmark" export "$res" "$work/ref.xlsx" --sheet big
/usr/bin/python3 - "$work/ref.xlsx" "$work/rows.json" <<'PY'
import sys, json, openpyxl
book = openpyxl.load_workbook(sys.argv[1], read_only=True)
json.dump([list(r) for r in book["big"].iter_rows(values_only=True)], open(sys.argv[2], "w"))
PY

# "NAME: seconds kilobytes" per run into $work/NAME.
measure() {
  local name=$1; shift
  /usr/bin/time -f "%e %M" -o "$work/time.out" "$@" >/dev/null
  cat "$work/time.out" >>"$work/$name"
}
for ((i = 0; i < runs; i++)); do
  rm -f "$work/out.xlsx" "$work/peer.xlsx"
  measure export "$bin/quillmark" export "$res" "$work/out.xlsx" --sheet big
  rm -f "$work/out32.xlsx"
  measure export32 "$bin/quillmark" export "$res32" "$work/out32.xlsx" --sheet big
  measure import32 "$bin/quillmark" import "$work/out32.xlsx" "$res32" --sheet big --dry-run
  measure xlsxwriter /usr/bin/python3 "$work/peers.py" write "$work/peer.xlsx" "$work/rows.json"
  measure import "$bin/quillmark" import "$work/out.xlsx" "$res" --sheet big --dry-run
  measure openpyxl /usr/bin/python3 "$work/peers.py" read "$work/out.xlsx"
  measure dump sh -c "'$bin/quillmark' dump '$res' --json > '$work/out.json'"
done
median() { sort -n -k"$2" "$work/$1" | awk -v k="$2" '{ v[NR] = $k } END { print v[int((NR + 1) / 2)] }'; }
printf '%-28s %10s %12s\n' command "median s" "peak MB"
for name in export export32 import32 xlsxwriter import openpyxl dump; do
  printf '%-28s %10s %12.1f\n' "$name" "$(median $name 1)" "$(echo "$(median $name 2) / 1024" | bc -l)"
done
echo "export $(median export 1) s vs XlsxWriter (constant memory) $(median xlsxwriter 1) s;" \
     "import $(median import 1) s vs openpyxl (read-only) $(median openpyxl 1) s"
echo "sizes: quillmark $(stat -c %s "$work/out.xlsx") bytes, XlsxWriter $(stat -c %s "$work/peer.xlsx") bytes;" \
     "32 languages: $(stat -c %s "$res32") bytes of .res, $(stat -c %s "$work/out32.xlsx") bytes of .xlsx"

hyperfine -N --warmup 5 --runs 40 --export-json "$work/start.json" \
  -n "quillmark --version" "$bin/quillmark --version" \
  -n "windres --version" "x86_64-w64-mingw32-windres --version" >/dev/null
/usr/bin/python3 - "$work/start.json" <<'PY'
import json, sys
median = {r["command"]: r["median"] for r in json.load(open(sys.argv[1]))["results"]}
q, w = median["quillmark --version"], median["windres --version"]
print(f"start-up: quillmark --version {q * 1000:.1f} ms, windres --version {w * 1000:.1f} ms, ratio {q / w:.2f}")
PY
# The program loads its commands at run time: count what the loader reports.
loaded() {
  rm -f "$work"/ld.*
  LD_DEBUG=files LD_DEBUG_OUTPUT=$work/ld "$@" >/dev/null 2>&1 || true
  sed -n 's/^[[:space:]]*[0-9]*:[[:space:]]*file=\([^ ]*\) .*generating link map/\1/p' "$work"/ld.* | sed 's|.*/||' | sort -u
}
for command in "--version" "dump $res" "export $res $work/count.xlsx --sheet big"; do
  echo "libraries loaded by quillmark ${command%% *}: $(loaded "$bin/quillmark" $command | wc -l)," \
       "Qt: $(loaded "$bin/quillmark" $command | grep -o 'libQt6[A-Za-z]*' | sort -u | tr '\n' ' ')"
done
echo "start-up of every command beside windres: benchmarks/compare_cli_start.sh"
echo "load at the end $(cut -d' ' -f1-3 /proc/loadavg)"
