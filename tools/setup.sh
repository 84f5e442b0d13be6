#!/usr/bin/env bash
# Installs the Debian packages listed in tools/packages.txt that are missing.
# apt-get update runs only when something must be installed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list=${1:-$here/packages.txt}
missing=()
while read -r pkg; do
  pkg=${pkg%%#*}
  pkg=${pkg//[[:space:]]/}
  [ -n "$pkg" ] || continue
  if ! dpkg -s "$pkg" >/dev/null 2>&1 || ! dpkg -s "$pkg" 2>/dev/null | grep -q '^Status: install ok installed'; then
    missing+=("$pkg")
  fi
done < "$list"
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
