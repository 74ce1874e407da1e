#!/bin/sh
# A flood of 80-byte lines into the chat window on a virtual X server, beside
# what a user might use instead: urxvt showing `nc -l`, and the same flood
# into `nc -l >/dev/null`, which shows nothing (the ceiling). Each is
# measured in this run; the ratios are against urxvt. The lines are numbered,
# so that the window can check the end of the flood it shows.
#   bench/window-flood.sh PROBE [MEGABYTES]
set -eu
probe=$1
megabytes=${2:-300}
for tool in Xvfb nc; do
    if ! command -v $tool >/dev/null; then
        echo "window flood: skipped, $tool is not installed (xvfb, netcat-openbsd)"
        exit 0
    fi
done
work=$(mktemp -d)
display=:$((90 + $$ % 100))
cleanup() {
    kill $(jobs -p) 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM
Xvfb $display -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

lines=$((megabytes * 1024 * 1024 / 80))
seq -f '%078.0f' 1 $lines | sed 's/$/\r/' > "$work/flood"
bytes=$(stat -c %s "$work/flood")
port=$((20000 + $$ % 20000))

# Sends the flood to whatever listens on the port; prints MB/s.
send() {
    for _ in $(seq 100); do
        start=$(date +%s%N)
        nc -N 127.0.0.1 $port < "$work/flood" >/dev/null 2>&1 && break
        sleep 0.05
    done
    end=$(date +%s%N)
    echo "$bytes $start $end" | awk '{printf "%.1f", $1 / 1e6 / (($3 - $2) / 1e9)}'
}

peak() { awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' /proc/$1/status; }

report() {
    printf '%-44s %8s MB/s  peak %6s MiB' "$1" "$2" "$3"
    [ -n "${4:-}" ] && printf '    ratio %5s' "$(echo "$2 $4" | awk '{printf "%.2f", $1 / $2}')"
    echo
}

null_rate=$( (nc -l 127.0.0.1 $port >/dev/null &) ; send )

urxvt_rate="" urxvt_peak=""
if command -v urxvt >/dev/null; then
    urxvt -hold -geometry 80x24 -e nc -l 127.0.0.1 $port &
    urxvt=$!
    urxvt_rate=$(send)
    urxvt_peak=$(peak $urxvt)
    kill $urxvt
fi

nc -N -l 127.0.0.1 $port < "$work/flood" > /dev/null &
sender=$!
set -- $(QT_QPA_PLATFORM=xcb "$probe" flood $port $lines)
wait $sender || true

echo "window flood of $megabytes MB in 80-byte lines, on a virtual X server:"
report "nc -l >/dev/null (no window, the ceiling)" "$null_rate" "-"
[ -n "$urxvt_rate" ] && report "urxvt showing nc -l" "$urxvt_rate" "$urxvt_peak"
report "Brindlet's chat window" "$1" "$2" "$urxvt_rate"
echo "    (what the transcript holds at the end, against what was sent: $3)"
