#!/bin/sh
# Builds the views screenshot program and writes docs/views.png (the channel views and the tiled
# preview in the README), or OUT.png when given. Needs a build in $BUILD (default build/: make build).
#
#   tools/views-screenshot.sh [OUT.png]
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
out=${1:-$root/docs/views.png}
cmake --build "$build" --target views_screenshot
"$build/tools/views_screenshot" "$out"
