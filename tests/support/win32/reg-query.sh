#!/bin/sh
# Runs the Windows velmora.exe under Wine with a root key of its own, then reads the plug-in's
# settings back with Wine's own "reg query": the template and start number must be REG_SZ values,
# the two switches REG_DWORD values, each holding what was entered. The key is deleted afterwards.
# Usage: reg-query.sh WINE-RUN velmora.exe BUILD-DIR
set -eu
wine_run=$1
exe=$2
build=$3
VELMORA_WINEPREFIX=$build/wineprefix
export VELMORA_WINEPREFIX

base="Software\\VelmoraTest\\regquery-$$"
root="$base\\Plugins"
work=$(mktemp -d)
cleanup() {
    sh "$wine_run" reg delete "HKCU\\$base" /f >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

printf 'x' >"$work/a.txt"
cd "$work"
sh "$wine_run" "$exe" --yes --mask "IMG_%#.%E" --start 007 --without-zero 1 --save-descriptions 0 \
    --root-key "$root" a.txt
[ -f IMG_7.txt ] || { echo "FAIL: a.txt was not renamed to IMG_7.txt" >&2; ls >&2; exit 1; }

sh "$wine_run" reg query "HKCU\\$root\\Velmora" | tr -d '\r' >"$work/query.txt"
cat "$work/query.txt"
status=0
expect() {
    # name, type, data: one line "    name    TYPE    data" in reg's output
    if ! awk -v n="$1" -v t="$2" -v d="$3" '$1 == n && $2 == t && $3 == d { found = 1 } END { exit !found }' \
        "$work/query.txt"; then
        echo "FAIL: expected value $1 of type $2 holding $3" >&2
        status=1
    fi
}
expect velmora REG_SZ "IMG_%#.%E"
expect number REG_SZ 007
expect WithoutZero REG_DWORD 0x1
expect SaveDescription REG_DWORD 0x0
exit $status
