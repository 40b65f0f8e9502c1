# The checks of the command-line tests, sourced by them: a scratch folder
# $WORK removed on exit, fail, and expect.
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect STATUS COMMAND...: the exit status, and on failure exactly one "quillmark: " line on standard error.
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
