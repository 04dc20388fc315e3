#!/usr/bin/env bash
# Checks a built Debian package without installing it: unpacks it into a scratch root and
# checks the desktop entry, the project file type, the man pages and the icons
# (scripts/check-install.sh), then runs the batch runner on a copied example (the engine
# library must come from the private library directory), starts the program with a project
# under the offscreen platform, and runs lintian (no errors allowed).
#   scripts/check-package.sh [PACKAGE.deb]    (default: the newest build-release/korva2017_*.deb)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
deb="${1:-$(ls -t "$here"/build-release/korva2017_*.deb | head -1)}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"
fail() { echo "check-package: FAILED: $*" >&2; exit 1; }

dpkg-deb -x "$deb" "$root"
echo "check-package: unpacked $(basename "$deb")"
"$here/scripts/check-install.sh" "$root"

bin="$root/usr/bin"
[ ! -e "$bin/libKorva2017_DLL.so" ] || fail "the engine library lies beside the programs"
lib="$(find "$root/usr/lib" -path '*/korva/libKorva2017_DLL.so' | head -1)"
[ -n "$lib" ] || fail "no engine library in a private library directory"
echo "check-package: engine library at ${lib#$root}"

for manual in "Korva 2017 Users Manual.pdf" "Korva 2017 Technical Manual.pdf"; do
  pdfinfo "$root/usr/share/doc/korva2017/$manual" >/dev/null 2>&1 || fail "no $manual in the package"
done
echo "check-package: both manuals in /usr/share/doc/korva2017"

# The runner, from the scratch root, on a copy of an installed example.
work="$scratch/work"
mkdir -p "$work"
cp "$root/usr/share/korva2017/examples/clay-over-sand.kv8d" "$work/"
status=0
"$bin/korva2017-run" -q "$work/clay-over-sand.kv8d" >"$scratch/run.out" 2>&1 || status=$?
[ "$status" = 0 ] || { cat "$scratch/run.out" >&2; fail "korva2017-run exited with $status"; }
[ -s "$work/clay-over-sand.kv8o" ] || fail "korva2017-run wrote no report"
grep -q "SUMMARY\|ULTIMATE\|CAPACITY" "$work/clay-over-sand.kv8o" || fail "the report has no results"
echo "check-package: korva2017-run analysed the example (status 0, report written)"

# The program, from the scratch root, with the project; it must still be running after a
# few seconds (it found its engine library and opened the project without failing).
export QT_QPA_PLATFORM=offscreen
HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch" "$bin/korva2017" "$work/clay-over-sand.kv8d" \
  >"$scratch/gui.out" 2>&1 &
pid=$!
sleep 4
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid" || true
  cat "$scratch/gui.out" >&2
  fail "korva2017 did not keep running"
fi
kill "$pid"; wait "$pid" 2>/dev/null || true
echo "check-package: korva2017 started with the project"

if command -v lintian >/dev/null 2>&1; then
  lintian --fail-on error "$deb" | tee "$scratch/lintian.out" || fail "lintian reports errors"
  echo "check-package: lintian: no errors ($(grep -c '^W:' "$scratch/lintian.out" || true) warnings)"
else
  fail "lintian is not installed"
fi
echo "check-package: all checks passed"
