# Drives the real game in its own Xvfb: xdotool for its window and keys, ImageMagick for its pixels,
# xmessage's command line for its boxes. Wine's script sets run, and its own gameWindow, findBox and dismissBox.

patience=${VOK_E2E_PATIENCE:-30}
failures=0
work=$(mktemp -d -t vessa-or-korrin-test.XXXXXX)
lit='rgb(4,217,158)'
# A sanitized game exits 99 on a fault, apart from the codes it means; leaks are the in-process
# tests' to find, since what Allegro unloads at its exit cannot be told from the game's own.
export ASAN_OPTIONS=exitcode=99:detect_leaks=0:verify_asan_link_order=0

fail() { echo "FAILED: $*" && failures=$((failures + 1)); }

# The deadline ends the scenario, and no X tool waits past it.
waitFor() {
    local what=$1 end=$((SECONDS + patience)) again=$((SECONDS + 5))
    shift
    until "$@"; do
        [ $SECONDS -lt $end ] || { fail "no $what"; grep -sv '^ALSA' "${folder-}/out"; exit 1; }
        # A starved game may see a tap's press and release at once and not act: it goes again, held longer.
        if [ -n "${keys-}" ] && [ $SECONDS -ge $again ] && shows unchanged; then
            hold=0.5 press $keys
            again=$((SECONDS + 5))
        fi
        sleep 0.1
    done
}

# The game from $folder, or from $startIn there, as $run says: a function that execs it.
launch() {
    (cd "$folder" && cd "${startIn:-.}" && ${run:-runLinux} "$@" >"$folder/out" 2>&1) &
    gamePid=$!
}
# Allegro reads its configuration from $ALLEGRO or $HOME: the game's folder, not the tester's.
runLinux() { exec env ALLEGRO="$folder" HOME="$folder" "$@" ${wrapper-} "$game"; }

gameWindow() { xdotool search --onlyvisible --name '^Vessa Or Korrin$' 2>/dev/null | head -n 1; }
shows() {
    window=$(gameWindow)
    [ -n "$window" ] && timeout 10 import -window "$window" "$folder/shot.png" 2>/dev/null && "$@"
}

# crop X Y W H OPERATION...: what ImageMagick says of that rectangle of the window.
crop() { convert "$folder/shot.png" -crop "$3x$4+$1+$2" +repage "${@:5}" info:; }
count() { crop "${@:2}" -transparent "$1" -alpha extract -format '%[fx:round((1-mean)*w*h)]'; }
inkHeight() { crop "${@:2}" -fill black +opaque "$1" -trim -format %h; }
differ() { compare -metric AE "$1" "$2" null: 2>&1; }
# Item N of the title menu lit.
itemLit() { [ "$(count "$lit" 171 $((160 + 80 * $1)) 299 45)" -gt 0 ]; }

press() { timeout 5 xdotool windowfocus --sync "$window" >/dev/null 2>&1; xdotool keydown "$@" sleep "${hold:-0.05}" keyup "$@"; }

pressUntil() {
    local what=$1 keys=$2
    shift 2
    shows cp "$folder/shot.png" "$folder/before.png"
    press $keys
    waitFor "$what" "$@"
}
unchanged() { [ "$(differ "$folder/shot.png" "$folder/before.png")" = 0 ]; }
gone() { ! kill -0 "$gamePid" 2>/dev/null; }

# Notes in $folder/messages and closes the game's boxes, " (open)" if over its window, till its title or end.
readMessages() {
    : >"$folder/messages"
    waitFor "title, nor end of the game" eval '! closeBox && { gone || shows eval "itemLit 0 || itemLit 1"; }'
}
closeBox() {
    local box text args
    findBox || return
    echo "$text$([ -n "$(gameWindow)" ] && echo ' (open)')" >>"$folder/messages"
    dismissBox
}
# Until its exec is done, a new process has its name but not yet its arguments.
findBox() {
    box=$(pgrep -P "$gamePid" -x xmessage) && mapfile -d '' args <"/proc/$box/cmdline" &&
        [ ${#args[@]} -gt 0 ] && text=${args[-1]%$'\n'}
}
dismissBox() { kill "$box" && waitFor "the box closed" eval '! kill -0 "$box" 2>/dev/null'; }

# startsWith SPOILING MESSAGES CODE [ENV...]: in a new folder spoilt by SPOILING, the messages (a pattern, a line
# each: its boxes, or if none what it printed, marked so), then the code; or, at the title, atTitle and then Exit.
startsWith() {
    folder=$(mktemp -d "$work/game.XXXXXX") && cp -r "${gameFiles[@]}" "$folder" && (cd "$folder" && eval "$1")
    launch "${@:4}"
    readMessages
    local said=$(cat "$folder/messages")
    [ -n "$said" ] || said=$(grep -v '^ALSA' "$folder/out" | sed 's/^/printed: /')
    [[ "$said" == $2 ]] || fail "after \"$1\": \"$said\""
    if [ "$3" -eq 0 ]; then
        atTitle
        takeExit
    else
        exitCode "$3" "after \"$1\""
    fi
}
atTitle() { :; }

exitCode() {
    waitFor "end of the game" gone
    wait "$gamePid"
    local code=$?
    [ "$code" -eq "$1" ] || fail "exit code $code $2: $(grep -v '^ALSA' "$folder/out")"
}

playFromMenu() {
    pressUntil "the game types" Return shows eval '[ "$(count "$lit" 181 165 279 30)" -gt 0 ]'
    pressUntil "the playfield" Return shows eval '[ "$(count white 157 38 1 405)" -eq 405 ]'
}

# A message on its black band: white in the middle, and further out for the long one.
message() { [ "$(count white 260 222 120 18)" -gt 20 ] && [ "$(count white 180 222 40 18)" -$1 0 ]; }
endGame() {
    pressUntil '"Game Over!"' Escape shows message eq
    pressUntil "the congratulation" space shows message gt
    pressUntil "the menu after the game" space shows itemLit 0
}

takeExit() {
    pressUntil '"Exit"' Up shows itemLit 3
    pressUntil "the end of the game" Return gone
    exitCode 0 "after Exit"
}

# Keys held longer than a tap repeat on a real desktop; here they must not. The server must not
# reset when its last client leaves: a game or box that connects meanwhile is turned away.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -r 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
# The game's own handler for SIGTERM can hang; a game left by a failure is killed outright.
# atExit: what a script adds to the clean-up, once no game of its runs.
trap '{ kill -9 ${gamePid-} && wait $gamePid; } 2>/dev/null; eval "${atExit-}"; kill $xvfb; rm -rf "$work"; echo "$failures failed"; exit $((failures > 0))' EXIT
trap 'exit 1' INT TERM
waitFor "X server" test -s "$work/display"
export DISPLAY=:$(cat "$work/display")
