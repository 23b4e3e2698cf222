#!/usr/bin/env bash
# Cross-builds the third-party libraries the Windows build links, from the distribution's own
# source packages: static libraries for the target of the given CMake toolchain file, each under
# <deps-dir>/<package>/install. Each is built once per build tree; a finished one is left alone.
# Their source never enters the repository.
#
#   tools/build-windows-deps.sh <toolchain-file> <deps-dir> <package>...
#
# Packages: libxml2. Another library is one more build_<package> function below.
set -euo pipefail

toolchain=$(realpath "$1")
deps=$(realpath -m "$2")
shift 2

# Unpacks the distribution's source package into $deps/<package>/source (patches applied).
fetch_source() {
    local package=$1
    local work=$deps/$package
    rm -rf "$work/download" "$work/source"
    mkdir -p "$work/download"
    if ! (cd "$work/download" && apt-get source -qq "$package" >/dev/null 2>&1); then
        echo "cannot fetch the source package of $package: tools/install-windows-deps.sh adds" \
             "the deb-src entry and dpkg-dev it needs" >&2
        return 1
    fi
    local unpacked
    unpacked=$(find "$work/download" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    mv "$unpacked" "$work/source"
    rm -rf "$work/download"
}

# Configures, builds and installs a CMake project in $deps/<package> as a static library.
cmake_install() {
    local package=$1
    shift
    local work=$deps/$package
    cmake -S "$work/source" -B "$work/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$work/install" \
        -DBUILD_SHARED_LIBS=OFF \
        "$@"
    cmake --build "$work/build"
    cmake --install "$work/build"
}

# Only what configuration documents use: no encoding converters, compression, network or
# language bindings, so nothing but the C runtime and the system is linked beside it.
# Its threads are Windows' own, not the toolchain's POSIX layer: that layer is torn down first
# when a thread ends, and configdata frees its per-thread libxml2 objects after that
# (host/configdata/thread_owned.h), when libxml2 must take no POSIX lock any more.
build_libxml2() {
    fetch_source libxml2
    cmake_install libxml2 \
        -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_LZMA=OFF \
        -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_PYTHON=OFF \
        -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_TESTS=OFF \
        -DHAVE_PTHREAD_H=
}

for package in "$@"; do
    stamp=$deps/$package/install/.built
    if [ -f "$stamp" ]; then
        continue
    fi
    if ! declare -F "build_$package" >/dev/null; then
        echo "no recipe for $package" >&2
        exit 2
    fi
    log=$deps/$package.log
    mkdir -p "$deps"
    echo "-- Cross-building $package from its source package (once; log: $log)"
    if ! "build_$package" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        exit 1
    fi
    touch "$stamp"
done
