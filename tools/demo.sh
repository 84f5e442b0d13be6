#!/usr/bin/env bash
# Sets up the machine, builds the viewer and opens it on a demonstration
# recording.
#
# The recording (16 channels, five minutes, written by tavio-demo) and the
# thermocouple tables "tctables.txt" go into demo/, and trendel runs from
# there, so it finds the tables.  With a display (DISPLAY set) the window
# opens and the script ends when it is closed.  Without one the viewer runs
# under a private Xvfb server: once it has drawn the recording, a screenshot
# of its window is saved as demo/screenshot.png, its path printed, and the
# viewer and the server end.
#
# A second run reuses the build (only what changed is rebuilt) and the
# recording; delete demo/ to write it again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo=$root/demo
recording=$demo/demo.bin
screenshot=$demo/screenshot.png
trendel=$root/build/bin/trendel

prepare() {
  cd "$root"
  bash tools/setup.sh
  if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  cmake --build build -j"$(nproc)" --target trendel tavio-demo tctables
  mkdir -p "$demo"
  cmp -s build/bin/tctables.txt "$demo/tctables.txt" || cp build/bin/tctables.txt "$demo/tctables.txt"
  if [ ! -s "$recording" ]; then
    # Written under another name first, so that an interrupted run leaves no
    # partial recording to be reused; the min/max cache of an older one goes.
    rm -f "$demo/demo.mm" "$recording.part"
    build/bin/tavio-demo "$recording.part" 300
    mv "$recording.part" "$recording"
  fi
}

# Runs on the private X server: starts the viewer, waits until it has drawn
# the recording (asked through Tk's send), saves the screenshot and ends it.
shoot() {
  cd "$demo"
  "$trendel" "$recording" >"$demo/trendel.log" 2>&1 &
  local viewer=$! window status=0
  local waiter
  waiter=$(mktemp --suffix=.tcl)
  cat >"$waiter" <<'EOF'
# Waits (at most two minutes) until the viewer with the given process id has
# drawn its first file, lets it finish drawing and prints its window's id.
wm withdraw .
set viewer [lindex $argv 0]
for {set i 0} {$i < 2400} {incr i} {
    if {[catch {exec kill -0 $viewer}]} {
	puts stderr "demo: the viewer ended before it drew the recording"
	exit 1
    }
    foreach name [winfo interps] {
	if {[string match trendel* $name] && ![catch {send $name {
	    list [pid] [expr {[info exists ::load_serial] && $::load_serial >= 1}]
	}} answer] && $answer eq [list $viewer 1]} {
	    puts [send $name {update idletasks; wm frame .}]
	    exit 0
	}
    }
    after 50
}
puts stderr "demo: the viewer did not draw the recording within two minutes"
exit 1
EOF
  if window=$(wish8.6 "$waiter" "$viewer"); then
    import -window "$window" "$screenshot" || status=$?
  else
    status=1
  fi
  rm -f "$waiter"
  kill "$viewer" 2>/dev/null || true
  wait "$viewer" 2>/dev/null || true
  if [ "$status" -ne 0 ]; then
    echo "demo: no screenshot; the viewer's output is in $demo/trendel.log" >&2
    return "$status"
  fi
  echo "demo: screenshot of the viewer saved as $screenshot"
}

if [ "${1:-}" = --shoot ]; then
  shoot
  exit
fi
prepare
if [ -n "${DISPLAY:-}" ]; then
  cd "$demo"
  exec "$trendel" "$recording"
fi
echo "demo: no display (DISPLAY is not set); running the viewer under Xvfb"
exec bash "$root/viewer/scripts/tests/run_xvfb.sh" bash "$root/tools/demo.sh" --shoot
