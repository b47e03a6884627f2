#!/usr/bin/env bash
# Batch-rename benchmark: velmora against the floor (stat + rename per file, bench/floor.c), Debian's
# perl `rename` and `mmv`, on N empty files in one directory. Wall time of RUNS rounds, each tool
# once a round (hyperfine; a fresh directory before each run, not timed): median, minimum and
# maximum, and the ratio to the floor on the minimum (the machine is shared: the fastest run is
# the one least disturbed). Then
# the figures no noisy machine can blur: peak memory (/usr/bin/time) per file, and system calls
# (strace -c) per file and per run. Benchmark-only tools are installed with apt-get when missing.
#
#   bench/run.sh                                   # N = 1000 10000 100000, 5 runs each
#   SIZES="10000" RUNS=3 bench/run.sh
#   SIZES=1000000 RUNS=1 TOOLS="velmora mmv" STRACE_MAX=0 bench/run.sh   # ~4 min per fresh directory here
#   TOOLS="velmora-tty velmora-progress" SIZES=100000 bench/run.sh   # the progress line's cost
#   VELMORA_BEFORE=<dir> TOOLS="velmora-tty velmora-progress velmora-before-tty velmora-before-progress" \
#       SIZES=100000 bench/run.sh                  # the same for an older build too, and its boxes
#
# Environment: BENCH_DIR (scratch directory on the disk to measure; default
# /var/tmp/velmora-bench-<name of this checkout>),
# VELMORA_BUILD (a build directory with velmora and its plug-in; default: build/bench, built here),
# TOOLS (which of: floor velmora velmora-list velmora-desc velmora-desc-ru perl-rename mmv,
# velmora-img and velmora-mdate (the templates IMG_%# and %{mdate:YYYYMMDD_hhmmss}_%#), and
# velmora-before;
# default all but velmora-before; floor always runs), VELMORA_BEFORE (a build directory of an
# older velmora: tool velmora-before runs it as velmora runs, and velmora-before-tty and
# velmora-before-progress as velmora-tty and velmora-progress, for before/after figures from one
# sitting), STRACE_MAX (the largest N counted under strace, which slows a run tenfold;
# default 100000).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

sizes=${SIZES:-"1000 10000 100000"}
runs=${RUNS:-5}
strace_max=${STRACE_MAX:-100000}
# One scratch directory per checkout: the script empties it first, and another checkout's run on
# the same machine must not lose its results to this one.
bench=${BENCH_DIR:-/var/tmp/velmora-bench-$(basename "$root")}
build=${VELMORA_BUILD:-$root/build/bench}

need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
command -v mmv >/dev/null || need+=(mmv)
[ -x /usr/bin/file-rename ] || need+=(rename)
[ -x /usr/bin/time ] || need+=(time)
command -v strace >/dev/null || need+=(strace)
if [ ${#need[@]} -gt 0 ]; then
    sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
    $sudo apt-get install -y "${need[@]}" >/dev/null
fi

# Built (or brought up to date) every time: a build left from older sources would measure them.
if [ -z "${VELMORA_BUILD:-}" ]; then
    [ -f "$build/CMakeCache.txt" ] ||
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_TUI=OFF >/dev/null
    cmake --build "$build" --target velmora Velmora -j2 >/dev/null
fi
velmora=$build/velmora

rm -rf "$bench"
mkdir -p "$bench/config" "$bench/results"
cc -O2 -o "$bench/floor" bench/floor.c
fstype=$(stat -f -c %T "$bench")
echo "scratch directory $bench on $fstype ($(df -P "$bench" | awk 'NR==2 {print $1}'))"

# Makes $bench/d/<N> afresh: N empty files DSC_000001.raw..., the selection list and, with "desc",
# a description for every file.
cat >"$bench/make.sh" <<'MAKE'
#!/usr/bin/env bash
set -e
n=$1; dir=$2; desc=${3:-}
# Six digits at least, seven from a million on (%g would turn 1000000 into 1e+06).
width=$(( ${#n} > 6 ? ${#n} : 6 ))
rm -rf "$dir"; mkdir -p "$dir"; cd "$dir"
seq -f "DSC_%0${width}.0f.raw" 1 "$n" >../list.$n
xargs touch <../list.$n
if [ "$desc" = desc ]; then
    awk '{printf "%s picture %d of the holiday, with a description of ordinary length\r\n", $0, NR}' \
        ../list.$n >Descript.ion
elif [ "$desc" = desc-ru ]; then
    # Cyrillic, in UTF-8 without a mark, as Linux tools write it.
    awk '{printf "%s снимок %d из отпуска, с описанием обычной длины\r\n", $0, NR}' ../list.$n >Descript.ion
fi
MAKE
chmod +x "$bench/make.sh"

export XDG_CONFIG_HOME=$bench/config XDG_STATE_HOME=$bench/state
mask='IMG_%#.%E'
vel="$velmora --yes --mask '$mask' --start 1"
before="${VELMORA_BEFORE:-/nonexistent}/velmora --yes --mask '$mask' --start 1"
# The same job for perl rename: the counter is the old name's digits. xargs keeps the argument
# list within the system's limit at 100,000 names.
read -r -d '' perl_rename <<'PERL' || true
find . -maxdepth 1 -name 'DSC_*.raw' -printf '%f\0' | xargs -0 rename 's/^DSC_(\d+)\.raw$/sprintf("IMG_%06d.raw",$1)/e'
PERL
declare -A commands=(
    [floor]="$bench/floor <../list.\$N"
    [velmora]="$vel --all --save-descriptions 0"
    [velmora-before]="$before --all --save-descriptions 0"
    [velmora-list]="$vel --select-from ../list.\$N --save-descriptions 0"
    [velmora-desc]="$vel --select-from ../list.\$N --save-descriptions 1 --columns N,Z"
    [velmora-desc-ru]="$vel --select-from ../list.\$N --save-descriptions 1 --columns N,Z"
    [perl-rename]="$perl_rename"
    [mmv]="mmv 'DSC_*.raw' 'IMG_#1.raw'"
    # A template with the panel's modified time beside one of plain text and the counter alone.
    [velmora-img]="$velmora --yes --mask 'IMG_%#' --start 1 --all --save-descriptions 0"
    [velmora-mdate]="$velmora --yes --mask '%{mdate:YYYYMMDD_hhmmss}_%#' --start 1 --all --save-descriptions 0"
    # On a terminal (script(1) gives one): the progress line drawn on it, and the same run with
    # standard error sent away, so that the difference is the line's own cost.
    [velmora-progress]="script -qec \"$vel --all --save-descriptions 0\" /dev/null"
    [velmora-tty]="script -qec \"$vel --all --save-descriptions 0 2>/dev/null\" /dev/null"
    [velmora-before-progress]="script -qec \"$before --all --save-descriptions 0\" /dev/null"
    [velmora-before-tty]="script -qec \"$before --all --save-descriptions 0 2>/dev/null\" /dev/null"
)
# The runs whose progress boxes are counted, as their tools run them inside script(1).
declare -A traced=(
    [velmora-progress]="$vel --all --save-descriptions 0"
    [velmora-before-progress]="$before --all --save-descriptions 0"
)
# The description file a tool's directory gets: none, ASCII (desc) or Cyrillic (desc-ru).
DescriptionsOf() {
    case $1 in
        velmora-desc) echo desc ;;
        velmora-desc-ru) echo desc-ru ;;
    esac
}
order="floor"
for tool in ${TOOLS:-velmora velmora-list velmora-desc perl-rename mmv}; do
    [ -n "${commands[$tool]:-}" ] || { echo "unknown tool $tool" >&2; exit 2; }
    [ "$tool" = floor ] || order+=" $tool"
done

# Counts the system calls of one run (strace -c -f, the tool's children included) into
# $bench/results/strace-<tool>-<N>.txt and prints per file: stat-family, rename-family, all
# calls; per run: fsync-family calls.
count_calls() {
    local tool=$1 n=$2 cmd=$3 out=$bench/results/strace-$1-$2.txt
    (cd "$bench/d/$n" && strace -f -c -o "$out" bash -c "$cmd >/dev/null 2>&1")
    python3 - "$out" "$n" "$tool" <<'COUNT'
import re, sys
path, n, tool = sys.argv[1], int(sys.argv[2]), sys.argv[3]
calls = {}
for line in open(path):
    fields = line.split()
    # "% time seconds usecs/call calls [errors] syscall"
    if len(fields) >= 5 and re.match(r'^[0-9.]+$', fields[0]) and fields[-1] != 'total':
        calls[fields[-1]] = calls.get(fields[-1], 0) + int(fields[3])
stat = sum(v for k, v in calls.items() if re.fullmatch(r'(new)?f?stat(at)?(64)?|l?stat(64)?|statx', k))
rename = sum(v for k, v in calls.items() if k.startswith('rename') or k in ('link', 'linkat'))
fsync = sum(v for k, v in calls.items() if k in ('fsync', 'fdatasync', 'sync_file_range', 'syncfs'))
total = sum(calls.values())
print(f'| {n} | {tool} | {stat / n:.3f} | {rename / n:.3f} | {total / n:.3f} | {fsync} | {total} |')
COUNT
}

printf '| N | tool | median s | min s | max s | x floor (min) | peak RSS KiB | bytes/file |\n'
printf '|---|---|---|---|---|---|---|---|\n'
calls_table=$bench/results/calls.md
printf '| N | tool | stat-family / file | rename-family / file | all calls / file | fsyncs / run | all calls |\n|---|---|---|---|---|---|---|\n' >"$calls_table"
boxes_table=$bench/results/boxes.md
printf '| N | tool | progress boxes / run |\n|---|---|---|\n' >"$boxes_table"
for n in $sizes; do
    dir=$bench/d/$n
    declare -A median=() fastest=()
    # Round by round, every tool once a round: a machine that gets busier or quieter meanwhile
    # weighs on all of them alike.
    for round in $(seq "$runs"); do
        for tool in $order; do
            desc=$(DescriptionsOf "$tool")
            cmd=${commands[$tool]//\$N/$n}
            hyperfine --runs 1 --style none --export-json "$bench/results/$tool-$n-$round.json" \
                --prepare "$bench/make.sh $n $dir $desc" "cd $dir && $cmd >/dev/null 2>&1" >/dev/null
            # Nothing may be left under the old names.
            left=$(find "$dir" -maxdepth 1 -name 'DSC_*' | wc -l)
            [ "$left" -eq 0 ] || echo "warning: $tool left $left files unrenamed at N=$n" >&2
        done
    done
    for tool in $order; do
        desc=$(DescriptionsOf "$tool")
        cmd=${commands[$tool]//\$N/$n}
        # Peak memory from one more run of its own.
        "$bench/make.sh" "$n" "$dir" $desc
        rss=$( (cd "$dir" && /usr/bin/time -f '%M' bash -c "$cmd >/dev/null 2>&1") 2>&1 | tail -1)
        # The progress boxes the plug-in asked the host for (Message calls without buttons), from
        # the trace of one more run on a terminal.
        if [ -n "${traced[$tool]:-}" ]; then
            "$bench/make.sh" "$n" "$dir"
            trace=$bench/results/trace-$tool-$n.jsonl
            (cd "$dir" && script -qec "${traced[$tool]} --trace $trace" /dev/null >/dev/null 2>&1) || true
            printf '| %s | %s | %s |\n' "$n" "$tool" "$(grep -c '"buttons":0}' "$trace" || true)" >>"$boxes_table"
        fi
        if [ "$n" -le "$strace_max" ]; then
            "$bench/make.sh" "$n" "$dir" $desc
            count_calls "$tool" "$n" "$cmd" >>"$calls_table"
        fi
        read -r med lo hi < <(python3 - "$bench/results" "$tool" "$n" <<'TIMES'
import glob, json, statistics, sys
folder, tool, n = sys.argv[1:]
times = [json.load(open(f))['results'][0]['mean'] for f in glob.glob(f'{folder}/{tool}-{n}-*.json')]
print(statistics.median(times), min(times), max(times))
TIMES
)
        median[$tool]=$med
        fastest[$tool]=$lo
        ratio=$(python3 -c "print('%.2f' % ($lo / ${fastest[floor]}))")
        perfile=$([ "$tool" = floor ] && echo "-" || echo $(( (rss * 1024) / n )))
        printf '| %s | %s | %.3f | %.3f | %.3f | %s | %s | %s |\n' "$n" "$tool" "$med" "$lo" "$hi" "$ratio" "$rss" "$perfile"
    done
    if [ -n "${median[velmora-desc]:-}" ] && [ -n "${median[velmora-list]:-}" ]; then
        share=$(python3 -c "print('%.0f%%' % (100 * (${median[velmora-desc]} - ${median[velmora-list]}) / ${median[velmora-list]}))")
        echo "| $n | descriptions add | $share of the run without them (medians) | | | | | |"
    fi
    if [ -n "${median[velmora-desc-ru]:-}" ] && [ -n "${median[velmora-list]:-}" ]; then
        share=$(python3 -c "print('%.0f%%' % (100 * (${median[velmora-desc-ru]} - ${median[velmora-list]}) / ${median[velmora-list]}))")
        echo "| $n | Cyrillic descriptions add | $share of the run without them (medians) | | | | | |"
    fi
    for prefix in velmora velmora-before; do
        if [ -n "${median[$prefix-progress]:-}" ] && [ -n "${median[$prefix-tty]:-}" ]; then
            share=$(python3 -c "print('%.1f%%' % (100 * (${median[$prefix-progress]} - ${median[$prefix-tty]}) / ${median[$prefix-tty]}))")
            echo "| $n | $prefix: the progress line adds | $share of the run on a terminal without it | | | | | |"
        fi
    done
    unset median fastest
    rm -rf "$dir"
done
echo
echo "System calls (strace -c -f, one run each):"
echo
cat "$calls_table"
if [ "$(wc -l <"$boxes_table")" -gt 2 ]; then
    echo
    echo "Progress boxes (Message calls without buttons in the trace of one run on a terminal):"
    echo
    cat "$boxes_table"
fi
