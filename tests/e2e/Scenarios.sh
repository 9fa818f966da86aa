#!/usr/bin/env bash
# How the whole program starts, or refuses to. Usage: Scenarios.sh GAME FIXED_TIME_LIBRARY
set -u
game=$(realpath "$1") fixedTime=$(realpath "$2")
source "$(dirname "$0")/Drive.sh"

# At a fixed time, unless a row says otherwise.
runFixed() { runLinux LD_PRELOAD="$fixedTime" VOK_FIXED_TIME=1000000 "$@"; }
run=runFixed gameFiles=("$(dirname "$game")"/{Gfx,Sfx})
atTitle() {
    [ "$(xdotool getwindowname "$window") $(xdotool getwindowgeometry "$window" | grep -o '[0-9]*x[0-9]*')" = \
        "Vessa Or Korrin 640x480" ] || fail "the window's name or size"
    [ "$(inkHeight red 141 11 358 88)" -gt "$(inkHeight "$lit" 171 150 299 60)" ] || fail "the title's font"
    titles+=("$folder/shot.png")
}

sounds="file could not be found. Reinstall the game to have proper sounds. (open)"
startsWith "" "" 0
startsWith "rm Sfx/*.wav" "Error, blockFall.wav $sounds"$'\n'"Error, blockKilled.wav $sounds" 0
startsWith "printf '[sound]\ndigi_card = ALSA\nalsa_device = none\n' >allegro.cfg" \
    "Sound Error: ?*"$'\n'"Game will keep running" 0 VOK_FIXED_TIME=2000000
startsWith "rm Gfx/DataKorrin.dat" "Error, DataKorrin.dat file could not be found. Reinstall the game. (open)" 1
startsWith "rm Gfx/DataVessa.dat" "Error, DataVessa.dat file could not be found. Reinstall the game. (open)" 1
startsWith "rm Sfx/blockKilled.wav Gfx/DataFont.dat" \
    "Error, blockKilled.wav $sounds"$'\n'"Error, DataFont.dat file could not be found. Please reinstall the game. (open)" 1
# Settings that ask for no system at all: with no system, no box either.
startsWith "printf '[system]\nsystem = NONE\n' >allegro.cfg" "printed: Error: no display or keyboard to play on" 1
# The title's scatter follows the start time alone.
[ "$(differ "${titles[0]}" "${titles[1]}")" = 0 ] || fail "one start time, two scatters"
[ "$(differ "${titles[0]}" "${titles[2]}")" -gt 10000 ] || fail "two start times, one scatter"
