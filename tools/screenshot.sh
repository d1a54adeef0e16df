#!/usr/bin/env bash
# Takes the README's screenshot: the editor started under Xvfb with a texture open, the frame
# grabbed by the editor itself (QUORVEL_SCREENSHOT) into a PNG.
#
#   tools/screenshot.sh [OUT.png]     (default docs/screenshot.png; needs a build in $BUILD,
#                                      default build/, and Xvfb: make test installs it)
#
# The texture is made here: a 256 x 256 brick picture written as a Targa file, turned into an
# .m32 with all its sizes by quorvel-cli.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build}
out=$(realpath -m "${1:-$root/docs/screenshot.png}")
for program in "$build/quorvel" "$build/quorvel-cli"; do
  [ -x "$program" ] || { echo "screenshot.sh: $program is not built (make build)" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "screenshot.sh: xvfb-run is missing (apt-get install xvfb xauth)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# An uncompressed 24-bit Targa, rows from the top: 18-byte header, then blue, green, red.
picture="$work/BRICKS.TGA"
printf '\x00\x00\x02\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01\x00\x01\x18\x20' > "$picture"
LC_ALL=C awk 'BEGIN {
  for (y = 0; y < 256; y++) {
    row = int(y / 16); shift = (row % 2) * 16
    for (x = 0; x < 256; x++) {
      bx = (x + shift) % 32; by = y % 16
      # Mortar between the bricks; each brick its own shade, a little noise on its face.
      if (bx < 2 || by < 2) { r = 200; g = 196; b = 186 }
      else {
        brick = int((x + shift) / 32) + row * 5
        shade = (brick * 37) % 40
        noise = ((x * 7 + y * 13) * (x + 3)) % 17
        r = 150 + shade + noise; g = 62 + shade / 2 + noise; b = 40 + noise
      }
      printf "%c%c%c", b, g, r
    }
  }
}' >> "$picture"

"$build/quorvel-cli" convert --output "$work" "$picture" > /dev/null
# A copy of the editor, so that its settings file is written here and not beside the build.
cp "$build/quorvel" "$work/quorvel"
rm -f "$out"
QT_QPA_PLATFORM=xcb QUORVEL_SCREENSHOT="$out" \
  xvfb-run -a -s "-screen 0 960x600x24 -nolisten tcp" "$work/quorvel" "$work/BRICKS.m32"
[ -s "$out" ] || { echo "screenshot.sh: no screenshot was written" >&2; exit 1; }
echo "$out"
