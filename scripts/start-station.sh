#!/usr/bin/env bash
# Starts the supervisor of an installed station folder.
set -euo pipefail
station="$(cd "${1:?usage: start-station.sh STATION_DIR}" && pwd)"
cd "$station"
echo "Station folder: $station"
exec "$station/veskCommStartup"
