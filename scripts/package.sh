#!/usr/bin/env bash
# Builds the Release configuration and the Debian package
# build-release/korva2017_<version>_<architecture>.deb; prints the package's path.
#   scripts/package.sh [BUILD_DIR]     (default: build-release)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-release}"
"$here/scripts/build-release.sh" "$build"
rm -f "$build"/korva2017_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/korva2017_*.deb
