#!/usr/bin/env bash
# quillmark pseudo, check --spelling and check --fit on the demo: pseudo_cli_test.sh QUILLMARK DEMO-FOLDER
set -u
Q=$1
DEMO=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data QM_REGISTRY_FILE=$WORK/registry.reg
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect() { # expect STATUS COMMAND...
  local status=$1; shift
  "$@" >"$WORK/out" 2>"$WORK/err"
  local got=$?
  if [ "$got" != "$status" ]; then fail "exit $got, expected $status: $* ($(cat "$WORK/err"))"; fi
}
count() { grep -c -P "$1" "$2"; }

F=$WORK/demo.res
cp "$DEMO/Demo.res" "$F"
"$Q" dump "$F" >"$WORK/before.txt"
sources=$(count '^2057\t' "$WORK/before.txt")

# One pseudo text per English string, every other language as it was.
expect 0 "$Q" pseudo "$F"
grep -q '^16 pseudo texts in 1281 Pseudo Language (Pseudo) from 2057$' "$WORK/out" || fail "pseudo says: $(cat "$WORK/out")"
"$Q" dump "$F" >"$WORK/once.txt"
[ "$(count '^1281\t' "$WORK/once.txt")" = "$sources" ] || fail "pseudo texts: $(grep -c '^1281' "$WORK/once.txt")"
grep -q -P '^1281\t102\t\[Ŏƥēñ\.\.\. !!\]$' "$WORK/once.txt" || fail "Open...: $(grep -P '^1281\t102\t' "$WORK/once.txt")"
[ "$(grep -v -P '^1281\t' "$WORK/once.txt")" = "$(cat "$WORK/before.txt")" ] || fail "pseudo changed other languages"
# The translation checks find nothing in it.
expect 0 "$Q" check "$F"
[ -s "$WORK/out" ] && fail "check after pseudo: $(cat "$WORK/out")"
# Again: the same file.
expect 0 "$Q" pseudo "$F"
"$Q" dump "$F" >"$WORK/twice.txt"
cmp -s "$WORK/once.txt" "$WORK/twice.txt" || fail "a second run changed the pseudo texts"

# The other two, into another file; the source file stays.
expect 0 "$Q" pseudo "$F" --locale qps-plocm -o "$WORK/mirrored.res"
"$Q" dump "$WORK/mirrored.res" >"$WORK/mirrored.txt"
[ "$(count '^2559\t' "$WORK/mirrored.txt")" = "$sources" ] || fail "qps-plocm texts"
cmp -s <("$Q" dump "$F") "$WORK/once.txt" || fail "-o changed the source file"
expect 0 "$Q" pseudo "$WORK/mirrored.res" --locale QPS-PLOCA
"$Q" dump "$WORK/mirrored.res" >"$WORK/all.txt"
[ "$(count '^1534\t' "$WORK/all.txt")" = "$sources" ] || fail "qps-ploca texts"
grep -q -P '^1534\t101\t\[Ƒīľē 表\]$' "$WORK/all.txt" || fail "qps-ploca File: $(grep -P '^1534\t101\t' "$WORK/all.txt")"
expect 0 "$Q" check "$WORK/mirrored.res"

# Bad input: a clear message, the file untouched.
expect 2 "$Q" pseudo "$F" --locale de-DE
grep -q 'not a pseudo-locale' "$WORK/err" || fail "bad locale: $(cat "$WORK/err")"
expect 1 "$Q" pseudo "$F" --source 1046
expect 1 "$Q" pseudo "$WORK/missing.res"
cmp -s <("$Q" dump "$F") "$WORK/once.txt" || fail "a failed pseudo changed the file"

# windres reads what pseudo wrote, and writes it back the same.
if command -v x86_64-w64-mingw32-windres >/dev/null; then
  x86_64-w64-mingw32-windres -J res -O rc "$WORK/mirrored.res" "$WORK/mirrored.rc" 2>"$WORK/err" || fail "windres: $(cat "$WORK/err")"
  grep -q 'LANGUAGE 511, 2' "$WORK/mirrored.rc" || fail "windres lists no qps-plocm: $(grep LANGUAGE "$WORK/mirrored.rc" | sort -u)"
  x86_64-w64-mingw32-windres --preprocessor="$(command -v cpp)" -J rc -O res -c 65001 "$WORK/mirrored.rc" "$WORK/again.res" 2>"$WORK/err" || fail "windres back: $(cat "$WORK/err")"
  cmp -s <("$Q" dump "$WORK/again.res" | grep -P '^(1281|1534|2559)\t') <(grep -P '^(1281|1534|2559)\t' "$WORK/all.txt") ||
    fail "windres changed the pseudo texts"
else
  fail "x86_64-w64-mingw32-windres is not installed (see scripts/install-deps.sh --with-tests)"
fi

# Spelling is off by default and on with --spelling.
S=$WORK/spelling.res
cp "$DEMO/Demo.res" "$S"
expect 0 "$Q" set "$S" 1031 103 'Spiechern'
expect 0 "$Q" check "$S"
expect 1 "$Q" check "$S" --spelling
grep -q -P '^1031\t103\tspelling\t"Spiechern" is not in the dictionary$' "$WORK/out" || fail "--spelling: $(cat "$WORK/out")"
grep -q -P '^1054\t0\tspelling\tNo dictionary for Thai \(Thailand\)$' "$WORK/out" || fail "--spelling Thai: $(cat "$WORK/out")"
[ "$(count '^1054\t' "$WORK/out")" = 1 ] || fail "Thai flagged word by word"
[ "$(count '^1031\t' "$WORK/out")" = 1 ] || fail "German: $(cat "$WORK/out")"
expect 1 "$Q" check "$S" --spelling --json
python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert {"locale": 1031, "id": 103, "rule": "spelling", "text": "\"Spiechern\" is not in the dictionary"} in d["problems"]' "$WORK/out" ||
  fail "--spelling --json: $(cat "$WORK/out")"

# Fit: a Russian text made far too long, drawn in the fonts the grid uses.
W=$WORK/fit.res
cp "$DEMO/Demo.res" "$W"
expect 0 "$Q" set "$W" 1049 103 'Сохранить все изменения в этом файле немедленно'
expect 0 "$Q" check "$W"
expect 1 "$Q" check "$W" --fit
grep -q -P '^1049\t103\twidth\t\d+ pixels wide, the source \d+$' "$WORK/out" || fail "--fit: $(cat "$WORK/out")"
expect 1 "$Q" check "$W" --fit --factor 8
[ "$(cat "$WORK/out" | cut -f1-3)" = $'1049\t103\twidth' ] || fail "--factor 8: $(cat "$WORK/out")"
[ "$(cat "$WORK/err")" = "quillmark: $W: 1 problem in the translations of locale 2057" ] || fail "--fit error output: $(cat "$WORK/err")"
expect 2 "$Q" check "$W" --fit --factor 0.5
expect 2 "$Q" check "$W" --factor 2

[ "$failures" = 0 ] && echo "all passed"
exit $((failures > 0))
