#!/usr/bin/env bash
# Installs what is needed, builds KORVA in its Release configuration (build-release/) and
# runs the bundled example project with the batch runner. The report path is printed at the end. With --gui and a display, the
# desktop program opens the example afterwards (once it is built).
#   scripts/run-example.sh [--gui] [PROJECT.kv8d]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
gui=0
project="$here/examples/clay-over-sand.kv8d"
for a in "$@"; do
  case "$a" in
    --gui) gui=1 ;;
    *) project="$a" ;;
  esac
done

"$here/scripts/install-deps.sh"
"$here/scripts/build-release.sh" "$here/build-release"

status=0
"$here/build-release/bin/korva2017-run" "$project" || status=$?
report="${project%.*}.kv8o"
if [ -f "$report" ]; then
  echo "Report written to: $report"
fi
if [ "$gui" = 1 ] && [ -n "${DISPLAY:-}" ] && [ -x "$here/build-release/bin/korva2017" ]; then
  "$here/build-release/bin/korva2017" "$project" &
fi
exit "$status"
