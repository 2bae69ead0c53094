#!/usr/bin/env bash
# Builds everything as Debug with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer into build-asan/ and runs the whole test suite
# there; any report ends the program that made it and fails its test.
# Warnings are not errors here: g++ 12 warns about conversions in the code the
# sanitizers insert that it does not see in the Release build, which keeps -Werror.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

VELMORA_BUILD_DIR="$root/build-asan" "$root/scripts/build.sh" \
  -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_WERROR=OFF -DVELMORA_BUILD_BENCH=OFF -DVELMORA_BUILD_WEB=ON "$@"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
ctest --test-dir "$root/build-asan" --output-on-failure --parallel "$(nproc)"
