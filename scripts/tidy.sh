#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over the core (src/document, src/edit,
# src/routing, src/output) and fails when it reports anything. It reads the compiler flags from
# the compile_commands.json of a build folder (CMake writes it at configure time; nothing needs
# to be built): scripts/tidy.sh [build folder], build/test by default, configured if missing.
# Other files: scripts/tidy.sh BUILD FILE... checks just those.
# Takes about 14 minutes on a loaded 2-core machine (4 minutes of processor time), which is why
# CI does not run it. CLANG_TIDY chooses another clang-tidy binary (clang-tidy 14 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/test}"
shift || true
clang_tidy="${CLANG_TIDY:-clang-tidy}"
if ! command -v "$clang_tidy" >/dev/null 2>&1; then
  echo "tidy: $clang_tidy not found (apt-get install clang-tidy)" >&2
  exit 2
fi
if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTREVOK_TESTS=ON >/dev/null
fi

if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(find src/document src/edit src/routing src/output -name '*.cpp' | sort)
fi

report="$(mktemp)"
trap 'rm -f "$report"' EXIT
jobs="$(nproc)"
# A header's finding is reported once for every file that includes it: the list is made unique.
status=0
printf '%s\0' "${files[@]}" |
  xargs -0 -n 1 -P "$jobs" "$clang_tidy" -p "$build" --quiet --use-color=false >"$report" 2>/dev/null ||
  status=$?
findings="$(grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error):' "$report" | sort -u || true)"
if [ -n "$findings" ]; then
  echo "$findings"
  echo "tidy: $(echo "$findings" | wc -l) finding(s) in ${#files[@]} file(s)"
  exit 1
fi
if [ "$status" -ne 0 ]; then
  cat "$report" >&2
  echo "tidy: clang-tidy failed" >&2
  exit 2
fi
echo "tidy: no findings in ${#files[@]} file(s)"
