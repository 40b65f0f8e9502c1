#!/usr/bin/env bash
# Runs "quillmark refs" and "quillmark check --project": refs_cli_test.sh QUILLMARK DEMO-FOLDER
set -u
Q=$1
DEMO=$2
. "$(dirname "$0")/../testlib/cli_expect.sh"

# The demo: every call resolves, every string of Demo.res is used, every use has the five keys.
expect 0 "$Q" refs "$DEMO/Demo.vbp" --json
python3 - "$WORK/out" "$DEMO" <<'PY' || fail "refs --json of the demo: $(cat "$WORK/out")"
import json, re, sys
report = json.load(open(sys.argv[1]))
assert report["unresolved"] == [], report["unresolved"]
assert report["warnings"] == [], report["warnings"]
calls = 0
for name in ("frmMain.frm", "modMain.bas", "Classes/clsGreeting.cls"):
    calls += len(re.findall(r"LoadRes(String|Data|Picture)\(", open(sys.argv[2] + "/" + name, encoding="cp1252").read()))
assert len(report["uses"]) == calls, (len(report["uses"]), calls)
for use in report["uses"]:
    assert set(use) == {"id", "call", "file", "line", "expression"}, use
counts = report["counts"]
assert sorted(counts) == [str(i) for i in range(101, 117)], counts
assert all(n > 0 for n in counts.values()), counts
title = [u for u in report["uses"] if u["id"] == 116]
assert any(u["file"] == "frmMain.frm" and u["expression"] == "IDS_TITLE" for u in title), title
PY
expect 0 "$Q" refs "$DEMO/Demo.vbp"
grep -q $'^use\t111\tLoadResString\tClasses/clsGreeting.cls\t[0-9]*\tIDS_HELLO$' "$WORK/out" || fail "refs of the demo: $(cat "$WORK/out")"
grep -q $'^count\t116\t' "$WORK/out" || fail "refs counts: $(cat "$WORK/out")"
if grep -q '^unresolved' "$WORK/out"; then fail "demo has unresolved calls: $(cat "$WORK/out")"; fi

# A project without a resource file counts nothing.
expect 0 "$Q" refs "$DEMO/NoRes.vbp" --json
[ "$(cat "$WORK/out")" = '{"uses": [], "unresolved": [], "counts": null, "warnings": []}' ] || fail "NoRes: $(cat "$WORK/out")"

# The demo's code and its resource file agree.
expect 0 "$Q" check "$DEMO/Demo.res" --project "$DEMO/Demo.vbp" --unused
[ -s "$WORK/out" ] && fail "check --project of the demo: $(cat "$WORK/out")"

# A copy where the form asks for an ID the file lacks, and the file has a string no code uses.
P=$WORK/demo
cp -r "$DEMO" "$P"
sed -i 's/LoadResString(IDS_SETTINGS)/LoadResString(IDS_SETTINGS + 5)/' "$P/frmMain.frm"
line=$(grep -n 'IDS_SETTINGS + 5' "$P/frmMain.frm" | cut -d: -f1)
expect 0 "$Q" set "$P/Demo.res" 2057 200 'Nobody reads me'
expect 1 "$Q" check "$P/Demo.res" --project "$P/Demo.vbp"
# The new string lacks its translations; the code's problems come after those.
[ "$(grep -c $'\t200\tempty\t' "$WORK/out")" = 9 ] || fail "empty: $(cat "$WORK/out")"
[ "$(tail -n 1 "$WORK/out")" = $'0\t120\tmissing-id\tused in frmMain.frm line '"$line"$', but no language of the file has it' ] \
  || fail "missing-id: $(cat "$WORK/out")"
[ "$(cat "$WORK/err")" = "quillmark: $P/Demo.res: 10 problems: 9 in the translations of locale 2057, 1 in the code's resource references" ] || fail "summary: $(cat "$WORK/err")"
expect 1 "$Q" check "$P/Demo.res" --project "$P/Demo.vbp" --unused --json
python3 - "$WORK/out" <<'PY' || fail "check --json: $(cat "$WORK/out")"
import json, sys
report = json.load(open(sys.argv[1]))
rules = sorted((p["rule"], p["id"], p["locale"]) for p in report["problems"] if p["rule"] != "empty")
# 115 is no longer used: IDS_SETTINGS + 5 asks for 120.
assert rules == [("missing-id", 120, 0), ("unused", 115, 0), ("unused", 200, 0)], rules
PY
expect 0 "$Q" refs "$P/Demo.vbp"
grep -q $'^count\t200\t0$' "$WORK/out" || fail "count of an unused string: $(cat "$WORK/out")"
grep -q $'^count\t115\t0$' "$WORK/out" || fail "count of a string no longer used: $(cat "$WORK/out")"

grep -q $'^use\t120\tLoadResString\tfrmMain.frm\t'"$line"$'\tIDS_SETTINGS + 5$' "$WORK/out" || fail "use of 120: $(cat "$WORK/out")"

# Only the code's problems: the form asks for 120 alone.
expect 0 "$Q" remove "$P/Demo.res" --id 200
expect 1 "$Q" check "$P/Demo.res" --project "$P/Demo.vbp"
[ "$(cat "$WORK/err")" = "quillmark: $P/Demo.res: 1 problem in the code's resource references" ] || fail "summary: $(cat "$WORK/err")"

# A call the code alone does not tell is listed apart, and a member that is gone is a warning.
printf 'Attribute VB_Name = "modMain"\r\nPublic Sub Main()\r\n  MsgBox LoadResString(GetId())\r\nEnd Sub\r\n' >"$P/modMain.bas"
rm "$P/Classes/clsGreeting.cls"
expect 0 "$Q" refs "$P/Demo.vbp"
grep -q $'^unresolved\tLoadResString\tmodMain.bas\t3\tGetId()\tGetId is a function or an array$' "$WORK/out" \
  || fail "unresolved: $(cat "$WORK/out")"
grep -q $'^warning\t.*clsGreeting.cls' "$WORK/out" || fail "warning: $(cat "$WORK/out")"

# Bad input.
expect 2 "$Q" refs
expect 2 "$Q" check "$DEMO/Demo.res" --unused
expect 1 "$Q" refs "$WORK/none.vbp"
expect 1 "$Q" check "$DEMO/Demo.res" --project "$WORK/none.vbp"
printf 'not a project\n' >"$WORK/bad.vbp"
expect 1 "$Q" refs "$WORK/bad.vbp"
grep -q 'bad.vbp' "$WORK/err" || fail "bad project: $(cat "$WORK/err")"
printf 'Type=Exe\r\nModule=modMain; modMain.bas\r\nResFile32="Gone.res"\r\n' >"$P/NoRes.vbp"
expect 1 "$Q" refs "$P/NoRes.vbp"
grep -q 'Gone.res' "$WORK/err" || fail "missing resource file: $(cat "$WORK/err")"

if [ "$failures" != 0 ]; then echo "$failures failures"; exit 1; fi
echo "all passed"
