#!/usr/bin/env bash
# Renders the program's icon (app/shell/icons/korva2017.svg) as the PNG sizes of the desktop's
# icon theme, app/shell/icons/hicolor/<N>x<N>/korva2017.png. Run it after changing the SVG and
# commit the PNGs. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
icons="$root/app/shell/icons"
svg="$icons/korva2017.svg"

if ! command -v rsvg-convert >/dev/null 2>&1; then
  echo "render-icons: rsvg-convert not found (install librsvg2-bin)" >&2
  exit 1
fi

for n in 16 22 24 32 48 64 128 256; do
  out="$icons/hicolor/${n}x${n}/korva2017.png"
  mkdir -p "$(dirname "$out")"
  rsvg-convert --width "$n" --height "$n" --keep-aspect-ratio --format png "$svg" --output "$out"
  echo "render-icons: $out"
done
