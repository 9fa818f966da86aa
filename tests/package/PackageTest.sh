#!/usr/bin/env bash
# The game as a player gets it: laid out by `cmake --install` under a prefix that
# is then moved, and, as root, built into a .deb, installed with apt and played by
# a new user, then removed. Usage: PackageTest.sh BUILD_DIR
set -u
build=$(realpath "$1")
source "$(dirname "$0")/../e2e/Drive.sh"
chmod 755 "$work"
startDisplay

expect() {
    local what=$1
    shift
    quietly "$@" || fail "$what"
}

listed() {
    cd "$1" && find . ! -type d | sed 's|^\./||' | sort | tr '\n' ' '
}

installed="games/vessa-or-korrin lib/games/vessa-or-korrin/vessa-or-korrin share/applications/vessa-or-korrin.desktop
share/doc/vessa-or-korrin/changelog.gz share/doc/vessa-or-korrin/copyright share/games/vessa-or-korrin/Gfx/DataFont.dat
share/games/vessa-or-korrin/Gfx/DataKorrin.dat share/games/vessa-or-korrin/Gfx/DataVessa.dat
share/games/vessa-or-korrin/Sfx/blockFall.wav share/games/vessa-or-korrin/Sfx/blockKilled.wav
share/icons/hicolor/128x128/apps/vessa-or-korrin.png share/icons/hicolor/48x48/apps/vessa-or-korrin.png
share/man/man6/vessa-or-korrin.6.gz share/metainfo/vessa-or-korrin.metainfo.xml "

# The command from a folder anyone may write, as USER with HOME: a game whose 0
# points enter a table of -1s kept in the player's data folder, where links left
# by a gone install are made anew. The started-from folder stays empty.
playInstalled() {
    local user=$2 home=$3 data=$3/.local/share/vessa-or-korrin
    game=$1 folder=$(mktemp -d "$work/shots.XXXXXX") startIn=$(mktemp -d "$work/elsewhere.XXXXXX")
    chmod 777 "$startIn"
    mkdir -p "$data"
    printf '\377%.0s' {1..40} >"$data/highscore.dat"
    ln -sfn /gone/Gfx "$data/Gfx"
    [ -n "$user" ] && chown -R "$user:" "$home/.local"
    wrapper=${user:+setpriv --reuid=$user --regid=$user --init-groups}
    launch HOME="$home" XDG_DATA_HOME=
    readMessages
    waitFor "title of the installed game" shows itemLit 0 && playFromMenu && endGame congratulated && takeExit 0
    [ "$(od -An -td4 -v "$data/highscore.dat" | xargs)" = "0 -1 -1 -1 -1 -1 -1 -1 -1 -1" ] || fail "scores of $home"
    [ -z "$(ls -A "$startIn")" ] || fail "the game kept something where it was started"
    wrapper= startIn=
}

cmake --build "$build" >/dev/null
cmake --install "$build" --prefix "$work/installed" >/dev/null && mv "$work/installed" "$work/prefix"
[ "$(listed "$work/prefix")" = "$(echo $installed) " ] || fail "installed files: $(listed "$work/prefix")"
expect "the launcher parses under sh" sh -n "$work/prefix/games/vessa-or-korrin"
expect "the desktop entry validates" desktop-file-validate "$work/prefix/share/applications/vessa-or-korrin.desktop"
expect "AppStream finds nothing amiss in the metadata but an id that is no domain name" eval '[ "$(appstreamcli validate \
    --no-net "$work/prefix/share/metainfo/vessa-or-korrin.metainfo.xml" | grep "^[EW]:" | cut -d " " -f 3)" = cid-desktopapp-is-not-rdns ]'
expect "the manual page renders without a warning" \
    bash -c "[ -z \"\$(LC_ALL=C.UTF-8 man --warnings -l $work/prefix/share/man/man6/vessa-or-korrin.6.gz 2>&1 >/dev/null)\" ]"
# A folder that cannot be made: its reason on stderr, and in a box for a desktop menu's start.
touch "$work/file"
expect "no folder without a display" eval "! env -u DISPLAY XDG_DATA_HOME=$work/file $work/prefix/games/vessa-or-korrin"
game=$work/prefix/games/vessa-or-korrin folder=$work
launch XDG_DATA_HOME="$work/file"
readMessages
[ "$(cat "$work/messages")" = "vessa-or-korrin: cannot set up the game's folder $work/file/vessa-or-korrin: it cannot be made" ] ||
    fail "the launcher said: $(cat "$work/messages")"
exitCode
[ $? -eq 1 ] || fail "the launcher's exit code"
mkdir "$work/home"
playInstalled "$work/prefix/games/vessa-or-korrin" "" "$work/home"

if [ "$(id -u)" -ne 0 ]; then
    echo "the Debian package is tried as root only"
    exit
fi
rm -f "$build"/vessa-or-korrin_*.deb
cmake --build "$build" --target package >/dev/null
deb=$(ls "$build"/vessa-or-korrin_*.deb)
field() { dpkg-deb --field "$deb" "$1"; }
expect "section games, depends on Allegro 4 and nothing of the build, recommends xmessage's package" eval \
    '[ "$(field Section)" = games ] && grep -q liballegro4.4 <<<"$(field Depends)" && ! grep -Eq -- "-dev|cmake" <<<"$(field Depends)" && [ "$(field Recommends)" = x11-utils ]'
[ "$(dpkg-deb --fsys-tarfile "$deb" | tar -tv | awk '$2 != "root/root" || $1 !~ /^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x)$/')" = "" ] ||
    fail "files not root's, or not 0755 and 0644"
lintian --fail-on error,warning "$deb" || fail "lintian"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
[ "$(dpkg -L vessa-or-korrin | grep -c metainfo.xml)" -eq 1 ] || fail "the package's metadata"
player=vokplayer$$
useradd --create-home "$player"
[ "$(su -l "$player" -c 'command -v vessa-or-korrin')" = /usr/games/vessa-or-korrin ] || fail "not on the player's PATH"
playInstalled /usr/games/vessa-or-korrin "$player" "$(getent passwd "$player" | cut -d: -f6)"
scores=$(sha256sum <"/home/$player/.local/share/vessa-or-korrin/highscore.dat")
apt-get purge -y -qq vessa-or-korrin >/dev/null
expect "the command is gone" eval '! command -v vessa-or-korrin'
expect "the player's scores outlive the package" [ "$(sha256sum <"/home/$player/.local/share/vessa-or-korrin/highscore.dat")" = "$scores" ]
userdel --remove "$player" 2>/dev/null
