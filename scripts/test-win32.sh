#!/usr/bin/env bash
# A Windows build: configures with a Windows preset (default win32: mingw-w64 i686, the FAR 1.x
# plug-in Velmora.dll and velmora.exe; far3-x86 and far3-x64: the FAR 3 plug-in for 32- and 64-bit
# FAR), builds it with its tests, starts its Wine prefix once and runs every test under Wine.
# Prints the time of each stage. (scripts/package.sh makes the Windows zip from these builds.)
# Usage: test-win32.sh [PRESET]
set -euo pipefail
cd "$(dirname "$0")/.."

preset=${1:-win32}
build=build/$preset
winearch=win32
[ "$preset" != far3-x64 ] || winearch=win64
times=()
timed() {
    local name=$1; shift
    local start=$SECONDS
    "$@"
    local took=$((SECONDS - start))
    times+=("$name ${took}s")
    printf '==> %s %s took %ds\n' "$preset" "$name" "$took"
}

timed configure cmake --preset "$preset" >/dev/null
timed build cmake --build --preset "$preset" -j2
# The first start of a new Wine prefix takes ~15 s; do it before the tests so that no test's
# time limit pays for it.
timed wine-prefix env VELMORA_WINEPREFIX="$PWD/$build/wineprefix" WINEARCH=$winearch sh cmake/wine-run.sh --init-only
timed tests ctest --preset "$preset" -j2

printf '==> %s stages: %s\n' "$preset" "${times[*]}"
