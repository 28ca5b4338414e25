#!/bin/sh
# Installs what building and testing need on Debian: the 32-bit architecture,
# the mingw-w64 cross compiler, Wine with its 32-bit part, CMake and the
# googletest sources.  Does nothing when everything is present.
set -e
need=""
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for pkg in cmake make g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 \
           mingw-w64-i686-dev wine wine32:i386 googletest; do
    have_pkg "$pkg" || need="$need $pkg"
done
[ -z "$need" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages:$need (run as root to install them)" >&2
    exit 1
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends $need
