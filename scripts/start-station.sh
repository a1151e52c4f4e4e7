#!/usr/bin/env bash
# Starts the supervisor of an installed station folder.
#
# A station without bin/AutoRunConfig.ini gets a demo one: the weighbridge service switched
# on and its weight log written, no companion programs. Without a display the supervisor runs
# on Qt's offscreen platform. Either way the day's activity lines are followed in this
# terminal until the supervisor ends (tray menu "退出", or Ctrl+C here).
set -euo pipefail
station="$(cd "${1:?usage: start-station.sh STATION_DIR}" && pwd)"
cd "$station"
echo "Station folder: $station"

if [ ! -e bin/AutoRunConfig.ini ]; then
    mkdir -p bin
    printf '[veskComm]\r\nCommEnable=1\r\nCommTimer=1\r\n' >bin/AutoRunConfig.ini
    echo "Wrote a demo bin/AutoRunConfig.ini (weight service on, weight log on)"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: the supervisor runs offscreen; its activity follows below."
    export QT_QPA_PLATFORM=offscreen
fi

month="$(date +%Y-%m)"
day="$(date +%d)"
stamp="$(date +%Y%m%d)"
activity="Log/Debug/$month/veskCommStartup_$stamp.txt"
weights="Log/Debug/$month/$day/veskCommLogStartup_$stamp.txt"
echo "Activity log: $station/$activity"
echo "Weight log:   $station/$weights (from the first watchdog tick, 30 s after start)"
echo "veskComm.exe keeps running after the supervisor's Exit; stop it with: pkill -x veskComm.exe"

# Follow from the current end of the day's files, started first so no start-up line is missed.
tail -q -n 0 -F "$activity" "$weights" 2>/dev/null &
follower=$!
started=$SECONDS
# Qt's own console notes would drown the activity lines; they go to a file instead.
mkdir -p Log
"$station/veskCommStartup" 2>>Log/qt-console.txt &
supervisor=$!
trap 'kill "$supervisor" 2>/dev/null || true' INT TERM

set +e
wait "$supervisor"
status=$?
set -e
sleep 0.5
kill "$follower" 2>/dev/null || true
if [ "$status" -eq 0 ] && [ $((SECONDS - started)) -lt 3 ]; then
    echo "The supervisor ended at once: a copy already runs for this user and was asked to show its window."
fi
exit "$status"
