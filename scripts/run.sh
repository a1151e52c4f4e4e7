#!/usr/bin/env bash
# Sets up everything, builds and installs a demo station into ./station and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset station
cmake --build --preset station
station="${STATION_DIR:-$PWD/station}"
cmake --install build/station --prefix "$station"
exec scripts/start-station.sh "$station"
