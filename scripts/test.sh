#!/usr/bin/env bash
# Builds the normal and the sanitizer configuration and runs every test in each.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

# The repository alone must pass its tests: nothing may read the team's shared folder
# beside it, but for the match test and the trainer scenes, which skip when the real
# server is not there, and the match harness, which plays on it.
allowed='^(tests/match/MatchTest\.cpp|tests/match/TrainerSceneTest\.cpp|scripts/match\.py):'
if found=$(grep -rn '\.\./shared' tests bench scripts | grep -Ev "$allowed"); then
  echo "Files that read outside the repository:" >&2
  echo "$found" >&2
  exit 1
fi

# Every C++ file keeps the checked-in format.
unformatted=$(git ls-files '*.h' '*.cpp' | while read -r file; do
  clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || echo "$file"
done)
if [ -n "$unformatted" ]; then
  echo "Files that differ from .clang-format (run clang-format -i on them):" >&2
  echo "$unformatted" >&2
  exit 1
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOVREN_SANITIZE=ON -DTOVREN_BENCH=OFF
cmake --build build-san -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-san --output-on-failure -j "$jobs"
