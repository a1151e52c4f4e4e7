#!/usr/bin/env bash
# Resident memory and CPU time of the running supervisor over one minute of weight polling,
# beside a minimal Qt tray program measured in the same run and under the same display.
#
# usage: bench/supervisor_footprint.sh [BUILD_DIR]   (default build/release; needs the
#        veskCommStartup, veskComm.exe and minimal_tray targets built)
# With Xvfb and trayer installed both programs dock into a virtual tray; otherwise they run
# on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/release}"
tray_bin="$build/bench/minimal_tray"
[ -x "$tray_bin" ] || { echo "build the minimal_tray target in $build first" >&2; exit 1; }

work="$(mktemp -d)"
station="$work/station"
pids=()
cleanup() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/exe" 2>/dev/null)" = "$station/veskComm.exe" ] && kill "${p#/proc/}"
    done
    rm -rf "$work"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$station" >/dev/null
mkdir -p "$station/bin"
printf '[veskComm]\r\nCommEnable=1\r\nCommTimer=1\r\n' >"$station/bin/AutoRunConfig.ini"

if command -v Xvfb >/dev/null && command -v trayer >/dev/null; then
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$work/display")"
    unset QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
    trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel \
        --height 32 --SetDockType false >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
    where="Xvfb with trayer"
else
    export QT_QPA_PLATFORM=offscreen
    where="offscreen"
fi
export LSAN_OPTIONS="suppressions=$PWD/tests/e2e/lsan.supp"

"$station/veskCommStartup" >/dev/null 2>&1 &
supervisor=$!
pids+=($supervisor)
"$tray_bin" >/dev/null 2>&1 &
minimal=$!
pids+=($minimal)

ticks="$(getconf CLK_TCK)"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
kib() { awk -v key="$2:" '$1 == key {print $2}' "/proc/$1/status"; }

echo "Waiting for the first watchdog tick to switch weight polling on (about 30 s)..."
weights() { cat "$station"/Log/Debug/*/*/veskCommLogStartup_*.txt 2>/dev/null | wc -l; }
for _ in $(seq 600); do [ "$(weights)" -gt 0 ] && break; sleep 0.1; done
[ "$(weights)" -gt 0 ] || { echo "no weight was read; is veskComm.exe installed?" >&2; exit 1; }

sup_cpu0="$(cpu_ticks "$supervisor")"
min_cpu0="$(cpu_ticks "$minimal")"
reads0="$(weights)"
echo "Polling for 60 s..."
sleep 60
sup_cpu1="$(cpu_ticks "$supervisor")"
min_cpu1="$(cpu_ticks "$minimal")"
reads=$(($(weights) - reads0))

row() {  # name pid cpu0 cpu1
    printf '%-16s %10s %10s %14s\n' "$1" "$(kib "$2" VmRSS)" "$(kib "$2" VmHWM)" \
        "$(awk -v a="$3" -v b="$4" -v t="$ticks" 'BEGIN {printf "%.2f", (b - a) / t}')"
}
echo
echo "Display: $where; $reads weight reads in the minute"
printf '%-16s %10s %10s %14s\n' program "RSS KiB" "peak KiB" "CPU s / 60 s"
row veskCommStartup "$supervisor" "$sup_cpu0" "$sup_cpu1"
row minimal_tray "$minimal" "$min_cpu0" "$min_cpu1"
