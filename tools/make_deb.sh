#!/usr/bin/env bash
# Builds the Debian package from the tree: build-deb/varnick-bozzle_*.deb
#   tools/make_deb.sh          build it
#   tools/make_deb.sh --lint   build it and run lintian on it
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
# The hardening flags Debian builds its packages with
flags="-O2 -g -D_FORTIFY_SOURCE=2 -fstack-protector-strong -Wformat -Werror=format-security"
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=None -DVB_PACKAGE_LAYOUT=ON -DVB_TESTS=OFF -DVB_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro -Wl,-z,now" >/dev/null
cmake --build build-deb -j "$jobs"
(cd build-deb && cpack >/dev/null)
deb=$(ls -t build-deb/varnick-bozzle_*.deb | head -n 1)
echo "$deb"
if [ "${1:-}" = --lint ]; then lintian --info "$deb" || true; fi
