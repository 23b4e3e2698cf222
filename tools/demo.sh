#!/usr/bin/env bash
# Builds the project and runs the host program on the door-sensor example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target triggerhost triggerbridge
exec build/release/bin/triggerhost "${@:-examples/door-sensor.xml}"
