#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
cd "$root"

scripts/ensure-packages.sh
scripts/check-format.sh
scripts/build.sh -DVELMORA_WERROR=ON -DVELMORA_BUILD_WEB=ON

ctest --test-dir build --output-on-failure --parallel "$(nproc)"

# The whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
scripts/sanitized-tests.sh

# Short fuzzing runs: built apart with clang, whose libFuzzer needs its own compiler.
scripts/fuzz.sh "${VELMORA_FUZZ_SECONDS:-20}"
