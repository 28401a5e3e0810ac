#!/usr/bin/env bash
# Builds the Debian package: scripts/make-deb.sh [OUTPUT-FOLDER]
# A Release build in build/deb (without tests), packaged by CPack's DEB generator with the
# dependencies computed by dpkg-shlibdeps. The package lands in OUTPUT-FOLDER (default: the
# source folder) as trevok_VERSION_ARCH.deb; install it with `sudo apt install ./trevok_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-.}")"
bash scripts/setup-deps.sh
cmake -S . -B build/deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DTREVOK_TESTS=OFF -DTREVOK_BENCH=OFF >/dev/null
cmake --build build/deb
mkdir -p "$out"
(cd build/deb && cpack -G DEB -B "$out/_cpack")
mv "$out"/_cpack/trevok_*.deb "$out"/
rm -rf "$out/_cpack"
ls "$out"/trevok_*.deb
