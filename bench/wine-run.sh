#!/usr/bin/env bash
# The FAR 1.x build under Wine: velmora.exe with its Velmora.dll renames N fresh empty files
# (`--yes --all --mask IMG_%#.%E --start 1 --save-descriptions 0`, the journal on), wall time with
# Wine's start-up, ROUNDS rounds; with BEFORE, an older win32 build runs in the same rounds,
# alternating with this one, in one Wine prefix. Prints each time and the fastest of each build.
#
#   bench/wine-run.sh                                    # N = 5000, 3 rounds, build/win32
#   BEFORE=/path/to/old/build/win32 SIZES="1000 5000" bench/wine-run.sh
#
# Environment: AFTER (a win32 build directory; default build/win32), BEFORE, SIZES, ROUNDS,
# BENCH_DIR (scratch directory; default /var/tmp/velmora-wine-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

after=${AFTER:-$PWD/build/win32}
before=${BEFORE:-}
sizes=${SIZES:-5000}
rounds=${ROUNDS:-3}
bench=${BENCH_DIR:-/var/tmp/velmora-wine-bench}
prefix=$after/wineprefix

[ -x "$after/velmora.exe" ] || { echo "no velmora.exe in $after (cmake --preset win32 and build)" >&2; exit 2; }
export VELMORA_WINEPREFIX=$prefix WINEPREFIX=$prefix WINEDEBUG=-all
sh cmake/wine-run.sh --init-only

builds=(after)
[ -n "$before" ] && builds=(before after)
dir_of() { if [ "$1" = before ]; then echo "$before"; else echo "$after"; fi; }

rm -rf "$bench"
mkdir -p "$bench"
for n in $sizes; do
    declare -A best=()
    for round in $(seq "$rounds"); do
        for build in "${builds[@]}"; do
            work=$bench/$build-$n
            rm -rf "$work" "$bench/state"
            mkdir -p "$work" "$bench/state"
            (cd "$work" && seq -f "f%06g.raw" 1 "$n" | xargs touch)
            exe=$(dir_of "$build")/velmora.exe
            start=$(date +%s.%N)
            XDG_STATE_HOME=$bench/state sh cmake/wine-run.sh "$exe" -C "$(winepath -w "$work" 2>/dev/null || echo "$work")" \
                --yes --all --mask 'IMG_%#.%E' --start 1 --save-descriptions 0 >/dev/null 2>"$bench/err"
            end=$(date +%s.%N)
            took=$(echo "$end - $start" | bc)
            renamed=$(find "$work" -name 'IMG_*' | wc -l)
            [ "$renamed" -eq "$n" ] || { echo "$build renamed $renamed of $n:" >&2; cat "$bench/err" >&2; exit 1; }
            printf '%-6s N=%-7s round %s: %6.2f s\n' "$build" "$n" "$round" "$took"
            if [ -z "${best[$build]:-}" ] || [ "$(echo "$took < ${best[$build]}" | bc)" = 1 ]; then
                best[$build]=$took
            fi
        done
    done
    for build in "${builds[@]}"; do
        printf '%-6s N=%-7s fastest %6.2f s (%.2f ms a file)\n' "$build" "$n" "${best[$build]}" \
            "$(echo "${best[$build]} * 1000 / $n" | bc -l)"
    done
    unset best
done
