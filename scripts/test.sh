#!/usr/bin/env bash
# Builds everything and runs every test: native, under ASan/UBSan, the Windows builds (FAR 1.x;
# FAR 3, 32- and 64-bit) under Wine, and the packages (built, installed, checked and removed:
# needs root or sudo).
set -euo pipefail
cd "$(dirname "$0")/.."

stage() { printf '\n==> %s\n' "$*"; }
timed() {
    local name=$1; shift
    local start=$SECONDS
    "$@"
    printf '==> %s took %ds\n' "$name" $((SECONDS - start))
}

# Every ctest summary of the run is kept, for one total at the end.
summaries=$(mktemp)
trap 'rm -f "$summaries"' EXIT
counted() {
    local log status=0
    log=$(mktemp)
    "$@" | tee "$log" || status=$?
    grep -E 'tests passed, [0-9]+ tests? failed out of' "$log" >>"$summaries" || true
    rm -f "$log"
    return "$status"
}

stage "installing missing tools"
timed deps bash scripts/deps.sh

stage "layers: no include goes up"
timed layers bash scripts/check-layers.sh

stage "native build and tests"
timed native-build bash -c 'cmake --preset default >/dev/null && cmake --build --preset default -j2'
timed native-tests counted ctest --preset default -j2

stage "native Release build and tests (as packages are built)"
timed release-build bash -c 'cmake --preset release >/dev/null && cmake --build --preset release -j2'
timed release-tests counted ctest --preset release -j2

stage "ASan/UBSan build and tests"
timed asan-build bash -c 'cmake --preset asan >/dev/null && cmake --build --preset asan -j2'
timed asan-tests counted env ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j2

if [ -f scripts/test-win32.sh ]; then
    stage "Windows build and tests under Wine"
    timed win32 counted bash scripts/test-win32.sh win32
    stage "FAR 3 plug-in, 32- and 64-bit, and its tests under Wine"
    timed far3-x86 counted bash scripts/test-win32.sh far3-x86
    timed far3-x64 counted bash scripts/test-win32.sh far3-x64
fi

# After the Windows stages, which leave the Windows builds and the Wine prefix for the zip.
stage "packages: the .deb and the zip built, installed, checked and removed"
timed package bash scripts/package.sh
timed package-tests bash scripts/test-packages.sh

stage "fuzzing"
timed fuzz bash scripts/fuzz.sh

# ctest entries over all builds (the Windows test binary is one entry).
awk '{ for (i = 1; i <= NF; i++) if ($i == "out") { total += $(i + 2); failed += $(i - 3) } }
     END { printf "tests: %d passed, %d failed\n", total - failed, failed }' "$summaries"
