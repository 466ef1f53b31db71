#!/bin/bash
# With "install": installs the build into a temporary prefix and checks the tree (programs,
# desktop entry and metainfo with the real validators, icons, manual pages). With "package":
# builds the Debian package with cpack, reads its fields and runs the program it holds.
# Usage: check_desktop.sh install BUILD_DIR SOURCE_DIR | check_desktop.sh package BUILD_DIR
set -u
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
id=io.github.tactoria.tactoria
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
finish() {
  [ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
  echo "$*"
  exit 0
}

if [ "$1" = package ]; then
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
  # The package's other files: the install check, on the same install rules.
  [ -f "$work/root/usr/share/doc/tactoria/copyright" ] || fail "no copyright file"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$work/root/usr/bin/tactoria" --version 2>&1)
  [[ $out =~ ^tactoria\ [0-9]+\.[0-9]+ ]] || fail "unpacked tactoria --version: $out"

  finish "package OK: $(basename "$deb"), Depends: $depends"
fi

source=$3
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

share=$prefix/share
# The files no check below reads (the programs run at the end).
for file in share/icons/hicolor/scalable/apps/$id.svg share/doc/tactoria/copyright; do
  [ -f "$prefix/$file" ] || fail "missing $file"
done
# The help the About box opens: the README, with every picture it shows.
for picture in $(grep -o '(docs/[^)]*\.png)' "$source/README.md" | tr -d '()' | sort -u) README.md; do
  [ -f "$share/doc/tactoria/$picture" ] || fail "help: missing share/doc/tactoria/$picture"
done

# The desktop entry: valid without a single remark, and launching the program with the file.
desktop=$share/applications/$id.desktop
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$out" ] || fail "desktop-file-validate: $out"
grep -qx 'Exec=tactoria %f' "$desktop" || fail "desktop entry: Exec"
grep -qx 'MimeType=audio/x-wav;audio/wav;audio/vnd.wave;audio/flac;audio/x-flac;audio/x-aiff;audio/x-aifc;audio/ogg;audio/x-vorbis+ogg;audio/x-opus+ogg;audio/mpeg;' "$desktop" || fail "desktop entry: MimeType"
grep -qx "Icon=$id" "$desktop" || fail "desktop entry: Icon"

# The metainfo: valid in pedantic mode with no remark at all, naming the README's pictures.
metainfo=$share/metainfo/$id.metainfo.xml
out=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
if grep -Eq '^[EWIP]: ' <<<"$out"; then fail "appstreamcli validate: $out"; fi
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo: launchable"
readme_pictures=$(grep -o '(docs/[^)]*\.png)' "$source/README.md" | tr -d '()' | sort -u)
meta_pictures=$(grep -o 'docs/[^<]*\.png' "$metainfo" | sort -u)
[ -n "$readme_pictures" ] && [ "$readme_pictures" = "$meta_pictures" ] ||
  fail "metainfo screenshots differ from the README's: $meta_pictures"

# Icons: each picture is a PNG of its folder's size.
for size in 16 32 48 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/$id.png
  # The PNG signature, then the IHDR chunk with the width and the height.
  header=89504e470d0a1a0a0000000d49484452$(printf '%08x%08x' "$size" "$size")
  [ "$(od -An -tx1 -N24 "$png" 2>/dev/null | tr -d ' \n')" = "$header" ] || fail "$png is no ${size}x${size} PNG"
done

# Manual pages: gzipped, rendered by man without a warning, with their sections and, for the
# tool, every command and option its own help lists.
for page in tactoria tactoria-cli; do
  gz=$share/man/man1/$page.1.gz
  gzip -t "$gz" 2>/dev/null || { fail "$page.1.gz is not gzipped"; continue; }
  text=$(LC_ALL=C.UTF-8 MANWIDTH=100 man --warnings -l "$gz" 2>"$work/man.err") || fail "man -l $page"
  [ -s "$work/man.err" ] && fail "man -l $page: $(cat "$work/man.err")"
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS 'EXIT STATUS' EXAMPLE; do
    grep -q "^$section" <<<"$text" || fail "$page.1 has no $section section"
  done
done
cli=$prefix/bin/tactoria-cli
# Only play and waveform load Qt, from the program beside it in libexec; every other command is lean.
! ldd "$cli" | grep -q libQt6 || fail "tactoria-cli loads Qt"
[ -x "$prefix/libexec/tactoria/tactoria-cli-media" ] || fail "missing libexec/tactoria/tactoria-cli-media"
cli_page=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$share/man/man1/tactoria-cli.1.gz" 2>/dev/null)
words=$("$cli" --help | awk 'tolower($0) ~ /^subcommands:/{s=1;next} s&&!NF{exit} s{print $1}')
for command in $words; do
  words+=" $("$cli" "$command" --help | grep -o -- '--[a-z0-9-]*' | sort -u | tr '\n' ' ')"
done
for word in $words --version; do
  grep -q -- "$word\b" <<<"$cli_page" || fail "tactoria-cli.1 does not mention $word"
done
[ "$(wc -w <<<"$words")" -gt 10 ] || fail "could not read tactoria-cli's commands and options"

# The installed window program answers --help and --version with no display at all.
for option in --help --version; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$prefix/bin/tactoria" $option 2>&1) ||
    fail "tactoria $option: $out"
done
grep -q -- '--version' <<<"$("$prefix/bin/tactoria" --help)" || fail "tactoria --help lists no --version"
[ "$("$prefix/bin/tactoria" --version)" = "$("$cli" --version | sed 's/tactoria-cli/tactoria/')" ] ||
  fail "the two programs give different versions"

finish "install tree OK"
