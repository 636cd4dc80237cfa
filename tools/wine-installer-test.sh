#!/usr/bin/env bash
# The Windows installer under Wine, silently (/S), for the current user and for all users:
# it installs the programs, README, licence, uninstaller and a Start menu entry; the
# silent uninstall removes every file and folder it made, except a folder that holds the
# orvane.ini, orvane.cfg and DEBUG.OUT a user made, which stay. Run by tools/wine-tests.sh
# (WINEPREFIX and its server set up).
# Usage: tools/wine-installer-test.sh WINDOWS_BUILD_DIR
set -euo pipefail

win=$(realpath "$1")
wine=/usr/lib/wine/wine64
setup=$(ls "$win"/tarnwick-uploader-*-win64-setup.exe)
drive="$WINEPREFIX/drive_c"
key='Software\Tarnwick\Firmware Uploader'

# Files and folders of the prefix, less Wine's own and temporary ones.
list() { (cd "$drive" && find . -path ./windows -prune -o -path '*/Temp' -prune -o -print | sort); }
fail() { echo "installer: $*" >&2; exit 1; }

for mode in CurrentUser AllUsers; do
    hive=HKCU
    [ "$mode" = AllUsers ] && hive=HKLM
    before=$(list)
    "$wine" "$setup" /S "/$mode"
    made=$(comm -13 <(echo "$before") <(list))
    for file in tarnwick-uploader.exe tarnwick-uploader.com README.md LICENSE uninstall.exe \
        "Tarnwick Firmware Uploader.lnk"; do
        grep -q "/$file\$" <<<"$made" || fail "$mode: $file was not installed"
    done
    program=$(grep '/tarnwick-uploader.exe$' <<<"$made")
    # The folder the Start menu entry starts in takes what the user makes.
    work=$("$wine" reg query "$hive\\$key" /v WorkFolder | tr -d '\r' |
        sed -n 's/.*REG_SZ *//p')
    work=$("$wine" winepath -u "$work" | tr -d '\r')
    [ -d "$work" ] || fail "$mode: no working folder $work"
    for file in orvane.ini orvane.cfg DEBUG.OUT; do echo "user's" >"$work/$file"; done

    "$wine" "$drive/${program%/tarnwick-uploader.exe}/uninstall.exe" /S "/$mode"
    # The uninstaller runs on from a copy of itself: wait for it to finish.
    for _ in $(seq 300); do
        [ ! -e "$drive/$program" ] && ! "$wine" reg query "$hive\\$key" >/dev/null 2>&1 && break
        sleep 0.1
    done
    # The user's own program folder is the system's, even when the installer made it.
    left=$(comm -12 <(echo "$made") <(list) | grep -vx '\./users/[^/]*/AppData/Local/Programs' || true)
    expected=$(realpath --relative-to="$drive" "$work" | sed 's|^|./|')
    [ "$left" = "$expected" ] || fail "$mode: left behind: $(echo "$left" | tr '\n' ' ')"
    for file in orvane.ini orvane.cfg DEBUG.OUT; do
        [ -f "$work/$file" ] || fail "$mode: the user's $file went"
    done
    rm -rf "$work"
    echo "installer: $mode installed and uninstalled cleanly"
done
