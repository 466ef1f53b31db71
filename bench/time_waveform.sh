#!/usr/bin/env bash
# Times `tactoria-cli waveform` of a 64 MB loop (16-bit stereo) with a new length, the whole
# process, against the goal of 2 s; best of RUNS runs (3 by default).
# Usage: bench/time_waveform.sh BUILD_DIR [RUNS]
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  echo "usage: $0 BUILD_DIR [RUNS]" >&2
  exit 2
fi
cli="$1/src/cli/tactoria-cli"
runs="${2:-3}"
[ -x "$cli" ] || { echo "$0: no tactoria-cli in $1 (build the target tactoria-cli first)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/loop.wav" <<'PY'
import struct, sys
n = 64 << 20
with open(sys.argv[1], 'wb') as f:
    f.write(b'RIFF' + struct.pack('<I', 36 + n) + b'WAVEfmt ' +
            struct.pack('<IHHIIHH', 16, 1, 2, 44100, 176400, 4, 16) + b'data' + struct.pack('<I', n))
    block = bytes((i * 131 + (i >> 9)) & 255 for i in range(1 << 20))
    for _ in range(64):
        f.write(block)
PY

best=
for _ in $(seq "$runs"); do
  start=$(date +%s.%N)
  "$cli" waveform "$work/loop.wav" "$work/loop.png" --bars 4 --bpm 100 --force 2>/dev/null
  end=$(date +%s.%N)
  t=$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')
  if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
done
printf 'waveform of 64 MB: %.3f s (goal: under 2 s)\n' "$best"
awk -v b="$best" 'BEGIN { exit !(b < 2) }'
