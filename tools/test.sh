#!/usr/bin/env bash
# Builds and runs every test: optimised, then under AddressSanitizer + UndefinedBehaviorSanitizer,
# then the concurrency tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
for preset in release dev tsan; do
    echo "=== $preset ==="
    cmake --workflow --preset "$preset"
done
