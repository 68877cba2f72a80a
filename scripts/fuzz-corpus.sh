#!/usr/bin/env bash
# Rebuilds the seeds in fuzz/corpus/ from the recorded conversations: fuzz/seeds.py writes
# every candidate, and each target keeps those that add to its coverage. Needs the fuzz
# build that scripts/fuzz.sh makes.
set -euo pipefail
cd "$(dirname "$0")/.."
candidates=$(mktemp -d)
trap 'rm -rf "$candidates"' EXIT
python3 fuzz/seeds.py "$candidates"
for found in "$candidates"/*/; do
  name=$(basename "$found")
  rm -rf "fuzz/corpus/$name"
  mkdir -p "fuzz/corpus/$name"
  "build-fuzz/fuzz_$name" -merge=1 -use_counters=0 -timeout=2 "fuzz/corpus/$name" "$found" 2>&1 | tail -n 1
done
