#!/usr/bin/env bash
# The date taken of N JPEGs read and used as the new names, against Debian's
# `exiv2 -r '%Y%m%d_%H%M%S' rename` on the same photos, in one sitting:
#   reader   velmora's date-taken reader alone, as a process (bench/DateTakenBench.cpp)
#   velmora  velmora -a -y -m '%{taken:YYYYMMDD_hhmmss}_%#.%E' (when the build has the token)
#   exiv2    exiv2 -r '%Y%m%d_%H%M%S' rename *.JPG
# The photos (bench/DateTakenBench.cpp make): 6 KB of EXIF, 256 KB of image bytes, then a hole up
# to 2..5 MB. Each run gets a fresh folder of hard links to them (not timed), so every tool
# renames the same files and no run copies data. Warm: the photos in the page cache; cold: the
# cache dropped before each run (root only). hyperfine, RUNS runs each, mean and minimum.
#   N=3000 RUNS=5 bench/taken-vs-exiv2.sh
# Environment: BENCH_DIR (scratch directory on the disk to measure; default
# /var/tmp/velmora-taken-<name of this checkout>), VELMORA_BUILD (a release build with the
# benchmarks; default build/release, built here), TOOLS (default "reader velmora exiv2").
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

n=${N:-3000}
runs=${RUNS:-5}
tools=${TOOLS:-"reader velmora exiv2"}
bench=${BENCH_DIR:-/var/tmp/velmora-taken-$(basename "$root")}
build=${VELMORA_BUILD:-$root/build/release}

need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
command -v exiv2 >/dev/null || need+=(exiv2)
if [ ${#need[@]} -gt 0 ]; then
    sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
    $sudo apt-get install -y "${need[@]}" >/dev/null
fi
if [ -z "${VELMORA_BUILD:-}" ]; then
    cmake --preset release >/dev/null
    cmake --build --preset release -j2 --target velmora_bench_taken velmora Velmora >/dev/null
fi

rm -rf "$bench"
mkdir -p "$bench/photos" "$bench/state"
"$build/bench/velmora_bench_taken" make "$bench/photos" "$n"
echo "$n photos: $(du -sh --apparent-size "$bench/photos" | cut -f1) apparent, $(du -sh "$bench/photos" | cut -f1) on disk"

# velmora's journal goes to a scratch state directory, not the user's.
export XDG_STATE_HOME=$bench/state
declare -A command=(
    [reader]="$build/bench/velmora_bench_taken read $bench/work"
    [velmora]="$build/velmora -C $bench/work -a -y -m '%{taken:YYYYMMDD_hhmmss}_%#.%E'"
    [exiv2]="exiv2 -r '%Y%m%d_%H%M%S' rename $bench/work/*.JPG"
)
fresh="rm -rf $bench/work && cp -al $bench/photos $bench/work"
cold="$fresh && sync && echo 3 > /proc/sys/vm/drop_caches"
caches=(warm)
if [ "$(id -u)" -eq 0 ] && (echo 3 >/proc/sys/vm/drop_caches) 2>/dev/null; then
    caches+=(cold)
else
    echo "cold cache: not measured (dropping the page cache needs root)"
fi

# One check first: each tool gives the names the dates say.
for tool in $tools; do
    eval "$fresh"
    eval "${command[$tool]}" >/dev/null
    case $tool in
    velmora | exiv2)
        first=$(ls "$bench/work" | sort | sed -n 1p)
        echo "$tool: first name $first, $(ls "$bench/work" | grep -c '^20240701_') of $n by date" ;;
    esac
done

for cache in "${caches[@]}"; do
    prepare=$fresh
    [ "$cache" = warm ] || prepare=$cold
    args=()
    for tool in $tools; do
        args+=(-n "$tool $cache" "${command[$tool]}")
    done
    hyperfine -w $([ "$cache" = warm ] && echo 1 || echo 0) -r "$runs" --prepare "$prepare" \
        --export-markdown "$bench/$cache.md" "${args[@]}" | grep -vE '^\s*$'
    cat "$bench/$cache.md"
done
rm -rf "$bench/work" "$bench/photos"
