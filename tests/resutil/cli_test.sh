#!/usr/bin/env bash
# Runs the quillmark tool as a user would: cli_test.sh QUILLMARK TESTDIR
set -u
Q=$1
DATA=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS COMMAND...: runs the command, checks the exit status (0 success,
# 1 failed work, 2 wrong command line) and, on failure, that standard error is
# exactly one "quillmark: " line.
expect() {
  local status=$1; shift
  "$@" >"$WORK/out" 2>"$WORK/err"
  local got=$?
  if [ "$got" != "$status" ]; then fail "exit $got, expected $status: $* ($(cat "$WORK/err"))"; return; fi
  if [ "$status" != 0 ]; then
    if [ "$(wc -l <"$WORK/err")" != 1 ] || ! grep -q '^quillmark: ' "$WORK/err"; then fail "error output of $*: $(cat "$WORK/err")"; fi
  elif [ -s "$WORK/err" ]; then
    fail "unexpected error output of $*: $(cat "$WORK/err")"
  fi
}

same() { # same ACTUAL-FILE EXPECTED-TEXT
  if [ "$(cat "$1")" != "$2" ]; then fail "got $(cat "$1") expected $2"; fi
}

F=$WORK/a.res
expect 0 "$Q" create "$F"
expect 1 "$Q" create "$F"
same "$WORK/err" "quillmark: $F: already exists; nothing was written (use --force to replace it)"
expect 0 "$Q" create "$F" --force
expect 0 "$Q" dump "$F" --json
same "$WORK/out" '{"strings": [], "resources": []}'

expect 0 "$Q" set "$F" 1033 1 'Hello "world"'
expect 0 "$Q" set "$F" 1031 1 'Grüße'
expect 0 "$Q" set "$F" 1033 16 $'line\nbreak\ttab\\'
expect 0 "$Q" set "$F" 1041 65535 '日本語 😀'
expect 0 "$Q" dump "$F" --json
same "$WORK/out" '{"strings": [[1031, 1, "Grüße"], [1033, 1, "Hello \"world\""], [1033, 16, "line\nbreak\ttab\\"], [1041, 65535, "日本語 😀"]], "resources": []}'
expect 0 "$Q" dump "$F"
same "$WORK/out" $'1031\t1\tGrüße\n1033\t1\tHello "world"\n1033\t16\tline\\nbreak\\ttab\\\\\n1041\t65535\t日本語 😀'

# Replacing a text, and writing elsewhere with -o.
expect 0 "$Q" set "$F" 1033 1 'Hi' -o "$WORK/b.res"
expect 0 "$Q" dump "$WORK/b.res"
grep -q $'^1033\t1\tHi$' "$WORK/out" || fail "set -o did not write the new text"
expect 0 "$Q" dump "$F"
grep -q $'^1033\t1\tHello "world"$' "$WORK/out" || fail "set -o changed the input file"

expect 0 "$Q" remove "$F" --id 1
expect 0 "$Q" dump "$F"
same "$WORK/out" $'1033\t16\tline\\nbreak\\ttab\\\\\n1041\t65535\t日本語 😀'
expect 0 "$Q" remove "$F" --lang 1041 -o "$WORK/c.res"
expect 0 "$Q" dump "$WORK/c.res"
same "$WORK/out" $'1033\t16\tline\\nbreak\\ttab\\\\'
expect 1 "$Q" remove "$F" --id 4242
expect 2 "$Q" remove "$F"

# What the format cannot hold is refused and nothing is written.
cp "$F" "$WORK/before.res"
expect 1 "$Q" set "$F" 1033 65536 'too high'
same "$WORK/err" "quillmark: $F: not saved: string ID 65536 in locale 1033: the string ID is outside 0..65535"
expect 1 "$Q" set "$F" 70000 1 'bad locale'
expect 1 "$Q" set "$F" 1033 -- -1 'negative'
expect 2 "$Q" set "$F" 1033 -1 'negative'
same "$WORK/err" 'quillmark: set: unknown option -1 (see quillmark set --help)'
expect 2 "$Q" set "$F" x 1 'not a locale'
same "$WORK/err" 'quillmark: LOCALE "x" is neither a locale ID (1033 or 0x409) nor a known locale tag (en-US)'
expect 2 "$Q" set "$F" 1033 1x 'not a number'
expect 2 "$Q" set "$F" 0x 1 'no hex digits'
expect 2 "$Q" remove "$F" --lang xx-XX
cmp -s "$F" "$WORK/before.res" || fail "a refused set changed the file"

# Bad input: clear messages, exit 1, nothing written over.
expect 1 "$Q" dump "$WORK/missing.res"
same "$WORK/err" "quillmark: $WORK/missing.res: cannot be read: No such file or directory"
printf 'not a resource file at all' >"$WORK/bad.res"
expect 1 "$Q" dump "$WORK/bad.res" --json
same "$WORK/err" "quillmark: $WORK/bad.res: offset 0 (0x0): not a 32-bit resource file (it does not open with the empty entry)"
expect 1 "$Q" set "$WORK/bad.res" 1033 1 'x'
same "$WORK/bad.res" 'not a resource file at all'
# Output that cannot be written is a failure, not a success.
if [ -w /dev/full ]; then
  for format in "" --json; do
    "$Q" dump "$F" $format >/dev/full 2>"$WORK/err"
    status=$?
    [ "$status" = 1 ] || fail "dump $format to a full disk: exit $status"
    same "$WORK/err" "quillmark: $F: the output could not be written: No space left on device"
  done
fi
# A wrong command line: exit 2, one message, nothing done.
expect 2 "$Q" frobnicate
same "$WORK/err" 'quillmark: unknown command "frobnicate" (see quillmark --help)'
expect 2 "$Q" --frobnicate
expect 2 "$Q" dump
expect 2 "$Q" dump "$F" --bogus
same "$WORK/err" 'quillmark: dump: unknown option --bogus (see quillmark dump --help)'
expect 2 "$Q" set "$F" 1033 1 'x' -o
expect 2 "$Q" set "$F" 1033 1 $'\xff\xfe'
"$Q" >"$WORK/out" 2>"$WORK/err"
status=$?
[ "$status" = 2 ] || fail "no arguments: exit $status"
[ -s "$WORK/out" ] && fail "no arguments wrote to standard output"
grep -q '^Usage: quillmark' "$WORK/err" || fail "no arguments: no usage on standard error"
cmp -s "$F" "$WORK/before.res" || fail "a wrong command line changed the file"

# "--" ends the options, also for a text that looks like one.
G=$WORK/dash.res
expect 0 "$Q" create "$G"
expect 0 "$Q" set "$G" 1033 101 -- --help
expect 0 "$Q" set "$G" 1033 102 -o "$G" -- -o
expect 0 "$Q" dump -- "$G"
same "$WORK/out" $'1033\t101\t--help\n1033\t102\t-o'

# Every form of a locale: decimal, hexadecimal, tag (specific or neutral).
expect 0 "$Q" set "$G" 0x407 1 'Hallo'
expect 0 "$Q" set "$G" en-GB 1 'Hello'
expect 0 "$Q" set "$G" ja_jp 1 'こんにちは'
expect 0 "$Q" set "$G" de 1 'neutral'
expect 0 "$Q" set "$G" 0X40C 1 'Bonjour'
expect 0 "$Q" dump "$G"
same "$WORK/out" $'7\t1\tneutral\n1031\t1\tHallo\n1033\t101\t--help\n1033\t102\t-o\n1036\t1\tBonjour\n1041\t1\tこんにちは\n2057\t1\tHello'
expect 0 "$Q" remove "$G" --lang=en-US
expect 0 "$Q" remove "$G" --lang 0x0407 --id 1
expect 0 "$Q" dump "$G"
same "$WORK/out" $'7\t1\tneutral\n1036\t1\tBonjour\n1041\t1\tこんにちは\n2057\t1\tHello'

expect 0 "$Q" --version
grep -qE '^quillmark [0-9]+\.[0-9]+\.[0-9]+$' "$WORK/out" || fail "version: $(cat "$WORK/out")"

# Help for the tool and for each command.
for command in "" dump set remove create export import; do
  expect 0 "$Q" $command --help
  grep -q '^Usage: quillmark' "$WORK/out" || fail "no usage in help of '$command'"
  expect 0 "$Q" $command -h
  expect 0 "$Q" help $command
done
expect 0 "$Q" set "$F" --help 1033
grep -q '^Usage: quillmark set' "$WORK/out" || fail "help of set after an argument"

# Every fuzz seed and regression input: 0 or 1, never a crash.
for seed in "$DATA"/fuzz/corpus/*; do
  "$Q" dump "$seed" --json >/dev/null 2>"$WORK/err"
  status=$?
  if [ "$status" -gt 1 ]; then fail "dump crashed with status $status on $seed"; fi
done

# Files compiled from the rc source, where a compiler is installed.
if command -v llvm-rc >/dev/null; then
  # "--": llvm-rc would take a path such as /check/... for its /c option.
  llvm-rc -no-preprocess -c 65001 -fo "$WORK/sample.res" -- "$DATA/data/sample.rc" || fail "llvm-rc failed"
  expect 0 "$Q" dump "$WORK/sample.res" --json
  grep -q '"resources": \[{"type": 4, "name": 1, "lang": 1033' "$WORK/out" || fail "sample resources: $(cat "$WORK/out")"
  grep -q '{"type": "MYDATA", "name": "BLOB", "lang": 1033, "size": 19, "sha256": "056ce9cb900f6aca5895dcf51ab442cb93928b10dc41f646e7588542fd1853f1"}' "$WORK/out" \
    || fail "named resource missing: $(cat "$WORK/out")"
else
  echo "SKIP: llvm-rc is not installed (Debian package llvm)"
fi

# The tool starts without Qt's GUI: no library it loads, directly or through
# the ones it needs, is Qt Gui or Qt Widgets.
gui=$(ldd "$Q" | grep -Eo 'libQt6(Gui|Widgets|OpenGL)[^ ]*' | sort -u | tr '\n' ' ')
[ -z "$gui" ] || fail "the tool loads Qt's GUI libraries: $gui"

if [ "$failures" -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "all command-line checks passed"
