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

cat >"$work/res.py" <<'PY'
import struct, sys
ids, languages, order, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4]
short = len(sys.argv) > 5 and sys.argv[5] == "short"
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
PY

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
  python3 "$work/res.py" "$ids" "$languages" "$order" "$res" $texts
  xlsres=$work/xls-$ids-$languages-$order$texts.res
  python3 "$work/res.py" "$(( ids > 65534 ? 65534 : ids ))" "$languages" "$order" "$xlsres" $texts
  for build in "${builds[@]}"; do
    bin=$build/bin/quillmark
    tag="$build $ids x $languages $order${texts:+ $texts}"
    rm -f "$work/out.xls" "$work/out.xlsx" "$work/back.res"
    [ "$languages" -le 255 ] && run "$tag .xls" "$bin" export "$xlsres" "$work/out.xls" --sheet big
    run "$tag .xlsx" "$bin" export "$res" "$work/out.xlsx" --sheet big
    run "$tag import" "$bin" import "$work/out.xlsx" "$res" --sheet big -o "$work/back.res"
  done
done
