# Drives the real game under a headless X server: xdotool for its window and keys,
# ImageMagick for its pixels, xmessage's command line for its message boxes.
# Sourced; `game` names the command, `wrapper` may run it under another program.

patience=${VOK_E2E_PATIENCE:-30}
failures=0
work=$(mktemp -d)
lit='rgb(4,217,158)'

fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

quietly() {
    "$@" >/dev/null 2>&1
}

# waitFor WHAT COMMAND...: runs the command until it succeeds; at the deadline the
# scenario ends, failed. Under pressUntil, a menu that dropped the keys, pressed
# just as it appeared, and so still shows what it showed before, gets them again.
waitFor() {
    local what=$1 end=$((SECONDS + patience)) again=$((SECONDS + 5))
    shift
    until "$@"; do
        [ $SECONDS -lt $end ] || { fail "no $what"; exit 1; }
        if [ -n "${keys-}" ] && [ $SECONDS -ge $again ] && shows unchanged; then
            press $keys
            again=$((SECONDS + 5))
        fi
        sleep 0.1
    done
}

# Keys held longer than a tap repeat on a real desktop; here they must not.
startDisplay() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -r 3>"$work/display" >/dev/null 2>&1 &
    xvfb=$!
    # The game's own handler for SIGTERM can hang; a game left by a failure is killed outright.
    trap '{ kill -9 ${gamePid-} && wait $gamePid; } 2>/dev/null; kill $xvfb; rm -rf "$work"; finish' EXIT
    trap 'exit 1' INT TERM
    waitFor "X server" test -s "$work/display"
    export DISPLAY=:$(cat "$work/display")
}

# launch [NAME=VALUE...]: the game started in $folder, or $startIn, with those set.
# Allegro reads its configuration from $ALLEGRO or $HOME: the folder's, not the tester's.
launch() {
    (cd "${startIn:-$folder}" && exec env ALLEGRO="$folder" HOME="$folder" "$@" ${wrapper-} "$game" >"$folder/out" 2>&1) &
    gamePid=$!
}

# shows CONDITION...: captures the game's window and tests the condition on it.
shows() {
    window=$(xdotool search --name '^Vessa Or Korrin$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && import -window "$window" "$folder/shot.png" 2>/dev/null && "$@"
}

# count COLOUR X Y W H: pixels of exactly that colour in the rectangle.
count() {
    convert "$folder/shot.png" -crop "$4x$5+$2+$3" +repage -transparent "$1" -alpha extract \
        -format '%[fx:round((1-mean)*w*h)]' info:
}

# Item N of the title menu lit, with its left marker beside it.
itemLit() {
    local markerX=(195 215 195 245)
    [ "$(count "$lit" 171 $((160 + 80 * $1)) 299 45)" -gt 0 ] && [ "$(count black "${markerX[$1]}" $((175 + 80 * $1)) 20 20)" -lt 400 ]
}
rowLit() { [ "$(count "$lit" 141 "$1" 358 25)" -gt 0 ]; }
inGame() { [ "$(count white 157 38 1 405)" -eq 405 ]; }
# A message on its black band: white in the middle, and further out for the long one.
message() { [ "$(count white 260 222 120 18)" -gt 20 ] && [ "$(count white 180 222 40 18)" -$1 0 ]; }
# inkHeight COLOUR X Y W H: how tall the pixels of that colour in the rectangle stand.
inkHeight() { convert "$folder/shot.png" -crop "$4x$5+$2+$3" +repage -fill black +opaque "$1" -trim -format %h info:; }
pieceLeft() { convert "$folder/shot.png" -crop 320x399+160+41 +repage -trim -format '%X' info: 2>/dev/null; }

# press KEY...: holds the keys together for $hold seconds.
press() {
    quietly xdotool windowfocus --sync "$window"
    xdotool keydown "$@"
    sleep "${hold:-0.05}"
    xdotool keyup "$@"
}

# pressUntil WHAT KEYS COMMAND...: presses the keys (a word), then waits for the command.
pressUntil() {
    local what=$1 keys=$2
    shift 2
    shows cp "$folder/shot.png" "$folder/before.png"
    press $keys
    waitFor "$what" "$@"
}
unchanged() { [ "$(compare -metric AE "$folder/shot.png" "$folder/before.png" null: 2>&1)" = 0 ]; }

# Dismisses the game's message boxes until it ends or shows its title, listing
# their texts in $folder/messages, each with " (open)" when shown over the window.
readMessages() {
    local end=$((SECONDS + patience)) box args
    : >"$folder/messages"
    while [ $SECONDS -lt $end ]; do
        box=$(pgrep -P "$gamePid" -x xmessage)
        if [ -n "$box" ]; then
            mapfile -d '' args <"/proc/$box/cmdline"
            echo "${args[-1]%$'\n'}$(xdotool search --name '^Vessa Or Korrin$' >/dev/null && echo ' (open)')" >>"$folder/messages"
            kill "$box"
            while kill -0 "$box" 2>/dev/null; do sleep 0.02; done
        elif ! kill -0 "$gamePid" 2>/dev/null || shows eval 'itemLit 0 || itemLit 1'; then
            return 0
        fi
        sleep 0.05
    done
    fail "the game neither ended nor showed its title"
}

# The exit code of the game, once it has ended.
exitCode() {
    waitFor "end of the game" eval '! kill -0 "$gamePid" 2>/dev/null'
    wait "$gamePid"
}

# From "Start.Game": "Tetris", then the playfield.
playFromMenu() {
    pressUntil "the game types" Return shows eval '[ "$(count "$lit" 181 165 279 30)" -gt 0 ]'
    pressUntil "the playfield" Return shows inGame
}

# Escape, "Game Over!" and a key, then the congratulation and a key when due.
endGame() {
    pressUntil '"Game Over!"' Escape shows message eq
    [ "$1" != congratulated ] || pressUntil "the congratulation" space shows message gt
    pressUntil "the menu after the game" space shows itemLit 0
}

# From "Start.Game" up to "Exit" and out, with exit code 0.
takeExit() {
    pressUntil '"Exit"' Up shows itemLit 3
    pressUntil "the end of the game" Return eval '! kill -0 "$gamePid" 2>/dev/null'
    exitCode || fail "exit code $? after Exit"
}

finish() {
    echo "$failures failed"
    exit $((failures > 0))
}
