#!/bin/sh
# Builds the wave file fuzz target with clang and runs it on a seed corpus of small valid files.
# Usage: fuzz/run_fuzz.sh [BUILD_DIR] [SECONDS]   (defaults: /work/main/build-fuzz, 60)
# Exits non-zero when the fuzzer finds a crash (the input is saved in BUILD_DIR/artifacts).
set -eu

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$source_dir/build-fuzz"}
seconds=${2:-60}

CC=clang CXX=clang++ cmake -S "$source_dir" -B "$build_dir" -DTACTORIA_FUZZ=ON -DTACTORIA_BUILD_GUI=OFF \
  -DTACTORIA_BUILD_TESTS=OFF -DTACTORIA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" --target fuzz_open_wave -j2

corpus="$build_dir/fuzz-corpus"
artifacts="$build_dir/artifacts"
mkdir -p "$corpus" "$artifacts"

# An 8-bit mono file with an odd data chunk and its pad byte, written byte by byte.
printf 'RIFF\050\000\000\000WAVEfmt \020\000\000\000\001\000\001\000\100\037\000\000\100\037\000\000\001\000\010\000data\003\000\000\000\001\002\003\000' \
  >"$corpus/mono8.wav"
# A few more layouts from sox (24-bit comes out as an extensible format, which is refused).
for layout in "1 8" "1 16" "2 16" "2 24" "4 32"; do
  set -- $layout
  sox -n -r 8000 -c "$1" -b "$2" "$corpus/sox-$1x$2.wav" synth 0.002 sine 440 2>/dev/null ||
    echo "sox failed for $layout; going on with fewer seeds" >&2
done

"$build_dir/fuzz/fuzz_open_wave" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=2048 \
  -artifact_prefix="$artifacts/" "$corpus"
