#!/usr/bin/env bash
# Times `tactoria-cli save IN OUT --frames F --reverse` on a 256 MB 16-bit stereo wave file beside
# `cp IN OUT`, and reports wall time and peak memory against the goals:
#   save at most 2x the time of cp, peak resident memory at most 2.2x the sound data.
# Usage: bench/time_save.sh BUILD_DIR
# Needs GNU time (/usr/bin/time, Debian package "time").
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
cli="$1/src/cli/tactoria-cli"
gnu_time=/usr/bin/time
[ -x "$cli" ] || { echo "$0: no tactoria-cli in $1 (build the target tactoria-cli first)" >&2; exit 2; }
[ -x "$gnu_time" ] || { echo "$0: GNU time is missing (apt-get install time)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tactoria-time-save-XXXXXX")
trap 'rm -rf "$work"' EXIT

data_bytes=$((256 * 1024 * 1024))
frames=$((data_bytes / 4))
in="$work/in.wav"
out="$work/out.wav"

# Little-endian fields as printf escapes.
le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }

if [ ! -s "$in" ]; then
  echo "Making a 256 MB 16-bit stereo wave file in $work ..."
  {
    printf "RIFF$(le32 $((36 + data_bytes)))WAVE"
    printf "fmt $(le32 16)$(le16 1)$(le16 2)$(le32 44100)$(le32 176400)$(le16 4)$(le16 16)"
    printf "data$(le32 $data_bytes)"
    head -c "$data_bytes" /dev/urandom
  } >"$in"
fi

# Runs a command under GNU time three times; prints the best wall time and the largest peak
# resident size as "seconds kilobytes". The best of three keeps other load on the machine (and
# the page cache dropping the input) from deciding the figure.
measure() {
  local report="$work/time.txt" best="" rss=0
  for _ in 1 2 3; do
    rm -f "$out"
    sync
    "$gnu_time" -v -o "$report" "$@" >/dev/null
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

cp "$in" "$out" && rm -f "$out"  # one warm-up pass over the input
read -r cp_time cp_rss < <(measure cp "$in" "$out")
printf '%-34s %8.2f s %10d kB\n' "cp IN OUT" "$cp_time" "$cp_rss"
# The tool flushes its output to the disk before it replaces the target; cp does not. For reference:
read -r sync_time _ < <(measure sh -c 'cp "$1" "$2" && sync "$2"' cp-sync "$in" "$out")
printf '%-34s %8.2f s\n' "cp IN OUT && sync OUT (reference)" "$sync_time"

data_kb=$((data_bytes / 1024))
for scale in 1.0 0.9; do
  new_frames=$(awk -v f="$frames" -v s="$scale" 'BEGIN { printf "%d", f * s }')
  read -r save_time save_rss < <(measure "$cli" save "$in" "$out" --frames "$new_frames" --reverse)
  printf '%-34s %8.2f s %10d kB\n' "save --frames $new_frames --reverse" "$save_time" "$save_rss"
  awk -v t="$save_time" -v c="$cp_time" -v cs="$sync_time" -v r="$save_rss" -v d="$data_kb" 'BEGIN {
    time_ratio = (c > 0) ? t / c : 0
    rss_ratio = r / d
    printf "  time %.2fx cp (goal <= 2.0x: %s; %.2fx cp+sync), peak memory %.2fx data (goal <= 2.2x: %s)\n",
      time_ratio, (time_ratio <= 2.0 ? "met" : "MISSED"), (cs > 0 ? t / cs : 0), rss_ratio,
      (rss_ratio <= 2.2 ? "met" : "MISSED")
  }'
done
