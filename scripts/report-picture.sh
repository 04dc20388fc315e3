#!/usr/bin/env bash
# Makes the README's picture of the calculation report: the bundled example is analysed with
# the batch runner (--pdf) in a scratch directory, and its summary page and first page of
# graphs are rendered side by side into docs/images/calculation-report.png.
#   scripts/report-picture.sh [BUILD_DIR]
# Needs poppler-utils (pdftoppm) and imagemagick (montage); build first (scripts/build.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
for tool in pdftoppm montage; do
  command -v "$tool" >/dev/null || { echo "report-picture.sh: $tool is needed" >&2; exit 2; }
done
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cp "$here/examples/clay-over-sand.kv8d" "$scratch/"
SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-1765324800}" \
  "$build/bin/korva2017-run" --pdf "$scratch/clay-over-sand.kv8d" >/dev/null
text="$(pdftotext -layout "$scratch/clay-over-sand.pdf" -)"
graphs="$(printf "%s" "$text" | awk 'BEGIN{RS="\f"} /\n *Graphs *\n/ {print NR; exit}')"
pdftoppm -r 60 -png -f 1 -l 1 "$scratch/clay-over-sand.pdf" "$scratch/summary"
pdftoppm -r 60 -png -f "$graphs" -l "$graphs" "$scratch/clay-over-sand.pdf" "$scratch/graphs"
mkdir -p "$here/docs/images"
montage "$scratch"/summary-*.png "$scratch"/graphs-*.png -tile 2x1 -geometry +6+6 -background '#d0d0d0' \
  "$here/docs/images/calculation-report.png"
echo "written $here/docs/images/calculation-report.png"
