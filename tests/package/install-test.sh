#!/usr/bin/env bash
# Installs the built game into a throw-away prefix, moves it, and plays it from
# there the way a player would: through its command, from an unrelated folder,
# with a home of its own. Usage: install-test.sh BUILD_DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/checks.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

step "building the game, its install files and the end-to-end bench"
cmake --build "$build" -j2

step "installing into a temporary prefix"
cmake --install "$build" --prefix "$work/installed" >/dev/null
# The launcher must find the game from where it lies, not where it was put.
mv "$work/installed" "$work/prefix"
prefix=$work/prefix

step "the installed files are the game's and no others"
expectInstalledFiles "$prefix" <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort)

step "the command is a POSIX sh script that sh can parse"
check "starts with #!/bin/sh" [ "$(head -n 1 "$prefix/games/vessa-or-korrin")" = "#!/bin/sh" ]
check "parses under sh -n" sh -n "$prefix/games/vessa-or-korrin"
check "is executable" [ -x "$prefix/games/vessa-or-korrin" ]

step "the desktop entry, icons and manual page"
checkDesktopIconsAndManual "$prefix"

step "a data folder that cannot be made stops the command with a message"
touch "$work/not-a-folder"
# Without a display, so no box waits for a key; the bench checks the box.
set +e
env -u DISPLAY XDG_DATA_HOME="$work/not-a-folder" "$prefix/games/vessa-or-korrin" 2>"$work/refused.err"
refused=$?
env -u DISPLAY -u HOME -u XDG_DATA_HOME "$prefix/games/vessa-or-korrin" 2>"$work/homeless.err"
homeless=$?
set -e
check "exit code is not 0 (it is $refused)" [ "$refused" -ne 0 ]
check "the message names the folder" grep -q "$work/not-a-folder/vessa-or-korrin" "$work/refused.err"
check "without HOME either, exit code is not 0 (it is $homeless)" [ "$homeless" -ne 0 ]
check "and the message says so" grep -q "HOME" "$work/homeless.err"

step "playing the installed game to a high score, as two players"
runInstalledGameScenario "$build" "$prefix/games/vessa-or-korrin" ""

finish
