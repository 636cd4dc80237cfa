#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build folder for a number of seconds each, from its
# corpus (seeded by tarnwick-fuzz-seeds, grown by earlier runs), and prints one summary
# line per target. Fails when a target finds a crash; the input is left in <build>/crashes.
#
#   tools/run-fuzz.sh <build folder> <seconds per target> [target...]
set -uo pipefail
build=$(realpath "$1")
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_command_replies fuzz_image_reader
    fuzz_auto_upload_file fuzz_settings_file fuzz_map_info fuzz_flash_loader)

corpus="$build/corpus"
crashes="$build/crashes"
logs="$build/fuzz-logs"
mkdir -p "$corpus" "$crashes" "$logs"
"$build/tests/fuzz/tarnwick-fuzz-seeds" "$corpus" || exit 1

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for target in "${targets[@]}"; do
    log="$logs/$target.log"
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -len_control=0 \
        -print_final_stats=1 -artifact_prefix="$crashes/$target-" \
        "$corpus/$target" >"$log" 2>&1
    status=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    cov=$(grep -oE '(DONE|pulse|NEW|REDUCE|INITED) +cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 |
        grep -oE 'cov: [0-9]+ ft: [0-9]+')
    if [ $status -eq 0 ]; then
        echo "fuzz $target: ${runs:-0} runs, ${cov:-no coverage line}, 0 crashes"
    else
        failed=1
        echo "fuzz $target: FAILED (exit $status) after ${runs:-?} runs; log $log"
        tail -40 "$log"
    fi
done
exit $failed
