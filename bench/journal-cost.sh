#!/usr/bin/env bash
# The undo journal's cost: the plug-in's run through velmora with the journal (WITH, a Release
# build of this tree) and without it (WITHOUT, a Release build of the same sources whose
# RunJournal::Begin returns false), alternating A/B, each on a fresh directory of N empty files
# (bench/run.sh's make.sh, which bench/run.sh leaves in BENCH_DIR). Prints median and minimum wall,
# user and system time (/usr/bin/time) and the ratios.
#
#   WITH=build/bench WITHOUT=/tmp/nojournal/build/bench N=100000 ROUNDS=11 bench/journal-cost.sh
#   DESC=desc ... bench/journal-cost.sh        # with a description file, saved
#   WITH=build/bench WITHOUT=build/bench DESC=desc-ru SAVE_B=0 bench/journal-cost.sh
#                                              # descriptions' own cost: the same panel (the host
#                                              # reads and shows them), B only not saving them
#   WITH=build/bench WITHOUT=build/bench EXTRA_A="--find _ --replace -" bench/journal-cost.sh
#                                              # any answers' cost: A alone gets EXTRA_A (the steps
#                                              # after the template, say), same build, same panel
set -euo pipefail
bench=${BENCH_DIR:-/var/tmp/velmora-bench-$(basename "$(cd "$(dirname "$0")/.." && pwd)")}
export XDG_CONFIG_HOME=$bench/config XDG_STATE_HOME=$bench/state
n=${N:-100000}; rounds=${ROUNDS:-11}; desc=${DESC:-}; save_b=${SAVE_B:-1}; extra_a=${EXTRA_A:-}
A=${WITH:?a build with the journal}/velmora
B=${WITHOUT:?a build without it}/velmora
args="--yes --mask IMG_%#.%E --start 1 --select-from ../list.$n"
if [ -n "$desc" ]; then args_a="$args --save-descriptions 1 --columns N,Z"; args_b="$args --save-descriptions $save_b --columns N,Z"
else args_a="$args --save-descriptions 0"; args_b=$args_a; fi
args_a="$args_a $extra_a"
out=$bench/results/journal-$n${desc:+-$desc}.txt
mkdir -p "$bench/results"; : >"$out"
for r in $(seq 1 "$rounds"); do
    for v in A B; do
        # Every other round the other one first.
        [ $((r % 2)) -eq 0 ] && v=$([ $v = A ] && echo B || echo A)
        bin=${!v}; args_v=args_${v,,}
        "$bench/make.sh" "$n" "$bench/d/$n" "$desc" >/dev/null
        rm -rf "$bench/state"
        sync
        (cd "$bench/d/$n" && /usr/bin/time -o "$bench/t" -f "%e %U %S" $bin ${!args_v} >/dev/null 2>/dev/null) || true
        echo "$v $(tail -1 "$bench/t")" >>"$out"
    done
done
python3 - "$out" <<'PY'
import sys, statistics
rows = {}
for line in open(sys.argv[1]):
    v, e, u, s = line.split()
    rows.setdefault(v, []).append((float(e), float(u), float(s)))
for v, name in (("A", "A (with)"), ("B", "B (without)")):
    r = rows[v]
    print("%-12s wall median %.3f min %.3f | user median %.3f | sys median %.3f | user+sys median %.3f" % (
        name, statistics.median(x[0] for x in r), min(x[0] for x in r), statistics.median(x[1] for x in r),
        statistics.median(x[2] for x in r), statistics.median(x[1] + x[2] for x in r)))
a, b = rows["A"], rows["B"]
print("with/without: wall median %.3f, wall min %.3f, user+sys median %.3f" % (
    statistics.median(x[0] for x in a) / statistics.median(x[0] for x in b),
    min(x[0] for x in a) / min(x[0] for x in b),
    statistics.median(x[1] + x[2] for x in a) / statistics.median(x[1] + x[2] for x in b)))
PY
