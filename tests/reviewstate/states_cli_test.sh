#!/usr/bin/env bash
# The review states through quillmark: states_cli_test.sh QUILLMARK
set -u
Q=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect() { # expect STATUS COMMAND...
  local status=$1; shift
  "$@" >"$WORK/out" 2>"$WORK/err"
  local got=$?
  [ "$got" = "$status" ] || fail "exit $got, expected $status: $* ($(cat "$WORK/err"))"
}
same() { [ "$(cat "$1")" = "$2" ] || fail "got [$(cat "$1")] expected [$2]"; }
has() { grep -q -- "$2" "$1" || fail "no [$2] in $1: $(cat "$1")"; }
hasnt() { ! grep -q -- "$2" "$1" || fail "[$2] in $1: $(cat "$1")"; }

F=$WORK/app.res
S=$F.state
expect 0 "$Q" create "$F"
for id in 1 2 3; do
  expect 0 "$Q" set "$F" 2057 $id "Text $id"
  expect 0 "$Q" set "$F" 1031 $id "Text $id de"
  expect 0 "$Q" set "$F" 1036 $id "Texte $id"
done
[ -f "$S" ] || fail "no state file beside $F"
head -1 "$S" | grep -q $'^quillmark-review-states\t1\tsource=2057$' || fail "header: $(head -1 "$S")"
[ "$(grep -c $'\ttranslated\t' "$S")" = 9 ] || fail "nine translated lines: $(cat "$S")"

# Nothing outdated yet.
expect 0 "$Q" check "$F"
expect 0 "$Q" stats "$F"
same "$WORK/out" $'locale\tstrings\ttranslated\tneeds-review\tapproved\tnew\tmissing\twords\ttranslated-words\tneeds-review-words\tapproved-words\tnew-words\tmissing-words\n1031\t3\t3\t0\t0\t0\t0\t6\t6\t0\t0\t0\t0\n1036\t3\t3\t0\t0\t0\t0\t6\t6\t0\t0\t0\t0'

# A changed source text: both translations are outdated, and the state file
# says so in one line per changed cell.
cp "$S" "$WORK/before.state"
expect 0 "$Q" set "$F" 2057 1 "Text one"
[ "$(diff "$WORK/before.state" "$S" | grep -c '^>')" = 3 ] || fail "diff after a source change: $(diff "$WORK/before.state" "$S")"
expect 1 "$Q" check "$F"
same "$WORK/out" $'1031\t1\toutdated\tthe source text changed since it was translated\n1036\t1\toutdated\tthe source text changed since it was translated'
same "$WORK/err" "quillmark: $F: 2 problems in the translations of locale 2057"
expect 1 "$Q" check "$F" --json
has "$WORK/out" '"rule": "outdated"'
expect 0 "$Q" stats "$F" --json
python3 - "$WORK/out" <<'PY' || fail "stats --json: $(cat "$WORK/out")"
import json, sys
r = json.load(open(sys.argv[1]))
assert r["source"] == 2057 and r["strings"] == {"strings": 3, "words": 6}, r
de = r["languages"][0]
assert de["locale"] == 1031 and de["needs-review"] == {"strings": 1, "words": 2} and de["translated"]["strings"] == 2, de
PY

# Approving one, then the rest of a language.
expect 0 "$Q" approve "$F" --lang 1031 --id 1
expect 1 "$Q" check "$F"
same "$WORK/out" $'1036\t1\toutdated\tthe source text changed since it was translated'
expect 0 "$Q" approve "$F" --lang fr-FR
expect 0 "$Q" check "$F"
[ "$(grep -c $'^1036\t[0-9]*\tapproved\t' "$S")" = 3 ] || fail "French approved: $(cat "$S")"
# A translation typed again is translated, no longer approved.
cp "$S" "$WORK/before.state"
expect 0 "$Q" set "$F" 1036 2 "Deuxième"
[ "$(diff "$WORK/before.state" "$S" | grep -c '^>')" = 1 ] || fail "diff after one translation: $(diff "$WORK/before.state" "$S")"
grep -q $'^1036\t2\ttranslated\t' "$S" || fail "typed text not translated: $(cat "$S")"

# Refusals.
expect 2 "$Q" approve "$F"
expect 2 "$Q" approve "$F" --lang 1031 --id x
expect 1 "$Q" approve "$F" --lang 1049
same "$WORK/err" "quillmark: $F: --lang 1049: the file has no strings in that language"
expect 1 "$Q" approve "$F" --lang 1031 --id 9
same "$WORK/err" "quillmark: $F: locale 1031 has no text for string 9"

# A maximum length, as a person writes it into the state file.
sed -i $'1a*\t2\tmax-length=8' "$S"
expect 1 "$Q" check "$F"
same "$WORK/out" $'1031\t2\ttoo-long\t9 characters, at most 8'
expect 0 "$Q" set "$F" 1031 2 "Kurz"
expect 0 "$Q" check "$F"
has "$S" $'^\\*\t2\tmax-length=8$'

# The exchange formats carry the states, and bring them back.
expect 0 "$Q" set "$F" 2057 3 "Text three"
expect 0 "$Q" export "$F" "$WORK/de.xlf" --target 1031
has "$WORK/de.xlf" '<unit id="2" name="2" slr:sizeRestriction="8">'
has "$WORK/de.xlf" '<segment state="final">'
has "$WORK/de.xlf" '<segment state="translated" subState="quillmark:needs-review">'
expect 0 "$Q" export "$F" "$WORK/de12.xlf" --target 1031 --format xliff12
has "$WORK/de12.xlf" 'maxwidth="8" size-unit="char"'
has "$WORK/de12.xlf" '<target state="needs-review-translation">Text 3 de</target>'
expect 0 "$Q" export "$F" "$WORK/de.po" --target 1031
grep -B3 '^msgctxt "3"' "$WORK/de.po" | grep -q '^#, fuzzy$' || fail "PO without fuzzy: $(cat "$WORK/de.po")"
grep -B3 '^msgctxt "1"' "$WORK/de.po" | grep -q 'fuzzy' && fail "approved as fuzzy: $(cat "$WORK/de.po")"
# Approved in the file, then the PO file's fuzzy entry taken back: needs review again.
expect 0 "$Q" approve "$F" --lang 1031
expect 1 "$Q" check "$F"
same "$WORK/out" $'1036\t3\toutdated\tthe source text changed since it was translated'
expect 0 "$Q" approve "$F" --lang 1036 --id 3
expect 0 "$Q" check "$F"
expect 0 "$Q" import "$WORK/de.po" "$F" --use-fuzzy
grep -q $'^1031\t3\tneeds-review\t' "$S" || fail "PO fuzzy not needs-review: $(cat "$S")"
expect 0 "$Q" approve "$F" --lang 1031
sed -i 's/state="signed-off"/state="needs-translation"/' "$WORK/de12.xlf"
expect 0 "$Q" import "$WORK/de12.xlf" "$F"
grep -q $'^1031\t3\tneeds-review\t' "$S" || fail "XLIFF needs-review-translation: $(cat "$S")"
grep -q $'^1031\t1\tneeds-review\t' "$S" || fail "XLIFF needs-translation: $(cat "$S")"
grep -q $'^1031\t2\ttranslated\t' "$S" || fail "XLIFF translated: $(cat "$S")"

# Languages and IDs the file no longer has lose their lines.
expect 0 "$Q" remove "$F" --lang 1036
hasnt "$S" $'^1036\t'
expect 0 "$Q" remove "$F" --id 3
hasnt "$S" $'\t3\t'

# A state file that cannot be read: told in one line, left as it is.
printf 'quillmark-review-states\t1\n1031\t1\tsomething\t-\t-\n' >"$S"
cp "$S" "$WORK/broken.state"
expect 0 "$Q" set "$F" 1031 1 "Neu"
[ "$(wc -l <"$WORK/err")" = 1 ] || fail "warning of more than one line: $(cat "$WORK/err")"
has "$WORK/err" "app.res.state: line 2: \"something\" is not a state"
cmp -s "$S" "$WORK/broken.state" || fail "the broken state file was changed"
expect 1 "$Q" approve "$F" --lang 1031
cmp -s "$S" "$WORK/broken.state" || fail "the broken state file was changed by approve"
expect 0 "$Q" stats "$F"
has "$WORK/out" $'^1031\t2\t2\t'

expect 0 "$Q" stats --help
has "$WORK/out" '^Usage: quillmark stats FILE.res'
expect 0 "$Q" --help
has "$WORK/out" '^  approve '

# A workbook imported over a file with states: the states of the texts it
# changes, and of those it leaves, as the import has always written them.
X=$WORK/book.res
expect 0 "$Q" create "$X"
for id in 1 2 3 4; do
  expect 0 "$Q" set "$X" 2057 $id "Text $id"
  expect 0 "$Q" set "$X" 1031 $id "Text $id de"
  expect 0 "$Q" set "$X" 1036 $id "Texte $id"
done
expect 0 "$Q" approve "$X" --lang 1031 --id 2
expect 0 "$Q" export "$X" "$WORK/book.xlsx" --sheet book
expect 0 "$Q" set "$X" 2057 1 "Text one"
expect 0 "$Q" set "$X" 1031 3 "changed"
expect 0 "$Q" import "$WORK/book.xlsx" "$X" --sheet book
same "$X.state" "$(printf '%s\n' 'quillmark-review-states	1	source=2057' \
  '1031	1	needs-review	f5379e05	dac8ad7e' '1031	2	approved	0ee6edf2	5d8540c6' \
  '1031	3	translated	f34be518	a1579054' '1031	4	translated	a4714f8c	14539d6e' \
  '1036	1	needs-review	f5379e05	00431013' '1036	2	translated	0ee6edf2	230aae15' \
  '1036	3	translated	f34be518	c70da77d' '1036	4	translated	a4714f8c	feadfe7a' \
  '2057	1	translated	f5379e05	f5379e05' '2057	2	translated	0ee6edf2	0ee6edf2' \
  '2057	3	translated	f34be518	f34be518' '2057	4	translated	a4714f8c	a4714f8c')"

# The same over a file that gained and lost strings and a language since the
# export, changed a source text and carries notes: a text the book lacks keeps
# its line only for its note, the file's other lines are kept where the book
# has their text, and the book's strings the file lacked get lines of their own.
Y=$WORK/more.res
expect 0 "$Q" create "$Y"
for id in 1 2 3 4 5; do
  expect 0 "$Q" set "$Y" 2057 $id "Text $id"
  expect 0 "$Q" set "$Y" 1031 $id "Text $id de"
done
expect 0 "$Q" set "$Y" 1040 2 "Testo 2"
expect 0 "$Q" set "$Y" 2057 6 "Text 6"
expect 0 "$Q" approve "$Y" --lang 1031 --id 4
expect 0 "$Q" export "$Y" "$WORK/more.xlsx" --sheet more
expect 0 "$Q" set "$Y" 2057 2 "Text two"
expect 0 "$Q" set "$Y" 1031 3 "geändert"
expect 0 "$Q" set "$Y" 2057 7 "Text 7"
expect 0 "$Q" set "$Y" 1036 1 "Texte 1"
expect 0 "$Q" remove "$Y" --id 5
expect 0 "$Q" set "$Y" 1031 6 "Sechs"
sed -i $'s/^\\(1031\t1\t.*\\)$/\\1\tnote=keep me/; s/^\\(1031\t4\t.*\\)$/\\1\tnote=approved by Ann/; s/^\\(1031\t6\t.*\\)$/\\1\tnote=no text in the book/' "$Y.state"
cp "$Y.state" "$WORK/more.before"
expect 0 "$Q" import "$WORK/more.xlsx" "$Y" --sheet more -o "$WORK/more-out.res"
cmp -s "$Y.state" "$WORK/more.before" || fail "the state file beside FILE.res changed with -o"
same "$WORK/more-out.res.state" "$(printf '%s\n' 'quillmark-review-states	1	source=2057' \
  '1031	1	translated	f5379e05	dac8ad7e	note=keep me' '1031	2	needs-review	0ee6edf2	5d8540c6' \
  '1031	3	translated	f34be518	a1579054' '1031	4	approved	a4714f8c	14539d6e	note=approved by Ann' \
  '1031	5	translated	df1394df	6dbfebd3' '1031	6	new	6f768fa9	-	note=no text in the book' \
  '1040	2	needs-review	0ee6edf2	f72db552' \
  '2057	1	translated	f5379e05	f5379e05' '2057	2	translated	0ee6edf2	0ee6edf2' \
  '2057	3	translated	f34be518	f34be518' '2057	4	translated	a4714f8c	a4714f8c' \
  '2057	5	translated	df1394df	df1394df' '2057	6	translated	6f768fa9	6f768fa9')"
expect 0 "$Q" dump "$WORK/more-out.res"
same "$WORK/out" "$(printf '%s\n' '1031	1	Text 1 de' '1031	2	Text 2 de' '1031	3	Text 3 de' '1031	4	Text 4 de' \
  '1031	5	Text 5 de' '1040	2	Testo 2' '2057	1	Text 1' '2057	2	Text 2' '2057	3	Text 3' '2057	4	Text 4' \
  '2057	5	Text 5' '2057	6	Text 6')"

if [ "$failures" != 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "all passed"
