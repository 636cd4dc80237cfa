#!/usr/bin/env bash
# Runs the Windows build's tests under Wine:
#   - every test program of the Windows build (the in-process suites), each whole;
#   - the serial conformance suite on COM1, a pseudo-terminal whose far end
#     tarnwick-serial-far-end (Linux build) serves;
#   - the program as a process (program_tests --gtest_filter='Wine*' of the Linux
#     build), tarnwick-uploader.com at a console's place, COM1 pointed at the receiver
#     simulator;
#   - the desktop, on an X server of Xvfb: the front-end conformance suite
#     (frontend_tests.exe), and the whole program from its desktop .exe (desktop_tests of
#     the Linux build) with screenshots; both sets, with the Linux desktop's, end up side
#     by side in WINDOWS_BUILD_DIR/screenshots;
#   - the installer, silently installed and uninstalled for the current user and for all
#     users: what it made is gone, what the user made stays.
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
if [ ! -f "$prefix/.tarnwick-desktop" ]; then
    # Without a window manager on the X server, Wine draws the windows' frames itself.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
    "$wineserver" -w >/dev/null 2>&1 || true
    touch "$prefix/.tarnwick-desktop"
fi

# One server for the whole run: each program starts faster.
"$wineserver" -p >/dev/null 2>&1 || true
far_end_pid=
xvfb_pid=
cleanup() {
    [ -n "$far_end_pid" ] && kill "$far_end_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
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
done < <(find "$win/tests" -name '*_tests.exe' ! -name frontend_tests.exe | sort)
kill "$far_end_pid" 2>/dev/null || true
far_end_pid=

echo "== program_tests Wine* (the Windows program as a process)"
if TARNWICK_WINE_EXE="$win/program/tarnwick-uploader.com" TARNWICK_WINE_COM1="$com1" \
    "$linux/tests/program/program_tests" --gtest_filter='Wine*' --gtest_brief=1; then
    passed=$((passed + 1))
else
    failed+=("program_tests Wine*")
fi

run() {  # NAME COMMAND...: one more passed or failed
    local name=$1
    shift
    echo "== $name"
    if "$@"; then passed=$((passed + 1)); else failed+=("$name"); fi
}

# The Windows desktop on Xvfb: bounded in time, so that a window that never shows
# fails the run instead of hanging it.
run_bounded() {
    local name=$1
    shift
    run "$name" timeout 300 "$@"
}

# Wine's desktop process draws on the display it was started with, and the server keeps
# it for the programs that follow. The runs before these had no display, and each desktop
# run brings its own: the server is ended first, so that the desktop starts on it.
restart_server() {
    "$wineserver" -k >/dev/null 2>&1 || true
    "$wineserver" -w >/dev/null 2>&1 || true
}

shots="$win/screenshots"
rm -rf "$shots" "$win/tests/frontend/screenshots"
mkdir -p "$shots"
# An X server for the conformance suite; the desktop tests of the Linux build start theirs.
rm -f "$work/display"
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp -noreset 9>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
restart_server
run_bounded "frontend_tests (Wine, Xvfb)" env DISPLAY=":$(head -n1 "$work/display")" \
    bash -c 'cd "$1/tests/frontend" && "$2" frontend_tests.exe --gtest_brief=1' _ "$win" "$wine"
kill "$xvfb_pid" 2>/dev/null || true
xvfb_pid=
restart_server
run_bounded "desktop_tests *win32 (the Windows desktop program)" env \
    TARNWICK_WINE_EXE="$win/program/tarnwick-uploader.exe" TARNWICK_WINE_COM1="$com1" \
    bash -c 'cd "$1" && "$2" --gtest_filter="*ProgramOnTheDesktop*win32" --gtest_brief=1' \
    _ "$win" "$linux/tests/desktop/desktop_tests"
# Side by side: every picture of both desktops, as PNG.
for picture in "$win"/tests/frontend/screenshots/*.bmp; do
    [ -f "$picture" ] && convert "$picture" -alpha off "$shots/$(basename "${picture%.bmp}").png"
done
cp "$linux"/tests/desktop/screenshots/linux-*.png "$shots"/ 2>/dev/null || true

run "installer (silent, both modes)" bash "$(dirname "$0")/wine-installer-test.sh" "$win"

echo "$passed passed, ${#failed[@]} failed"
if [ ${#failed[@]} -ne 0 ]; then
    echo "Failed under Wine: ${failed[*]}"
    exit 1
fi
