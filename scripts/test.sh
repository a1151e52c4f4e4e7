#!/usr/bin/env bash
# Sets up everything and runs every test in the developer preset (warnings as errors,
# AddressSanitizer and UndefinedBehaviorSanitizer), then checks the formatting.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev -j2
scripts/check-format.sh
