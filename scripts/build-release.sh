#!/usr/bin/env bash
# Configures and builds KORVA's programs in a Release configuration for installation under
# /usr, with the distribution's hardening flags (no tests or benchmarks).
#   scripts/build-release.sh [BUILD_DIR]     (default: build-release)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-release}"
export DEB_BUILD_MAINT_OPTIONS="${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}"
flags=()
if command -v dpkg-buildflags >/dev/null 2>&1; then
  cppflags="$(dpkg-buildflags --get CPPFLAGS)"
  flags=(-DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags"
         -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags"
         -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
         -DCMAKE_SHARED_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)")
fi
"$here/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DKORVA_BUILD_TESTS=OFF -DKORVA_BUILD_BENCH=OFF "${flags[@]}"
