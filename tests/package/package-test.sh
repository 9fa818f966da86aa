#!/usr/bin/env bash
# Builds the .deb, checks it, installs it with apt, plays it as a fresh user
# from an unrelated folder, then removes and purges it and checks the player's
# scores outlive it. Needs root on a disposable machine, and leaves the machine
# as it found it: no package, no user. Usage: package-test.sh BUILD_DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "$0: installs a package and adds a user, so it runs as root" >&2; exit 2; }
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/checks.sh"
export DEBIAN_FRONTEND=noninteractive

if dpkg-query -W vessa-or-korrin >/dev/null 2>&1; then
    echo "$0: vessa-or-korrin is already installed here; this test would remove it" >&2
    exit 2
fi

work=$(mktemp -d)
player=vokplayer$$
cleanUp() {
    if dpkg-query -W vessa-or-korrin >/dev/null 2>&1; then
        dpkg --purge vessa-or-korrin >/dev/null || echo "cleanup: cannot purge vessa-or-korrin" >&2
    fi
    if id "$player" >/dev/null 2>&1; then
        userdel --remove "$player" 2>/dev/null || echo "cleanup: cannot remove the user $player" >&2
    fi
    rm -rf "$work"
}
trap cleanUp EXIT
trap "exit 1" INT TERM HUP

step "building the package"
rm -f "$build"/vessa-or-korrin_*.deb
cmake --build "$build" -j2 --target package
debs=("$build"/vessa-or-korrin_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAILED: no single vessa-or-korrin_*.deb in $build" >&2; exit 1; }
deb=${debs[0]}
echo "built $deb"

step "the package's control data"
field() { dpkg-deb --field "$deb" "$1"; }
check "its name is vessa-or-korrin_<version>_<arch>.deb" \
    [ "$(basename "$deb")" = "vessa-or-korrin_$(field Version)_$(field Architecture).deb" ]
check "section games" [ "$(field Section)" = games ]
check "a maintainer" [ -n "$(field Maintainer)" ]
check "a description" [ -n "$(field Description)" ]
depends=$(field Depends)
echo "Depends: $depends"
check "depends on the Allegro 4 runtime library" grep -q "liballegro4.4" <<<"$depends"
check "and on nothing the build needs" bash -c "! grep -Eq -- '-dev|freetype|cmake' <<<'$depends'"
check "recommends xmessage's package, which shows the message boxes" grep -qw "x11-utils" <<<"$(field Recommends)"

step "the package's files"
expectInstalledFiles /usr <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./usr/||' | sort)
check "every file and folder belongs to root" \
    bash -c "[ -z \"\$(dpkg-deb --fsys-tarfile '$deb' | tar -tv | awk '\$2 != \"root/root\"')\" ]"
check "folders are 0755, files 0644 and programs 0755" \
    bash -c "[ -z \"\$(dpkg-deb --fsys-tarfile '$deb' | tar -tv | awk '\$1 !~ /^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x)\$/')\" ]"
mkdir "$work/contents"
dpkg-deb --extract "$deb" "$work/contents"
check "the program is stripped" grep -q ", stripped" <(file "$work/contents/usr/lib/games/vessa-or-korrin/vessa-or-korrin")
checkDesktopIconsAndManual "$work/contents/usr"
check "the changelog is gzipped at maximum compression" \
    grep -q "max compression" <(file "$work/contents/usr/share/doc/vessa-or-korrin/changelog.gz")
check "the copyright file is in Debian's machine-readable format" \
    grep -qx "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
    "$work/contents/usr/share/doc/vessa-or-korrin/copyright"

step "lintian"
lintian --fail-on error "$deb" 2>&1 | grep -v "running with root privileges" | tee "$work/lintian.out" || true
check "lintian reports no error" bash -c "! grep -q '^E:' '$work/lintian.out'"

step "installing the package with apt"
apt-get install -y -qq "$deb" >/dev/null
check "dpkg has vessa-or-korrin installed" bash -c "dpkg-query -W -f='\${Status}' vessa-or-korrin | grep -q 'install ok installed'"

step "a fresh player"
useradd --create-home --shell /bin/sh "$player"
home=$(getent passwd "$player" | cut -d: -f6)
loginPath=$(su -l "$player" -c 'printf %s "$PATH"')
check "finds the command on their PATH in /usr/games" \
    [ "$(su -l "$player" -c 'command -v vessa-or-korrin')" = /usr/games/vessa-or-korrin ]

step "playing the packaged game to a high score as $player, from a folder in /tmp"
runInstalledGameScenario "$build" vessa-or-korrin "$player" "$loginPath"
scores=$home/.local/share/vessa-or-korrin/highscore.dat
check "the player's scores are theirs" [ "$(stat -c %U "$scores")" = "$player" ]
before=$(sha256sum <"$scores")

step "removing, then purging the package"
apt-get remove -y -qq vessa-or-korrin >/dev/null
check "the command is gone" [ ! -e /usr/games/vessa-or-korrin ]
check "the player's scores are still there, unchanged" [ "$(sha256sum <"$scores")" = "$before" ]
# Without conffiles a removal leaves apt nothing to purge, and then purge errs.
if dpkg-query -W vessa-or-korrin >/dev/null 2>&1; then
    apt-get purge -y -qq vessa-or-korrin >/dev/null
fi
check "dpkg has forgotten the package" bash -c "! dpkg-query -W vessa-or-korrin"
check "the player's scores are still there after the purge" [ "$(sha256sum <"$scores" 2>/dev/null)" = "$before" ]

finish
