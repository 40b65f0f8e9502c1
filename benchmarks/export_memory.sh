#!/usr/bin/env bash
# Peak memory and time of the command-line tool's exports (.xls, .xlsx) and
# .xlsx import as the table grows: 4,096 / 16,384 / 65,536 IDs x 12 languages
# (65,534 for .xls) and 65,536 x 32; the texts those of resfile_bench. With
# a second build folder, its tool runs beside the first on the same files.
# "short" files hold texts like "Text105_3" instead, which makes 65,536 x 12
# a 20 MB file, the size the memory goals are stated for.
# "interleaved" files give each block of IDs in every language before the
# next block (the order of a file written by other tools).
#   export_memory.sh [BUILD-DIR] [OTHER-BUILD-DIR]   (default: build-rel)
set -euo pipefail
cd "$(dirname "$0")/.."
builds=("${1:-build-rel}" ${2:+"$2"})
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() { # label, command...: "label  seconds  MiB"
  local label=$1; shift
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || { echo "$label: failed: $(cat "$work/err")"; return; }
  read -r seconds kib <"$work/time"
  printf '%-50s %6.2f s %7.1f MiB\n' "$label" "$seconds" "$(echo "$kib / 1024" | bc -l)"
}

echo "load $(cut -d' ' -f1-3 /proc/loadavg)"
for shape in "4096 12 ascending" "16384 12 ascending" "65536 12 ascending" "65536 12 interleaved" "65536 32 ascending" \
             "4096 12 ascending short" "65536 12 ascending short" "65536 32 ascending short"; do
  read -r ids languages order texts <<<"$shape"
  res=$work/$ids-$languages-$order$texts.res
  python3 benchmarks/make_res.py "$ids" "$languages" "$order" "$res" $texts
  xlsres=$work/xls-$ids-$languages-$order$texts.res
  python3 benchmarks/make_res.py "$(( ids > 65534 ? 65534 : ids ))" "$languages" "$order" "$xlsres" $texts
  for build in "${builds[@]}"; do
    bin=$build/bin/quillmark
    tag="$build $ids x $languages $order${texts:+ $texts}"
    rm -f "$work/out.xls" "$work/out.xlsx" "$work/back.res"
    [ "$languages" -le 255 ] && run "$tag .xls" "$bin" export "$xlsres" "$work/out.xls" --sheet big
    run "$tag .xlsx" "$bin" export "$res" "$work/out.xlsx" --sheet big
    run "$tag import" "$bin" import "$work/out.xlsx" "$res" --sheet big -o "$work/back.res"
  done
done
