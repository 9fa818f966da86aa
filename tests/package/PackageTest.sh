#!/usr/bin/env bash
# The game installed under a moved prefix; as root, its package too. Usage: PackageTest.sh BUILD_DIR
set -u
build=$(realpath "$1")
source "$(dirname "$0")/../e2e/Drive.sh"
chmod 755 "$work"

installed=(games/vessa-or-korrin lib/games/vessa-or-korrin/vessa-or-korrin share/applications/vessa-or-korrin.desktop
    share/doc/vessa-or-korrin/{changelog.gz,copyright} share/games/vessa-or-korrin/Gfx/Data{Font,Korrin,Vessa}.dat
    share/games/vessa-or-korrin/Sfx/block{Fall,Killed}.wav share/icons/hicolor/{128x128,48x48}/apps/vessa-or-korrin.png
    share/man/man6/vessa-or-korrin.6.gz share/metainfo/vessa-or-korrin.metainfo.xml)

# GAME run as USER with HOME from a folder anyone may write, which it leaves empty: its 0 points enter
# a table of -1s in the player's data folder, where links left by a gone install are made anew.
playInstalled() {
    local game=$1 user=$2 home=$3 data=$3/.local/share/vessa-or-korrin folder=$(mktemp -d "$work/shots.XXXXXX")
    local startIn=$(mktemp -d "$work/elsewhere.XXXXXX") wrapper=${2:+setpriv --reuid=$2 --regid=$2 --init-groups}
    chmod 777 "$startIn"
    mkdir -p "$data"
    printf '\377%.0s' {1..40} >"$data/highscore.dat"
    ln -sfn /gone/Gfx "$data/Gfx"
    [ -n "$user" ] && chown -R "$user:" "$home/.local"
    launch HOME="$home" XDG_DATA_HOME=
    readMessages
    [ -z "$(cat "$folder/messages")" ] || fail "the installed game said: $(cat "$folder/messages")"
    waitFor "title of the installed game" shows itemLit 0 && playFromMenu && endGame && takeExit
    [ "$(od -An -td4 -v "$data/highscore.dat" | xargs)" = "0 -1 -1 -1 -1 -1 -1 -1 -1 -1" ] || fail "scores of $home"
    [ -z "$(ls -A "$startIn")" ] || fail "the game kept something where it was started"
}

cmake --build "$build" >/dev/null
cmake --install "$build" --prefix "$work/installed" >/dev/null && mv "$work/installed" "$work/prefix"
game=$work/prefix/games/vessa-or-korrin
# Starts at once (a double click) all get going, and leave nothing stray here or in the installed data.
for pair in {1..20}; do
    env -u DISPLAY XDG_DATA_HOME="$work/pairs/$pair" "$game" >/dev/null 2>>"$work/pairs.err" &
    env -u DISPLAY XDG_DATA_HOME="$work/pairs/$pair" "$game" >/dev/null 2>>"$work/pairs.err"
    wait $!
done
! grep "^vessa-or-korrin:" "$work/pairs.err" && [ "$(find "$work/pairs" -mindepth 3 -printf '%f\n' | sort -u | xargs)" = "Gfx Sfx" ] ||
    fail "starts at once"
# Lintian below judges the overrides, which depend on its release.
listed=$(cd "$work/prefix" && find . ! -type d ! -path "./share/lintian/*" | sed 's|^\./||' | sort | xargs)
[ "$listed" = "${installed[*]}" ] || fail "installed files: $listed"
[ "$(appstreamcli validate --no-net "$work/prefix/share/metainfo/vessa-or-korrin.metainfo.xml" | grep "^[EW]:" | cut -d " " -f 3 |
    grep -vx url-homepage-missing)" = cid-desktopapp-is-not-rdns ] ||
    fail "AppStream finds nothing amiss in the metadata but an id that is no domain name, and no homepage"
# A folder that cannot be made: its reason on stderr, and in a box for a desktop menu's start.
touch "$work/file"
env -u DISPLAY XDG_DATA_HOME="$work/file" "$game" >/dev/null 2>&1 && fail "no folder without a display"
folder=$work
launch XDG_DATA_HOME="$work/file"
readMessages
[ "$(cat "$work/messages")" = "vessa-or-korrin: cannot set up the game's folder $work/file/vessa-or-korrin: it cannot be made" ] ||
    fail "the launcher said: $(cat "$work/messages")"
exitCode 1 "from the launcher"
# A file of the player's named Gfx stays, and is named; a relative HOME is refused.
mkdir -p "$work/mine/vessa-or-korrin" && echo mine >"$work/mine/vessa-or-korrin/Gfx"
[[ "$(env -u DISPLAY XDG_DATA_HOME="$work/mine" "$game" 2>&1)" == *": $work/mine/vessa-or-korrin/Gfx is not a link"* ]] &&
    [ "$(cat "$work/mine/vessa-or-korrin/Gfx")" = mine ] || fail "a file named Gfx"
[ "$(cd "$work" && env -u DISPLAY HOME=home XDG_DATA_HOME= "$game" 2>&1)" = \
    "vessa-or-korrin: HOME (home) is not an absolute path, so there is no folder for the scores" ] || fail "a relative HOME"
playInstalled "$game" "" "$work/home"

if [ "$(id -u)" -ne 0 ]; then
    echo "the Debian package is tried as root only"
    exit
fi
rm -f "$build"/vessa-or-korrin_*.deb
cmake --build "$build" --target package >/dev/null
deb=$(ls "$build"/vessa-or-korrin_*.deb)
# Another folder, and a later time, build the same bytes.
cmake -S "$(dirname "$0")/../.." -B "$work/again" -DBUILD_TESTING=OFF >/dev/null && cmake --build "$work/again" -j"$(nproc)" --target package >/dev/null
members() { ar tv "$1"; dpkg-deb --ctrl-tarfile "$1" | tar -xO ./md5sums; dpkg-deb --fsys-tarfile "$1" | tar -tv --full-time; }
cmp "$deb" "$work/again/$(basename "$deb")" || fail "a build in another folder, later, differs in: $(diff <(members "$deb") \
    <(members "$work/again/$(basename "$deb")") | grep "^>" | xargs)"
depends=$(dpkg-deb --field "$deb" Depends)
grep -q liballegro4.4 <<<"$depends" && ! grep -Eq -- "-dev|cmake" <<<"$depends" ||
    fail "depends on Allegro 4 and nothing of the build: $depends"
# lintian leaves a cache of its own in the temporary folder: ours goes at the end.
TMPDIR=$work lintian --fail-on error,warning "$deb" || fail "lintian"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$deb" >/dev/null
player=vokplayer$$
useradd --create-home "$player"
atExit="userdel --remove $player 2>/dev/null"
[ "$(su -l "$player" -c 'command -v vessa-or-korrin')" = /usr/games/vessa-or-korrin ] || fail "not on the player's PATH"
playInstalled /usr/games/vessa-or-korrin "$player" "$(getent passwd "$player" | cut -d: -f6)"
scores=$(sha256sum <"/home/$player/.local/share/vessa-or-korrin/highscore.dat")
apt-get purge -y -qq -o DPkg::Lock::Timeout=300 vessa-or-korrin >/dev/null
command -v vessa-or-korrin >/dev/null && fail "the command is gone"
[ "$(sha256sum <"/home/$player/.local/share/vessa-or-korrin/highscore.dat")" = "$scores" ] || fail "the player's scores outlive the package"
