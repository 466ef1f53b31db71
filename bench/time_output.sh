#!/usr/bin/env bash
# Times tactoria-cli's save and span beside the plain tools that move the same bytes, and reports
# the ratios and the peak memory against the goals:
#   save of 256 MB with a new length and the reverse: at most 1.25x `dd bs=4M conv=fdatasync`,
#     peak resident memory at most 1.25x the data;
#   span of a 10 MB loop into 2048 beats: at most 1.3x `split -n 2048` followed by `sync -f`.
# Usage: bench/time_output.sh BUILD_DIR [RUNS]   (best of RUNS runs, 5 by default)
# Needs GNU time (/usr/bin/time, Debian package "time").
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 BUILD_DIR [RUNS]" >&2
  exit 2
fi
cli="$1/src/cli/tactoria-cli"
runs="${2:-5}"
gnu_time=/usr/bin/time
[ -x "$cli" ] || { echo "$0: no tactoria-cli in $1 (build the target tactoria-cli first)" >&2; exit 2; }
[ -x "$gnu_time" ] || { echo "$0: GNU time is missing (apt-get install time)" >&2; exit 2; }

# The work folder sits on the file system the output goes to; TMPDIR picks another.
work=$(mktemp -d "${TMPDIR:-/tmp}/tactoria-time-output-XXXXXX")
trap 'rm -rf "$work"' EXIT

le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }

# make_wave FILE DATA_BYTES: 16-bit stereo at 44100 Hz, random sound.
make_wave() {
  {
    printf "RIFF$(le32 $((36 + $2)))WAVE"
    printf "fmt $(le32 16)$(le16 1)$(le16 2)$(le32 44100)$(le32 176400)$(le16 4)$(le16 16)"
    printf "data$(le32 "$2")"
    head -c "$2" /dev/urandom
  } >"$1"
}

# measure CLEAN_COMMAND COMMAND...: runs COMMAND under GNU time RUNS times, each after
# CLEAN_COMMAND and a sync; prints the best wall time and the largest peak resident size in kB.
measure() {
  local clean="$1" report="$work/time.txt" best="" rss=0
  shift
  for ((run = 0; run < runs; run++)); do
    eval "$clean"
    sync
    "$gnu_time" -v -o "$report" "$@" >/dev/null 2>&1
    read -r t r < <(awk -F': ' '
      /Elapsed \(wall clock\)/ {
        n = split($2, part, ":"); s = 0
        for (i = 1; i <= n; i++) s = s * 60 + part[i]
        wall = s
      }
      /Maximum resident set size/ { rss = $2 }
      END { printf "%.3f %d\n", wall, rss }' "$report")
    best=$(awk -v a="${best:-$t}" -v b="$t" 'BEGIN { print (b < a ? b : a) }')
    [ "$r" -gt "$rss" ] && rss=$r
  done
  echo "$best $rss"
}

verdict() {  # verdict VALUE GOAL
  awk -v v="$1" -v g="$2" 'BEGIN { print (v <= g ? "met" : "MISSED") }'
}

echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg) (2 cores; other builds add to the times)"

# --- save ---
save_bytes=$((256 * 1024 * 1024))
frames=$((save_bytes / 4))
in="$work/in.wav"
out="$work/out.wav"
make_wave "$in" "$save_bytes"
cat "$in" >/dev/null  # the input in the page cache, as for every run below

read -r dd_time dd_rss < <(measure 'rm -f "$out"' dd if="$in" of="$out" bs=4M conv=fdatasync)
printf '%-44s %7.3f s %8d kB\n' "dd bs=4M conv=fdatasync" "$dd_time" "$dd_rss"
data_kb=$((save_bytes / 1024))
for scale in 1.0 0.9 1.1; do
  new_frames=$(awk -v f="$frames" -v s="$scale" 'BEGIN { printf "%d", f * s }')
  read -r t r < <(measure 'rm -f "$out"' "$cli" save "$in" "$out" --frames "$new_frames" --reverse)
  printf '%-44s %7.3f s %8d kB\n' "save --frames $new_frames --reverse" "$t" "$r"
  time_ratio=$(awk -v t="$t" -v d="$dd_time" 'BEGIN { printf "%.2f", t / d }')
  rss_ratio=$(awk -v r="$r" -v d="$data_kb" 'BEGIN { printf "%.2f", r / d }')
  echo "  time ${time_ratio}x dd (goal <= 1.25x: $(verdict "$time_ratio" 1.25)), peak memory ${rss_ratio}x data (goal <= 1.25x: $(verdict "$rss_ratio" 1.25))"
done
rm -f "$in" "$out"

# --- span ---
span_bytes=$((10 * 1024 * 1024))
loop="$work/loop.wav"
beats="$work/beats"
make_wave "$loop" "$span_bytes"
mkdir -p "$beats"
read -r split_time _ < <(measure 'rm -rf "$beats" && mkdir "$beats"' \
  sh -c 'split -n 2048 "$1" "$2/x" && sync -f "$2"' split-sync "$loop" "$beats")
printf '%-44s %7.3f s\n' "split -n 2048 && sync -f" "$split_time"
read -r t r < <(measure 'rm -rf "$beats" && mkdir "$beats"' \
  "$cli" span "$loop" "$beats/loop.wav" --beats 32 --bars 64)
printf '%-44s %7.3f s %8d kB\n' "span --beats 32 --bars 64 (2048 files)" "$t" "$r"
ratio=$(awk -v t="$t" -v s="$split_time" 'BEGIN { printf "%.2f", t / s }')
echo "  time ${ratio}x split + sync (goal <= 1.3x: $(verdict "$ratio" 1.3))"
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
