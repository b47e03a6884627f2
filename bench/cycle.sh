#!/usr/bin/env bash
# A batch that is one cycle of names against the same count of plain renames to free names, with
# the undo journal on: N files DSC_000001.raw ..., selected with the last one first, take
# DSC_%#.raw from 1 (each file the next one's name, the last the first's); the plain batch takes
# IMG_%#.raw in the same order. Interleaved rounds (a fresh folder before each run, not timed):
# minimum and median wall time of each; then one run of each under strace -c -f.
#
#   bench/cycle.sh                          # N = 100000, 3 rounds
#   N=20000 RUNS=5 STRACE=0 bench/cycle.sh
#
# Environment: VELMORA_BUILD (a build directory with velmora; default build/bench, built here),
# BENCH_DIR (scratch directory; default /var/tmp/velmora-cycle-<name of this checkout>).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
n=${N:-100000}
runs=${RUNS:-3}
trace=${STRACE:-1}
bench=${BENCH_DIR:-/var/tmp/velmora-cycle-$(basename "$root")}
build=${VELMORA_BUILD:-$root/build/bench}
if [ -z "${VELMORA_BUILD:-}" ]; then
    [ -f "$build/CMakeCache.txt" ] ||
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_TUI=OFF >/dev/null
    cmake --build "$build" --target velmora Velmora -j2 >/dev/null
fi
velmora=$build/velmora
rm -rf "$bench"
mkdir -p "$bench"
width=$(( ${#n} > 6 ? ${#n} : 6 ))
# The last file first: the counter from 1 then gives each file the next one's name.
{ printf "DSC_%0${width}d.raw\n" "$n"; seq -f "DSC_%0${width}.0f.raw" 1 $((n - 1)); } >"$bench/list"

fresh() {
    rm -rf "$bench/d" "$bench/state" "$bench/config"
    mkdir -p "$bench/d" "$bench/state" "$bench/config"
    (cd "$bench/d" && xargs touch <../list)
}
run() {  # cycle | plain
    local mask=DSC_%#.raw
    [ "$1" = plain ] && mask=IMG_%#.raw
    (cd "$bench/d" && XDG_CONFIG_HOME=$bench/config XDG_STATE_HOME=$bench/state \
        "$velmora" --yes --mask "$mask" --start 1 --without-zero 0 --save-descriptions 0 \
        --select-from ../list >/dev/null 2>&1)
}
check() {
    if [ "$1" = cycle ]; then
        [ -z "$(find "$bench/d" -name '.VLR*')" ] && [ "$(ls "$bench/d" | wc -l)" -eq "$n" ]
    else
        [ -z "$(find "$bench/d" -name 'DSC_*')" ]
    fi || { echo "cycle.sh: $1 left the folder wrong" >&2; exit 1; }
}
declare -A times
for round in $(seq "$runs"); do
    for kind in cycle plain; do
        fresh
        sync
        begin=$(date +%s.%N)
        run "$kind"
        end=$(date +%s.%N)
        check "$kind"
        times[$kind]+="$(echo "$end - $begin" | bc) "
    done
done
stats() {  # min median
    tr ' ' '\n' <<<"$1" | grep . | sort -n | awk '{a[NR]=$1} END {printf "%.3f %.3f", a[1], a[int((NR+1)/2)]}'
}
read -r cmin cmed <<<"$(stats "${times[cycle]}")"
read -r pmin pmed <<<"$(stats "${times[plain]}")"
echo "N=$n, $runs rounds: cycle min $cmin s median $cmed s; plain min $pmin s median $pmed s;" \
    "cycle/plain $(echo "scale=3; $cmin / $pmin" | bc) (min), $(echo "scale=3; $cmed / $pmed" | bc) (median)"
if [ "$trace" = 1 ]; then
    for kind in cycle plain; do
        fresh
        (cd "$bench/d" && XDG_CONFIG_HOME=$bench/config XDG_STATE_HOME=$bench/state strace -f -c -o "$bench/strace-$kind" \
            "$velmora" --yes --mask "$([ $kind = plain ] && echo IMG || echo DSC)_%#.raw" --start 1 --without-zero 0 \
            --save-descriptions 0 --select-from ../list >/dev/null 2>&1)
        check "$kind"
        echo "$kind strace: $(awk '/rename/ {r += $4} /stat/ {s += $4} / total$/ {t = $4} END {print r " rename-family, " s " stat-family, " t " calls in all"}' "$bench/strace-$kind")"
    done
fi
