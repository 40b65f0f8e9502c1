#!/usr/bin/env bash
# How long every reader takes on the hostile inputs of reader_bounds_test (each
# at most 10 MB, each read or refused by a counted limit): the wall time and
# peak memory of `quillmark import --dry-run`, the median of RUNS runs, and the
# machine's load. The test bounds what it counts; this keeps the time figures.
#   reader_bounds_time.sh [BUILD-DIR] [RUNS]   (default: build-rel, a release build; 3)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-rel}
runs=${2:-3}
q=$build/bin/quillmark
command -v /usr/bin/time >/dev/null || { echo "/usr/bin/time is not installed"; exit 1; }
[ -x "$q" ] || { echo "build $q first"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 tests/exchange/hostile_inputs.py "$work"
"$q" create "$work/t.res"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR + 1) / 2)]}'; }

echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-28s %10s %10s\n' file seconds peak_MB
for file in "$work"/*.xlsx "$work"/*.ods "$work"/*.csv "$work"/*.rc "$work"/*.po "$work"/*.xlf; do
  [ -e "$file" ] || continue
  options=(--sheet S1)
  case $file in
    *empty-cells-12.xlsx) options=(--sheet S12) ;;
    *separators.csv) options=(--separator ,) ;;
    *.csv | *.rc | *.po | *.xlf) options=() ;;
  esac
  : >"$work/times"
  for _ in $(seq "$runs"); do
    /usr/bin/time -f '%e %M' -o "$work/one" "$q" import "$file" "$work/t.res" --dry-run "${options[@]}" \
      >/dev/null 2>&1 || true
    cat "$work/one" >>"$work/times"
  done
  seconds=$(cut -d' ' -f1 "$work/times" | median)
  peak=$(cut -d' ' -f2 "$work/times" | median)
  printf '%-28s %10s %10s\n' "$(basename "$file")" "$seconds" "$((peak / 1024))"
done
