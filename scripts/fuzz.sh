#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build-fuzz/ and runs them.
#
#   scripts/fuzz.sh --replay [TARGET...]
#   scripts/fuzz.sh [--merge] SECONDS [TARGET...]
#   scripts/fuzz.sh --adopt TARGET FILE...
#
# TARGET is word_reader, evaluator, project_file, engine or plot_reader (all when none is
# named). The seeds of a target are fuzz/corpus/<target>/ (which also holds every earlier
# finding as a regression seed) plus the project and plot files bundled with the sources
# (examples/, tests/fixtures/, and bench/ for the file readers).
#
# --replay runs every seed of each target once and nothing else: the same commit always gives
# the same answer, so this is the mode of the test command. A timeout counts only beyond 120 s
# of one input there, so a loaded machine cannot turn a slow input into a finding.
#
# SECONDS explores: each target mutates a scratch copy of its seeds for that long. The
# checked-in seeds are never changed, unless --merge is given: then the new inputs that add
# coverage are merged into fuzz/corpus/<target>/.
#
# --adopt copies findings (or any inputs) into fuzz/corpus/<target>/ as regression seeds,
# named by their content (regression-<sha1>); commit them with the fix, and --replay checks
# them from then on.
#
# Per target the script prints the executions, the size of the corpus at the end and, for a
# crash, sanitizer report, timeout or out-of-memory, the path of the input that reproduces it
# (run the target on that file to see the report again, or adopt it). Findings stay in
# build-fuzz/fuzz-findings/<target>/ (build-fuzz/replay-findings/ for --replay). Exit
# status: 0 when no target found anything, 1 when one did, 2 on a usage or build error.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build-fuzz"
all_targets=(word_reader evaluator project_file engine plot_reader)

usage() {
  echo "usage: scripts/fuzz.sh --replay [TARGET...]" >&2
  echo "       scripts/fuzz.sh [--merge] SECONDS [TARGET...]" >&2
  echo "       scripts/fuzz.sh --adopt TARGET FILE..." >&2
  echo "targets: ${all_targets[*]}" >&2
  exit 2
}

known_target() { [[ " ${all_targets[*]} " == *" ${1#fuzz_} "* ]]; }

if [ "${1:-}" = "--adopt" ]; then
  shift
  [ $# -ge 2 ] && known_target "$1" || usage
  target="${1#fuzz_}"
  shift
  for f in "$@"; do
    [ -f "$f" ] || { echo "fuzz.sh: no such file: $f" >&2; exit 2; }
    name="regression-$(sha1sum "$f" | cut -c1-16)"
    cp "$f" "$here/fuzz/corpus/$target/$name"
    echo "fuzz/corpus/$target/$name"
  done
  exit 0
fi

merge=0
replay=0
case "${1:-}" in
  --merge) merge=1; shift ;;
  --replay) replay=1; shift ;;
esac
if [ "$replay" -eq 0 ]; then
  [ $# -ge 1 ] || usage
  seconds="$1"
  shift
  [[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || usage
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
for i in "${!targets[@]}"; do
  known_target "${targets[$i]}" || usage
  targets[$i]="${targets[$i]#fuzz_}"
done

"$here/scripts/install-deps.sh"

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVA_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null || exit 2
cmake --build "$build" -j"$(nproc)" || exit 2

if [ -x /usr/bin/llvm-symbolizer ]; then export ASAN_SYMBOLIZER_PATH=/usr/bin/llvm-symbolizer; fi
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

# The seed files of a target besides fuzz/corpus/<target>/: the bundled projects and plot
# files. The benchmark projects are only read, never analysed: their runs take far longer
# than a fuzzing input may.
shared_seeds() {
  local projects=("$here"/examples/*.kv8d "$here"/tests/fixtures/golden/*.kv8d
                  "$here"/tests/fixtures/project/*.kvd)
  # (The examples' own plot files are run output, not part of the sources; fuzz/corpus/plot_reader
  # holds the plot file of the first example.)
  local plots=("$here"/tests/fixtures/golden/*.kv8p)
  case "$1" in
    word_reader) printf '%s\n' "${projects[@]}" "${plots[@]}" "$here"/fuzz/corpus/project_file/* ;;
    project_file) printf '%s\n' "${projects[@]}" "$here"/bench/*.kv8d ;;
    engine) printf '%s\n' "${projects[@]}" "$here"/fuzz/corpus/project_file/* ;;
    plot_reader) printf '%s\n' "${plots[@]}" ;;
  esac
}

found=0
summary=()
for t in "${targets[@]}"; do
  bin="$build/bin/fuzz_$t"
  seeds="$here/fuzz/corpus/$t"
  # A replay has scratch files of its own, so that it can run beside an exploring run.
  mode=fuzz
  [ "$replay" -eq 1 ] && mode=replay
  work="$build/$mode-corpus/$t"
  findings="$build/$mode-findings/$t"
  log="$build/$mode-logs/$t.log"
  rm -rf "$work"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  cp "$seeds"/* "$work"/ 2>/dev/null || true
  while IFS= read -r f; do
    [ -f "$f" ] && cp "$f" "$work/shared-$(basename "$f")"
  done < <(shared_seeds "$t")
  seed_count=$(find "$work" -type f | wc -l)

  status=0
  if [ "$replay" -eq 1 ]; then
    echo "== fuzz_$t: replay of $seed_count seeds"
    # Every seed once, in a fixed order; libFuzzer runs files given by name and exits.
    mapfile -t inputs < <(find "$work" -type f | LC_ALL=C sort)
    "$bin" -timeout=120 -rss_limit_mb=2048 -artifact_prefix="$findings/" "${inputs[@]}" \
      >"$log" 2>&1 || status=$?
  else
    echo "== fuzz_$t: $seconds s from $seed_count seeds"
    # A whole engine run may analyse hundreds of shafts: under the sanitizers, and with other
    # targets running beside it, that takes seconds without being a hang.
    timeout=5
    [ "$t" = engine ] && timeout=30
    "$bin" -max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings/" "$work" >"$log" 2>&1 || status=$?
  fi

  if [ "$replay" -eq 1 ]; then
    execs=$(grep -c '^Executed ' "$log" || true)
  else
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  fi
  corpus=$(find "$work" -type f | wc -l)
  corpus_bytes=$(du -sb "$work" | cut -f1)
  line="fuzz_$t: ${execs:-?} executions, corpus $corpus inputs ($corpus_bytes bytes)"
  if [ "$status" -ne 0 ]; then
    found=1
    kind=$(grep -m1 -oE 'ERROR: libFuzzer: [a-z0-9 -]+|ERROR: [A-Za-z]+Sanitizer: [a-zA-Z-]+|runtime error: .*' "$log" || true)
    if [ "$replay" -eq 1 ]; then
      # The seed that failed is the last one started.
      artifact=$({ grep -oE '^Running: .+' "$log" || true; } | tail -n 1 | sed 's/^Running: //')
    else
      artifact=$({ grep -oE 'Test unit written to [^ ]+' "$log" || true; } | tail -n 1 |
                 sed 's/^Test unit written to //')
    fi
    line="$line; FOUND ${kind:-a failure (exit status $status)}"
    line="$line; input: ${artifact:-none written}; log: $log"
    echo "   ${kind:-exit status $status}; reproduce with: $bin ${artifact:-}"
    [ "$replay" -eq 1 ] || [ -z "${artifact:-}" ] || echo "   keep it as a regression seed: scripts/fuzz.sh --adopt $t $artifact"
    # The target's own message and the first frames in KORVA's sources.
    { grep -m 3 -E '^fuzz_[a-z_]+: ' "$log" || true
      grep -E "^ +#[0-9]+ .* $here/(engine|app)/" "$log" | head -n 5 || true; } | sed 's/^ */   /'
  fi
  summary+=("$line")

  if [ "$merge" -eq 1 ] && [ "$status" -eq 0 ]; then
    rm -f "$work"/shared-*
    "$bin" -merge=1 -timeout=5 -rss_limit_mb=2048 "$seeds" "$work" >>"$log" 2>&1 || true
    echo "   merged into fuzz/corpus/$t: $(find "$seeds" -type f | wc -l) inputs"
  fi
done

echo "== summary"
printf '%s\n' "${summary[@]}"
exit "$found"
