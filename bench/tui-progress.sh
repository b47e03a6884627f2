#!/usr/bin/env bash
# The progress box's cost where a host draws it, as far2l does: velmora's terminal dialog (ncurses)
# in a tmux window of 100x30, N empty files renamed to IMG_%#.%E, timed from the Enter that presses
# OK to the end of the run (polled every 10 ms), fresh directory each run. One more run with a
# trace counts the progress boxes the plug-in asked for.
#   bench/tui-progress.sh BUILD_DIR [N] [RUNS]     (a build with the terminal dialog: VELMORA_TUI on)
set -euo pipefail
velmora=$(realpath "$1")/velmora
n=${2:-100000}
runs=${3:-5}
work=$(mktemp -d /var/tmp/velmora-tui-bench.XXXXXX)
socket=
tmx() { tmux -L "$socket" "$@"; }
trap 'rm -rf "$work"' EXIT

# until_true SECONDS COMMAND...: polls every 10 ms; gives up the whole benchmark after SECONDS.
until_true() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || { echo "timed out waiting for: $*" >&2; exit 1; }
        sleep 0.01
    done
}
dialog_shown() { tmx capture-pane -p -t bench 2>/dev/null | grep -q Cancel; }
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state

# run [EXTRA OPTION...]: one run; prints its seconds.
run() {
    rm -rf "$work/d" "$work/end"
    mkdir -p "$work/d"
    (cd "$work/d" && seq -f 'DSC_%06.0f.raw' 1 "$n" | xargs touch)
    # A server of its own for each run: one still shutting down must not meet the next client.
    socket=velmora-tui-bench-$$-$(date +%s%N)
    tmx new-session -d -s bench -x 100 -y 30 \
        "cd $work/d && $velmora --all --no-preview -m 'IMG_%#.%E' -s 1 --save-descriptions 0 $*; date +%s.%N >$work/end; sleep 600"
    until_true 60 dialog_shown
    local start
    start=$(date +%s.%N)
    tmx send-keys -t bench Enter
    until_true 600 test -s "$work/end"
    tmx kill-server
    python3 -c "print('%.3f' % ($(cat "$work/end") - $start))"
    [ "$(find "$work/d" -name 'DSC_*' | wc -l)" -eq 0 ] || echo "warning: files left unrenamed" >&2
}

times=()
for _ in $(seq "$runs"); do
    times+=("$(run)")
done
run --trace "$work/trace" >/dev/null
python3 - "$n" "$(grep -c '"buttons":0}' "$work/trace" || true)" "${times[@]}" <<'SUMMARY'
import statistics, sys
n, boxes, times = sys.argv[1], sys.argv[2], [float(t) for t in sys.argv[3:]]
print(f'N={n}: median {statistics.median(times):.3f} s, min {min(times):.3f}, max {max(times):.3f} '
      f'({len(times)} runs); {boxes} progress boxes a run')
SUMMARY
