#!/usr/bin/env bash
# Makes the screenshots of the user's manual, docs/images/um-*.png.
#
#   scripts/manual-screenshots.sh [BUILD_DIR]      (default: build)
#
# Starts the desktop program of BUILD_DIR/bin on a virtual display of its own (Xvfb and
# openbox), builds the bundled example examples/clay-over-sand.kv8d from a new project
# through the dialogs, exactly as the tutorial of docs/users-manual.md does, saves it in a
# scratch directory, runs the analysis and opens the graphs and views. Each window is
# captured with ImageMagick's import and written as an 8-bit palette PNG at most 1000 pixels
# wide. At the end the project the dialogs made is compared with the bundled one: the
# script fails when they differ, so the pictures always show the tutorial's values.
#
# Needs Xvfb, openbox, xdotool and ImageMagick (import, convert); pngquant is used when
# installed. The manuals' build does not run this script: the PNGs are committed.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
BIN="$BUILD/bin"
OUT="$ROOT/docs/images"
EXAMPLE="$ROOT/examples/clay-over-sand.kv8d"
SCREEN=${KORVA_SHOT_DISPLAY:-:87}

for tool in Xvfb openbox xdotool import convert; do
  command -v "$tool" >/dev/null || { echo "manual-screenshots: $tool is missing" >&2; exit 1; }
done
[ -x "$BIN/korva2017" ] || { echo "manual-screenshots: no program at $BIN/korva2017" >&2; exit 1; }

WORK=$(mktemp -d /tmp/korva-shots.XXXXXX)
mkdir -p "$WORK/home" "$WORK/project" "$OUT"
PIDS=()
cleanup() {
  local pid
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [ -n "${KORVA_SHOT_KEEP:-}" ] && echo "kept $WORK" || rm -rf "$WORK"
}
trap cleanup EXIT

export DISPLAY=$SCREEN
Xvfb "$SCREEN" -screen 0 1280x960x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
PIDS+=($!)
sleep 1

# The program with a fresh settings directory, in English, with the same fonts every time.
cd "$WORK/project"
HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" LANG=C.UTF-8 QT_QPA_PLATFORM=xcb \
  SOURCE_DATE_EPOCH=1765324800 "$BIN/korva2017" >"$WORK/program.log" 2>&1 &
cd "$ROOT"
PIDS+=($!)

# --- helpers --------------------------------------------------------------------------------

# The window whose title matches the pattern (waits up to 10 s for it).
window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.1
  done
  echo "manual-screenshots: no window \"$1\"" >&2
  exit 1
}

pause() { sleep "${1:-0.6}"; }
keys() { xdotool key --clearmodifiers --delay 60 "$@"; pause 0.3; }
typed() { xdotool type --clearmodifiers --delay 25 "$1"; pause 0.2; }
# Replaces the entry of the focused field and leaves it with Tab.
field() { keys ctrl+a; typed "$1"; keys Tab; }
# A click at x y inside window $1.
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; pause 0.4; }

# Writes the PNG: at most 1000 px wide, 256 colours (pngquant when there is one).
save_png() {
  local raw=$1 name=$2
  convert "$raw" -resize '1000x>' -strip -colors 256 "PNG8:$OUT/$name"
  if command -v pngquant >/dev/null; then pngquant --force --skip-if-larger --output "$OUT/$name" "$OUT/$name" || true; fi
  echo "  $name $(identify -format '%wx%h' "$OUT/$name") $(( $(stat -c %s "$OUT/$name") / 1024 )) KB"
}

# A whole top-level window.
shoot() {
  pause 0.8
  import -window "$1" "$WORK/raw.png"
  save_png "$WORK/raw.png" "$2"
}

# A top-level window with its frame (the title bar).
shoot_frame() {
  pause 0.8
  import -frame -window "$1" "$WORK/raw.png"
  save_png "$WORK/raw.png" "$2"
}

# A part of the main window: x y width height (in the window).
shoot_part() {
  pause 0.8
  import -window "$MAIN" "$WORK/raw.png"
  convert "$WORK/raw.png" -crop "$3x$4+$1+$2" +repage "$WORK/part.png"
  save_png "$WORK/part.png" "$5"
}

# A data dialog inside the main window: the window's picture without the grey of the
# window area around the dialog (the dialogs open in its top left corner).
shoot_child() {
  pause 0.8
  import -window "$MAIN" "$WORK/raw.png"
  convert "$WORK/raw.png" -crop "+0+$AREA_TOP" +repage "$WORK/area.png"
  local w h grey
  read -r w h < <(identify -format '%w %h\n' "$WORK/area.png")
  grey=$(convert "$WORK/area.png" -crop "1x1+$((w - 4))+$((h - 4))" -format '%[pixel:p{0,0}]' info:)
  convert "$WORK/area.png" -bordercolor "$grey" -border 1 -fuzz 2% -trim +repage "$WORK/child.png"
  CHILD_W=$(identify -format '%w' "$WORK/child.png")
  [ -n "${1:-}" ] && save_png "$WORK/child.png" "$1"
  return 0
}

# Closes the data dialog in the top left corner of the window area with the button at the
# right end of its title bar (the width is that of the last shoot_child picture).
close_child() { click "$MAIN" $((CHILD_W - 14)) $((AREA_TOP + 11)); }

# A top-level dialog: clicks at x y inside it.
in_dialog() { xdotool mousemove --window "$1" "$2" "$3" click 1; pause 0.4; }

# --- the main window ------------------------------------------------------------------------

MAIN=$(window '^KORVA 2017')
xdotool windowactivate --sync "$MAIN"
xdotool windowmove --sync "$MAIN" 0 0
pause 1
echo "main window $MAIN"
shoot_frame "$MAIN" um-main-window.png
# The first row of the window area: where a column of the main window turns to the grey of
# its bottom right corner.
import -window "$MAIN" "$WORK/raw.png"
AREA_TOP=$(convert "$WORK/raw.png" -crop 1x200+900+0 +repage txt:- | awk -v g="$(
  read -r w h < <(identify -format '%w %h\n' "$WORK/raw.png")
  convert "$WORK/raw.png" -crop "1x1+$((w - 4))+$((h - 4))" -format '%[hex:p{0,0}]' info:)" \
  'NR > 1 && index(toupper($3), toupper(g)) { split($1, a, "[,:]"); print a[2]; exit }')
echo "window area from y=$AREA_TOP"

# --- Data > Title ---------------------------------------------------------------------------
keys alt+t t
field "Example 1: 3 ft drilled shaft, 60 ft long, clay over dense sand (ASD)"
shoot_child um-title.png
close_child

# --- Data > Drilled-Shaft Properties --------------------------------------------------------
keys alt+t d
# Minimum and maximum diameter, Bb/B, bell angle, Lue, Lle, modulus of elasticity.
for v in 3 0 0 0 5 3 3600000; do field "$v"; done
shoot_child um-shaft.png
close_child

# --- Data > Soil Layer Data -----------------------------------------------------------------
# A new project has one sand layer: add the second, make the first clay and give the depths.
keys alt+t l
shoot_child
ROW1=$((AREA_TOP + 106)); ROW2=$((ROW1 + 25))
click "$MAIN" 150 $((AREA_TOP + 264))     # Add Layer
click "$MAIN" 218 $ROW1                   # soil type of layer 1: the second type, clay
keys Down Return
click "$MAIN" 386 $ROW1; field 30         # depth at the bottom of layer 1
click "$MAIN" 386 $ROW2; field 80         # and of layer 2
shoot_child um-soil-layers.png

# Edit Layer 1: clay. Unit weight, cohesion (top, bottom); the rest is estimated.
click "$MAIN" 70 $ROW1
LAYER=$(window '^Data for Layer 1$')
in_dialog "$LAYER" 350 117
for v in 115 120 1000 2200; do field "$v"; done
pause
import -frame -window "$LAYER" "$WORK/raw.png"; save_png "$WORK/raw.png" um-layer-clay.png
in_dialog "$LAYER" 510 557                # Close

# Edit Layer 2: sand by the Beta method; unit weight, Beta (estimated), blow counts.
click "$MAIN" 70 $ROW2
LAYER=$(window '^Data for Layer 2$')
in_dialog "$LAYER" 40 137                 # Beta Method
in_dialog "$LAYER" 350 236
for v in 120 125 0 0 18 35; do field "$v"; done
pause
import -frame -window "$LAYER" "$WORK/raw.png"; save_png "$WORK/raw.png" um-layer-sand.png
in_dialog "$LAYER" 510 557
close_child                               # Soill Layers

# --- Length, water table, factors of safety -------------------------------------------------
keys alt+t c Return                       # Computation Methods > Specify the shaft length
field 60
keys alt+t w                              # Water Table
field 12
keys alt+t f                              # Factor of Safety (Allowable Stress Design)
field 2
field 2.5
shoot_child um-length-water-safety.png

# --- File > Save As: the file dialog, then the project in the scratch directory -------------
keys alt+f a
SAVE=$(window 'As$')
pause
typed "$WORK/project/clay-over-sand.kv8d"

keys Return
pause 1

# --- Data > Control Options -----------------------------------------------------------------
keys alt+t o
shoot_child
click "$MAIN" 394 $((AREA_TOP + 177)); field 5   # Output Increment
shoot_child um-options.png
close_child
keys ctrl+s

# The project the dialogs made is the bundled example.
if ! diff <(tr -d '\r' < "$WORK/project/clay-over-sand.kv8d") <(tr -d '\r' < "$EXAMPLE"); then
  echo "manual-screenshots: the project made through the dialogs differs from $EXAMPLE" >&2
  exit 1
fi
echo "  the saved project is the bundled example"

# --- Computation > Run Analysis -------------------------------------------------------------
keys alt+c r
BOX=$(window '^Korva 2017$')
pause 1
import -frame -window "$BOX" "$WORK/raw.png"; save_png "$WORK/raw.png" um-run-completed.png
keys Return
pause 1

# --- Graphics -------------------------------------------------------------------------------
keys alt+g
pause
import -window root "$WORK/raw.png"
convert "$WORK/raw.png" -crop 600x390+0+0 +repage "$WORK/part.png"
save_png "$WORK/part.png" um-graphics-menu.png
keys Down Down Down Return                 # Combined Plots vs Depth (ultimate)
pause 1.5
shoot "$MAIN" um-graph-combined.png
keys alt+g
keys Down Down Down Down Down Down Down Down Return   # Axial Load vs Settlement (averaged)
pause 1.5
shoot "$MAIN" um-graph-load-settlement.png
keys alt+g
keys Up Up Up Return                       # t-z curves (averaged, initial diameter)
pause 1.5
shoot "$MAIN" um-graph-tz.png

# --- Computation > View Shaft Elevation, 3D View --------------------------------------------
keys alt+c v
pause 1.5
shoot "$MAIN" um-elevation.png
keys alt+c Up Return                       # 3D View, the last item
pause 3
# The OpenGL view makes the toolkit create the main window anew, with another id.
MAIN=$(window '^KORVA 2017.*3-D View')
shoot "$MAIN" um-3d-view.png

echo "done"
