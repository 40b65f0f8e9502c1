#!/usr/bin/env bash
# Times "quillmark dump FILE.res --json" against windres decompiling the same
# file, on the 65,536 IDs x 12 languages file of resfile_bench.
#   compare_windres.sh [BUILD-DIR]   (default: build-h3-rel, a release build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-h3-rel}
bin=$build/bin
for tool in hyperfine x86_64-w64-mingw32-windres; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/install-deps.sh --with-tests)"; exit 1; }
done
[ -x "$bin/quillmark" ] && [ -x "$bin/resfile_bench" ] || { echo "build $bin/quillmark and $bin/resfile_bench first"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=$work/big.res
QM_RESFILE_BENCH_KEEP=$file "$bin/resfile_bench" --benchmark_filter=NONE >/dev/null
echo "$(du -h "$file" | cut -f1) test file: $("$bin/quillmark" dump "$file" | wc -l) strings"

# Each run starts with no dirty pages of the run before, so that neither
# command pays for the other's (or its own previous) output being written back.
hyperfine --warmup 2 --runs 10 --prepare sync --export-markdown "$work/result.md" --export-json "$work/result.json" \
  -n "quillmark dump --json" "$bin/quillmark dump $file --json > $work/out.json" \
  -n "windres decompile" "x86_64-w64-mingw32-windres -i $file -o $work/out.rc"
cat "$work/result.md"
/usr/bin/python3 - "$work/result.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
median = {r["command"]: r["median"] for r in results}
dump, windres = median["quillmark dump --json"], median["windres decompile"]
print(f"median: dump {dump * 1000:.1f} ms, windres {windres * 1000:.1f} ms, {windres / dump:.1f}x")
PY
