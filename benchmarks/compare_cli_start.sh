#!/usr/bin/env bash
# Start-up of the command-line tool beside windres --version in the same run
# (hyperfine -N, warm runs): --version, --help, check, dump and dump --json of the demo's
# small .res, with the number of shared libraries each command loads and the
# machine's load. A second folder of programs, an earlier build's bin/, is
# measured in the same run for a before/after comparison.
#   compare_cli_start.sh [BIN-DIR] [EARLIER-BIN-DIR] [RUNS]   (default: build-rel/bin, none, 100)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build-rel/bin}
earlier=${2:-}
runs=${3:-100}
for tool in hyperfine x86_64-w64-mingw32-windres; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/install-deps.sh --with-tests)"; exit 1; }
done
[ -x "$bin/quillmark" ] || { echo "build $bin/quillmark first"; exit 1; }
[ -z "$earlier" ] || [ -x "$earlier/quillmark" ] || { echo "$earlier/quillmark is missing"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp demo/Demo.res "$work/small.res"
commands=("--version" "--help" "dump $work/small.res" "dump --json $work/small.res" "check $work/small.res")

# The shared objects a run loads, as the dynamic loader reports them.
libraries() {
  rm -f "$work"/ld.*
  LD_DEBUG=files LD_DEBUG_OUTPUT=$work/ld "$@" >/dev/null 2>&1 || true
  sed -n 's/^[[:space:]]*[0-9]*:[[:space:]]*file=\([^ ]*\) .*generating link map/\1/p' "$work"/ld.* | sed 's|.*/||' | sort -u | wc -l
}

echo "load at the start $(cut -d' ' -f1-3 /proc/loadavg); $(nproc) cores"
args=(-N --warmup 10 --runs "$runs" --export-json "$work/start.json" -n "windres --version" "x86_64-w64-mingw32-windres --version")
for command in "${commands[@]}"; do
  args+=(-n "quillmark $command" "$bin/quillmark $command")
  [ -n "$earlier" ] && args+=(-n "earlier quillmark $command" "$earlier/quillmark $command")
done
# check reports the demo's untranslated strings with exit status 1: that is its work.
hyperfine -i "${args[@]}" >/dev/null

/usr/bin/python3 - "$work/start.json" >"$work/medians" <<'PY'
import json, sys
for r in json.load(open(sys.argv[1]))["results"]:
    print(f'{r["command"]}\t{r["median"] * 1000:.1f}\t{r["stddev"] * 1000:.1f}')
PY
median() { awk -F'\t' -v n="$1" '$1 == n { print $2 }' "$work/medians"; }
windres=$(median "windres --version")
printf '%-28s %12s %8s %10s' command "median ms" libs "x windres"
[ -n "$earlier" ] && printf ' %14s %8s' "earlier ms" libs
echo
for command in "${commands[@]}"; do
  name=${command// $work\/small.res/}
  now=$(median "quillmark $command")
  printf '%-28s %12s %8s %10.2f' "quillmark $name" "$now" "$(libraries "$bin/quillmark" $command)" \
    "$(echo "$now / $windres" | bc -l)"
  [ -n "$earlier" ] && printf ' %14s %8s' "$(median "earlier quillmark $command")" "$(libraries "$earlier/quillmark" $command)"
  echo
done
printf '%-28s %12s %8s\n' "windres --version" "$windres" "$(libraries x86_64-w64-mingw32-windres --version)"
echo "export loads $(libraries "$bin/quillmark" export "$work/small.res" "$work/small.xlsx") libraries"
echo "load at the end $(cut -d' ' -f1-3 /proc/loadavg)"
