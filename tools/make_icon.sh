#!/usr/bin/env bash
# The desktop icon, drawn from the game's own art: the player's first running
# frame in front of the sun. Needs ImageMagick. Writes packaging/varnick-bozzle.png
set -euo pipefail
cd "$(dirname "$0")/.."
m=system/m013
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# The sun is white in the sheet and tinted as the game draws it: 255, 200, 100
convert "$m/gfx.png" -crop 64x64+0+192 +repage -fuzz 1% -transparent "#ff00ff" \
  -channel G -evaluate multiply 0.784 -channel B -evaluate multiply 0.392 +channel "$tmp/sun.png"
convert "$m/varnicka.png" -crop 64x64+0+0 +repage -fuzz 1% -transparent '#ff00ff' "$tmp/player.png"
convert "$tmp/sun.png" "$tmp/player.png" -background none -compose over -composite \
  -strip -define png:exclude-chunks=date,time packaging/varnick-bozzle.png
