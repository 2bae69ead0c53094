#!/usr/bin/env bash
# Builds the fuzz targets with clang (VELMORA_BUILD_FUZZ puts the address and
# undefined-behaviour sanitizers on the libraries they test too) and runs each
# for the given number of seconds; an input that takes over ten seconds
# fails the run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
build="$root/build-fuzz"
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" "${generator[@]}" \
    -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_BUILD_FUZZ=ON -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF \
    -DVELMORA_BUILD_GUI=OFF -DVELMORA_BUILD_WEB=OFF -DVELMORA_WERROR=ON >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)"

for fuzzer in "$build"/fuzz/*_fuzz; do
  name="$(basename "$fuzzer")"
  corpus="$build/corpus/$name"
  mkdir -p "$corpus"
  echo "Fuzzing $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -print_final_stats=1 "$corpus" 2>"$build/$name.log" \
    || { tail -50 "$build/$name.log"; echo "$name: FAILED"; exit 1; }
  grep -E "stat::number_of_executed_units" "$build/$name.log" || true
  echo "$name: passed"
done
