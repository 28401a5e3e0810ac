#!/usr/bin/env bash
# Formats every C++ file of src/, tests/, bench/ and tools/macrogen/ in place with the project's
# .clang-format (the files scripts/check-format.sh checks). CLANG_FORMAT chooses the binary.
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format="${CLANG_FORMAT:-clang-format}"
find src tests bench tools/macrogen -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 -n 50 "$clang_format" --style=file -i
