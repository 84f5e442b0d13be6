#!/usr/bin/env bash
# Starts the real trendel with the Tcl and Tk script library directories of
# the machine hidden (empty file systems mounted over them in a private mount
# namespace) and checks that it still comes up: Tk, the themed widgets, the
# main script's window and its file dialog all come from the built-in files.
#
#   start_without_libraries.sh TRENDEL RUN_XVFB [TAVIO_DEMO]
#
# With TAVIO_DEMO (the demonstration recording writer) it also opens a
# recording whose path holds a blank, passed as two words the way a shell
# splits it, and checks that the file is loaded and its ".mm" cache written.
# "tctables.txt" is taken from beside TRENDEL.
#
# Exit status 77 (skipped) when no private mount namespace can be made.
set -uo pipefail
trendel=$(realpath "$1")
run_xvfb=$2
demo=${3:+$(realpath "$3")}
if ! unshare -m true 2>/dev/null; then
  echo "cannot create a private mount namespace here: skipped"
  exit 77
fi
if ! command -v xdotool >/dev/null; then
  echo "xdotool is not installed (Debian package xdotool)" >&2
  exit 1
fi

exec "$run_xvfb" unshare -m bash -c '
  set -u
  trendel=$1
  demo=$2
  for dir in /usr/share/tcltk /usr/lib/tcltk /usr/share/tcltk/tcl8.6 /usr/share/tcltk/tk8.6; do
    [ -d "$dir" ] && mount -t tmpfs none "$dir"
  done
  if [ -e /usr/share/tcltk/tcl8.6/init.tcl ] || [ -e /usr/share/tcltk/tk8.6/tk.tcl ]; then
    echo "the script libraries are still visible" >&2
    exit 1
  fi
  work=$(mktemp -d)
  cd "$work"
  "$trendel" >"$work/out.txt" 2>&1 &
  pid=$!
  status=0
  # With no file on its command line the viewer asks for one.
  if ! timeout 30 xdotool search --sync --name "^Select Data File\$" >/dev/null; then
    echo "the open dialog did not appear" >&2
    status=1
  elif ! xdotool search --name "^Trendel\$" >/dev/null; then
    echo "the main window did not appear" >&2
    status=1
  fi
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "trendel ended early" >&2
    status=1
  fi
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  if [ -s "$work/out.txt" ]; then
    echo "trendel wrote:" >&2
    cat "$work/out.txt" >&2
    status=1
  fi
  if [ $status -eq 0 ] && [ -n "$demo" ]; then
    "$demo" "$work/demo run.bin" 5 >/dev/null || status=1
    cp "$(dirname "$trendel")/tctables.txt" "$work/" 2>/dev/null
    "$trendel" "$work/demo" "run.bin" >"$work/out.txt" 2>&1 &
    pid=$!
    if ! timeout 30 xdotool search --sync --name "^Trendel - $work/demo run.bin\$" >/dev/null; then
      echo "the recording was not opened" >&2
      status=1
    fi
    for i in $(seq 1 50); do
      [ -s "$work/demo run.mm" ] && break
      sleep 0.2
    done
    if [ ! -s "$work/demo run.mm" ]; then
      echo "no min/max cache was written" >&2
      status=1
    fi
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    if [ -s "$work/out.txt" ]; then
      echo "trendel wrote:" >&2
      cat "$work/out.txt" >&2
      status=1
    fi
  fi
  rm -rf "$work"
  exit $status
' start "$trendel" "$demo"
