#!/usr/bin/env bash
# Installs a build into scratch folders and checks the viewer's part of it:
# trendel and "tctables.txt" side by side, the icon, and a desktop entry that
# starts trendel in that folder with the file it is given.
#
# Usage: install_test.sh BUILD_DIR
#
# Cases: a plain prefix; and a staged install (DESTDIR) into a prefix whose
# name holds a blank, a double quote, a dollar sign and a percent sign, where
# the entry must name the prefix (not the staging folder) and quote it.
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

fail() {
  echo "FAIL ($case_name): $*" >&2
  failures=$((failures + 1))
}

# value KEY FILE: the value of KEY in the [Desktop Entry] group.
value() {
  sed -n "/^\[Desktop Entry\]/,/^\[/{s/^$1=//p}" "$2"
}

# expect KEY EXPECTED FILE
expect() {
  local got
  got=$(value "$1" "$3")
  [ "$got" = "$2" ] || fail "$1 is '$got', expected '$2'"
}

if command -v desktop-file-validate >/dev/null; then
  validate=1
else
  validate=0
  echo "install_test: desktop-file-validate not installed (Debian package desktop-file-utils); skipping validation" >&2
fi

# name | DESTDIR (empty: none) | prefix | Exec as written | Path as written
cases=(
  "plain||$scratch/plain|\"$scratch/plain/bin/trendel\" %f|$scratch/plain/bin"
  "staged|$scratch/stage|/opt/orvela \"1\" \$x 5%|\"/opt/orvela \\\\\"1\\\\\" \\\\\$x 5%%/bin/trendel\" %f|/opt/orvela \"1\" \$x 5%/bin"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r case_name destdir prefix exec_line path_line <<<"$entry"
  log=$scratch/$case_name.log
  if ! DESTDIR=$destdir cmake --install "$build" --prefix "$prefix" >"$log" 2>&1; then
    fail "cmake --install failed:"
    cat "$log" >&2
    continue
  fi
  root=$destdir$prefix
  bin=$root/bin
  [ -x "$bin/trendel" ] || fail "no program $bin/trendel"
  if [ -f "$bin/tctables.txt" ]; then
    cmp -s "$bin/tctables.txt" "$build/bin/tctables.txt" || fail "tctables.txt differs from the build's"
  else
    fail "no tctables.txt beside trendel"
  fi
  [ -f "$root/share/icons/hicolor/scalable/apps/trendel.svg" ] || fail "no icon"
  desktop=$root/share/applications/trendel.desktop
  if [ ! -f "$desktop" ]; then
    fail "no desktop entry"
    continue
  fi
  expect Type Application "$desktop"
  expect Exec "$exec_line" "$desktop"
  expect Path "$path_line" "$desktop"
  expect Icon "$prefix/share/icons/hicolor/scalable/apps/trendel.svg" "$desktop"
  expect Terminal false "$desktop"
  [ -n "$(value Categories "$desktop")" ] || fail "no Categories"
  if [ "$validate" = 1 ] && ! desktop-file-validate "$desktop" >&2; then
    fail "desktop-file-validate refuses the entry"
  fi
done

if [ "$failures" -gt 0 ]; then
  echo "install_test: $failures failure(s)" >&2
  exit 1
fi
[ "$validate" = 1 ] || exit 77
echo "install_test: ok"
