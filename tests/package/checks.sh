# Checks shared by the install and package tests: each prints what it looks
# at, and `finish` ends the script non-zero if any of them failed.

passes=0
failures=0

step() {
    printf '\n== %s\n' "$*"
}

# check DESCRIPTION COMMAND...: runs the command and reports it as a check.
check() {
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then
        echo "ok:     $what"
        passes=$((passes + 1))
    else
        echo "FAILED: $what"
        failures=$((failures + 1))
    fi
}

finish() {
    echo
    echo "checks: $passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}

# Everything an install holds, below its prefix: the game and nothing else.
installedFiles() {
    sort <<'EOF'
games/vessa-or-korrin
lib/games/vessa-or-korrin/vessa-or-korrin
share/applications/vessa-or-korrin.desktop
share/doc/vessa-or-korrin/changelog.gz
share/doc/vessa-or-korrin/copyright
share/games/vessa-or-korrin/Gfx/DataFont.dat
share/games/vessa-or-korrin/Gfx/DataKorrin.dat
share/games/vessa-or-korrin/Gfx/DataVessa.dat
share/games/vessa-or-korrin/Sfx/blockFall.wav
share/games/vessa-or-korrin/Sfx/blockKilled.wav
share/icons/hicolor/128x128/apps/vessa-or-korrin.png
share/icons/hicolor/48x48/apps/vessa-or-korrin.png
share/man/man6/vessa-or-korrin.6.gz
EOF
}

# expectInstalledFiles PREFIX LISTING: LISTING holds the installed paths, sorted.
expectInstalledFiles() {
    local listing
    listing=$(cat "$2")
    if [ "$listing" = "$(installedFiles)" ]; then
        echo "ok:     exactly the $(installedFiles | wc -l) files of the game under $1"
        passes=$((passes + 1))
    else
        echo "FAILED: the files under $1 differ from the game's (- missing, + extra):"
        diff <(installedFiles) <(printf '%s\n' "$listing") | grep '^[-+][^-+]' || true
        failures=$((failures + 1))
    fi
}

# checkDesktopIconsAndManual ROOT: ROOT is the prefix holding share/.
checkDesktopIconsAndManual() {
    local share=$1/share
    check "desktop-file-validate accepts the desktop entry" \
        desktop-file-validate "$share/applications/vessa-or-korrin.desktop"
    check "the desktop entry is named \"Vessa Or Korrin\"" \
        grep -qx "Name=Vessa Or Korrin" "$share/applications/vessa-or-korrin.desktop"
    local size
    for size in 48 128; do
        check "the ${size} px icon is a ${size} x ${size} PNG" \
            grep -q "PNG image data, $size x $size," <(file "$share/icons/hicolor/${size}x${size}/apps/vessa-or-korrin.png")
    done
    local manual=$share/man/man6/vessa-or-korrin.6.gz
    check "the manual page is gzipped at maximum compression" grep -q "max compression" <(file "$manual")
    check "with no file name or time stored in it" bash -c "! file '$manual' | grep -Eq 'was \"|last modified'"
    check "man renders the manual page without a warning" \
        bash -c "[ -z \"\$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l '$manual' 2>&1 >/dev/null)\" ]"
    check "the manual page tells where the scores live" \
        grep -q "~/.local/share/vessa-or-korrin/highscore.dat" <(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$manual" 2>/dev/null)
}

# runInstalledGameScenario BUILD_DIR COMMAND USER [SEARCH_PATH]: plays the
# installed game through the end-to-end bench; USER empty plays as whoever runs
# this, SEARCH_PATH is the PATH the command is looked up on.
runInstalledGameScenario() {
    local build=$1 command=$2 user=$3 searchPath=${4:-$PATH}
    local output
    output=$(mktemp)
    set +e
    PATH=$searchPath VOK_INSTALLED_COMMAND=$command VOK_INSTALLED_USER=$user \
        "$build/tests/e2e/e2eTests" --gtest_filter='InstalledGame.*' 2>&1 | tee "$output"
    local code=${PIPESTATUS[0]}
    set -e
    check "the installed-game scenario passed" [ "$code" -eq 0 ]
    check "and really ran (not skipped)" bash -c "grep -q '^\[  PASSED  \] 2 tests' '$output' && ! grep -q '^\[  SKIPPED \]' '$output'"
    rm -f "$output"
}
