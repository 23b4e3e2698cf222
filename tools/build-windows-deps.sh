#!/usr/bin/env bash
# Cross-builds the third-party libraries the Windows build links, from the distribution's own
# source packages: static libraries for the target of the given CMake toolchain file, each under
# <deps-dir>/<package>/install. Each is built once per build tree; a finished one is left alone.
# Their source never enters the repository.
#
#   tools/build-windows-deps.sh <toolchain-file> <deps-dir> <package>...
#
# Packages: libxml2, sqlite3. Another library is one more build_<package> function below.
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

# Configures, builds and installs the CMake project in <source> as a static library in
# $deps/<package>/install:  cmake_install <package> <source> [cmake options...]
cmake_install() {
    local package=$1
    local source=$2
    local work=$deps/$package
    shift 2
    cmake -S "$source" -B "$work/build" -G Ninja \
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
# LIBXML_STATIC for its own objects as well as for those that use it: otherwise each of its
# functions is marked for export, and every DLL that links it would export libxml2 whole.
build_libxml2() {
    fetch_source libxml2
    cmake_install libxml2 "$deps/libxml2/source" \
        -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ZLIB=OFF -DLIBXML2_WITH_LZMA=OFF \
        -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_PYTHON=OFF \
        -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_TESTS=OFF \
        -DHAVE_PTHREAD_H= \
        -DCMAKE_C_FLAGS=-DLIBXML_STATIC
}

# SQLite's source tree makes its single-file amalgamation with host tools (configure, lemon,
# tclsh), so that step runs natively; the amalgamation alone is then built for the target, by a
# two-line CMake project, so the toolchain file decides the compiler as for everything else.
# The settings are those of the distribution's own build that bear on how a database behaves
# (secure delete, URI file names, no lookaside, its limits); its extensions (full text, R-tree,
# JSON, sessions, loadable modules) are left out: the trigger store uses none. Threads and locks
# are Windows' own (SQLITE_OS_WIN), never the toolchain's POSIX layer.
build_sqlite3() {
    fetch_source sqlite3
    local work=$deps/sqlite3
    mkdir -p "$work/amalgamation"
    (cd "$work/amalgamation" && "$work/source/configure" --disable-tcl && make sqlite3.c)
    cat >"$work/amalgamation/CMakeLists.txt" <<'PROJECT'
cmake_minimum_required(VERSION 3.25)
project(sqlite3 C)
add_library(sqlite3 STATIC sqlite3.c)
target_compile_definitions(sqlite3 PRIVATE
    SQLITE_THREADSAFE=1 SQLITE_SECURE_DELETE SQLITE_USE_URI=1 SQLITE_OMIT_LOOKASIDE=1
    SQLITE_LIKE_DOESNT_MATCH_BLOBS SQLITE_MAX_SCHEMA_RETRY=25 SQLITE_MAX_VARIABLE_NUMBER=250000
    SQLITE_OMIT_LOAD_EXTENSION)
install(TARGETS sqlite3)
install(FILES sqlite3.h DESTINATION include)
PROJECT
    cmake_install sqlite3 "$work/amalgamation"
}

for package in "$@"; do
    if ! declare -F "build_$package" >/dev/null; then
        echo "no recipe for $package" >&2
        exit 2
    fi
    # The stamp holds the recipe it was built by, so a changed recipe builds the package again.
    stamp=$deps/$package/install/.built
    recipe=$(declare -f fetch_source cmake_install "build_$package" | sha256sum | cut -d' ' -f1)
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
        continue
    fi
    log=$deps/$package.log
    mkdir -p "$deps"
    echo "-- Cross-building $package from its source package (once; log: $log)"
    if ! "build_$package" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        exit 1
    fi
    echo "$recipe" >"$stamp"
done
