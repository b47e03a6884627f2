#!/usr/bin/env bash
# Records the host calls of every whole run the end-to-end suites make, so that a change meant to
# keep behaviour can be checked call for call against the build before it:
#   bash scripts/compare-traces.sh build/default > before.txt   (on the old commit)
#   bash scripts/compare-traces.sh build/default > after.txt    (on the new one)
#   diff before.txt after.txt
# Temporary names and directories differ from run to run and are written as placeholders.
set -euo pipefail
build=${1:-build/default}
archive=$(mktemp)
trap 'rm -f "$archive"' EXIT
VELMORA_TRACE_ARCHIVE="$archive" "$build/tests/velmora_tests" \
    --gtest_filter='*E2e*:HostileInput*:Host*:FaultInjection*:Plugin*:Crash*' >/dev/null 2>&1 || true
sed -E -e 's#/tmp/velmora-test-[A-Za-z0-9]+#<tmp>#g' -e 's#VL[0-9A-F]+\.tmp#VL<n>.tmp#g' "$archive"
