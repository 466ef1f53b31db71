#!/usr/bin/env bash
# Times `tactoria-cli analyze` of a 10-minute drum loop (16-bit stereo, 44100 Hz, about 106 MB)
# beside `aubio onset` (package aubio-tools, default method) on the same file, and reports the
# ratio and the peak memory against the goals:
#   analyze at most half the time of `aubio onset`;
#   peak resident memory at most the file's size plus 16 MB.
# aubio is skipped, with a note, when it is not installed.
# Usage: bench/analyze_vs_aubio.sh BUILD_DIR [RUNS]   (best of RUNS runs, 3 by default)
# Needs GNU time (/usr/bin/time) and the targets tactoria-cli and make_drum_loop.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 BUILD_DIR [RUNS]" >&2
  exit 2
fi
cli="$1/src/cli/tactoria-cli"
maker="$1/bench/make_drum_loop"
runs="${2:-3}"
gnu_time=/usr/bin/time
for tool in "$cli" "$maker"; do
  [ -x "$tool" ] || { echo "$0: no $tool (build the targets tactoria-cli and make_drum_loop)" >&2; exit 2; }
done
[ -x "$gnu_time" ] || { echo "$0: GNU time is missing (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tactoria-analyze-XXXXXX")
trap 'rm -rf "$work"' EXIT

# measure COMMAND...: best wall time of RUNS runs and the largest peak resident size in kB.
measure() {
  local report="$work/time.txt" best="" rss=0
  for ((run = 0; run < runs; run++)); do
    "$gnu_time" -f "%e %M" -o "$report" "$@" >/dev/null 2>&1
    read -r t r <"$report"
    best=$(awk -v a="${best:-$t}" -v b="$t" 'BEGIN { print (b < a ? b : a) }')
    [ "$r" -gt "$rss" ] && rss=$r
  done
  echo "$best $rss"
}

verdict() {  # verdict VALUE GOAL
  awk -v v="$1" -v g="$2" 'BEGIN { print (v <= g ? "met" : "MISSED") }'
}

echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg) (2 cores; other builds add to the times)"
long="$work/ten-minutes.wav"
"$maker" "$long" 600 120
cat "$long" >/dev/null  # in the page cache for every run
size_kb=$(($(stat -c %s "$long") / 1024))
echo "File: 10 minutes, $size_kb kB"

read -r t r < <(measure "$cli" analyze "$long" --json)
printf '%-36s %7.3f s %8d kB\n' "tactoria-cli analyze --json" "$t" "$r"
over=$(((r - size_kb) / 1024))
echo "  peak memory the file + $over MB (goal <= + 16 MB: $(verdict "$over" 16))"
"$cli" analyze "$long" --json >"$work/analysis.json"
echo "  $(head -c 100 "$work/analysis.json") ..."

if command -v aubio >/dev/null 2>&1; then
  read -r a ar < <(measure aubio onset "$long")
  printf '%-36s %7.3f s %8d kB\n' "aubio onset" "$a" "$ar"
  ratio=$(awk -v t="$t" -v a="$a" 'BEGIN { printf "%.2f", t / a }')
  echo "  analyze ${ratio}x aubio onset (goal <= 0.5x: $(verdict "$ratio" 0.5))"
else
  echo "aubio onset: not installed (apt-get install aubio-tools), comparison skipped"
fi
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
