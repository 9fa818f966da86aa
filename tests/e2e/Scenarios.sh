#!/usr/bin/env bash
# What only the whole program shows. Usage: Scenarios.sh SCENARIO GAME FIXED_TIME_LIBRARY
set -u
scenario=$1 game=$(realpath "$2") fixedTime=$(realpath "$3")
source "$(dirname "$0")/Drive.sh"

newFolder() { folder=$(mktemp -d "$work/game.XXXXXX") && cp -r "$(dirname "$game")"/{Gfx,Sfx} "$folder"; }

# startsWith SPOILING MESSAGES CODE: in a spoilt folder, the messages (a pattern, a line each), then the code.
startsWith() {
    newFolder
    (cd "$folder" && eval "$1")
    launch
    readMessages
    [[ "$(cat "$folder/messages")" == $2 ]] || fail "after \"$1\": \"$(cat "$folder/messages")\""
    if [ "$3" -eq 0 ]; then
        [ "$(xdotool getwindowname "$window") $(xdotool getwindowgeometry "$window" | grep -o '[0-9]*x[0-9]*')" = \
            "Vessa Or Korrin 640x480" ] || fail "the window's name or size"
        [ "$(inkHeight red 141 11 358 88)" -gt "$(inkHeight "$lit" 171 150 299 60)" ] || fail "the title's font"
        takeExit
    else
        exitCode "$3" "after \"$1\""
    fi
}

startup() {
    local sounds="file could not be found. Reinstall the game to have proper sounds. (open)"
    local korrin="Error, DataKorrin.dat file could not be found. Reinstall the game. (open)"
    local vessa="Error, DataVessa.dat file could not be found. Reinstall the game. (open)"
    local fonts="Error, DataFont.dat file could not be found. Please reinstall the game. (open)"
    startsWith "" "" 0
    startsWith "rm Gfx/DataKorrin.dat" "$korrin" 1
    startsWith "rm Gfx/DataVessa.dat" "$vessa" 1
    startsWith "rm Gfx/DataFont.dat" "$fonts" 1
    startsWith "rm Sfx/blockKilled.wav Gfx/DataFont.dat" "Error, blockKilled.wav $sounds"$'\n'"$fonts" 1
    startsWith "rm Sfx/*.wav" "Error, blockFall.wav $sounds"$'\n'"Error, blockKilled.wav $sounds" 0
    startsWith "printf '[sound]\ndigi_card = ALSA\nalsa_device = none\n' >allegro.cfg" \
        "Sound Error: ?*"$'\n'"Game will keep running" 0
    newFolder
    (cd "$folder" && env -u DISPLAY "$game" >out 2>&1)
    [ $? -eq 1 ] && grep -q "Error: no display" "$folder/out" || fail "no display: $(cat "$folder/out")"
}

# A game on the real keyboard, Left and Down moving the piece; its 0 points enter a table of lower scores.
session() {
    newFolder
    printf "$(printf '\\x%02x\\xff\\xff\\xff' $(seq 255 -1 246))" >"$folder/highscore.dat"
    launch
    readMessages
    playFromMenu
    local left=$(pieceLeft)
    pressUntil "the piece left of where it was" Left shows eval '[ $(($(pieceLeft))) -le $((left - 20)) ]'
    hold=1.2 pressUntil "a piece on the floor" Down shows eval '[ "$(count black 160 420 320 20)" -lt 6400 ]'
    endGame
    takeExit
    [ "$(od -An -td4 -v "$folder/highscore.dat" | xargs)" = "0 -1 -2 -3 -4 -5 -6 -7 -8 -9" ] || fail "the table saved"
}

# The scatter follows the start time; the menu sleeps while waiting, taking 5 % of a core at most.
scatter() {
    local start shots=() ticks
    for start in 1000000 1000000 2000000; do
        newFolder
        launch LD_PRELOAD="$fixedTime" VOK_FIXED_TIME=$start
        readMessages
        shots+=("$folder/shot.png")
        if [ ${#shots[@]} -eq 3 ]; then
            ticks=$(awk '{ print $14 + $15 }' "/proc/$gamePid/stat")
            sleep 4
            ticks=$(($(awk '{ print $14 + $15 }' "/proc/$gamePid/stat") - ticks))
            echo "the waiting menu took $ticks of 400 ticks"
            [ "$ticks" -le 20 ] || fail "the waiting menu took $ticks of 400 ticks"
        fi
        takeExit
    done
    [ "$(compare -metric AE "${shots[0]}" "${shots[1]}" null: 2>&1)" = 0 ] || fail "one start time, two scatters"
    [ "$(compare -metric AE "${shots[0]}" "${shots[2]}" null: 2>&1)" -gt 10000 ] || fail "two start times, one scatter"
}

"$scenario"
