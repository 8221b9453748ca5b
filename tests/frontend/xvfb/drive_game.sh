#!/bin/bash
# Drives the real program under a virtual X server with xdotool, the way a
# person would, and keeps a screenshot of every screen for a person to look
# at (the game's own F11+F12 screenshots, gathered as PNG contact sheets).
#
#   tests/frontend/xvfb/drive_game.sh <build dir> <output dir> [training|championship]
#
# training: menu -> single event -> new game -> COMPUTER THROW -> shop -> menu
#           -> hall of fame -> quit.
# championship: menu -> championship -> new game -> cut-scene -> COMPUTER
#           THROW -> shop with shopping -> closing ceremony -> menu -> quit.
set -u
BUILD=$(realpath "$1")
OUT=$(realpath -m "$2")
ROAD=${3:-training}
HERE=$(dirname "$(realpath "$0")")
mkdir -p "$OUT"
rm -rf "$OUT/run" && mkdir -p "$OUT/run"/{config,data,runtime}
cp -r "$BUILD/gamedata" "$OUT/run/gamedata"
rm -f "$OUT"/*.png
DISP=:$((50 + RANDOM % 40))
Xvfb "$DISP" -screen 0 1280x1024x24 >"$OUT/xvfb.log" 2>&1 &
XPID=$!
export DISPLAY=$DISP
sleep 1
env XDG_CONFIG_HOME="$OUT/run/config" XDG_DATA_HOME="$OUT/run/data" XDG_RUNTIME_DIR="$OUT/run/runtime" \
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy KELVANTHROP_HEADLESS=0 \
  KELVANTHROP_DATA_ROOT="$OUT/run/gamedata" ASAN_OPTIONS=detect_leaks=0 \
  "$BUILD/kelvanthrop" >"$OUT/game.log" 2>&1 &
GPID=$!
sleep 3
SHOTS=()
k() { xdotool key --delay 120 "$@"; sleep 0.4; }
shot() {
  xdotool keydown F11; sleep 0.3; xdotool keydown F12; sleep 0.3
  xdotool keyup F12; xdotool keyup F11; sleep 0.6
  SHOTS+=("$1"); echo "screenshot ${#SHOTS[@]}: $1"
}
# F12 is read as held down by the screens: it is held for a few frames.
type_command() {
  xdotool keydown F12; sleep 0.25; xdotool keyup F12; sleep 0.3
  xdotool type --delay 120 "$1"; xdotool key Return; sleep 0.5
}
new_game() {
  sleep 2; shot new-game
  xdotool type --delay 150 "xtest"; sleep 0.5; shot name
  k Return; sleep 0.5; k Right; sleep 1.5; shot athlete
  k ctrl; sleep 3; shot country  # the fire key, not Return, past the name
  k Up; k ctrl; sleep 0.5; shot ready
}
sleep 9  # the intro cut-scenes
shot main-menu
if [ "$ROAD" = training ]; then
  k Down; k Return; sleep 1.5; shot training-picker
  k Right; sleep 0.5; shot training-picker-2
  k Left; k Return
  new_game
  k ctrl; sleep 6; shot event
  type_command "JUMP AHEAD"; sleep 4; shot shop-medals
  k Return; sleep 2; shot shop-standings
  k Return; sleep 3; shot back-in-menu
  k Down; k Down; k Down; k Return; sleep 2; shot hall-of-fame
  k Escape; sleep 2
else
  k Return; sleep 1; shot player-count
  k Return
  new_game
  k ctrl; sleep 8; shot event
  type_command "JUMP AHEAD"; sleep 4; shot shop-medals
  k Return; sleep 2; shot shop-standings
  k Return; sleep 2; shot shop
  k Return; sleep 1.5; shot shop-bought
  type_command "SAVE GAME 1"; shot shop-saved
  k Down; k Return; sleep 3; shot ceremony-standings  # down from POWER PILLS is EXIT
  k Return; sleep 2; shot ceremony-podium
  k Return; sleep 2; shot record-board
  k Return; sleep 5
fi
k Up; k Return  # QUIT, through the credits picture
for i in $(seq 1 15); do sleep 1; kill -0 $GPID 2>/dev/null || break; done
if kill -0 $GPID 2>/dev/null; then echo "the game is still running"; kill $GPID; else echo "the game has ended"; fi
kill $XPID
FILES=()
for i in $(seq 1 ${#SHOTS[@]}); do [ -f "$OUT/run/gamedata/data/sshot$i.bmp" ] && FILES+=("$OUT/run/gamedata/data/sshot$i.bmp"); done
echo "${#FILES[@]} of ${#SHOTS[@]} screenshots taken: ${SHOTS[*]}"
python3 "$HERE/shots_to_png.py" "$OUT/sheet.png" "${FILES[@]}"
echo "contact sheet: $OUT/sheet.png"
