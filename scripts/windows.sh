#!/usr/bin/env bash
# Builds the game for 64-bit Windows with Debian's mingw-w64 and leaves a zip and a
# per-user installer in build-windows/. Allegro is built once from Debian's own source
# package, patched, and kept under ~/.cache for later runs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
# VOK_WINDOWS_TESTS=ON builds the tests that run under Wine too.
installMissingPackages "${BUILD_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
[ "${VOK_WINDOWS_TESTS:-OFF}" = ON ] && installMissingPackages "${WINDOWS_TEST_PACKAGES[@]}"

ALLEGRO_VERSION=4.4.3.1
ALLEGRO_SHA256=ec19dbc9a021244582b4819b3583ee594b50141f9fcf6944a4ed8069cbf8d4d4
ALLEGRO_OPTIONS=(-DCMAKE_BUILD_TYPE=Release -DSHARED=OFF -DWANT_ALLEGROGL=OFF -DWANT_LOADPNG=OFF
                 -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF -DWANT_EXAMPLES=OFF -DWANT_TOOLS=OFF
                 -DWANT_TESTS=OFF -DWANT_DOCS=OFF)
TOOLCHAIN=$PWD/cmake/MingwW64.cmake
CACHE_ROOT=${XDG_CACHE_HOME:-$HOME/.cache}/vessa-or-korrin

# The cache key: whatever goes into the library.
allegroKey() {
    { echo "$ALLEGRO_VERSION $ALLEGRO_SHA256 ${ALLEGRO_OPTIONS[*]}"
      cat "$TOOLCHAIN" packaging/windows/allegro-*.patch; } | sha256sum | cut -c1-16
}

# fetchAllegro DIR: the original tarball of Debian's allegro4.4 source package, found through
# a private apt configuration (the machine's sources stay as they are) and fetched by apt.
fetchAllegro() {
    local dir=$1 codename
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mkdir -p "$dir/lists/partial"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg]" \
         "http://deb.debian.org/debian $codename main" > "$dir/sources.list"
    local apt=(apt-get -qq -o Dir::Etc::SourceList="$dir/sources.list" -o Dir::Etc::SourceParts=-
               -o Dir::State::Lists="$dir/lists" -o Dir::Cache="$dir" -o APT::Sandbox::User=root)
    "${apt[@]}" update
    local uri
    uri=$("${apt[@]}" --print-uris source --only-source allegro4.4 |
          grep -o "'[^']*allegro4.4_${ALLEGRO_VERSION}.orig.tar.gz'" | tr -d "'")
    [ -n "$uri" ] || { echo "Debian's allegro4.4 source is not at version $ALLEGRO_VERSION" >&2; return 1; }
    /usr/lib/apt/apt-helper -qq -o APT::Sandbox::User=root download-file "$uri" "$dir/allegro.tar.gz" \
        "SHA256:$ALLEGRO_SHA256"
}

# allegroPrefix: prints where the patched static library is, building it first if needed.
allegroPrefix() {
    local prefix
    prefix=$CACHE_ROOT/allegro-$ALLEGRO_VERSION-$(allegroKey)
    if [ ! -f "$prefix/lib/liballeg.a" ]; then
        mkdir -p "$CACHE_ROOT"
        local work
        work=$(mktemp -d "$CACHE_ROOT/build.XXXXXX")
        trap 'rm -rf "$work"' EXIT
        fetchAllegro "$work" >&2
        tar -xzf "$work/allegro.tar.gz" -C "$work"
        local patch
        for patch in packaging/windows/allegro-*.patch; do
            patch -s -d "$work/allegro-$ALLEGRO_VERSION" -p1 < "$patch"
        done
        echo "Building Allegro $ALLEGRO_VERSION for Windows into $prefix" >&2
        { cmake -S "$work/allegro-$ALLEGRO_VERSION" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
                -DCMAKE_INSTALL_PREFIX="$work/prefix" "${ALLEGRO_OPTIONS[@]}" &&
          cmake --build "$work/build" -j"$(nproc)" && cmake --install "$work/build"; } >"$work/log" 2>&1 ||
            { tail -n 40 "$work/log" >&2; return 1; }
        rm -rf "$prefix"
        mv "$work/prefix" "$prefix"
        rm -rf "$work"
        trap - EXIT
    fi
    echo "$prefix"
}

ALLEGRO_PREFIX=$(allegroPrefix)
[ "${1:-}" = --allegro-only ] && { echo "$ALLEGRO_PREFIX"; exit 0; }

# The asset tool for this machine, so that the art is the Linux build's, byte for byte.
# VOK_WINDOWS_OUT names another folder to build in than build-windows.
out=$(realpath -m "${VOK_WINDOWS_OUT:-build-windows}")
cmake -S . -B "$out/host" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$out/host" -j"$(nproc)" --target assetTool
cmake -S . -B "$out/game" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
      -DVOK_ALLEGRO_PREFIX="$ALLEGRO_PREFIX" -DVOK_HOST_ASSET_TOOL="$out/host/tools/assetTool" \
      -DBUILD_TESTING="${VOK_WINDOWS_TESTS:-OFF}" >/dev/null
cmake --build "$out/game" -j"$(nproc)"
(cd "$out/game" && cpack -B "$out/packages" >/dev/null)
cp "$out"/packages/vessa-or-korrin-*-win64{.zip,-setup.exe} "$out/"
ls -l "$out"/vessa-or-korrin-*
