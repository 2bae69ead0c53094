#!/usr/bin/env bash
# Fails, naming the places, where a C++ file of the project differs from its
# style (.clang-format); clang-format -i FILE puts a file right.
set -euo pipefail
cd "$(dirname "$0")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  mapfile -t files < <(find . -name 'build*' -prune -o -name node_modules -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
fi
clang-format --dry-run -Werror "${files[@]}"
echo "clang-format: ${#files[@]} files in the project's style"
