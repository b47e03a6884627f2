#!/usr/bin/env bash
# How soon the live preview's summary line reaches the end of a large selection after the last
# keystroke, where a host gives the dialog idle time as velmora's terminal dialog does: N empty
# files all selected, a tmux window of 100x30, one character typed into a field, then the time
# until the summary reads "N rename" (polled every 10 ms). Once with the template, once with a
# regular expression in the find field.
#   bench/tui-summary.sh BUILD_DIR [N] [RUNS]     (a build with the terminal dialog: VELMORA_TUI on)
# With TAKEN=1 the files are N photos with EXIF dates (BUILD_DIR/bench/velmora_bench_taken make:
# the release preset) and the text typed puts the date taken in front of the template
# ("%{taken:YYYYMMDD_hhmmss}_%#", sent at once); as root the page cache is dropped just before, so
# that every date is read from the disk after the last key. With MEDIA=DIR as well, the files are
# hard links to those of DIR (a phone's folder: bench/media-vs-exiftool.sh with MAKE_ONLY=1) and
# the text typed is "%{taken:YYYYMMDD_hhmmssfff}%{dup}".
set -euo pipefail
velmora=$(realpath "$1")/velmora
n=${2:-100000}
runs=${3:-5}
work=$(mktemp -d /var/tmp/velmora-tui-summary.XXXXXX)
socket=velmora-summary-$$
tmx() { tmux -L "$socket" "$@"; }
trap 'tmx kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state
mkdir -p "$work/d"
typed='%{taken:YYYYMMDD_hhmmss}_%#'
if [ -n "${MEDIA:-}" ]; then
    cp -al "$MEDIA"/. "$work/d"
    n=$(ls "$work/d" | wc -l)
    typed='%{taken:YYYYMMDD_hhmmssfff}%{dup}'
elif [ -n "${TAKEN:-}" ]; then
    "$(realpath "$1")/bench/velmora_bench_taken" make "$work/d" "$n" 2
else
    (cd "$work/d" && seq -f "DSC_%06.0f.raw" 1 "$n" | xargs touch)
fi

screen() { tmx capture-pane -p -t bench 2>/dev/null; }
# wait_for SECONDS TEXT: polls every 10 ms; prints the seconds it took, or fails.
wait_for() {
    local start=$EPOCHREALTIME
    local deadline=$((SECONDS + $1))
    until screen | grep -q -- "$2"; do
        ((SECONDS < deadline)) || { echo "timed out waiting for: $2" >&2; screen >&2; exit 1; }
        sleep 0.01
    done
    echo "$EPOCHREALTIME - $start" | bc
}

# one "OPTIONS": the dialog opened with them, the plan let finish (every file keeps its name), then
# "x" typed at the end of the template field (%N.%Ex renames every file) and timed until the
# summary has the whole batch.
one() {
    tmx new-session -d -s bench -x 100 -y 30 "cd '$work/d' && '$velmora' --all $1; sleep 600"
    wait_for 30 "Cancel" >/dev/null
    wait_for 60 "0 rename, $n keep" >/dev/null
    tmx send-keys -t bench End x
    wait_for 60 "$n rename, 0 keep"
    tmx send-keys -t bench Escape
    tmx kill-session -t bench
}
# "%{taken:YYYYMMDD_hhmmss}_%#" typed at the start of the template "%N.%E": every photo gets its
# date taken, read after the last key (from the disk, when the cache could be dropped).
taken() {
    tmx new-session -d -s bench -x 100 -y 30 "cd '$work/d' && '$velmora' --all -m %N.%E; sleep 600"
    wait_for 30 "Cancel" >/dev/null
    wait_for 60 "0 rename, $n keep" >/dev/null
    sync
    (echo 3 >/proc/sys/vm/drop_caches) 2>/dev/null || true
    tmx send-keys -t bench Home
    tmx send-keys -t bench -l "$typed"
    wait_for 60 "$n rename, 0 keep"
    tmx send-keys -t bench Escape
    tmx kill-session -t bench
}
if [ -n "${TAKEN:-}" ]; then
    cold=warm
    if (echo 3 >/proc/sys/vm/drop_caches) 2>/dev/null; then cold=cold; fi
    times=()
    for _ in $(seq 1 "$runs"); do times+=("$(taken)"); done
    printf 'taken (%s cache): %s s (median of %s: %s)\n' "$cold" "$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')" "$runs" "${times[*]}"
    exit 0
fi
# The find field's expression matches only once the "x" is typed.
# (The options are words of the shell tmux starts, quoted for it.)
for what in "-m %N.%E" "-m %N.%E -E -f '^DSC_(\\d+)\\.rawx\$' -r 'photo\$1'"; do
    times=()
    for _ in $(seq 1 "$runs"); do times+=("$(one "$what")"); done
    printf '%s: %s s (median of %s: %s)\n' "$what" "$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')" "$runs" "${times[*]}"
done
