#!/usr/bin/env bash
# Configures and builds KORVA in a build directory.
#   scripts/build.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
shift || true
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
