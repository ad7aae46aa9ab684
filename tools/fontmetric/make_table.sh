#!/usr/bin/env bash
# Rewrites platform/graph/font_metrics_table.cpp from Debian's fonts-dejavu-core.
#   tools/fontmetric/make_table.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR}
root=$(cd "$(dirname "$0")/../.." && pwd)
fonts=/usr/share/fonts/truetype/dejavu
"$build/tools/fontmetric/fontmetric" "$root/platform/graph/font_metrics_table.cpp" \
  "$fonts/DejaVuSans.ttf" "$fonts/DejaVuSans-Bold.ttf"
