#!/usr/bin/env bash
# Runs a command under a private Xvfb server: the server picks a free display
# number (-displayfd), DISPLAY points at it, and the server ends with the
# command.  The command's exit status is the script's.
set -uo pipefail
if ! command -v Xvfb >/dev/null; then
  echo "run_xvfb: Xvfb is not installed (Debian package xvfb)" >&2
  exit 1
fi
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
server=$!
read -r -t 20 number <"$fifo"
rm -f "$fifo"
if [ -z "${number:-}" ]; then
  echo "run_xvfb: Xvfb did not start" >&2
  kill "$server" 2>/dev/null
  exit 1
fi
export DISPLAY=":$number"
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
