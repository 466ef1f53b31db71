#!/usr/bin/env bash
# Scores `tactoria-cli analyze` beside `aubio onset` and `aubio tempo` (package aubio-tools, default
# methods) and beside the rule "whole bars, the bar count whose tempo is nearest 120" on the analysis
# tests' corpus of drum loops (synthesized hits, 70 to 175 bpm, 1 to 4 bars, straight and swung, a
# player's timing): the tempo within 2 %, and the hits' F-measure within 5 and 10 ms.
# Usage: bench/hits_vs_aubio.sh BUILD_DIR [COUNT] [SEED]   (40 loops, seed 11 by default)
# Needs python3 (standard library only); aubio is skipped, with a note, when it is not installed.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 3 ]; then
  echo "usage: $0 BUILD_DIR [COUNT] [SEED]" >&2
  exit 2
fi
cli="$1/src/cli/tactoria-cli"
maker="$1/bench/make_drum_loop"
for tool in "$cli" "$maker"; do
  [ -x "$tool" ] || { echo "$0: no $tool (build the targets tactoria-cli and make_drum_loop)" >&2; exit 2; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/tactoria-hits-XXXXXX")
trap 'rm -rf "$work"' EXIT
"$maker" --corpus "$work" "${2:-40}" "${3:-11}"

have_aubio=0
command -v aubio >/dev/null 2>&1 && have_aubio=1
[ $have_aubio = 1 ] || echo "aubio: not installed (apt-get install aubio-tools), its columns are skipped"
for wave in "$work"/loop*.wav; do
  base="${wave%.wav}"
  "$cli" analyze "$wave" --json >"$base.tactoria.json"
  if [ $have_aubio = 1 ]; then
    aubio onset "$wave" >"$base.onset.txt" 2>/dev/null
    aubio tempo "$wave" 2>/dev/null | tail -n 1 >"$base.tempo.txt"
  fi
done

python3 - "$work" "$have_aubio" <<'PY'
import glob, json, math, sys

work, have_aubio = sys.argv[1], sys.argv[2] == "1"
rate = 44100

def f_measure(found, truth, ms):
    tol = rate * ms / 1000.0
    hits, j = 0, 0
    for f in found:
        while j < len(truth) and truth[j] < f - tol:
            j += 1
        if j < len(truth) and abs(truth[j] - f) <= tol:
            hits += 1
            j += 1
    return hits, len(found), len(truth)

def right(bpm, truth):
    return bpm > 0 and abs(bpm / truth - 1) <= 0.02

rows = {"tactoria-cli analyze": [0, [0, 0, 0], [0, 0, 0]], "aubio onset / aubio tempo": [0, [0, 0, 0], [0, 0, 0]],
        "whole bars nearest 120": [0, None, None]}
count = 0
for txt in sorted(glob.glob(work + "/loop*.txt")):
    if txt.endswith((".onset.txt", ".tempo.txt")):
        continue
    base = txt[:-4]
    lines = open(txt).read().split()
    bpm, truth = float(lines[0]), [int(x) for x in lines[1:]]
    count += 1
    ours = json.load(open(base + ".tactoria.json"))
    rows["tactoria-cli analyze"][0] += right(ours["bpm"], bpm)
    for k, ms in ((1, 5), (2, 10)):
        for i, v in enumerate(f_measure(ours["onsets"], truth, ms)):
            rows["tactoria-cli analyze"][k][i] += v
    frames = ours["bpm"] and 60.0 * rate * ours["beats"] * ours["bars"] / ours["bpm"]
    seconds = frames / rate
    best = min(range(1, 64), key=lambda bars: abs(math.log2(60 * 4 * bars / seconds / 120)))
    rows["whole bars nearest 120"][0] += right(60 * 4 * best / seconds, bpm)
    if have_aubio:
        onsets = [round(float(x) * rate) for x in open(base + ".onset.txt").read().split()]
        for k, ms in ((1, 5), (2, 10)):
            for i, v in enumerate(f_measure(onsets, truth, ms)):
                rows["aubio onset / aubio tempo"][k][i] += v
        words = open(base + ".tempo.txt").read().split()  # "120.00 bpm", or "unknown bpm"
        try:
            rows["aubio onset / aubio tempo"][0] += right(float(words[0]), bpm)
        except (ValueError, IndexError):
            pass

def f(cell):
    if cell is None or cell[1] + cell[2] == 0:
        return "-"
    return "%.3f" % (2.0 * cell[0] / (cell[1] + cell[2]))

print("%d loops" % count)
print("%-28s %12s %10s %10s" % ("", "tempo right", "F 5 ms", "F 10 ms"))
for name, (tempo, f5, f10) in rows.items():
    if name.startswith("aubio") and not have_aubio:
        continue
    print("%-28s %8d/%-3d %10s %10s" % (name, tempo, count, f(f5), f(f10)))
PY
