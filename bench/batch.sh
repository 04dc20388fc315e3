#!/usr/bin/env bash
# Batch runs in parallel: 40 projects made from the bundled example (diameters 3 to 5 ft by
# 0.5 ft, lengths 40 to 75 ft by 5 ft), all in one directory, run with -j 1 and with -j 2;
# prints both times (the best of three) and their ratio (on two processors it should be at most 0.6).
#   bench/batch.sh [BUILD_DIR]
# A benchmark, not a test; build first (scripts/build.sh, a Release build for real figures).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
runner="$build/bin/korva2017-run"
[ -x "$runner" ] || { echo "batch.sh: $runner not found; build first" >&2; exit 2; }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Line 4 of the project starts with the stem diameter, line 5's third number is the length.
projects=()
for d in 3 3.5 4 4.5 5; do
  for l in 40 45 50 55 60 65 70 75; do
    name="$scratch/d${d}-l${l}.kv8d"
    awk -v d="$d" -v l="$l" 'NR == 4 { $1 = d } NR == 5 { $3 = l } { print }' \
      "$here/examples/clay-over-sand.kv8d" >"$name"
    projects+=("$name")
  done
done

seconds() { date +%s.%N; }
# The best of three runs: other work on the machine only ever makes a run slower.
run() {
  local start end best=""
  for _ in 1 2 3; do
    start="$(seconds)"
    "$runner" -j "$1" "${projects[@]}" >"$scratch/summary-$1.txt"
    end="$(seconds)"
    t="$(echo "$end - $start" | bc -l)"
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best="$t"; fi
  done
  echo "$best"
}
"$runner" -j 2 "${projects[@]}" >/dev/null  # warm the caches
one="$(run 1)"
two="$(run 2)"
if ! cmp -s "$scratch/summary-1.txt" "$scratch/summary-2.txt"; then
  echo "batch.sh: the summaries of -j 1 and -j 2 differ" >&2
  exit 1
fi
tail -n 1 "$scratch/summary-2.txt"
printf '%d projects  -j 1: %.3f s  -j 2: %.3f s  ratio %.2f (target <= 0.6)\n' \
  "${#projects[@]}" "$one" "$two" "$(echo "$two / $one" | bc -l)"
