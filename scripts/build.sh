#!/usr/bin/env bash
# Configures and builds the project into build/ (or $VELMORA_BUILD_DIR);
# VELMORA_BUILD_TARGETS limits the build to the targets it names.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VELMORA_BUILD_DIR:-$root/build}"
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release "$@"
else
  cmake -S "$root" -B "$build" "$@" >/dev/null
fi
targets=()
if [[ -n "${VELMORA_BUILD_TARGETS:-}" ]]; then
  for t in $VELMORA_BUILD_TARGETS; do targets+=(--target "$t"); done
fi
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"
