#!/usr/bin/env bash
# quillmark check --spelling and --fit over 65,536 string IDs in 12 languages
# (786,432 strings) of dictionary words: spelling_fit_cli.sh QUILLMARK
set -euo pipefail
Q=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data QM_REGISTRY_FILE=$WORK/registry.reg
python3 - "$WORK/big.tsv" "$(dirname "$0")/../platform/win32/data/locales.tsv" <<'PY'
import sys
locales = [2057, 1031, 1036, 1040, 1034, 1043, 1049, 1032, 1041, 2052, 1025, 1037]
dicts = {2057: "en_GB", 1031: "de_DE", 1036: "fr_FR", 1040: "it_IT", 1034: "es_ES", 1043: "nl_NL", 1049: "ru_RU"}
def vocabulary(lcid):
    words = []
    try:
        with open(f"/usr/share/hunspell/{dicts[lcid]}.dic", encoding="utf-8") as f:
            next(f)
            for line in f:
                w = line.split("/")[0].strip()
                if len(w) > 2 and " " not in w and "." not in w and not any(c.isdigit() for c in w):
                    words.append(w)
                if len(words) >= 20000:
                    break
    except (KeyError, OSError):
        words = ["テキスト", "文本", "نص", "טקסט", "κείμενο"]
    return words
vocab = {l: vocabulary(l) for l in locales}
with open(sys.argv[1], "w", encoding="utf-8", newline="") as out:
    names = {}
    with open(sys.argv[2], encoding="utf-8") as table:
        for line in table:
            f = line.rstrip("\n").split("\t")
            if f[0].isdigit():
                names[int(f[0])] = f[6]
    # As the tool exports a table: the languages' names, then their locale IDs.
    out.write("\ufeff\t" + "\t".join(names[l] for l in locales) + "\r\n")
    out.write("\t" + "\t".join(str(l) for l in locales) + "\r\n")
    for i in range(65536):
        row = [str(i)]
        for l in locales:
            w = vocab[l]
            text = " ".join(w[(i * 2654435761 + k * 40503 + l) % len(w)] for k in range(4 + i % 6))
            if (i + l) % 50 == 0:
                text += " Qxzrwl"
            row.append(text)
        out.write("\t".join(row) + "\r\n")
PY
"$Q" create "$WORK/big.res"
"$Q" import "$WORK/big.tsv" "$WORK/big.res" >/dev/null
"$Q" dump "$WORK/big.res" | wc -l
measure() { # LABEL COMMAND...: wall time, peak memory and lines of output
  local label=$1; shift
  /usr/bin/time -f '%e %M' -o "$WORK/time" "$@" >"$WORK/out" 2>/dev/null || true
  read -r seconds kilobytes < <(tail -1 "$WORK/time")
  printf '%-18s %8s s %9s KB  %7d problems\n' "$label" "$seconds" "$kilobytes" "$(wc -l <"$WORK/out")"
}
measure "check" "$Q" check "$WORK/big.res"
measure "check --spelling" "$Q" check "$WORK/big.res" --spelling
measure "check --fit" "$Q" check "$WORK/big.res" --fit
