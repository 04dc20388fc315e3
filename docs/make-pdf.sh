#!/bin/sh
# Makes one manual: Markdown sources (in order) to a PDF file with pandoc and WeasyPrint, run in
# the directory of the figures. A figure or style sheet that cannot be loaded fails the build
# (WeasyPrint itself would only note it and leave the figure out).
#   make-pdf.sh PANDOC WEASYPRINT CSS OUT.pdf SOURCE.md...
set -u
pandoc=$1 weasyprint=$2 css=$3 out=$4
shift 4
log=$(mktemp)
trap 'rm -f "$log"' EXIT
PYTHONWARNINGS=ignore "$pandoc" -f markdown -s --toc --toc-depth=2 --css="$css" \
  --pdf-engine="$weasyprint" --resource-path=. -o "$out" "$@" 2>"$log"
status=$?
if [ $status -ne 0 ] || grep -q -i -e 'failed to load' -e 'error' "$log"; then
  cat "$log" >&2
  rm -f "$out"
  echo "make-pdf.sh: $out was not made" >&2
  exit 1
fi
exit 0
