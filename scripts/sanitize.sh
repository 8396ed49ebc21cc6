#!/usr/bin/env bash
# Builds the whole suite with sanitizers and runs it under Xvfb, on the same
# X server setup as scripts/setup.sh test.
#   scripts/sanitize.sh                 AddressSanitizer + UndefinedBehaviorSanitizer (+ LeakSanitizer)
#   scripts/sanitize.sh thread          ThreadSanitizer
# Needs the packages of scripts/setup.sh (run it once first).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kind=${1:-address,undefined}
case "$kind" in
address,undefined|address|undefined) build=$here/build-asan ;;
thread) build=$here/build-tsan ;;
*) echo "usage: $0 [address,undefined|thread]" >&2; exit 2 ;;
esac

# Set before anything runs, so a sanitized program started by the build would
# see the same options as the tests.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$here/scripts/lsan.supp:print_suppressions=0
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$here/scripts/tsan.supp

generator=() launcher=()
[ -f "$build/CMakeCache.txt" ] || generator=(-G Ninja)
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$here" -B "$build" "${generator[@]}" "${launcher[@]}" -DCMAKE_BUILD_TYPE=Debug \
    -DREELWRIGHT_SANITIZE="$kind" -DREELWRIGHT_BUILD_BENCH=OFF
cmake --build "$build" --parallel "$(nproc)"

cd "$build"
exec xvfb-run -a -s "-screen 0 1920x1080x24" env ALSOFT_DRIVERS=null \
    ctest --output-on-failure --parallel 2
