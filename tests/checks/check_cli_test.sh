#!/usr/bin/env bash
# Runs "quillmark check" as a build would: check_cli_test.sh QUILLMARK DEMO-FOLDER
set -u
Q=$1
DEMO=$2
. "$(dirname "$0")/../testlib/cli_expect.sh"
same() { # same ACTUAL-FILE EXPECTED-TEXT
  if [ "$(cat "$1")" != "$2" ]; then fail "got $(cat "$1") expected $2"; fi
}
json_ok() { python3 -c 'import json,sys; json.load(open(sys.argv[1]))' "$1" || fail "not JSON: $(cat "$1")"; }

# The demo's translations are sound.
expect 0 "$Q" check "$DEMO/Demo.res"
same "$WORK/out" ''
expect 0 "$Q" check "$DEMO/Demo.res" --json
same "$WORK/out" '{"source": 2057, "problems": []}'
json_ok "$WORK/out"
expect 0 "$Q" check "$DEMO/Demo.res" --source de-DE
# A neutral tag names the file's language of that family.
expect 0 "$Q" check "$DEMO/Demo.res" --source de --json
grep -q '"source": 1031' "$WORK/out" || fail "--source de: $(cat "$WORK/out")"

# A copy with a broken placeholder fails, naming the string.
F=$WORK/demo.res
cp "$DEMO/Demo.res" "$F"
expect 0 "$Q" set "$F" 1031 111 'Hallo, %1!'
expect 1 "$Q" check "$F"
same "$WORK/out" $'1031\t111\tplaceholder\t%1 is not in the source'
same "$WORK/err" "quillmark: $F: 1 problem in the translations of locale 2057"
# German as the source: now every other language lacks the placeholder.
expect 1 "$Q" check "$F" --source 1031
[ "$(grep -c $'\t111\tplaceholder\t%1 is missing$' "$WORK/out")" = 9 ] || fail "--source 1031: $(cat "$WORK/out")"
grep -q $'^2057\t111\t' "$WORK/out" || fail "--source 1031 does not check English"

# Every rule, in JSON, with texts that need escaping.
G=$WORK/rules.res
expect 0 "$Q" create "$G"
expect 0 "$Q" set "$G" 2057 1 '&Open "%s"'
expect 0 "$Q" set "$G" 1031 1 'Öffnen "%d"'
expect 0 "$Q" set "$G" 2057 2 $'Line 1\nLine 2 '
expect 0 "$Q" set "$G" 1031 2 'Zeile 1'
expect 0 "$Q" set "$G" 2057 3 'Only English'
expect 0 "$Q" set "$G" 1031 4 'Nur Deutsch {0}'
expect 1 "$Q" check "$G" --json
json_ok "$WORK/out"
python3 - "$WORK/out" <<'PY' || fail "JSON report: $(cat "$WORK/out")"
import json, sys
report = json.load(open(sys.argv[1]))
got = [(p["locale"], p["id"], p["rule"], p["text"]) for p in report["problems"]]
want = [
    (1031, 1, "placeholder", "%s is missing"),
    (1031, 1, "placeholder", "%d is not in the source"),
    (1031, 1, "access-key", "no access key, the source has one (&O)"),
    (1031, 2, "line-breaks", "0 line breaks, the source has 1"),
    (1031, 2, "spaces", "trailing spaces differ from the source"),
    (1031, 3, "empty", "no translation"),
]
assert report["source"] == 2057, report
assert got == want, got
PY
same "$WORK/err" "quillmark: $G: 6 problems in the translations of locale 2057"

# Files and command lines it refuses.
expect 1 "$Q" check "$WORK/missing.res"
grep -q "missing.res" "$WORK/err" || fail "unreadable file not named: $(cat "$WORK/err")"
printf 'not a resource file' >"$WORK/bad.res"
expect 1 "$Q" check "$WORK/bad.res"
expect 1 "$Q" check "$F" --source 1061
same "$WORK/err" "quillmark: $F: --source 1061: the file has no strings in that language"
expect 2 "$Q" check "$F" --source klingon
expect 2 "$Q" check
expect 2 "$Q" check "$F" "$G"
expect 2 "$Q" check "$F" --frobnicate
expect 0 "$Q" check --help
grep -q '^Usage: quillmark check FILE.res' "$WORK/out" || fail "check --help: $(cat "$WORK/out")"
expect 0 "$Q" --help
grep -q '^  check ' "$WORK/out" || fail "the tool's help does not list check"
# The longest command name still has its summary apart from it.
grep -q '^  pretranslate  fill' "$WORK/out" || fail "the tool's help runs a name into its summary: $(grep pretranslate "$WORK/out")"
# An empty file has nothing to check.
expect 0 "$Q" create "$WORK/empty.res"
expect 0 "$Q" check "$WORK/empty.res"

if [ "$failures" != 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "all passed"
