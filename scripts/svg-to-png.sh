#!/usr/bin/env bash
# Turns every SVG file of a folder into a PNG image beside it (or into OUT_DIR), so
# that a person can look at the graphs; needs rsvg-convert (Debian: librsvg2-bin).
#
#   scripts/svg-to-png.sh DIR [OUT_DIR]
#
# Exit status 0 when every file converted, 1 when one did not (each is named), 2 on
# bad arguments or when rsvg-convert is missing.
set -uo pipefail
[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: $0 DIR [OUT_DIR]" >&2; exit 2; }
dir=$1
out=${2:-$1}
[ -d "$dir" ] || { echo "$0: '$dir' is not a folder" >&2; exit 2; }
command -v rsvg-convert >/dev/null || { echo "$0: rsvg-convert is not installed (Debian package librsvg2-bin)" >&2; exit 2; }
mkdir -p "$out" || exit 2
status=0
shopt -s nullglob
for f in "$dir"/*.svg; do
  png="$out/$(basename "${f%.svg}").png"
  if ! rsvg-convert --format=png --output="$png" "$f"; then
    echo "$0: $f could not be converted" >&2
    status=1
  fi
done
exit $status
