#!/usr/bin/env bash
# The Windows build: configures with the win32 preset (mingw-w64 i686), builds Velmora.dll,
# velmora.exe and the tests, starts the Wine prefix once and runs every test under Wine. Prints the
# time of each stage. (scripts/package.sh makes the FAR package from this build.)
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/win32
times=()
timed() {
    local name=$1; shift
    local start=$SECONDS
    "$@"
    local took=$((SECONDS - start))
    times+=("$name ${took}s")
    printf '==> win32 %s took %ds\n' "$name" "$took"
}

timed configure cmake --preset win32 >/dev/null
timed build cmake --build --preset win32 -j2
# The first start of a new Wine prefix takes ~15 s; do it before the tests so that no test's
# time limit pays for it.
timed wine-prefix env VELMORA_WINEPREFIX="$PWD/$build/wineprefix" sh cmake/wine-run.sh --init-only
timed tests ctest --preset win32 -j2

printf '==> win32 stages: %s\n' "${times[*]}"
