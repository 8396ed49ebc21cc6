#!/usr/bin/env bash
# Installs what Reelwright needs on Debian 12, builds it, then either starts
# the program ("run") or runs every test ("test"). The one place that knows
# Debian package names.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${REELWRIGHT_BUILD_DIR:-$here/build}
mode=${1:-run}
shift || true

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libqt6opengl6-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n qt6-image-formats-plugins qt6-svg-dev
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
    libopenal-dev libgl-dev libgl1-mesa-dri libexiv2-dev libaubio-dev libebur128-dev
    fonts-dejavu-core fonts-wqy-microhei
    xvfb xauth x11-utils
)

install_packages() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build_all() {
    local generator=() launcher=()
    [ -f "$build/CMakeCache.txt" ] || generator=(-G Ninja)
    # A compiler cache, where one is installed, makes rebuilds after a pull cheap.
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$here" -B "$build" "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$build" --parallel "$(nproc)"
}

case "$mode" in
run)
    install_packages
    build_all
    # Arguments go to the program (--help lists them).
    exec "$build/bin/reelwright" "$@"
    ;;
test)
    install_packages
    build_all
    cd "$build"
    exec xvfb-run -a -s "-screen 0 1920x1080x24" env ALSOFT_DRIVERS=null \
        ctest --output-on-failure --parallel 2
    ;;
*)
    echo "usage: $0 run [program options...] | test" >&2
    exit 2
    ;;
esac
