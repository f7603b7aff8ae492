#!/usr/bin/env bash
# The CPU an idle scanner uses: a fresh deployment (--init) with its two
# input folders empty, the scanner running headless (its window shown on
# the offscreen platform) for SECONDS after a warm-up, its user and system
# time read from /proc/<pid>/task/*/schedstat. Prints the share of one core.
#
#   bench/idle_cpu.sh [SECONDS] [PROGRAM]     (default 60, build/bin/DORNIK_spectrum_scanner)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
program="$(realpath "${2:-build/bin/DORNIK_spectrum_scanner}")"
warm_up=5

work="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT
"$program" --init "$work/deployment" >/dev/null

# Nanoseconds on a CPU, all threads: /proc/<pid>/stat counts in ticks of
# 10 ms, too coarse for a scanner that works a few milliseconds a minute.
cpu_ns() {
  local total=0 task
  for task in /proc/"$1"/task/*; do
    total=$((total + $(cut -d' ' -f1 "$task/schedstat")))
  done
  echo "$total"
}

export XDG_DATA_HOME="$work/user" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
DISPLAY= WAYLAND_DISPLAY= QT_QPA_PLATFORM=offscreen \
  "$program" --program-folder "$work/deployment" 2>"$work/journal" &
pid=$!
sleep "$warm_up"
before="$(cpu_ns "$pid")"
sleep "$seconds"
after="$(cpu_ns "$pid")"
awk -v t=$((after - before)) -v s="$seconds" \
  'BEGIN { printf "idle CPU: %.3f %% of a core (%.1f ms in %d s)\n", 100 * t / 1e9 / s, t / 1e6, s }'
grep -m1 '^state: ' "$work/journal" || true
