#!/usr/bin/env bash
# The host's peak memory (VmHWM) with a project shown in the editor, as the
# table grows: 4,096 / 16,384 / 65,536 IDs x 12 languages and 65,536 x 32,
# short texts ("Text105_3": 65,536 x 12 is a 20 MB .res), beside the idle
# host. Runs the real quill-host under Xvfb (xvfb, xdotool), with a registry
# and a home of its own, until it has done all it does on opening a project.
#   host_memory.sh [BUILD-DIR]   (default: build-rel, a release build)
set -euo pipefail
cd "$(dirname "$0")/.."
host=$(realpath "${1:-build-rel}")/bin/quill-host
[ -x "$host" ] || { echo "build $host first"; exit 1; }
work=$(mktemp -d)
xvfb=
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT

display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

kib() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }

cpu() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Starts the host on $1 (a .vbp, or nothing), answers the first start's
# language question, and waits until the host has used no processor time
# for two seconds (the file read, the grid filled, the translation memory
# told its strings); prints "MiB seconds", seconds up to that point.
measure() {
  local project=$1 started pid last=-1 still=0 ticks
  rm -rf "$work/home" && mkdir -p "$work/home"
  # A build folder has no add-in folder for the host to register at its first start.
  QM_REGISTRY_FILE=$work/home/registry.reg QT_QPA_PLATFORM=offscreen "$host" --register "$(dirname "$host")/libQuillmark.so" >/dev/null
  started=$(date +%s.%N)
  HOME=$work/home QM_REGISTRY_FILE=$work/home/registry.reg "$host" $project >"$work/host.log" 2>&1 &
  pid=$!
  if [ -n "$project" ]; then
    for _ in $(seq 600); do
      xdotool search --name "^Quill Resource String Editor\$" >/dev/null 2>&1 && break
      sleep 0.1
    done
    xdotool key Return
  fi
  while [ "$still" -lt 20 ]; do
    [ -e "/proc/$pid/stat" ] || { echo "the host stopped: $(cat "$work/host.log")" >&2; return 1; }
    ticks=$(cpu "$pid")
    if [ "$ticks" -eq "$last" ]; then still=$((still + 1)); else still=0; last=$ticks; fi
    sleep 0.1
  done
  echo "$(echo "$(kib "$pid" VmHWM) / 1024" | bc -l) $(echo "$(date +%s.%N) - $started - 2" | bc -l)"
  kill "$pid"; wait "$pid" 2>/dev/null || true
}

echo "load $(cut -d' ' -f1-3 /proc/loadavg)"
read -r idle _ < <(measure "")
printf '%-28s %13s %8.1f MiB\n' "idle host" "" "$idle"
for shape in "4096 12" "16384 12" "65536 12" "65536 32"; do
  read -r ids languages <<<"$shape"
  mkdir -p "$work/p$ids-$languages"
  res=$work/p$ids-$languages/Big.res
  python3 benchmarks/make_res.py "$ids" "$languages" ascending "$res" short
  printf 'Type=Exe\nResFile32="Big.res"\nName="Big"\n' >"$work/p$ids-$languages/Big.vbp"
  read -r mib seconds < <(measure "$work/p$ids-$languages/Big.vbp")
  strings=$((ids * languages))
  printf '%-28s %5.1f MB .res %8.1f MiB  %5.1f bytes a string beyond idle  (idle after %.1f s)\n' \
    "$ids x $languages" "$(echo "$(stat -c %s "$res") / 1000000" | bc -l)" "$mib" \
    "$(echo "($mib - $idle) * 1048576 / $strings" | bc -l)" "$seconds"
done
