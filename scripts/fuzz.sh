#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan/UBSan) in build/fuzz and runs each one for a
# bounded time from its committed corpus. FUZZ_SECONDS (default 30) sets the time per target;
# FUZZ_TARGETS (space-separated, e.g. "Lng ExpandTemplate") picks targets. A crash stops the
# script with the reproducer's path; turn it into a regression test in tests/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
build=build/fuzz

if ! command -v clang++ >/dev/null; then
    echo "fuzz.sh: clang++ is missing (apt-get install clang libclang-rt-14-dev)" >&2
    exit 1
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DVELMORA_FUZZ=ON -DVELMORA_WERROR=ON -DVELMORA_TESTS=OFF -DVELMORA_TUI=OFF >/dev/null
cmake --build "$build" --target velmora_fuzz -j2

targets=${FUZZ_TARGETS:-$(cd "$build/fuzz" && ls fuzz_* | sed 's/^fuzz_//')}
status=0
for target in $targets; do
    corpus=fuzz/corpus/$target
    # New inputs go to a scratch corpus so the committed one stays small and reviewed.
    work=$build/corpus/$target
    artifacts=$build/artifacts/$target/
    mkdir -p "$work" "$artifacts" "$corpus"
    echo "==> fuzz_$target for ${seconds}s"
    if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$artifacts" "$work" "$corpus" \
        2>"$build/fuzz_$target.log"; then
        echo "fuzz_$target FAILED; reproducer(s) in $artifacts, log in $build/fuzz_$target.log" >&2
        tail -40 "$build/fuzz_$target.log" >&2
        status=1
    else
        grep -E '^stat::number_of_executed_units|^Done' "$build/fuzz_$target.log" | tr '\n' ' '
        echo
    fi
done
exit $status
