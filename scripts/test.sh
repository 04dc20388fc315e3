#!/usr/bin/env bash
# Installs what is needed, builds KORVA twice (a normal Debug build and a build with
# AddressSanitizer and UndefinedBehaviorSanitizer), runs every test in both, builds the Debian
# package and checks it unpacked in a scratch root, then runs each fuzz target on its seeds.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$here/build"
"$here/scripts/build.sh" "$here/build-asan" -DKORVA_SANITIZE=ON -DKORVA_BUILD_BENCH=OFF -DKORVA_BUILD_MANUALS=OFF

export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

run_ctest() {
  if command -v xvfb-run >/dev/null 2>&1; then
    xvfb-run -a ctest --test-dir "$1" --output-on-failure -j"$(nproc)"
  else
    ctest --test-dir "$1" --output-on-failure -j"$(nproc)"
  fi
}
run_ctest "$here/build"
run_ctest "$here/build-asan"

# The Release build's Debian package, unpacked into a scratch root and tried from there.
"$here/scripts/package.sh" "$here/build-release"
"$here/scripts/check-package.sh" "$(ls -t "$here"/build-release/korva2017_*.deb | head -1)"

# Every fuzz target on each of its seeds and earlier findings, once (clang build in
# build-fuzz/): deterministic, so the same commit always gives the same answer.
"$here/scripts/fuzz.sh" --replay
