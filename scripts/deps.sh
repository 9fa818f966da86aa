# Installs the Debian packages named in its arguments that are not installed yet.
# Sourced by the play and test scripts; apt runs only when something is missing.
installMissingPackages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Names that Debian 12 and 13 share. CPack asks file and dpkg-shlibdeps (dpkg-dev) for the package's dependencies.
BUILD_PACKAGES=(g++ make cmake pkg-config liballegro4-dev libfreetype-dev fonts-comic-neue file dpkg-dev)
TEST_PACKAGES=(googletest libgtest-dev libbenchmark-dev xvfb x11-utils xdotool imagemagick procps
               clang libclang-rt-dev lintian appstream passwd)
# The Windows build: the cross compiler, patch for Allegro, ImageMagick for the icon, the
# installer maker; and for its tests GoogleTest's sources and Wine, with the Linux tests' X tools.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 patch imagemagick nsis)
WINDOWS_TEST_PACKAGES=(googletest wine64 unzip e2fsprogs xvfb x11-utils xdotool)
