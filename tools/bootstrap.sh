#!/usr/bin/env bash
# Installs what is missing (Debian packages), builds, and then:
#   run   starts the window program
#   test  runs every test (ctest)
#   asan  builds the core tests with AddressSanitizer and UndefinedBehaviorSanitizer and runs them
#   fuzz  builds the file-reading fuzz target with clang and runs it (seconds as 2nd argument, default 60)
set -euo pipefail

mode=${1:-test}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages=(build-essential cmake pkg-config qt6-base-dev libcli11-dev nlohmann-json3-dev libgtest-dev libgmock-dev
  libbenchmark-dev libsndfile1-dev sox clang libclang-rt-14-dev xvfb xauth time
  qt6-multimedia-dev librubberband-dev pulseaudio desktop-file-utils appstream man-db dpkg-dev librsvg2-bin)

install_missing() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

configure_and_build() {  # build-dir, extra cmake args...
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$dir" -j"$jobs"
}

install_missing
case "$mode" in
  run)
    configure_and_build "$root/build" -DTACTORIA_BUILD_TESTS=OFF -DTACTORIA_BUILD_BENCH=OFF
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      echo "No display found: starting under xvfb-run (nothing will be visible)." >&2
      exec xvfb-run -a "$root/build/src/app/tactoria"
    fi
    exec "$root/build/src/app/tactoria"
    ;;
  test)
    configure_and_build "$root/build"
    ctest --test-dir "$root/build" --output-on-failure -j"$jobs"
    ;;
  asan)
    configure_and_build "$root/build-asan" -DTACTORIA_SANITIZE=ON -DTACTORIA_BUILD_GUI=OFF -DTACTORIA_BUILD_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir "$root/build-asan" --output-on-failure -j"$jobs"
    ;;
  fuzz)
    bash "$root/fuzz/run_fuzz.sh" "$root/build-fuzz" "${2:-60}"
    ;;
  *)
    echo "usage: $0 run|test|asan|fuzz [seconds]" >&2
    exit 2
    ;;
esac
