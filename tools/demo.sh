#!/usr/bin/env bash
# Runs tarnwick-uploader against a simulated "Pathwick" receiver on a pseudo-terminal.
# At a terminal the program is yours to drive; further arguments go to it (--text for the
# terminal front end at a desktop). Without one (a pipe, /dev/null, CI) the demo drives
# itself through an automatic upload named by orvane.ini, compares what the simulated
# receiver programmed with the image, and exits 0 only when they are equal.
#
# Usage: demo.sh BUILD_DIR [UPLOADER_ARGUMENT]...
set -euo pipefail

build_dir=${1:-build}
shift || true
uploader=$(realpath "$build_dir/program/tarnwick-uploader")
simulator=$(realpath "$build_dir/tools/receiver-sim/tarnwick-receiver-sim")
sample_image=$(realpath "$build_dir/tools/sample-images/tarnwick-sample-image")
deadline_seconds=150  # well inside the three minutes the demo may take
stop_wait_tenths=50   # how long the simulator may take to write its flash file and go

command -v srec_cat >/dev/null ||
    { echo "demo: srec_cat is missing (Debian package srecord; make deps installs it)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-demo.XXXXXX")
sim_pid=
uploader_pid=

# The simulator leads its own session: Ctrl-C at the terminal is meant for the program,
# and must not end the receiver in the middle of an upload. So it is ended here, on every
# way out.
stop_simulator() {
    [ -n "$sim_pid" ] || return 0
    kill -TERM "$sim_pid" 2>/dev/null || true
    for ((i = 0; i < stop_wait_tenths; i++)); do
        kill -0 "$sim_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$sim_pid" 2>/dev/null && kill -KILL "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
}
cleanup() {
    if [ -n "$uploader_pid" ]; then
        kill -TERM "$uploader_pid" 2>/dev/null || true
        wait "$uploader_pid" 2>/dev/null || true
    fi
    stop_simulator
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
cd "$work"

# Sample images: program code for the Pathwick (product code 037) and a POI database.
"$sample_image" code --product 037 --size 48K -o pathwick-code.srec
"$sample_image" poi --size 16K -o pathwick-poi.bin

# Started in the background by a shell without job control, setsid is not a process group
# leader and so becomes the simulator itself: $! is the simulator's id. It prints its
# device path on its first line.
setsid "$simulator" --model Pathwick --flash-out flash.s3 --chatter 0 >simulator.out &
sim_pid=$!
device=
for ((i = 0; i < 100; i++)); do
    if [ "$(wc -l <simulator.out)" -ge 1 ]; then
        device=$(head -n 1 simulator.out)
        break
    fi
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$device" ] || { echo "demo: the simulator did not start" >&2; exit 1; }
export ORVANE_COM1=$device

# What the simulated receiver holds, against the code image: the bytes by address,
# whatever the record layout and start address of each file.
report_flash() {
    stop_simulator  # it writes its flash file once more as it ends
    if ! grep -q '^S3' flash.s3 2>/dev/null; then
        if [ -e DEBUG.OUT ]; then
            echo "demo: the upload wrote nothing into the simulated flash"
        else
            echo "demo: no upload was made"
        fi
        return 1
    fi
    if srec_cat pathwick-code.srec -o image.dump -hex_dump 2>/dev/null &&
        srec_cat flash.s3 -o flash.dump -hex_dump 2>/dev/null && cmp -s image.dump flash.dump; then
        echo "demo: the simulated flash equals the image pathwick-code.srec"
        return 0
    fi
    echo "demo: the simulated flash does NOT equal the image pathwick-code.srec"
    return 1
}

if [ -t 0 ]; then
    echo "demo: a simulated Pathwick is on COM1 ($device); images are in $work."
    echo "demo: choose 'Select Code File' and $work/pathwick-code.srec, then 'Upload'" \
        "and answer the questions; 'Exit' ends. At a terminal, type the commands."
    # Ctrl-C is the program's (it cancels the open dialog): the demo goes on after it.
    trap : INT
    "$uploader" "$@" || true
    trap 'exit 130' INT
    report_flash || true
    exit 0
fi

# No terminal: an automatic upload, answered by an agreeable user through a pipe.
printf '[Pathwick]\nCODE=%s\n\nMAP=\n       \n' "$work/pathwick-code.srec" >orvane.ini
coproc UPLOADER { exec "$uploader" --text 2>&1; }
uploader_pid=$UPLOADER_PID
# Our own copies: bash drops the coprocess's descriptors as soon as it ends.
exec {from_uploader}<&"${UPLOADER[0]}" {to_uploader}>&"${UPLOADER[1]}"
buffer=
answer_for() {  # the answer to the prompt that ends $buffer
    local prompt=${buffer##*$'\n'}
    if [ "$prompt" = "Command> " ]; then
        echo "Exit"
        return
    fi
    local buttons
    buttons=$(printf '%s\n' "$buffer" | grep '^Buttons: ' | tail -n 1 | sed 's/^Buttons: //')
    for choice in "Upload File" YES Yes OK; do
        case ", $buttons," in *", $choice,"*)
            echo "$choice"
            return
            ;;
        esac
    done
    echo "OK"
}
while :; do
    chunk=
    if ! IFS= read -r -d '' -t 0.3 -N 65536 chunk <&"$from_uploader"; then
        if [ -z "$chunk" ] && ! kill -0 "$uploader_pid" 2>/dev/null; then
            break
        fi
    fi
    if [ -n "$chunk" ]; then
        printf '%s' "$chunk"
        buffer+=$chunk
    fi
    if [[ $buffer == *"> " ]]; then
        answer=$(answer_for)
        echo "$answer" >&"$to_uploader" || true
        buffer=
    fi
    if [ "$SECONDS" -ge "$deadline_seconds" ]; then
        echo
        echo "demo: the upload did not finish within $deadline_seconds seconds" >&2
        exit 1
    fi
done
status=0
wait "$uploader_pid" || status=$?
uploader_pid=
echo
echo "demo: tarnwick-uploader exited with status $status"
report_flash && [ "$status" -eq 0 ]
