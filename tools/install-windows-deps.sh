#!/usr/bin/env bash
# Installs what the Windows build and its tests need on a Debian machine, when missing: the
# mingw-w64 cross compiler, 32-bit Wine, the ja_JP.UTF-8 locale (under which Wine's ANSI code
# page is 932), what fetching the distribution's source packages takes (dpkg-dev, and a deb-src
# entry for each Debian mirror and suite the machine already uses), and the tools SQLite's
# source tree makes its amalgamation with (make, tclsh).
set -euo pipefail
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

packages=(wine wine32:i386 g++-mingw-w64-i686 locales dpkg-dev make tcl)
missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
update=false

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    update=true
fi

# The deb-src twin of every deb entry of a Debian mirror, in the same (one-line or deb822) form.
add_source_entries() {
    local lists=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list)
    local stanzas=(/etc/apt/sources.list.d/*.sources)
    grep -hs '^deb [^#]*/debian' "${lists[@]}" | sed 's/^deb /deb-src /' |
        $SUDO tee /etc/apt/sources.list.d/triggerbridge-deb-src.list >/dev/null || true
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         /(^|\n)Types:([^\n]* )?deb( |\n|$)/ && /(^|\n)URIs:[^\n]*\/debian/ {
             gsub(/(^|\n)#[^\n]*/, "");
             sub(/Types:[^\n]*/, "Types: deb-src");
             print
         }' "${stanzas[@]}" 2>/dev/null |
        $SUDO tee /etc/apt/sources.list.d/triggerbridge-deb-src.sources >/dev/null || true
}
if [ -z "$(apt-cache showsrc libxml2 2>/dev/null)" ]; then
    add_source_entries
    update=true
fi

if [ ${#missing[@]} -gt 0 ] || $update; then
    $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8'; then
    $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
