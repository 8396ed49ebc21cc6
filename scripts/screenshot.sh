#!/usr/bin/env bash
# Takes docs/screenshot.png: the real program under Xvfb with a small album
# of the sample media, imported through the program's own import dialogs,
# with a caption on the photo shown and a title card before it.
#
# The album comes in through REELWRIGHT_DEV_ALBUM, a developer-only variable
# (colon-separated files; see app/devalbum.h) that answers the window's
# import file dialogs as a person would. It runs with its own configuration
# and temporary folders, so it neither touches your settings nor meets a copy
# of the program you have open. Needs xvfb and imagemagick.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${REELWRIGHT_BUILD_DIR:-$here/build}
media=${REELWRIGHT_MEDIA_DIR:-$here/samples}
out=${1:-$here/docs/screenshot.png}

scratch=${REELWRIGHT_SCRATCH:-}
shoot() {
    "$build/bin/reelwright" >"$scratch/stdout" 2>"$scratch/stderr" &
    local pid=$!
    # The launcher text says the window is up; the imports follow at once.
    for _ in $(seq 100); do
        grep -q "command:close splash screen" "$scratch/stdout" && break
        sleep 0.1
    done
    sleep 3
    local window
    window=$(xwininfo -root -tree | awk '/"[^"]* - Reelwright"/ { print $1; exit }')
    import -window "${window:-root}" "$scratch/shot.png"
    kill -TERM "$pid"
    wait "$pid"
}
if [ "$out" = --inside-xvfb ]; then
    shoot
    exit
fi

for tool in xvfb-run import convert; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (apt-get install xvfb imagemagick)" >&2; exit 1; }
done
cmake --build "$build" --target reelwright >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
album=$media/flower.jpg:$media/raindrops.jpg:$media/bird-exif6.jpg:$media/clock-portrait-exif3.jpg
album=$album:$media/knolls-20s.ogg

env TMPDIR="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" LC_ALL=C LANGUAGE=en ALSOFT_DRIVERS=null \
    REELWRIGHT_DEV_ALBUM="$album" REELWRIGHT_DEV_CAPTION="Spring in the garden" REELWRIGHT_DEV_TITLE="Our Year" \
    REELWRIGHT_SCRATCH="$scratch" REELWRIGHT_BUILD_DIR="$build" \
    xvfb-run -a -s "-screen 0 1280x800x24" "$0" --inside-xvfb

# A palette keeps the picture small enough for the repository.
mkdir -p "$(dirname "$out")"
convert "$scratch/shot.png" -strip -colors 256 "PNG8:$out"
echo "$out ($(du -k "$out" | cut -f1) KB)"
