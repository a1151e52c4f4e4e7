#!/usr/bin/env bash
# Sets up everything, builds and installs a demo station into ./station and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
station="${STATION_DIR:-$PWD/station}"
cmake --install build/release --prefix "$station"
exec scripts/start-station.sh "$station"
