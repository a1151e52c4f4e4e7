#!/usr/bin/env bash
# The installed station under a virtual X display with a tray host, observed through its log
# files and its windows: start-up, a second start, the watchdog bringing up veskComm.exe and
# the weight, a screenshot of each page, and Exit from the tray menu.
#
# usage: station_e2e.sh BUILD_DIR SCREENSHOT_DIR
set -euo pipefail
build="${1:?build folder}"
screens="${2:?screenshot folder}"

for tool in Xvfb trayer xdotool xwininfo import flock; do
    if ! command -v "$tool" >/dev/null; then
        # CI installs every tool, so there a missing one is a broken setup, not a reason to skip.
        [ -n "${CI:-}" ] && { echo "FAIL: $tool is not installed"; exit 1; }
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

uid="$(id -u)"
runtime="/tmp/veskCommStartup-$uid"
[ -d "/run/user/$uid" ] && [ "$(stat -c %a "/run/user/$uid")" = 700 ] && runtime="/run/user/$uid"
lockfile="$runtime/维斯地磅服务.lock"
if [ -e "$lockfile" ] && ! flock -n "$lockfile" true; then
    echo "SKIP: a supervisor already runs for this user; a second one would only activate it"
    exit 77
fi
if pgrep -x veskComm.exe >/dev/null; then
    echo "SKIP: a veskComm.exe already runs here; the watchdog would see it instead of ours"
    exit 77
fi

work="$(mktemp -d)"
station="$work/station"
mkdir -p "$screens"
pids=()

pids_of() {  # processes running the given executable
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/exe" 2>/dev/null)" = "$1" ] && echo "${p#/proc/}"
    done
    return 0
}
cleanup() {
    local p
    for p in $(pids_of "$station/veskCommStartup") $(pids_of "$station/veskComm.exe") "${pids[@]}"; do
        kill "$p" 2>/dev/null || true
    done
    # Let the station's programs finish their last log line before the folder goes.
    for _ in $(seq 20); do
        [ -z "$(pids_of "$station/veskComm.exe")$(pids_of "$station/veskCommStartup")" ] && break
        sleep 0.1
    done
    # A failed run keeps its station folder (logs included) for a look.
    if [ "$passed" = yes ]; then
        rm -rf "$work" || true
    fi
    return 0
}
passed=no
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "station kept in $station"
    echo "--- supervisor log"
    cat "$station"/Log/Debug/*/veskCommStartup_*.txt 2>/dev/null || true
    exit 1
}
step() { echo "[$(printf '%3d' $((SECONDS - t0)))s] $*"; }

activity_log() { cat "$station"/Log/Debug/*/veskCommStartup_*.txt 2>/dev/null | tr -d "\r" || true; }
weight_log() { cat "$station"/Log/Debug/*/*/veskCommLogStartup_*.txt 2>/dev/null || true; }

wait_for() {  # seconds, description, command...
    local limit=$1 what=$2
    shift 2
    local end=$((SECONDS + limit))
    until "$@"; do
        [ $SECONDS -lt $end ] || fail "no $what within ${limit}s"
        sleep 0.2
    done
}
logged() { activity_log | grep -qF -- "$1"; }
weight_logged() { weight_log | grep -qF -- "$1"; }
window_shown() { xdotool search --onlyvisible --name '^地磅启动服务$' >/dev/null 2>&1; }
small_windows() {  # the supervisor's visible windows no bigger than the given height
    local w
    for w in $(xdotool search --onlyvisible --class veskCommStartup 2>/dev/null); do
        [ "$(height_of "$w")" -le "$1" ] && echo "$w"
    done
    return 0
}
comm_running() { [ -n "$(pids_of "$station/veskComm.exe")" ]; }
height_of() { xwininfo -id "$1" | awk '/Height:/{print $2}'; }
tray_icon() { [ -n "$(small_windows 64)" ]; }
menu_window() {  # the open pop-up menu: taller than the icon, far smaller than the window
    local w
    for w in $(small_windows 200); do
        [ "$(height_of "$w")" -gt 64 ] && echo "$w"
    done
    return 0
}
tray_menu() { [ -n "$(menu_window)" ]; }

cmake --install "$build" --prefix "$station" >/dev/null
mkdir -p "$station/bin"
printf '[veskComm]\r\nCommEnable=1\r\nCommTimer=1\r\n' >"$station/bin/AutoRunConfig.ini"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_for 10 "X display" test -s "$work/display"
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM
# A sanitized build checks for leaks at exit; the desktop libraries' own do not count.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel \
    --height 32 --SetDockType false >/dev/null 2>&1 &
pids+=($!)
sleep 1

t0=$SECONDS
step "start the supervisor"
"$station/veskCommStartup" >"$work/supervisor.out" 2>&1 &
supervisor=$!
wait_for 20 "start-up lines" logged "启动定时服务 --- 30秒 "
logged "20240914.36读取配置成功 - " || fail "no configuration summary"
logged "开启定时服务！重启成功！需30秒 " || fail "supervision was not switched on"
wait_for 10 "tray icon" tray_icon
window_shown && fail "the window shows at start-up"
logged "系统托盘不可用" && fail "the tray host was not found"
step "start-up lines written, tray icon docked, window hidden"

step "second start"
lines_before_second="$(activity_log | wc -l)"
started=$SECONDS
set +e
timeout 10 "$station/veskCommStartup"
second=$?
set -e
[ "$second" -eq 0 ] || fail "the second start ended with $second"
[ $((SECONDS - started)) -le 3 ] || fail "the second start took $((SECONDS - started))s"
[ "$(pids_of "$station/veskCommStartup" | wc -l)" -eq 1 ] || fail "two supervisors run"
wait_for 10 "first-show lines" logged "显示定时服务 --- 首次打开窗体 "
activity_log | grep -F "显示定时服务 --- 首次" | sed 's/^.\{24\}//' >"$work/first-show"
printf '%s\n' "显示定时服务 --- 首次激活窗体 " "显示定时服务 --- 首次打开窗体 " |
    diff - "$work/first-show" || fail "first-show lines not as expected"
wait_for 5 "window on screen" window_shown
[ "$(activity_log | wc -l)" -eq $((lines_before_second + 2)) ] ||
    fail "the second start left more in the log than the two first-show lines"
step "second start ended at once; the first copy showed its window"

window="$(xdotool search --onlyvisible --name '^地磅启动服务$' | head -1)"
sleep 0.5
import -window "$window" "$screens/page-activity.png"
xdotool mousemove --window "$window" 165 20 click 1
sleep 0.7
import -window "$window" "$screens/page-autostart.png"
xdotool mousemove --window "$window" 55 20 click 1
step "screenshots saved in $screens"

wait_for 50 "veskComm.exe started by the watchdog" comm_running
[ $((SECONDS - t0)) -ge 25 ] || fail "veskComm.exe started before the first watchdog tick"
wait_for 5 "restart line" logged "veskComm.exe意外退出,重启启动成功！"
step "the watchdog started veskComm.exe"
wait_for 30 "weight lines" weight_logged "读取当前重量"
step "weight lines: $(weight_log | grep -F "读取当前重量" | tail -1 | cut -c25-)"
sleep 1.5
import -window "$window" "$screens/page-activity-weighing.png"

lines_before_exit="$(activity_log | wc -l)"
icon="$(small_windows 64 | head -1)"
xdotool mousemove --window "$icon" 10 10 click 3
wait_for 5 "tray menu" tray_menu
menu="$(menu_window | head -1)"
height="$(height_of "$menu")"
import -window root "$screens/tray-menu.png"
xdotool mousemove --window "$menu" 30 $((height * 5 / 6)) click 1
step "chose 退出 in the tray menu"
supervisor_gone() { ! kill -0 "$supervisor" 2>/dev/null; }
wait_for 10 "supervisor end" supervisor_gone
wait "$supervisor" || fail "the supervisor ended with an error"
comm_running || fail "veskComm.exe did not survive Exit"
[ "$(activity_log | wc -l)" -eq "$lines_before_exit" ] || fail "Exit wrote to the log"
step "the supervisor ended; veskComm.exe keeps running"
passed=yes
echo "PASS"
