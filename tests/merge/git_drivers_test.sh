#!/usr/bin/env bash
# quillmark diff, merge and dump --textconv, on their own and as git's drivers
# for .res files: git_drivers_test.sh QUILLMARK DEMO-FOLDER
set -u
Q=$1
DEMO=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# expect STATUS COMMAND...: runs it with its output in $WORK/out and $WORK/err.
expect() {
  local status=$1; shift
  "$@" >"$WORK/out" 2>"$WORK/err"
  local got=$?
  [ "$got" = "$status" ] || fail "exit $got, expected $status: $* ($(cat "$WORK/err"))"
}
same() { # same FILE EXPECTED-TEXT
  [ "$(cat "$1")" = "$2" ] || fail "got: $(cat "$1")
expected: $2"
}
has() { # has FILE TEXT: a line of FILE is TEXT
  grep -qxF -- "$2" "$1" || fail "no line \"$2\" in: $(cat "$1")"
}
json_ok() { python3 -c 'import json,sys; json.load(open(sys.argv[1]))' "$1" || fail "not JSON: $(cat "$1")"; }

A=$WORK/a.res
B=$WORK/b.res
cp "$DEMO/Demo.res" "$A"
cp "$DEMO/Demo.res" "$B"

# diff: the same strings are no difference, as diff's exit status says.
expect 0 "$Q" diff "$A" "$B"
same "$WORK/out" ''
"$Q" set "$B" 2057 101 'File	(tab)' && "$Q" set "$B" 1031 102 '' && "$Q" set "$B" 1031 120 'Neu' || fail "set"
expect 1 "$Q" diff "$A" "$B"
# Sorted by locale, then ID.
same "$WORK/out" "$(printf 'string\tremoved\t1031\t102\tÖffnen...\nstring\tadded\t1031\t120\tNeu\nstring\tchanged\t2057\t101\tFile\tFile\\t(tab)')"
expect 1 "$Q" diff "$A" "$B" --json
json_ok "$WORK/out"
same "$WORK/out" '{"strings": {"added": [[1031, 120, "Neu"]], "removed": [[1031, 102, "Öffnen..."]], "changed": [[2057, 101, "File", "File\t(tab)"]]}, "resources": {"differ": false, "added": [], "removed": [], "changed": []}}'
expect 0 "$Q" diff "$A" "$A" --json
same "$WORK/out" '{"strings": {"added": [], "removed": [], "changed": []}, "resources": {"differ": false, "added": [], "removed": [], "changed": []}}'
# Trouble is 2, never 1: a script can tell it from a difference.
expect 2 "$Q" diff "$A" "$WORK/missing.res"
grep -q "^quillmark: .*missing.res: cannot be read" "$WORK/err" || fail "diff of a missing file: $(cat "$WORK/err")"
printf 'not a resource file' >"$WORK/bad.res"
expect 2 "$Q" diff "$WORK/bad.res" "$A"
expect 2 "$Q" diff "$A"
expect 2 "$Q" diff "$A" "$B" --bogus

# dump --textconv: one line per string, by ID, then locale; tags for locales.
expect 0 "$Q" dump --textconv "$B"
[ "$(head -n 3 "$WORK/out")" = "$(printf '101\tar-SA\tملف\n101\tde-DE\tDatei\n101\tel-GR\tΑρχείο')" ] ||
  fail "textconv order: $(head -n 3 "$WORK/out")"
has "$WORK/out" "$(printf '101\ten-GB\tFile\\t(tab)')"
grep -q $'^102\tde-DE' "$WORK/out" && fail "textconv lists a removed string"
[ "$(wc -l <"$WORK/out")" = "$("$Q" dump "$B" | wc -l)" ] || fail "textconv and dump list different strings"
expect 0 "$Q" dump --textconv "$WORK/bad.res"
grep -q '^unreadable resource file: ' "$WORK/out" || fail "textconv of a bad file: $(cat "$WORK/out")"
expect 2 "$Q" dump --textconv --json "$A"

# merge on its own: the changes of both sides, into OURS or OUT.
O=$WORK/ours.res
T=$WORK/theirs.res
cp "$A" "$O"; cp "$A" "$T"
"$Q" set "$O" 2057 101 'File (ours)' && "$Q" set "$T" 1031 101 'Datei (theirs)' && "$Q" set "$T" 2057 130 'New' || fail "set"
expect 0 "$Q" merge "$A" "$O" "$T" -o "$WORK/merged.res"
same "$WORK/err" ''
expect 1 "$Q" diff "$A" "$WORK/merged.res"
same "$WORK/out" "$(printf 'string\tchanged\t1031\t101\tDatei\tDatei (theirs)\nstring\tchanged\t2057\t101\tFile\tFile (ours)\nstring\tadded\t2057\t130\tNew')"
expect 0 "$Q" merge "$A" "$O" "$T"
expect 0 "$Q" diff "$O" "$WORK/merged.res"
# Both changed one string: OURS' text stays, the conflict is told, exit 1.
"$Q" set "$T" 2057 101 'File (theirs)' || fail "set"
cp "$O" "$WORK/before.res"
expect 1 "$Q" merge "$A" "$O" "$T"
same "$WORK/err" "quillmark: conflict in string 101, locale 2057 (en-GB): base \"File\", ours \"File (ours)\", theirs \"File (theirs)\"
quillmark: $O: 1 conflict, ours kept"
expect 0 "$Q" diff "$WORK/before.res" "$O"
# Removed on one side and changed on the other is a conflict too.
cp "$A" "$O"; cp "$A" "$T"
"$Q" set "$O" 1031 103 '' && "$Q" set "$T" 1031 103 'Sichern' || fail "set"
expect 1 "$Q" merge "$A" "$O" "$T"
grep -q '^quillmark: conflict in string 103, locale 1031 (de-DE): base "Speichern", ours (removed), theirs "Sichern"$' "$WORK/err" ||
  fail "removed against changed: $(cat "$WORK/err")"
# An empty BASE: both sides added the file, so every cell they differ in is
# an addition on one side or a conflict.
: >"$WORK/empty.res"
"$Q" set "$T" 2057 101 'File (theirs)' || fail "set"
expect 1 "$Q" merge "$WORK/empty.res" "$O" "$T" -o "$WORK/added.res"
same "$WORK/err" "quillmark: conflict in string 101, locale 2057 (en-GB): base (none), ours \"File\", theirs \"File (theirs)\"
quillmark: $WORK/added.res: 1 conflict, ours kept"
"$Q" dump "$WORK/added.res" >"$WORK/out"
has "$WORK/out" $'1031\t103\tSichern'
# Unreadable input or a wrong command line: 2, and OURS untouched.
cp "$O" "$WORK/before.res"
expect 2 "$Q" merge "$A" "$O" "$WORK/bad.res"
cmp -s "$O" "$WORK/before.res" || fail "a failed merge changed OURS"
expect 2 "$Q" merge "$WORK/bad.res" "$O" "$T"
expect 2 "$Q" merge "$A" "$O"
expect 2 "$Q" merge "$A" "$O" "$T" -o "$WORK"
cmp -s "$O" "$WORK/before.res" || fail "a refused merge changed OURS"

# merge of review state files: told by their first line, merged line by line.
SB=$WORK/base.state
SO=$WORK/ours.state
ST=$WORK/theirs.state
printf 'quillmark-review-states\t1\tsource=2057\n1031\t5\ttranslated\te0e0e0e0\td0d0d0d0\n1031\t6\ttranslated\te0e0e0e0\td6d6d6d6\n2057\t5\ttranslated\te0e0e0e0\te0e0e0e0\n' >"$SB"
sed 's/^1031\t5\ttranslated/1031\t5\tapproved/' "$SB" >"$SO"
sed 's/d6d6d6d6$/d6d6d6d6\tnote=Kurz/' "$SB" >"$ST"
expect 0 "$Q" merge "$SB" "$SO" "$ST" -o "$WORK/merged.state"
same "$WORK/err" ''
same "$WORK/merged.state" "$(printf 'quillmark-review-states\t1\tsource=2057\n1031\t5\tapproved\te0e0e0e0\td0d0d0d0\n1031\t6\ttranslated\te0e0e0e0\td6d6d6d6\tnote=Kurz\n2057\t5\ttranslated\te0e0e0e0\te0e0e0e0')"
sed 's/^1031\t5\ttranslated/1031\t5\tneeds-review/' "$SB" >"$ST"
cp "$SO" "$WORK/before.state"
expect 1 "$Q" merge "$SB" "$SO" "$ST"
same "$WORK/err" "quillmark: conflict in the review state of string 5, locale 1031 (de-DE): base \"translated e0e0e0e0 d0d0d0d0\", ours \"approved e0e0e0e0 d0d0d0d0\", theirs \"needs-review e0e0e0e0 d0d0d0d0\"
quillmark: $SO: 1 conflict, ours kept"
cmp -s "$SO" "$WORK/before.state" || fail "a conflict changed OURS' state file: $(cat "$SO")"
# A state file against a broken one, or one with two lines for a cell: 2, OURS untouched.
printf 'quillmark-review-states\t1\n1031\t5\tbogus\t-\t-\n' >"$WORK/bad.state"
expect 2 "$Q" merge "$SB" "$SO" "$WORK/bad.state"
grep -q 'bad.state: line 2: "bogus" is not a state' "$WORK/err" || fail "a broken state file: $(cat "$WORK/err")"
cat "$SB" <(tail -n 1 "$SB") >"$WORK/twice.state"
expect 2 "$Q" merge "$SB" "$SO" "$WORK/twice.state"
grep -q 'locale 2057, string 5 has a second line' "$WORK/err" || fail "a line twice: $(cat "$WORK/err")"
expect 2 "$Q" merge "$SB" "$SO" "$A"
cmp -s "$SO" "$WORK/before.state" || fail "a failed merge changed OURS' state file"
: >"$WORK/empty.state"
expect 0 "$Q" merge "$WORK/empty.state" "$SO" "$SO" -o "$WORK/added.state"
cmp -s "$SO" "$WORK/added.state" || fail "both added the same state file: $(cat "$WORK/added.state")"

# The help tells how to install both drivers.
expect 0 "$Q" help merge
has "$WORK/out" '  *.res merge=quillmark diff=quillmark'
has "$WORK/out" '  *.res.state merge=quillmark'
has "$WORK/out" '  git config merge.quillmark.driver "quillmark merge %O %A %B"'
has "$WORK/out" '  git config diff.quillmark.textconv "quillmark dump --textconv"'

# With git: a repository holding the demo, the drivers installed as the help says.
R=$WORK/repo
mkdir "$R"
git() { command git -C "$R" -c user.name=Test -c user.email=test@example.org -c init.defaultBranch=main "$@"; }
git init -q
git config merge.quillmark.name "Quillmark resource file merge"
git config merge.quillmark.driver "$Q merge %O %A %B"
git config diff.quillmark.textconv "$Q dump --textconv"
printf '*.res merge=quillmark diff=quillmark\n*.res.state merge=quillmark\n' >"$R/.gitattributes"
cp "$DEMO/Demo.res" "$R/Demo.res"
# The review states beside it, one line for every translation.
"$Q" approve "$R/Demo.res" --lang 1031 --id 104 || fail "approve"
[ "$(wc -l <"$R/Demo.res.state")" = 161 ] || fail "not a full state file: $(cat "$R/Demo.res.state")"
git add .gitattributes Demo.res Demo.res.state && git commit -qm "The demo" || fail "commit"
change() { # change BRANCH LOCALE ID TEXT: a commit on BRANCH that sets one string
  git checkout -q "$1" && "$Q" set "$R/Demo.res" "$2" "$3" "$4" && git commit -qam "$1: $2 $3" || fail "commit on $1"
}
git branch left && git branch right && git branch clash && git branch translate
change left 2057 101 'File (left)'
change right 1031 102 'Öffnen (right)'
change clash 2057 101 'File (clash)'
change translate 1031 101 'Datei (translate)'
git checkout -q right && "$Q" approve "$R/Demo.res" --lang 1049 --id 103 && git commit -qam "right: approved" || fail "approve on right"

# Different strings on two branches merge cleanly through the driver, their
# states with them.
git checkout -q left
"$Q" check "$R/Demo.res" >"$WORK/left-check" 2>&1
git merge -q --no-edit right >"$WORK/out" 2>&1 || fail "clean merge failed: $(cat "$WORK/out")"
[ -z "$(git status --porcelain)" ] || fail "after the clean merge: $(git status --porcelain)"
"$Q" dump "$R/Demo.res" >"$WORK/out"
has "$WORK/out" $'2057\t101\tFile (left)'
has "$WORK/out" $'1031\t102\tÖffnen (right)'
[ "$(wc -l <"$WORK/out")" = 160 ] || fail "the merge lost or added strings: $(wc -l <"$WORK/out")"
"$Q" stats "$R/Demo.res" >"$WORK/err" 2>&1 || fail "stats after the merge: $(cat "$WORK/err")"
grep -q 'review state' "$WORK/err" && fail "the merged state file is not read: $(cat "$WORK/err")"
"$Q" check "$R/Demo.res" >"$WORK/out" 2>&1
# Left's source change still makes string 101 outdated in every language.
[ "$(grep -c $'\t101\toutdated\t' "$WORK/out")" = 9 ] || fail "outdated after the merge: $(cat "$WORK/out")"
[ "$(grep -c $'\t101\toutdated\t' "$WORK/left-check")" = 9 ] || fail "outdated on left: $(cat "$WORK/left-check")"
grep -q $'^1049\t103\toutdated' "$WORK/out" && fail "right's approval of 1049 103 is lost: $(cat "$WORK/out")"
grep -q $'^1031\t102\toutdated' "$WORK/out" && fail "right's translation needs review: $(cat "$WORK/out")"
grep -qx $'1049\t103\tapproved\t[0-9a-f]*\t[0-9a-f]*' "$R/Demo.res.state" || fail "no approval in: $(grep $'^1049\t103' "$R/Demo.res.state")"

# A translation of the old source text, merged with the new source text: the
# text comes from the one branch, the source from the other, and it needs review.
git merge -q --no-edit translate >"$WORK/out" 2>&1 || fail "merge of a translation failed: $(cat "$WORK/out")"
[ -z "$(git status --porcelain)" ] || fail "after merging the translation: $(git status --porcelain)"
"$Q" dump "$R/Demo.res" >"$WORK/out"
has "$WORK/out" $'1031\t101\tDatei (translate)'
has "$WORK/out" $'2057\t101\tFile (left)'
"$Q" check "$R/Demo.res" >"$WORK/out" 2>&1
grep -q $'^1031\t101\toutdated\t' "$WORK/out" || fail "the translation of the old source is not outdated: $(cat "$WORK/out")"
git reset -q --hard HEAD~1

# The same string on both: a conflict, the driver's exit 1, ours' text kept.
git merge --no-edit clash >"$WORK/out" 2>&1 && fail "a conflicting merge succeeded"
grep -q 'quillmark: conflict in string 101, locale 2057 (en-GB): base "File", ours "File (left)", theirs "File (clash)"' "$WORK/out" ||
  fail "git merge does not show the conflict: $(cat "$WORK/out")"
grep -q 'CONFLICT (content): Merge conflict in Demo.res$' "$WORK/out" || fail "git does not call it a conflict: $(cat "$WORK/out")"
# Its state line conflicts with it; the other languages' lines of 101 do not.
grep -q 'quillmark: conflict in the review state of string 101, locale 2057 (en-GB): ' "$WORK/out" ||
  fail "git merge does not show the state conflict: $(cat "$WORK/out")"
[ "$(grep -c 'conflict in the review state' "$WORK/out")" = 1 ] || fail "state conflicts: $(cat "$WORK/out")"
grep -q 'CONFLICT (content): Merge conflict in Demo.res.state' "$WORK/out" || fail "the state file is no conflict: $(cat "$WORK/out")"
[ "$(git status --porcelain)" = "$(printf 'UU Demo.res\nUU Demo.res.state')" ] || fail "after the conflict: $(git status --porcelain)"
"$Q" dump "$R/Demo.res" >"$WORK/out"
has "$WORK/out" $'2057\t101\tFile (left)'
has "$WORK/out" $'1031\t102\tÖffnen (right)'
git merge --abort

# git diff shows the changed strings as text.
"$Q" set "$R/Demo.res" 2057 103 'Save all' || fail "set"
git diff -- Demo.res >"$WORK/out" 2>&1 || fail "git diff failed"
grep -q 'Binary files' "$WORK/out" && fail "git diff calls the file binary"
has "$WORK/out" "$(printf -- '-103\ten-GB\tSave')"
has "$WORK/out" "$(printf -- '+103\ten-GB\tSave all')"
[ "$(grep -c '^[-+][0-9]' "$WORK/out")" = 2 ] || fail "git diff shows more than the one string: $(cat "$WORK/out")"
git log -p -- Demo.res >"$WORK/out" 2>&1 || fail "git log -p failed"
grep -q "$(printf '^+102\tde-DE\tÖffnen (right)$')" "$WORK/out" || fail "git log -p: $(cat "$WORK/out")"

if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all passed"
