#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Velmora and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"

scripts/ensure-packages.sh
VELMORA_BUILD_TARGETS=velmora scripts/build.sh >/dev/null

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "velmora: ingen bildskärm att visa fönstret på (varken DISPLAY eller WAYLAND_DISPLAY är satt)." >&2
  exit 1
fi
exec "$root/build/app/velmora" "$@"
