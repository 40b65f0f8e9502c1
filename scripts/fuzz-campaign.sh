#!/usr/bin/env bash
# Runs long fuzzing campaigns over the readers and keeps what they find.
#   scripts/fuzz-campaign.sh [-t SECONDS] [-b BUILD_DIR] [TARGET...]
# TARGET is a fuzzer name (settings_fuzzer, xml_fuzzer, vbp_fuzzer, xlsx_fuzzer,
# xlsx_parts_fuzzer, xls_fuzzer, exchange_fuzzer, resfile_fuzzer); default all.
# Each finding (crash, leak, timeout, out of memory) is copied into the
# target's corpus as regression-<kind>-<hash>, where the test suite runs it
# from then on. A summary line per target gives executions, coverage and findings.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=600
build=build-test
while getopts "t:b:" option; do
  case $option in
    t) seconds=$OPTARG ;;
    b) build=$OPTARG ;;
    *) echo "usage: $0 [-t SECONDS] [-b BUILD_DIR] [TARGET...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(settings_fuzzer xml_fuzzer vbp_fuzzer xlsx_fuzzer xlsx_parts_fuzzer xls_fuzzer exchange_fuzzer resfile_fuzzer)
fi

status=0
for target in "${targets[@]}"; do
  if [ "$target" = resfile_fuzzer ]; then
    binary=$build/tests/resutil/fuzz/resfile_fuzzer
    corpus=tests/resutil/fuzz/corpus
  else
    binary=$build/tests/fuzz/bin/$target
    corpus=tests/fuzz/corpus/$target
  fi
  if [ ! -x "$binary" ]; then
    echo "$target: $binary is not built (cmake --build $build --target $target)" >&2
    status=1
    continue
  fi
  work=$(mktemp -d "/tmp/qm-campaign-$target-XXXXXX")
  mkdir -p "$work/found" "$work/queue"
  log=$work/log
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:allocator_may_return_null=1" \
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" QT_QPA_PLATFORM=offscreen \
    "$binary" -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=2048 -timeout=20 -print_final_stats=1 \
      -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
      -artifact_prefix="$work/found/" "$work/queue" "$corpus" >"$log" 2>&1
  findings=0
  for artifact in "$work"/found/*; do
    [ -f "$artifact" ] || continue
    kind=$(basename "$artifact" | cut -d- -f1)
    name=regression-$kind-$(sha1sum "$artifact" | cut -c1-12)
    cp "$artifact" "$corpus/$name"
    echo "$target: finding kept as $corpus/$name"
    findings=$((findings + 1))
  done
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | awk '{s+=$2} END {print s+0}')
  if [ "$execs" = 0 ]; then
    execs=$(grep -o '#[0-9]*' "$log" | tail -1 | tr -d '#')
  fi
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  features=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  echo "$target: ${seconds}s, ${execs:-0} executions, coverage ${coverage:-?} edges, ${features:-?} features, $findings findings (log $log)"
  [ "$findings" -gt 0 ] && status=1
done
exit $status
