#!/usr/bin/env bash
# Runs the Windows build's tests under Wine:
#   - every test program of the Windows build (the in-process suites), each whole;
#   - the serial conformance suite on COM1, a pseudo-terminal whose far end
#     tarnwick-serial-far-end (Linux build) serves;
#   - the program as a process (program_tests --gtest_filter='Wine*' of the Linux
#     build), COM1 pointed at the receiver simulator.
# Usage: tools/wine-tests.sh WINDOWS_BUILD_DIR LINUX_BUILD_DIR [--bench]
# With --bench it runs the Linux build's benches instead, the Windows program ready for
# them under Wine (make bench).
set -euo pipefail

win=$(realpath "$1")
linux=$(realpath "$2")
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
work="$win/wine"
prefix="$work/prefix"
com1="$work/com1"
export WINEDEBUG=-all WINEPREFIX="$prefix"
# No installer of the .NET or HTML runtimes is offered in a new prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$work"
if [ ! -f "$prefix/.tarnwick-ready" ]; then
    rm -rf "$prefix"
    echo "Creating the Wine prefix $prefix"
    "$wine" wineboot -i >/dev/null 2>&1
    # COM1 is a link the tests point at a pseudo-terminal; COM2 to COM4 do not exist.
    "$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$com1" /f >/dev/null
    for n in 2 3 4; do
        "$wine" reg add 'HKLM\Software\Wine\Ports' /v "COM$n" /t REG_SZ /d "" /f >/dev/null
    done
    "$wineserver" -w >/dev/null 2>&1 || true
    touch "$prefix/.tarnwick-ready"
fi

# One server for the whole run: each program starts faster.
"$wineserver" -p >/dev/null 2>&1 || true
far_end_pid=
cleanup() {
    [ -n "$far_end_pid" ] && kill "$far_end_pid" 2>/dev/null || true
    "$wineserver" -k >/dev/null 2>&1 || true
}
trap cleanup EXIT

if [ "${3:-}" = "--bench" ]; then
    export TARNWICK_WINE_EXE="$win/program/tarnwick-uploader.exe" TARNWICK_WINE_COM1="$com1"
    for bench in "$linux"/tools/bench-*; do
        [ -x "$bench" ] && "$bench"
    done
    exit 0
fi

# The far end of COM1 for the serial conformance suite.
coproc FAR_END { exec "$linux/tools/serial-far-end/tarnwick-serial-far-end" "$com1"; }
far_end_pid=$FAR_END_PID
read -r port <&"${FAR_END[0]}"

failed=()
passed=0
while IFS= read -r test; do
    name=$(basename "$test" .exe)
    echo "== $name (Wine)"
    if (cd "$(dirname "$test")" && TARNWICK_FAR_END=$port "$wine" "$test" --gtest_brief=1); then
        passed=$((passed + 1))
    else
        failed+=("$name")
    fi
done < <(find "$win/tests" -name '*_tests.exe' | sort)
kill "$far_end_pid" 2>/dev/null || true
far_end_pid=

echo "== program_tests Wine* (the Windows program as a process)"
if TARNWICK_WINE_EXE="$win/program/tarnwick-uploader.exe" TARNWICK_WINE_COM1="$com1" \
    "$linux/tests/program/program_tests" --gtest_filter='Wine*' --gtest_brief=1; then
    passed=$((passed + 1))
else
    failed+=("program_tests Wine*")
fi

echo "$passed passed, ${#failed[@]} failed"
if [ ${#failed[@]} -ne 0 ]; then
    echo "Failed under Wine: ${failed[*]}"
    exit 1
fi
