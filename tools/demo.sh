#!/usr/bin/env bash
# Runs tarnwick-uploader against a simulated "Pathwick" receiver on a pseudo-terminal.
# At a terminal the program is yours to drive. Without one (a pipe, /dev/null, CI) the
# demo drives itself through an automatic upload named by orvane.ini, compares what the
# simulated receiver programmed with the image, and exits 0 only when they are equal.
set -euo pipefail

build_dir=${1:-build}
uploader=$(realpath "$build_dir/program/tarnwick-uploader")
simulator=$(realpath "$build_dir/tools/receiver-sim/tarnwick-receiver-sim")
sample_image=$(realpath "$build_dir/tools/sample-images/tarnwick-sample-image")
deadline_seconds=150  # well inside the three minutes the demo may take

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-demo.XXXXXX")
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work"

# Sample images: program code for the Pathwick (product code 037) and a POI database.
"$sample_image" code --product 037 --size 48K -o pathwick-code.srec
"$sample_image" poi --size 16K -o pathwick-poi.bin

# The simulator prints its device path on its first line.
coproc SIM { exec "$simulator" --model Pathwick --flash-out flash.s3 --chatter 0; }
sim_pid=$SIM_PID
read -r -t 10 device <&"${SIM[0]}" || { echo "demo: the simulator did not start" >&2; exit 1; }
export ORVANE_COM1=$device

compare_flash() {
    kill -TERM "$sim_pid"
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=
    # The bytes by address, whatever the record layout and start address of each file.
    if [ -s flash.s3 ] && srec_cat pathwick-code.srec -o image.dump -hex_dump 2>/dev/null &&
        srec_cat flash.s3 -o flash.dump -hex_dump 2>/dev/null && cmp -s image.dump flash.dump; then
        echo "demo: the simulated flash equals the image pathwick-code.srec"
        return 0
    fi
    echo "demo: the simulated flash does NOT equal the image pathwick-code.srec"
    return 1
}

if [ -t 0 ]; then
    echo "demo: a simulated Pathwick is on COM1 ($device); images are in $work. Type" \
        "'Select Code File', then $work/pathwick-code.srec, then 'Upload' and answer the questions; 'Exit' ends."
    "$uploader" || true
    compare_flash || true
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
        kill "$uploader_pid" 2>/dev/null || true
        exit 1
    fi
done
status=0
wait "$uploader_pid" || status=$?
echo
echo "demo: tarnwick-uploader exited with status $status"
compare_flash && [ "$status" -eq 0 ]
