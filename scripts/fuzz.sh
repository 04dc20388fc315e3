#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build-fuzz/ and runs each for a while on a scratch copy of its seed corpus.
#
#   scripts/fuzz.sh [--merge] SECONDS [TARGET...]
#
# TARGET is word_reader, evaluator, project_file, engine or plot_reader (all when none is
# named). Each target starts from fuzz/corpus/<target>/ plus the project and plot files
# bundled with the sources (examples/, tests/fixtures/, and bench/ for the file readers). The
# checked-in seeds are never changed, unless --merge is given: then the new inputs that add
# coverage are merged into fuzz/corpus/<target>/.
#
# Per target the script prints the executions, the size of the corpus at the end and, for a
# crash, sanitizer report, timeout or out-of-memory, the path of the input that reproduces it
# (run the target on that file to see the report again). Findings stay in
# build-fuzz/fuzz-findings/<target>/. Exit status: 0 when no target found anything, 1 when
# one did, 2 on a usage or build error.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build-fuzz"
all_targets=(word_reader evaluator project_file engine plot_reader)

usage() {
  echo "usage: scripts/fuzz.sh [--merge] SECONDS [TARGET...]" >&2
  echo "targets: ${all_targets[*]}" >&2
  exit 2
}

merge=0
if [ "${1:-}" = "--merge" ]; then
  merge=1
  shift
fi
[ $# -ge 1 ] || usage
seconds="$1"
shift
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || usage
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")
for i in "${!targets[@]}"; do
  targets[$i]="${targets[$i]#fuzz_}"
  [[ " ${all_targets[*]} " == *" ${targets[$i]} "* ]] || usage
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
  work="$build/fuzz-corpus/$t"
  findings="$build/fuzz-findings/$t"
  log="$build/fuzz-logs/$t.log"
  rm -rf "$work"
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  cp "$seeds"/* "$work"/ 2>/dev/null || true
  while IFS= read -r f; do
    [ -f "$f" ] && cp "$f" "$work/shared-$(basename "$f")"
  done < <(shared_seeds "$t")
  seed_count=$(find "$work" -type f | wc -l)

  echo "== fuzz_$t: $seconds s from $seed_count seeds"
  status=0
  "$bin" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" >"$log" 2>&1 || status=$?

  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  corpus=$(find "$work" -type f | wc -l)
  corpus_bytes=$(du -sb "$work" | cut -f1)
  line="fuzz_$t: ${execs:-?} executions, corpus $corpus inputs ($corpus_bytes bytes)"
  if [ "$status" -ne 0 ]; then
    found=1
    kind=$(grep -m1 -oE 'ERROR: libFuzzer: [a-z0-9 -]+|ERROR: [A-Za-z]+Sanitizer: [a-zA-Z-]+|runtime error: .*' "$log" || true)
    artifact=$(grep -oE 'Test unit written to [^ ]+' "$log" | tail -n 1 | sed 's/^Test unit written to //')
    line="$line; FOUND ${kind:-a failure (exit status $status)}"
    line="$line; input: ${artifact:-none written}; log: $log"
    echo "   ${kind:-exit status $status}; reproduce with: $bin ${artifact:-}"
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
