#!/bin/sh
# Checks the desktop integration files of an installed KORVA tree.
#
#   scripts/check-install.sh ROOT
#
# ROOT is a scratch root into which the package was unpacked (files under ROOT/usr/...). The
# script checks the desktop entry, the MIME type package (and builds the MIME database in
# ROOT/usr/share/mime), the manual pages and the icons, printing one line per check. It stops
# with exit status 1 at the first failure, 2 when it is used wrongly.
set -u

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 ROOT   (ROOT: a directory into which the package was unpacked)" >&2
  exit 2
fi
ROOT=$(cd "$1" && pwd)
SHARE="$ROOT/usr/share"
DESKTOP="$SHARE/applications/korva2017.desktop"
MIMEPKG="$SHARE/mime/packages/korva2017.xml"
MIMETYPE="application/x-korva-project"

SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/check-install.XXXXXX") || exit 1
trap 'rm -rf "$SCRATCH"' EXIT

pass() { echo "ok    $*"; }
skip() { echo "skip  $*"; }
fail() {
  echo "FAIL  $1" >&2
  [ $# -gt 1 ] && [ -s "$2" ] && sed 's/^/      /' "$2" >&2
  exit 1
}
need() {
  command -v "$1" >/dev/null 2>&1 || fail "$1 is not installed (Debian package $2)"
}
exists() {
  if [ ! -f "$1" ] || [ ! -s "$1" ]; then fail "missing or empty: ${1#"$ROOT"/}"; fi
}

# ---- desktop entry ---------------------------------------------------------------------------
need desktop-file-validate desktop-file-utils
exists "$DESKTOP"
# Errors give a non-zero status, except those "(will be fatal in the future)"; those and
# warnings are failures too. Hints are shown, but pass.
if ! desktop-file-validate "$DESKTOP" >"$SCRATCH/validate" 2>&1 ||
   grep -q -e 'error:' -e 'warning:' "$SCRATCH/validate"; then
  fail "desktop-file-validate ${DESKTOP#"$ROOT"/}" "$SCRATCH/validate"
fi
pass "desktop-file-validate ${DESKTOP#"$ROOT"/}"
[ -s "$SCRATCH/validate" ] && sed 's/^/      /' "$SCRATCH/validate"

# The entry opens the files of the type the MIME package defines.
grep -q "^MimeType=.*$MIMETYPE;" "$DESKTOP" ||
  fail "the desktop entry does not name $MIMETYPE in MimeType="
pass "desktop entry handles $MIMETYPE"

# ---- MIME type -------------------------------------------------------------------------------
need xmllint libxml2-utils
need update-mime-database shared-mime-info
exists "$MIMEPKG"
xmllint --noout "$MIMEPKG" >"$SCRATCH/xmllint" 2>&1 || fail "xmllint ${MIMEPKG#"$ROOT"/}" "$SCRATCH/xmllint"
pass "xmllint ${MIMEPKG#"$ROOT"/}"
grep -q "type=\"$MIMETYPE\"" "$MIMEPKG" || fail "${MIMEPKG#"$ROOT"/} does not define $MIMETYPE"

# update-mime-database complains about unknown elements on standard error, but carries on.
if ! update-mime-database "$SHARE/mime" >"$SCRATCH/umd" 2>&1 ||
   grep -v -e '^$' -e 'not in the search path' -e 'XDG_DATA' -e 'environment variables' \
     -e 'be able to find it' -e 'directories currently searched' -e '^- ' "$SCRATCH/umd" |
     grep -q .; then
  fail "update-mime-database ${SHARE#"$ROOT"/}/mime" "$SCRATCH/umd"
fi
pass "update-mime-database ${SHARE#"$ROOT"/}/mime"
for glob in '*.kv8d' '*.kvd'; do
  # Lines of globs2: weight:type:glob[:flags].
  awk -F: -v t="$MIMETYPE" -v g="$glob" '$2 == t && $3 == g { found = 1 } END { exit !found }' \
      "$SHARE/mime/globs2" 2>/dev/null ||
    fail "${SHARE#"$ROOT"/}/mime/globs2 does not map $glob to $MIMETYPE" "$SHARE/mime/globs2"
  pass "globs2 maps $glob to $MIMETYPE"
done

# What a desktop makes of such files, with this tree's MIME database first. The files' text is
# that of a project, so that a look at the content agrees with the name.
mkdir -p "$SCRATCH/home" "$SCRATCH/files"
printf 'Probe project\r\n1 \r\n' >"$SCRATCH/files/probe.kv8d"
printf 'Probe project\r\n1 \r\n' >"$SCRATCH/files/PROBE.KVD"
printf 'Probe project\r\n1 \r\n' >"$SCRATCH/files/probe.kvd"
# No name to go by: the content match decides.
printf 'Probe project\r\n1 \r\n2 1 1 5\r\n' >"$SCRATCH/files/probe"
query() {  # TOOL FILE: the type the tool tells
  case $1 in
    gio) gio info -a standard::content-type "$2" 2>/dev/null | sed -n 's/^ *standard::content-type: *//p' ;;
    # xdg-mime asks gio on a GNOME desktop; elsewhere it may fall back to file(1), which knows
    # nothing of the shared MIME database.
    xdg-mime) XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$2" 2>/dev/null ;;
  esac
}
for tool in gio xdg-mime; do
  if ! command -v $tool >/dev/null 2>&1 || ! command -v gio >/dev/null 2>&1; then
    skip "$tool query filetype (gio is not installed: Debian package libglib2.0-bin)"
    continue
  fi
  for f in probe.kv8d probe.kvd PROBE.KVD probe; do
    got=$(XDG_DATA_HOME="$SCRATCH/home" XDG_DATA_DIRS="$SHARE:/usr/local/share:/usr/share" \
            query $tool "$SCRATCH/files/$f")
    [ "$got" = "$MIMETYPE" ] || fail "$tool: $f is \"$got\", not $MIMETYPE"
  done
  pass "$tool query filetype: *.kv8d, *.kvd, *.KVD and a project without a name are $MIMETYPE"
done

# ---- manual pages ----------------------------------------------------------------------------
need man man-db
need gzip gzip
for page in korva2017 korva2017-run; do
  file="$SHARE/man/man1/$page.1.gz"
  rel=${file#"$ROOT"/}
  exists "$file"
  gzip -t "$file" 2>"$SCRATCH/gzip" || fail "$rel is not a valid gzip file" "$SCRATCH/gzip"
  if ! LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$file" \
       >"$SCRATCH/page" 2>"$SCRATCH/man"; then
    fail "man -l $rel" "$SCRATCH/man"
  fi
  [ -s "$SCRATCH/man" ] && fail "man -l $rel: warnings" "$SCRATCH/man"
  if ! grep -q '^NAME' "$SCRATCH/page" || ! grep -q "^ *$page " "$SCRATCH/page"; then
    fail "man -l $rel: no NAME section naming $page" "$SCRATCH/page"
  fi
  pass "man -l $rel"
done

# ---- icons -----------------------------------------------------------------------------------
icons="$SHARE/icons/hicolor"
exists "$icons/scalable/apps/korva2017.svg"
xmllint --noout "$icons/scalable/apps/korva2017.svg" >"$SCRATCH/svg" 2>&1 ||
  fail "${icons#"$ROOT"/}/scalable/apps/korva2017.svg is not well-formed" "$SCRATCH/svg"
pass "icon ${icons#"$ROOT"/}/scalable/apps/korva2017.svg"
# The sizes every installation has, then any other size installed.
sizes="16 32 48 256"
for dir in "$icons"/*x*/apps; do
  [ -f "$dir/korva2017.png" ] || continue
  size=$(basename "$(dirname "$dir")")
  size=${size%%x*}
  case " $sizes " in *" $size "*) ;; *) sizes="$sizes $size" ;; esac
done
for size in $sizes; do
  png="$icons/${size}x${size}/apps/korva2017.png"
  rel=${png#"$ROOT"/}
  exists "$png"
  # A PNG: the signature, then the IHDR chunk with the width and height (bytes 16 to 23).
  [ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$rel is not a PNG file"
  dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "$rel is $dims pixels, not ${size}x${size}"
  pass "icon $rel (${dims})"
done

echo "all install checks passed"
