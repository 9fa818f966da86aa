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
noDisplay="Error: no display or keyboard to play on"

# GAME run as USER with HOME, started elsewhere, says nothing: its 0 points enter a table of -1s in the
# player's data folder, where a link left by an old install, to a folder still there, is made anew.
playInstalled() {
    local game=$1 user=$2 home=$3 data=$3/.local/share/vessa-or-korrin
    local startIn=$(mktemp -d "$work/elsewhere.XXXXXX") wrapper=${2:+setpriv --reuid=$2 --regid=$2 --init-groups}
    mkdir -p "$data" && printf '\377%.0s' {1..40} >"$data/highscore.dat"
    ln -sfn "$startIn" "$data/Gfx"
    [ -n "$user" ] && chown -R "$user:" "$home/.local"
    startsWith "" "" 0 HOME="$home" XDG_DATA_HOME=
    [ "$(od -An -td4 -v "$data/highscore.dat" | xargs)" = "0 -1 -1 -1 -1 -1 -1 -1 -1 -1" ] || fail "scores of $home"
}
atTitle() { playFromMenu; endGame; }

cmake --build "$build" >/dev/null
cmake --install "$build" --prefix "$work/installed" >/dev/null && mv "$work/installed" "$work/prefix"
game=$work/prefix/games/vessa-or-korrin gameFiles=("$work/prefix/share/games/vessa-or-korrin/"{Gfx,Sfx})
# Two starts at once (a double click) meet for certain: the first is held before its first rename while the
# second renews the same links. Both get going, and leave nothing stray here or in the installed data.
mkdir "$work/bin" && printf '#!/bin/sh\nmkdir "$0.held" 2>/dev/null && until [ -e "$0.go" ] || [ ! -e "$0" ]; do sleep 0.1; done\nexec /bin/mv "$@"\n' \
    >"$work/bin/mv" && chmod +x "$work/bin/mv"
start() { env -u DISPLAY PATH="$work/bin:$PATH" XDG_DATA_HOME="$work/pair" "$game" &>>"$work/pair.err"; }
start &
waitFor "first start held before its rename" test -d "$work/bin/mv.held"
start; touch "$work/bin/mv.go"; wait $!
[ "$(sort -u "$work/pair.err")" = "$noDisplay" ] && [ "$(ls -A "$work/pair/vessa-or-korrin" | xargs)" = "Gfx Sfx" ] ||
    fail "two starts at once: $(cat "$work/pair.err")"
# Names a start might write, planted by its PID before it runs (a link to a folder of the player's, a file of theirs), stay.
mkdir -p "$work/planted/vessa-or-korrin" "$work/victim" && mkfifo "$work/go"
{ read -r <"$work/go"; exec env -u DISPLAY XDG_DATA_HOME="$work/planted" "$game" &>"$work/planted.err"; } &
ln -s "$work/victim" "$work/planted/vessa-or-korrin/Gfx.$!" && echo mine >"$work/planted/vessa-or-korrin/Sfx.$!" && echo >"$work/go"
wait $!
[ "$(cat "$work/planted.err")" = "$noDisplay" ] && [ -z "$(ls -A "$work/victim")" ] &&
    [ "$(cat "$work/planted/vessa-or-korrin/Sfx.$!")" = mine ] || fail "names planted for a start's PID: $(cat "$work/planted.err")"
# Lintian below judges the overrides, which depend on its release.
listed=$(cd "$work/prefix" && find . ! -type d ! -path "./share/lintian/*" | sed 's|^\./||' | sort | xargs)
[ "$listed" = "${installed[*]}" ] || fail "installed files: $listed"
# A relative HOME is refused, in a box for a desktop menu's start too.
startsWith "" "vessa-or-korrin: HOME (home) is not an absolute path, so there is no folder for the scores" 1 HOME=home XDG_DATA_HOME=
# A file of the player's named Gfx stays, and is named.
mkdir -p "$work/mine/vessa-or-korrin" && echo mine >"$work/mine/vessa-or-korrin/Gfx"
[[ "$(env -u DISPLAY XDG_DATA_HOME="$work/mine" "$game" 2>&1)" == *": $work/mine/vessa-or-korrin/Gfx is not a link"* ]] &&
    [ "$(cat "$work/mine/vessa-or-korrin/Gfx")" = mine ] || fail "a file named Gfx"
playInstalled "$game" "" "$work/home"

[ "$(id -u)" -eq 0 ] ||
    { echo "skipped, as root only: the Debian package built twice, linted, installed, played and purged; other users' folders"; exit; }
rm -f "$build"/vessa-or-korrin_*.deb
cmake --build "$build" --target package >/dev/null
deb=$(ls "$build"/vessa-or-korrin_*.deb)
# Another folder, and a later time, build the same bytes.
cmake -S "$(dirname "$0")/../.." -B "$work/again" -DBUILD_TESTING=OFF >/dev/null && cmake --build "$work/again" -j"$(nproc)" --target package >/dev/null
cmp "$deb" "$work/again/$(basename "$deb")" || fail "a build in another folder, later, differs"
# lintian leaves a cache of its own in the temporary folder: ours goes at the end.
TMPDIR=$work lintian --fail-on error,warning "$deb" || fail "lintian"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$deb" >/dev/null
player=vokplayer$$ other=vokother$$
useradd --create-home "$player" && useradd "$other"
atExit="{ userdel --remove $player; userdel $other; } 2>/dev/null"
playerHome=$(getent passwd "$player" | cut -d: -f6)
playInstalled /usr/games/vessa-or-korrin "$player" "$playerHome"
# Another user's folders, by XDG_DATA_HOME or HOME, and links of theirs are refused and left untouched. A link of
# the player's to a shared table of root's plays, and no settings come from a HOME that is not the player's.
as() { setpriv --reuid="$1" --regid="$1" --init-groups "${@:2}"; }
shared=$work/shared
install -d -m 1777 "$shared" && install -d -m 2775 -g "$player" "$work/table" && install -d -m 777 "$work/plain"
as "$other" sh -c "mkdir -pm 1777 $shared/vessa-or-korrin $shared/.local/share/vessa-or-korrin $shared/link &&
    ln -s $work/table $shared/link/vessa-or-korrin && printf '[system]\nsystem = NONE\n' >$shared/allegro.cfg"
as "$player" sh -c "cd $playerHome && mkdir linked toTheirs toPlain && ln -s $work/table linked/vessa-or-korrin &&
    ln -s $shared/vessa-or-korrin toTheirs/vessa-or-korrin && ln -s $work/plain toPlain/vessa-or-korrin"
untouched=$(ls -lAR "$shared")
while read -r xdg home folder; do
    expected="vessa-or-korrin: cannot set up the game's folder $folder: it is neither yours nor a folder of root's shared through a link of yours"
    [ "$folder" = - ] && expected=$noDisplay
    said=$(as "$player" env -u DISPLAY XDG_DATA_HOME="$xdg" HOME="$home" /usr/games/vessa-or-korrin 2>&1; echo "exit $?")
    [ "$said" = "$expected"$'\n'"exit 1" ] || fail "XDG_DATA_HOME=$xdg HOME=$home: $said"
done <<EOF
$shared $playerHome $shared/vessa-or-korrin
- $shared $shared/.local/share/vessa-or-korrin
$shared/link $playerHome $shared/link/vessa-or-korrin
$playerHome/toTheirs $playerHome $playerHome/toTheirs/vessa-or-korrin
$playerHome/toPlain $playerHome $playerHome/toPlain/vessa-or-korrin
$playerHome/linked $shared -
EOF
[ "$(ls -lAR "$shared")" = "$untouched" ] || fail "another user's folders were touched"
apt-get purge -y -qq -o DPkg::Lock::Timeout=300 vessa-or-korrin >/dev/null
