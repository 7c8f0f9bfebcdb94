#!/usr/bin/env bash
# Runs every fuzz target of BUILD_DIR for SECONDS each, one after the other, on a copy of its
# seed corpus (the repository's corpus is never written). Stops at the first finding.
# usage: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
set -euo pipefail
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for bin in "$build"/fuzz/fuzz_*; do targets+=("$(basename "$bin" | sed 's/^fuzz_//')"); done
fi
# Longest inputs per target: a whole 92-block capture for analyze, a few periods of samples.
max_len() {
    case $1 in
        analyze) echo 94208 ;;
        samples) echo 4096 ;;
        report_template) echo 16384 ;;
        log_block) echo 27002 ;;
        *) echo 512 ;;
    esac
}
for t in "${targets[@]}"; do
    work="$build/fuzz-corpus/$t"
    mkdir -p "$work" "$build/fuzz-findings/$t"
    echo "== fuzz_$t for ${seconds}s"
    "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" -jobs=1 \
        -close_fd_mask=3 -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/fuzz-findings/$t/" "$work" "$here/corpus/$t"
done
