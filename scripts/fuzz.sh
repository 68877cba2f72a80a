#!/usr/bin/env bash
# Builds the fuzz targets (clang's libFuzzer with AddressSanitizer and UBSan, in build-fuzz/)
# and runs each for the given number of seconds (default 60) from its seeds in
# fuzz/corpus/<name>/. Fails on any crash, sanitizer report, leak or input that takes
# longer than 2 s; the input that did it is kept in build-fuzz/runs/<name>/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [seconds per target]" >&2
  exit 1
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DTOVREN_FUZZ=ON
cmake --build build-fuzz -j "$(nproc)"

# The words each target's input is made of, from fuzz/dict/: libFuzzer splices them in.
dictionary_parts() {
  case $1 in
    config) echo common config ;;
    replay) echo common messages replay ;;
    *) echo common messages ;;
  esac
}

export UBSAN_OPTIONS=print_stacktrace=1
passed=0
failed=0
for seeds in fuzz/corpus/*/; do
  name=$(basename "$seeds")
  # New inputs go to the first directory: the seeds in the repository stay as they are.
  work=build-fuzz/runs/$name
  mkdir -p "$work/corpus" "$work/artifacts"
  for part in $(dictionary_parts "$name"); do cat "fuzz/dict/$part.txt"; done >"$work/dictionary"
  if "build-fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=2 -print_final_stats=1 \
      -dict="$work/dictionary" -artifact_prefix="$work/artifacts/" \
      "$work/corpus" "$seeds" >"$work/fuzz.log" 2>&1; then
    echo "fuzz_$name: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$work/fuzz.log")"
    passed=$((passed + 1))
  else
    echo "fuzz_$name found a fault; the input is in $work/artifacts/, the end of its log:" >&2
    tail -n 60 "$work/fuzz.log" >&2
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
