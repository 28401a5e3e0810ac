#!/usr/bin/env bash
# Sets up, builds and starts the editor: ./run.sh [--language de|en|fr] [file.lay]
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTREVOK_TESTS=OFF >/dev/null
cmake --build build/release --target trevok trevok-cli
exec ./build/release/trevok "$@"
