#!/bin/sh
# Runs a Windows program under Wine for the win32 build: ctest uses it as the cross-compiling
# emulator. The Wine prefix lives in the build tree (VELMORA_WINEPREFIX, else <build>/wineprefix
# found from the program's path, else ./wineprefix), so a build never touches ~/.wine.
set -e
if [ -z "$VELMORA_WINEPREFIX" ]; then
    dir=$(cd "$(dirname "$1")" 2>/dev/null && pwd) || dir=$(pwd)
    # Climb to the build directory: the one holding CMakeCache.txt.
    probe=$dir
    while [ "$probe" != "/" ] && [ ! -f "$probe/CMakeCache.txt" ]; do
        probe=$(dirname "$probe")
    done
    [ -f "$probe/CMakeCache.txt" ] && dir=$probe
    VELMORA_WINEPREFIX=$dir/wineprefix
fi
WINEPREFIX=$VELMORA_WINEPREFIX
WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko download prompts: the programs here need neither.
WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
WINEARCH=${WINEARCH:-win32}
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES WINEARCH

# The first start of a new prefix takes a while; do it once, under a lock, so that parallel
# test processes do not each try to create the prefix.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            wineboot -i >/dev/null 2>&1 || true
            wineserver -w 2>/dev/null || true
        fi
    ) 9>"$WINEPREFIX.lock"
fi

if [ "$1" = "--init-only" ]; then
    exit 0
fi
exec wine "$@"
