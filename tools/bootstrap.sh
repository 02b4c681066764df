#!/usr/bin/env bash
# Sets up a Debian 12 machine for the game, builds it, then plays or tests.
#   tools/bootstrap.sh play   install what is missing, build, start the game
#   tools/bootstrap.sh test   install what is missing, build, run every test
#                             (display tests start their own Xvfb servers),
#                             then the same suite again under the address and
#                             undefined-behaviour sanitizers
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-play}
packages=(
  build-essential cmake ninja-build pkg-config git
  libsdl2-dev libgl-dev libgl1-mesa-dri libpng-dev libjpeg-dev zlib1g-dev libfreetype-dev libx11-dev
  libmicrohttpd-dev libsqlite3-dev libopenal-dev libmpg123-dev libvorbis-dev
)
if [ "$mode" = test ]; then
  # xfonts-base gives Xvfb the core fonts that error message boxes are drawn with
  packages+=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xfonts-base xdotool x11-utils x11-xserver-utils openbox imagemagick wrk
    debootstrap dpkg-dev lintian)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset default -G Ninja
cmake --build --preset default -j "$jobs"

case "$mode" in
  play) exec build/stage/varnick-bozzle ;;
  test)
    ctest --preset default -j "$jobs"
    # The Debian package, installed and played in a fresh Debian 12 root
    bash tests/package/install_test.sh
    cmake --preset sanitize -G Ninja
    cmake --build --preset sanitize -j "$jobs"
    ctest --preset sanitize -j "$jobs"
    ;;
  *) echo "usage: $0 play|test" >&2; exit 2 ;;
esac
