#!/usr/bin/env bash
# Makes docs/chain-comparison.png: one 64 x 64 test texture converted with each halving filter
# of quorvel-cli convert (rows: point, box, linear), its levels side by side at level 1's size.
# The texture has fine detail that point sampling loses: 1-pixel lines (top left), a 1-pixel
# checkerboard (top right), thin diagonals (bottom left) and a smooth gradient (bottom right).
# Usage: tools/chain-comparison.sh [OUT.png]   (QUORVEL_CLI names the tool; default build/quorvel-cli)
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
cli="${QUORVEL_CLI:-$here/build/quorvel-cli}"
out="${1:-$here/docs/chain-comparison.png}"
[ -x "$cli" ] || { echo "chain-comparison: $cli not found; build first (make build)" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The test texture as a 24-bit Windows bitmap, written byte by byte.
esc=()
for i in $(seq 0 255); do esc[i]="$(printf '\\%03o' "$i")"; done
le32() { printf "${esc[$(($1 & 255))]}${esc[$(($1 >> 8 & 255))]}${esc[$(($1 >> 16 & 255))]}${esc[$(($1 >> 24 & 255))]}"; }
side=64
{
  printf 'BM'; le32 $((54 + side * side * 3)); le32 0; le32 54
  le32 40; le32 $side; le32 $side; printf "${esc[1]}${esc[0]}${esc[24]}${esc[0]}"
  le32 0; le32 $((side * side * 3)); le32 2835; le32 2835; le32 0; le32 0
  for ((y = side - 1; y >= 0; y--)); do  # rows from the bottom
    row=""
    for ((x = 0; x < side; x++)); do
      r=$((40 + x * 2)) g=$((70 + y)) b=30
      if ((y < 32 && x < 32)); then
        ((x % 4 == 1)) && r=255 g=255 b=255
      elif ((y < 32)); then
        if (((x + y) % 2)); then r=255 g=255 b=255; else r=0 g=0 b=0; fi
      elif ((x < 32)); then
        (((x + y) % 6 == 0)) && r=255 g=240 b=200
      else
        r=$((x * 4 - 1)) g=$((y * 4 - 1)) b=$((255 - x * 2))
      fi
      row+="${esc[b]}${esc[g]}${esc[r]}"
    done
    printf "$row"
  done
} > "$work/texture.bmp"

for filter in point box linear; do
  mkdir -p "$work/$filter"
  "$cli" convert --filter "$filter" --output "$work/$filter" "$work/texture.bmp" > /dev/null
done
"$cli" sheet --zoom 2 "$out" "$work/point/texture.m32" "$work/box/texture.m32" "$work/linear/texture.m32"
echo "wrote $out"
