#!/usr/bin/env bash
# The Windows game under Wine, from a fresh Wine prefix in its own Xvfb: the zip's game at
# start-up, its title against the Linux game's pixels, the file tests, and a session in the
# copy the silent installer made. Usage: WineTest.sh WINDOWS_BUILD LINUX_GAME
set -u
build=$(realpath "$1") game=$(realpath "$2")
source "$(dirname "$0")/../e2e/Drive.sh"

wine=$(dpkg -L wine64 | grep '/bin/wine64$\|/lib/wine/wine64$' | head -n 1)
wineserver=$(dpkg -L wine64 | grep '/wineserver64$' | head -n 1)
# Wine's prefix and home are the test's; it has no .NET, no web engine, and sound
# through ALSA only: a null device, so that the game's sound still starts with no card here.
export WINEPREFIX=$work/prefix HOME=$work/home WINEDEBUG=-all,+msgbox
export WINEDLLOVERRIDES="mscoree,mshtml=;winepulse.drv=d"
mkdir -p "$HOME" "$work/zip"
echo 'pcm.!default { type null }' >"$HOME/.asoundrc"
# Debian's Wine keeps its server's socket in a folder of /tmp named for the prefix, which goes at the
# end: Debian 13's Wine aborts with TMPDIR set at all, so it cannot be the test's.
atExit='"$wineserver" -k 2>/dev/null; "$wineserver" -w; chattr -i "$work"/game.*/game 2>/dev/null
    for server in /tmp/{wine-*,.wine-$(id -u)}/server-$(stat -c %D "$WINEPREFIX")-$(printf %x "$(stat -c %i "$WINEPREFIX")"); do
        [ -d "$server" ] && rm -r "$server" && rmdir --ignore-fail-on-non-empty "${server%/*}"
    done'
"$wine" wineboot -i >/dev/null 2>&1
unzip -q "$build"/../vessa-or-korrin-*-win64.zip -d "$work/zip"
# A starved game may miss a tap between two ticks: keys are held past a tick, short of a repeat.
hold=0.2

runWine() { exec env "$@" "$wine" vessa-or-korrin.exe; }
run=runWine gameFiles=("$work"/zip/*/.)

# Its message boxes bear the game's name too; the game's window is the one of 640 x 480.
windowsNamed() {
    xdotool search --onlyvisible --name '^(Vessa Or Korrin|vessa-or-korrin)$' 2>/dev/null |
        while read -r w; do xdotool getwindowgeometry "$w" 2>/dev/null | grep -Eq "$1" && echo "$w"; done
}
gameWindow() { windowsNamed ' 640x480$' | head -n 1; }
# The box's text is in Wine's trace of message boxes, one line each in the order they came.
findBox() {
    box=$(windowsNamed ' [0-9]{2,}x[0-9]{2,}$' | grep -vxF "$(gameWindow)" | head -n 1)
    text=$(grep -a 'msgbox:MSGBOX_OnInit' "$folder/out" |
        sed -n "$(($(wc -l <"$folder/messages") + 1))"'{s/^[^"]*"//; s/"$//; s/\\n$//; p}')
    [ -n "$box" ] && [ -n "$text" ]
}
# Typed into the focused box: a key sent to its window left Debian 13's Wine with a box it never closed.
dismissBox() {
    timeout 5 xdotool windowfocus --sync "$box" >/dev/null 2>&1
    xdotool key Return
    waitFor "the box closed" eval '! windowsNamed . | grep -qxF "$box"'
}

startup() {
    local sounds="file could not be found. Reinstall the game to have proper sounds. (open)"
    startsWith "rm Sfx/blockKilled.wav Gfx/DataFont.dat" \
        "Error, blockKilled.wav $sounds"$'\n'"Error, DataFont.dat file could not be found. Please reinstall the game. (open)" 1
    # A folder nobody may write in, not even root: the player hears that no score is kept.
    startIn=game startsWith "mkdir game && cp -r Gfx Sfx vessa-or-korrin.exe game && chattr +i game" \
        "This folder cannot be written to, so your high scores will not be kept. *" 0
}

# Windows' C library draws other random numbers from the same seed: the panels, their
# words and the credit bar are what both games must draw alike.
title() {
    run=runLinux startsWith "" "" 0
    local linux=$folder/shot.png part
    startsWith "" "" 0
    for part in 361x91+140+10 301x305+170+145 581x30+30+450; do
        [ "$(convert "$linux" "$folder/shot.png" -crop "$part" +repage -metric AE -compare -format '%[distortion]' info:)" = 0 ] ||
            fail "the title's $part differs from the Linux game's"
    done
}

pieceLeft() { crop 160 41 320 399 -trim -format %X 2>/dev/null; }
# A game whose 0 points enter a table of lower scores, and whose Left moves its piece.
session() {
    local table=$folder/highscore.dat
    printf "$(printf '\\x%02x\\xff\\xff\\xff' $(seq 255 -1 246))" >"$table"
    launch
    readMessages
    playFromMenu
    local left=$(pieceLeft)
    pressUntil "the piece left of where it was" Left shows eval '[ $(($(pieceLeft))) -le $((left - 20)) ]'
    endGame
    takeExit
    [ "$(od -An -td4 -v "$table" | xargs)" = "0 -1 -2 -3 -4 -5 -6 -7 -8 -9" ] || fail "the table saved"
}

# They make a folder of their own to work in.
files() {
    (cd "$work" && "$wine" "$build/tests/windows/windowsFilesTests.exe" >files.out 2>&1) ||
        fail "the file tests: $(grep -a -A3 'Failure\|FAILED' "$work/files.out")"
}

# Installed for the player alone, played there, and uninstalled with the scores left.
installer() {
    local programs=$WINEPREFIX/drive_c/users/$(id -un)/AppData
    local installed="$programs/Local/Programs/Vessa Or Korrin"
    local menu="$programs/Roaming/Microsoft/Windows/Start Menu/Programs/Vessa Or Korrin"
    local key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\vessa-or-korrin'
    "$wine" "$build"/../vessa-or-korrin-*-win64-setup.exe /S
    [ -f "$installed/Uninstall.exe" ] && diff <(cd "$work"/zip/* && find . | sort) \
        <(cd "$installed" && find . ! -name Uninstall.exe | sort) >/dev/null || fail "not installed as zipped"
    [ -f "$menu/Vessa Or Korrin.lnk" ] || fail "no Start-menu entry"
    "$wine" reg query "$key" >/dev/null 2>&1 || fail "no uninstaller registered"
    # The session's game is the installed one, whose folder holds the test's files till it ends.
    folder=$installed session
    rm "$installed"/{out,messages,shot.png,before.png}
    "$wine" "$installed/Uninstall.exe" /S
    # It goes on from a copy of itself, which removes it last.
    waitFor "the uninstaller's end" eval '[ ! -e "$installed/Uninstall.exe" ]'
    "$wineserver" -w
    [ "$(ls "$installed")" = highscore.dat ] || fail "left after uninstalling: $(ls "$installed")"
    [ ! -e "$menu" ] || fail "the Start-menu entry left"
    ! "$wine" reg query "$key" >/dev/null 2>&1 || fail "the uninstaller still registered"
}

for scenario in startup title files installer; do echo "$scenario" && "$scenario"; done
