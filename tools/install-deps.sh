#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build and test the project, and any further
# packages named as arguments.
set -euo pipefail
packages=(cmake ninja-build g++ libxml2-dev libsqlite3-dev libgtest-dev libgmock-dev googletest
          libbenchmark-dev libedit-dev pkg-config nlohmann-json3-dev "$@")
missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
