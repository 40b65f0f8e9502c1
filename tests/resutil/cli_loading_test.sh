#!/usr/bin/env bash
# How the quillmark program loads its commands: cli_loading_test.sh QUILLMARK DEMO.res
# The dump of a well-formed file loads nothing of the tool; the other commands
# on .res files never load the workbook libraries; export and import load them
# (libzip only to read a book) and none of the other commands' modules and
# libraries; each module comes only with its commands; a missing library is a
# clear message and exit status 1, wherever the program is started from.
set -u
Q=$1
RES=$2
BIN=$(dirname "$Q")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# loaded NAME STATUS COMMAND...: runs the command, checks its exit status and
# lists the libraries it loaded, one file name a line, in $WORK/NAME.
loaded() {
  local name=$1 status=$2; shift 2
  rm -f "$WORK"/ld.*
  LD_DEBUG=files LD_DEBUG_OUTPUT=$WORK/ld "$@" >"$WORK/$name.out" 2>"$WORK/$name.err"
  local got=$?
  [ "$got" = "$status" ] || fail "$*: exit $got, expected $status: $(cat "$WORK/$name.err")"
  cat "$WORK"/ld.* | sed -n 's/^[[:space:]]*[0-9]*:[[:space:]]*file=\([^ ]*\) .*/\1/p' | sed 's|.*/||' | sort -u >"$WORK/$name"
}

WORKBOOK_LIBS='^lib(gsf|zip|expat|xml2|deflate|qm_excel|qm_transfer|qm_exchange|qm_cli_transfer|Qt6Gui|Qt6Widgets)[.-]'
cp "$RES" "$WORK/a.res"
loaded dump 0 "$Q" dump "$WORK/a.res"
loaded dumpjson 0 "$Q" dump --json "$WORK/a.res"
loaded dashdump 0 "$Q" dump -- "$WORK/a.res"
loaded baddump 1 "$Q" dump "$WORK/missing.res"
loaded set 0 "$Q" set "$WORK/a.res" 1033 1 'Hello'
loaded check 1 "$Q" check "$WORK/a.res"
loaded help 0 "$Q" help dump
# The dump of a well-formed file is the program's own: neither Qt nor what Qt
# stands on (ICU, glib), nor the tool's libraries. (The sanitizers' runtime
# brings the C++ library; the program itself does not ask for it.)
TOOL_LIBS='^lib(Qt6|icu|glib|gthread|pcre2|double-conversion|b2|zstd|sqlite3|hunspell|qm_)'
if command -v readelf >/dev/null && readelf -d "$Q" | grep -q 'NEEDED.*libstdc++'; then
  fail "the program needs the C++ library: $(readelf -d "$Q" | grep NEEDED | tr '\n' ' ')"
fi
for command in dump dumpjson dashdump; do
  grep -q '^libc\.so' "$WORK/$command" || fail "$command: no libc in what was loaded, LD_DEBUG did not work: $(cat "$WORK/$command")"
  if grep -Eq "$TOOL_LIBS" "$WORK/$command"; then
    fail "$command loads the tool: $(grep -E "$TOOL_LIBS" "$WORK/$command" | tr '\n' ' ')"
  fi
done
# A file it cannot dump is the tool's to explain.
grep -q '^libqm_cli\.so' "$WORK/baddump" || fail "dump of a missing file did not load the tool: $(cat "$WORK/baddump" | tr '\n' ' ')"
grep -q '^quillmark: .*missing.res: cannot be read: No such file or directory$' "$WORK/baddump.err" \
  || fail "dump of a missing file: $(cat "$WORK/baddump.err")"
cmp -s "$WORK/dump.out" "$WORK/dashdump.out" || fail "dump -- FILE printed something else than dump FILE"
grep -q '^{"strings": \[\[' "$WORK/dumpjson.out" || fail "dump --json: $(head -c 200 "$WORK/dumpjson.out")"
for command in baddump set help; do
  grep -q '^libQt6Core' "$WORK/$command" || fail "$command: no Qt Core in what was loaded, LD_DEBUG did not work: $(cat "$WORK/$command")"
  if grep -Eq "$WORKBOOK_LIBS" "$WORK/$command"; then
    fail "$command loads the workbook libraries: $(grep -E "$WORKBOOK_LIBS" "$WORK/$command" | tr '\n' ' ')"
  fi
done
grep -Eq "$WORKBOOK_LIBS" "$WORK/check" && fail "check loads the workbook libraries"
loaded export 0 "$Q" export "$WORK/a.res" "$WORK/a.xlsx"
for lib in libqm_cli_transfer; do
  grep -q "^$lib" "$WORK/export" || fail "export did not load $lib: $(cat "$WORK/export" | tr '\n' ' ')"
done
# The export's libraries of our own are these, and it maps neither SQLite nor
# Hunspell: the other commands' modules and libraries stay out.
EXPORT_OWN='libqm_cli libqm_cli_transfer libqm_transfer libqm_exchange libqm_excel libqm_reviewstate libqm_resutil libqm_win32core libqm_uistrings libqm_runtime'
extra=$(grep '^libqm_' "$WORK/export" | sed 's/[.]so.*//' | grep -vxF -f <(tr ' ' '\n' <<<"$EXPORT_OWN") | tr '\n' ' ')
[ -z "$extra" ] || fail "export loads libraries it does not use: $extra"
OTHER_LIBS='^lib(sqlite3|hunspell)[.-]'
grep -Eq "$OTHER_LIBS" "$WORK/export" && fail "export loads $(grep -E "$OTHER_LIBS" "$WORK/export" | tr '\n' ' ')"
# Nor do the libraries it loads need them.
if command -v readelf >/dev/null; then
  for lib in libqm_cli libqm_cli_transfer libqm_reviewstate libqm_exchange; do
    needed=$(readelf -d "$BIN/$lib.so" | grep NEEDED | grep -E '\[lib(qm_(checks|pseudo|spelling|coderefs|merge|memory|vbproject|cli_review|cli_memory)|sqlite3|hunspell)[.-]')
    [ -z "$needed" ] || fail "$lib.so needs $(echo "$needed" | sed 's/.*\[\(.*\)\]/\1/' | tr '\n' ' ')"
  done
fi
# A new .xlsx is written without libzip and what it stands on; reading one loads it.
ZIP_LIBS='^lib(zip|crypto)[.]'
grep -Eq "$ZIP_LIBS" "$WORK/export" && fail "export of a new .xlsx loads $(grep -E "$ZIP_LIBS" "$WORK/export" | tr '\n' ' ')"
if command -v readelf >/dev/null && readelf -d "$BIN/libqm_excel.so" | grep -q 'NEEDED.*\[libzip[.]'; then
  fail "libqm_excel.so needs libzip: $(readelf -d "$BIN/libqm_excel.so" | grep NEEDED | tr '\n' ' ')"
fi
loaded import 0 "$Q" import "$WORK/a.xlsx" "$WORK/a.res" --dry-run
grep -q '^libzip[.]' "$WORK/import" || fail "import did not load libzip: $(cat "$WORK/import" | tr '\n' ' ')"
# The .xls back end and libgsf (with gio, gobject, libxml2) come only with an .xls book.
XLS_LIBS='^lib(qm_excel_xls|gsf|gio|gobject|xml2)[.-]'
if grep -Eq "$XLS_LIBS" "$WORK/export"; then
  fail "an .xlsx export loads the .xls back end: $(grep -E "$XLS_LIBS" "$WORK/export" | tr '\n' ' ')"
fi
if command -v readelf >/dev/null && readelf -d "$BIN/libqm_excel.so" | grep -Eq 'NEEDED.*\[lib(gsf|gio|gobject|xml2)[.-]'; then
  fail "libqm_excel.so needs the .xls libraries: $(readelf -d "$BIN/libqm_excel.so" | grep NEEDED | tr '\n' ' ')"
fi
loaded exportxls 0 "$Q" export "$WORK/a.res" "$WORK/a.xls"
for lib in libqm_excel_xls libgsf; do
  grep -q "^$lib" "$WORK/exportxls" || fail "an .xls export did not load $lib: $(cat "$WORK/exportxls" | tr '\n' ' ')"
done
loaded importxls 0 "$Q" import "$WORK/a.xls" "$WORK/a.res" --dry-run
grep -q '^libqm_excel_xls' "$WORK/importxls" || fail "an .xls import did not load the .xls back end"

# Each of the other modules comes with its commands only, and the commands on
# a .res alone load none of them.
export QM_MEMORY_FILE=$WORK/memory.db
loaded memorystats 0 "$Q" memory stats
loaded memoryadd 0 "$Q" memory add "$WORK/a.res"
loaded pretranslate 0 "$Q" pretranslate "$WORK/a.res" --target 1031 -o "$WORK/pre.res"
loaded pseudo 0 "$Q" pseudo "$WORK/a.res" -o "$WORK/pseudo.res"
loaded diff 1 "$Q" diff "$WORK/a.res" "$WORK/pseudo.res"
loaded merge 0 "$Q" merge "$WORK/a.res" "$WORK/a.res" "$WORK/pseudo.res" -o "$WORK/merged.res"
loaded refs 0 "$Q" refs "$(dirname "$RES")/Demo.vbp"
REVIEW_LIBS='^lib(qm_cli_review|qm_checks|qm_spelling|hunspell|qm_pseudo|qm_merge|qm_coderefs)[.-]'
MEMORY_LIBS='^lib(qm_cli_memory|qm_memory|sqlite3)[.-]'
for command in check pseudo diff merge refs; do
  grep -q '^libqm_cli_review[.]' "$WORK/$command" || fail "$command did not load the review module: $(cat "$WORK/$command" | tr '\n' ' ')"
  grep -Eq "$MEMORY_LIBS" "$WORK/$command" && fail "$command loads the memory: $(grep -E "$MEMORY_LIBS" "$WORK/$command" | tr '\n' ' ')"
done
for command in memorystats memoryadd pretranslate; do
  grep -q '^libqm_cli_memory[.]' "$WORK/$command" || fail "$command did not load the memory module: $(cat "$WORK/$command" | tr '\n' ' ')"
  grep -Eq '^lib(qm_cli_review|hunspell)[.-]' "$WORK/$command" && fail "$command loads the review module: $(cat "$WORK/$command" | tr '\n' ' ')"
done
grep -q '^libsqlite3[.]' "$WORK/memorystats" || fail "memory stats did not load SQLite: $(cat "$WORK/memorystats" | tr '\n' ' ')"
grep -q "^$WORK/a.res: [0-9]* translations, [0-9]* new$" "$WORK/memoryadd.out" || fail "memory add: $(cat "$WORK/memoryadd.out" "$WORK/memoryadd.err")"
for command in set help baddump export import; do
  grep -Eq "$REVIEW_LIBS|$MEMORY_LIBS" "$WORK/$command" \
    && fail "$command loads another command's module: $(grep -E "$REVIEW_LIBS|$MEMORY_LIBS" "$WORK/$command" | tr '\n' ' ')"
done

# The program answers --version and --help without loading the tool.
loaded version 0 "$Q" --version
grep -Eq '^quillmark [0-9]+\.[0-9]+\.[0-9]+$' "$WORK/version.out" || fail "--version: $(cat "$WORK/version.out")"
loaded toolhelp 0 "$Q" --help
grep -q '^Usage: quillmark COMMAND' "$WORK/toolhelp.out" || fail "--help: $(cat "$WORK/toolhelp.out")"
for command in check create dump export import remove set; do
  grep -q "^  $command " "$WORK/toolhelp.out" || fail "--help does not list $command"
done
loaded nothing 2 "$Q"
cmp -s "$WORK/nothing.err" "$WORK/toolhelp.out" || fail "without a command: $(cat "$WORK/nothing.err")"
for run in version toolhelp nothing; do
  grep -Eq '^lib(Qt6Core|qm_)' "$WORK/$run" && fail "$run loads the tool: $(cat "$WORK/$run" | tr '\n' ' ')"
done

# A link to the program finds the libraries beside the program, not beside the link.
mkdir "$WORK/links"
ln -s "$(cd "$BIN" && pwd)/quillmark" "$WORK/links/quillmark"
"$Q" dump "$WORK/a.res" >"$WORK/direct.out"
(cd "$WORK" && links/quillmark dump a.res >"$WORK/linked.out") || fail "dump through a symbolic link failed"
cmp -s "$WORK/linked.out" "$WORK/direct.out" || fail "dump through a symbolic link printed something else"

# The program alone: --version and --help still answer, a command says what is missing.
mkdir "$WORK/alone"
cp "$Q" "$WORK/alone/quillmark"
for option in --version --help; do
  "$WORK/alone/quillmark" $option >"$WORK/out" 2>&1 || fail "$option without the library: $(cat "$WORK/out")"
done
(cd "$BIN" && "$WORK/alone/quillmark" dump "$WORK/a.res") >"$WORK/out" 2>"$WORK/err" || fail "dump without the library: $(cat "$WORK/err")"
cmp -s "$WORK/out" "$WORK/direct.out" || fail "dump without the library printed something else"
(cd "$BIN" && "$WORK/alone/quillmark" set "$WORK/a.res" 1033 1 'x') >"$WORK/out" 2>"$WORK/err"
status=$?
[ "$status" = 1 ] || fail "set without the library: exit $status, expected 1"
[ -s "$WORK/out" ] && fail "set without the library printed: $(cat "$WORK/out")"
grep -q "^quillmark: the tool's library libqm_cli.so is neither in $WORK/alone nor in $WORK/alone/" "$WORK/err" \
  || fail "set without the library: $(cat "$WORK/err")"

# The tool without its transfer module: the other commands work, export says it cannot run.
cp "$Q" "$BIN/libqm_cli.so" "$WORK/alone/"
"$WORK/alone/quillmark" dump "$WORK/a.res" >/dev/null 2>"$WORK/err" || fail "dump without the transfer module: $(cat "$WORK/err")"
"$WORK/alone/quillmark" export "$WORK/a.res" "$WORK/b.xlsx" >"$WORK/out" 2>"$WORK/err"
status=$?
[ "$status" = 1 ] || fail "export without the transfer module: exit $status, expected 1"
[ "$(wc -l <"$WORK/err")" = 1 ] && grep -q "^quillmark: export cannot run: $WORK/alone/libqm_cli_transfer.so: cannot open shared object file" "$WORK/err" \
  || fail "export without the transfer module: $(cat "$WORK/err")"
[ -e "$WORK/b.xlsx" ] && fail "export without the transfer module wrote a book"

# So do the commands of the other modules; a module without the entry point,
# or without the command, says so.
for run in "check:libqm_cli_review:check" "pseudo:libqm_cli_review:pseudo -o $WORK/b.res" \
           "memory:libqm_cli_memory:memory stats" "pretranslate:libqm_cli_memory:pretranslate --target 1031 -o $WORK/b.res"; do
  IFS=: read -r command module line <<<"$run"
  read -r -a args <<<"$line"
  [ "${args[0]}" = memory ] || args=("${args[0]}" "$WORK/a.res" "${args[@]:1}")
  "$WORK/alone/quillmark" "${args[@]}" >"$WORK/out" 2>"$WORK/err"
  status=$?
  [ "$status" = 1 ] || fail "$command without its module: exit $status, expected 1"
  [ "$(wc -l <"$WORK/err")" = 1 ] && grep -q "^quillmark: $command cannot run: $WORK/alone/$module.so: cannot open shared object file" "$WORK/err" \
    || fail "$command without its module: $(cat "$WORK/err")"
done
[ -e "$WORK/b.res" ] && fail "a command without its module wrote a file"
cp "$BIN/libqm_resutil.so" "$WORK/alone/libqm_cli_review.so"
"$WORK/alone/quillmark" check "$WORK/a.res" >"$WORK/out" 2>"$WORK/err"
status=$?
[ "$status" = 1 ] || fail "check with a module that is not its own: exit $status, expected 1"
grep -q "^quillmark: check cannot run: $WORK/alone/libqm_cli_review.so: undefined symbol: qm_cli_module_run" "$WORK/err" \
  || fail "check with a module that is not its own: $(cat "$WORK/err")"
cp "$BIN/libqm_cli_transfer.so" "$WORK/alone/libqm_cli_review.so"
"$WORK/alone/quillmark" check "$WORK/a.res" >"$WORK/out" 2>"$WORK/err"
status=$?
[ "$status" = 1 ] || fail "check in the transfer module: exit $status, expected 1"
grep -q '^quillmark: the module has no command "check"$' "$WORK/err" || fail "check in the transfer module: $(cat "$WORK/err")"
rm "$WORK/alone/libqm_cli_review.so"

# A library that is not one: its loader's message, exit status 1.
echo "not a library" >"$WORK/alone/libqm_cli.so"
"$WORK/alone/quillmark" dump "$WORK/missing.res" >/dev/null 2>"$WORK/err"
status=$?
[ "$status" = 1 ] || fail "dump with a broken library: exit $status, expected 1"
grep -q "^quillmark: the tool's library cannot be loaded: $WORK/alone/libqm_cli.so: " "$WORK/err" \
  || fail "dump with a broken library: $(cat "$WORK/err")"

[ "$failures" = 0 ] && echo "all passed"
exit $((failures > 0))
