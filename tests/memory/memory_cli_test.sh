#!/usr/bin/env bash
# The translation memory from the command line: memory_cli_test.sh QUILLMARK DEMO-FOLDER
set -u
Q=$1
DEMO=$2
. "$(dirname "$0")/../testlib/cli_expect.sh"
export QM_MEMORY_FILE=$WORK/m/memory.db

same() { # same ACTUAL-FILE EXPECTED-TEXT
  if [ "$(cat "$1")" != "$2" ]; then fail "got $(cat "$1") expected $2"; fi
}
json_ok() { python3 -c 'import json,sys; json.load(open(sys.argv[1]))' "$1" || fail "not JSON: $(cat "$1")"; }

# A second project's strings fill the memory.
P=$WORK/project.res
expect 0 "$Q" create "$P"
expect 0 "$Q" set "$P" 2057 1 '&Open...'
expect 0 "$Q" set "$P" 1036 1 '&Ouvrir...'
expect 0 "$Q" set "$P" 2057 2 'The file %1 was not found.'
expect 0 "$Q" set "$P" 1036 2 'Le fichier %1 est introuvable.'
expect 0 "$Q" set "$P" 2057 3 'Save the document'
expect 0 "$Q" set "$P" 1036 3 'Enregistrer le document'
expect 0 "$Q" memory stats
grep -q "^$QM_MEMORY_FILE: 0 translations of 0 source texts from 0 files, [0-9]* bytes$" "$WORK/out" || fail "stats: $(cat "$WORK/out")"
expect 0 "$Q" memory add "$P"
same "$WORK/out" "$P: 3 translations, 3 new"
expect 0 "$Q" memory stats --json
json_ok "$WORK/out"
grep -q '{"source": 2057, "target": 1036, "entries": ' "$WORK/out" || fail "stats: $(cat "$WORK/out")"

# Lookups set access keys, placeholders and the ellipsis aside and put them back.
expect 0 "$Q" memory lookup --source en-GB --target fr-FR Open
same "$WORK/out" $'100\tOuvrir\t'"$P"$'\t1'
expect 0 "$Q" memory lookup --source 2057 --target 1036 --json -- 'The file {0} was not found.'
json_ok "$WORK/out"
grep -q '"percent": 100, "text": "Le fichier {0} est introuvable."' "$WORK/out" || fail "lookup --json: $(cat "$WORK/out")"
expect 0 "$Q" memory lookup --source 2057 --target 1036 'Save the documents'
same "$WORK/out" $'94\tEnregistrer le document\t'"$P"$'\t3'
expect 0 "$Q" memory lookup --source 2057 --target 1036 --min-match 95 'Save the documents'
same "$WORK/out" ''
expect 2 "$Q" memory lookup --source 2057 Open
expect 2 "$Q" memory lookup --source 2057 --target nowhere Open
expect 2 "$Q" memory forget
expect 1 "$Q" memory add "$WORK/missing.res"
expect 1 "$Q" memory add "$WORK/notes.txt"

# Pre-translation fills the missing texts only, and says how many at which level.
T=$WORK/target.res
expect 0 "$Q" create "$T"
expect 0 "$Q" set "$T" 2057 10 'Open:'
expect 0 "$Q" set "$T" 2057 11 'Save the documents'
expect 0 "$Q" set "$T" 2057 12 'Nothing like it'
expect 0 "$Q" set "$T" 2057 13 'The file %1 was not found.'
expect 0 "$Q" set "$T" 1036 13 'Fichier %1 absent.'
cp "$T" "$WORK/before.res"
expect 0 "$Q" pretranslate "$T" --target fr-FR -o "$WORK/out.res"
same "$WORK/out" "$T: filled 1 of 3 missing texts of locale 1036 (1 at 100%)"
cmp -s "$T" "$WORK/before.res" || fail "pretranslate -o changed its input"
expect 0 "$Q" pretranslate "$T" --target 1036 --min-match 90
same "$WORK/out" "$T: filled 2 of 3 missing texts of locale 1036 (1 at 100%, 1 at 85-94%)"
expect 0 "$Q" dump "$T"
grep -q 'Ouvrir:' "$WORK/out" || fail "pretranslated text: $(cat "$WORK/out")"
grep -q 'Fichier %1 absent.' "$WORK/out" || fail "a text the language had was changed: $(cat "$WORK/out")"
expect 2 "$Q" pretranslate "$T" --target 2057
expect 2 "$Q" pretranslate "$T" --target 1036 --min-match 0

# The memory is never required: a damaged one is moved aside, and pretranslate goes on without it.
mkdir -p "$WORK/bad"
printf 'not a database %.0s' $(seq 1 300) >"$WORK/bad/memory.db"
cp "$WORK/bad/memory.db" "$WORK/bad.copy"
cp "$WORK/before.res" "$WORK/t2.res"
QM_MEMORY_FILE=$WORK/bad/memory.db "$Q" pretranslate "$WORK/t2.res" --target 1036 >"$WORK/out" 2>"$WORK/err" || fail "pretranslate without a memory failed"
same "$WORK/out" "$WORK/t2.res: filled 0 of 3 missing texts of locale 1036"
[ "$(wc -l <"$WORK/err")" = 1 ] && grep -q 'moved aside' "$WORK/err" || fail "notice: $(cat "$WORK/err")"
cmp -s "$WORK/t2.res" "$WORK/before.res" || fail "pretranslate without a memory changed the file"
aside=$(ls "$WORK/bad" | grep 'memory.db.damaged-')
cmp -s "$WORK/bad/$aside" "$WORK/bad.copy" || fail "the damaged memory was not kept: $(ls "$WORK/bad")"

# TMX out, read by translate-toolkit, and in again.
expect 0 "$Q" memory add "$P" "$DEMO/Demo.res"
head -1 "$WORK/out" >"$WORK/first"
same "$WORK/first" "$P: 3 translations, 0 new"
expect 0 "$Q" memory export "$WORK/all.tmx"
count=$(sed -n 's/^\([0-9]*\) translations written to .*/\1/p' "$WORK/out")
[ -n "$count" ] && [ "$count" -gt 3 ] || fail "export: $(cat "$WORK/out")"
# The system's python, where Debian installs translate-toolkit.
if /usr/bin/python3 -c 'import translate.storage.tmx' 2>/dev/null; then
  units=$(/usr/bin/python3 -c 'import sys; from translate.storage import tmx; print(len(tmx.tmxfile.parsefile(sys.argv[1]).units))' "$WORK/all.tmx")
  [ "$units" = "$count" ] || fail "translate-toolkit reads $units units of $count"
else
  echo "SKIP: translate-toolkit is not installed"
fi
QM_MEMORY_FILE=$WORK/m2/memory.db expect 0 "$Q" memory add "$WORK/all.tmx"
same "$WORK/out" "$WORK/all.tmx: $count translations, $count new"

# PO and XLIFF files give their source texts with the translations.
expect 0 "$Q" export "$P" "$WORK/fr.po" --target 1036
expect 0 "$Q" export "$P" "$WORK/fr.xlf" --target 1036
QM_MEMORY_FILE=$WORK/m3/memory.db expect 0 "$Q" memory add "$WORK/fr.po" "$WORK/fr.xlf"
same "$WORK/out" "$WORK/fr.po: 3 translations, 3 new
$WORK/fr.xlf: 3 translations, 0 new"
QM_MEMORY_FILE=$WORK/m3/memory.db expect 0 "$Q" memory lookup --source 2057 --target 1036 'Open:'
same "$WORK/out" $'100\tOuvrir:\t'"$WORK/fr.xlf"$'\t1'

# Two writers at once: both files end up in the memory, each pair once.
export QM_MEMORY_FILE=$WORK/m4/memory.db
A=$WORK/a.res; B=$WORK/b.res
expect 0 "$Q" create "$A"
expect 0 "$Q" create "$B"
for i in $(seq 1 40); do
  "$Q" set "$A" 2057 "$i" "Shared text $i" && "$Q" set "$A" 1031 "$i" "Geteilter Text $i" || fail "set $i"
done
cp "$A" "$B"
expect 0 "$Q" set "$B" 2057 100 'Only in B'
expect 0 "$Q" set "$B" 1031 100 'Nur in B'
"$Q" memory add "$A" >"$WORK/outa" 2>&1 & first=$!
"$Q" memory add "$B" >"$WORK/outb" 2>&1 & second=$!
wait $first || fail "first writer: $(cat "$WORK/outa")"
wait $second || fail "second writer: $(cat "$WORK/outb")"
expect 0 "$Q" memory stats
grep -q ': 41 translations of 41 source texts from 2 files' "$WORK/out" || fail "two writers: $(cat "$WORK/out")"

# The check's consistency rule.
C=$WORK/c.res
expect 0 "$Q" create "$C"
expect 0 "$Q" set "$C" 2057 1 'Open'
expect 0 "$Q" set "$C" 2057 2 'Open'
expect 0 "$Q" set "$C" 1036 1 'Ouvrir'
expect 0 "$Q" set "$C" 1036 2 'Lancer'
expect 1 "$Q" check "$C"
same "$WORK/out" $'1036\t2\tinconsistent\ttranslated otherwise than string 1, which has the same source text'

echo "$failures failures"
[ "$failures" = 0 ]
