#!/bin/bash
# Builds the Debian package with cpack, reads its fields and runs the programs it holds.
# Usage: check_package.sh BUILD_DIR
source "$(dirname "$0")/check_common.sh"
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
debs=("$work"/out/tactoria_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single tactoria_*.deb"; exit 1; }
deb=${debs[0]}

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tactoria ] || fail "Package: $(field Package)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Description | wc -l)" -gt 3 ] || fail "Description has no long text"
# Dependencies come from the binaries' libraries, with versions.
depends=$(field Depends)
for library in libc6 libstdc++6 libqt6widgets6; do
  grep -Fq "$library (>= " <<<"$depends" || fail "Depends lacks $library: $depends"
done

# apt can satisfy those dependencies (a simulation: nothing is installed).
apt-get install --simulate "$deb" >"$work/apt.log" 2>&1 && grep -q '^Inst tactoria ' "$work/apt.log" ||
  fail "apt install ./$(basename "$deb") would fail: $(tail -3 "$work/apt.log")"

dpkg-deb -x "$deb" "$work/root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
[ -f "$work/root/usr/share/doc/tactoria/copyright" ] || fail "no copyright file"  # the rest: the install check
out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$work/root/usr/bin/tactoria" --version 2>&1)
[[ $out =~ ^tactoria\ [0-9]+\.[0-9]+ ]] || fail "unpacked tactoria --version: $out"

finish "package OK: $(basename "$deb"), Depends: $depends"
