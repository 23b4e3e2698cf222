#!/usr/bin/env bash
# Builds and runs every test: optimised, then under AddressSanitizer + UndefinedBehaviorSanitizer,
# then the concurrency tests under ThreadSanitizer; then the Windows build, whose suites run under
# Wine in code pages 1252 and 932.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
for preset in release dev tsan; do
    echo "=== $preset ==="
    cmake --workflow --preset "$preset"
done
echo "=== mingw-i686 ==="
SECONDS=0
bash tools/install-windows-deps.sh
cmake --workflow --preset mingw-i686
echo "=== mingw-i686 took ${SECONDS} s ==="
