#!/usr/bin/env bash
# The host's command line, without a display: host_cli_test.sh QUILL-HOST
set -u
H=$1
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export QM_REGISTRY_FILE=$WORK/registry.reg
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run STATUS ARGS...: runs the host with no display at all and checks its exit status.
run() {
  local status=$1; shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$H" "$@" >"$WORK/out" 2>"$WORK/err"
  local got=$?
  [ "$got" = "$status" ] || fail "quill-host $*: exit $got, expected $status ($(cat "$WORK/err"))"
}

for help in --help -h; do
  run 0 $help
  grep -q '^Usage: quill-host' "$WORK/out" || fail "$help: no usage on standard output"
  [ -s "$WORK/err" ] && fail "$help wrote to standard error: $(cat "$WORK/err")"
done
run 0 --version
grep -qE '^quill-host [0-9]+\.[0-9]+\.[0-9]+$' "$WORK/out" || fail "--version: $(cat "$WORK/out")"
# Qt's own options are no usage error.
run 0 -platform offscreen --help

for wrong in "--bogus" "a.vbp b.vbp" "--register" "--register x.so --unregister y.so" "--register x.so extra.vbp"; do
  # shellcheck disable=SC2086
  run 2 $wrong
  [ -s "$WORK/out" ] && fail "quill-host $wrong wrote to standard output"
  head -n 1 "$WORK/err" | grep -q '^quill-host: ' || fail "quill-host $wrong: $(cat "$WORK/err")"
  grep -q '^Usage: quill-host' "$WORK/err" || fail "quill-host $wrong: no usage on standard error"
done
run 2 --bogus
grep -q '^quill-host: unknown option --bogus$' "$WORK/err" || fail "unknown option: $(cat "$WORK/err")"

run 1 --register "$WORK/missing.so"
grep -q 'does not exist' "$WORK/err" || fail "missing library: $(cat "$WORK/err")"
[ -e "$QM_REGISTRY_FILE" ] && grep -q 'InprocServer32' "$QM_REGISTRY_FILE" && fail "a failed registration wrote the registry"

if [ "$failures" -ne 0 ]; then echo "$failures failure(s)"; exit 1; fi
echo "all host command-line checks passed"
