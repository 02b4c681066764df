#!/usr/bin/env bash
# The Debian package on a fresh Debian 12 root: it installs with its
# dependencies, the installed game shows its title under Xvfb, a name typed
# there is saved in the player's data folder and read back at the next
# start, and the package removes cleanly. Needs root (debootstrap, chroot)
# and Debian's package mirror. Ends with "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/../.."
top=$(pwd)

if [ "$(id -u)" -ne 0 ]; then
  echo "package install test: skipped (needs root for debootstrap and chroot)"
  exit 0
fi

passed=0 failed=0
check() {   # check "what" command...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   - $what"
  else failed=$((failed + 1)); echo "FAIL - $what"; fi
}

root=$(mktemp -d /tmp/vb-root-XXXXXX)
chmod 755 "$root"   # the player inside must reach their home
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  for m in "$root/tmp/.X11-unix" "$root/proc"; do mountpoint -q "$m" && umount -l "$m"; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

deb=$(bash tools/make_deb.sh | tail -n 1) || { echo "package build failed"; exit 1; }
cmake --build build --target save_dump >/dev/null || { echo "save_dump build failed"; exit 1; }
dump="$top/build/tools/save_dump"

mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null)
mirror=${mirror:-http://deb.debian.org/debian}
echo "Making a fresh Debian 12 root from $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 || {
  tail -n 20 "$root.log"; echo "debootstrap failed"; exit 1; }
rm -f "$root.log"
mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/game.deb"
in_root() { chroot "$root" "$@"; }

check "the package installs with its dependencies" \
  in_root env DEBIAN_FRONTEND=noninteractive sh -c \
  'apt-get update -qq && apt-get install -y -qq --no-install-recommends /tmp/game.deb >/tmp/install.log 2>&1 || { tail -n 20 /tmp/install.log; exit 1; }'
check "the desktop entry and the icon are installed" \
  test -f "$root/usr/share/applications/varnick-bozzle.desktop" -a \
       -f "$root/usr/share/icons/hicolor/64x64/apps/varnick-bozzle.png"
in_root useradd -m player
in_root install -d -m 700 -o player -g player /home/player/run

# The X server runs outside; its socket is shared with the root
exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null)
xvfb_pid=$!
read -r -t 10 number <&3
export DISPLAY=":$number"
mkdir -p "$root/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"

save="$root/home/player/.local/share/varnick-bozzle/ironing.hat"
start_game() {
  chroot --userspec=player:player "$root" env -i HOME=/home/player DISPLAY="$DISPLAY" \
    PATH=/usr/games:/usr/bin:/bin XDG_RUNTIME_DIR=/home/player/run /usr/games/varnick-bozzle 2>"$root/tmp/game.err" &
  game_pid=$!
  window=""
  for _ in $(seq 50); do
    window=$(xdotool search --name "Orvo's Pollux Framework" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.2
  done
  [ -n "$window" ] && sleep 1.5 && xdotool windowfocus --sync "$window"
}
quit_game() {
  for _ in $(seq 20); do
    xdotool keydown Escape; sleep 0.15; xdotool keyup Escape
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.3
  done
  wait "$game_pid"
}

start_game
check "the installed game opens its window" test -n "$window"
import -window root "$top/build-deb/installed-title.png" 2>/dev/null
# A new name, then a right-button hold: the exchange (no server here) writes the save
xdotool key --delay 80 BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 80 "Kim"
sleep 0.5
xdotool mousemove --window "$window" 100 300 mousedown 3; sleep 0.3; xdotool mouseup 3
sleep 0.5
quit_game; code=$?
check "the installed game quits with Escape and exit code 0" test "$code" -eq 0
check "the save is in the player's data folder" test -f "$save"
check "the typed name is saved" grep -qx "playerName=Kim" <("$dump" "$save")

start_game
quit_game
check "the name is read back at the next start" grep -qx "playerName=Kim" <("$dump" "$save")
check "nothing is written in the installed data folder" \
  test ! -e "$root/usr/share/games/varnick-bozzle/system/m013/ironing.hat"
cat "$root/tmp/game.err" 2>/dev/null

check "the package removes cleanly" in_root env DEBIAN_FRONTEND=noninteractive sh -c 'apt-get remove --purge -y -qq varnick-bozzle >/tmp/remove.log 2>&1 || { cat /tmp/remove.log; exit 1; }'
check "no file of the package is left" \
  test ! -e "$root/usr/games/varnick-bozzle" -a ! -e "$root/usr/share/games/varnick-bozzle" -a \
       ! -e "$root/usr/share/applications/varnick-bozzle.desktop" -a ! -e "$root/usr/share/doc/varnick-bozzle"

echo "package install test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
