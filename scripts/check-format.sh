#!/usr/bin/env bash
# Checks every C++ file of src/, tests/, bench/ and tools/macrogen/ against the project's
# .clang-format and lists the files whose layout differs; exits 1 when there is one.
# scripts/format.sh formats them in place. CLANG_FORMAT chooses another clang-format binary;
# the layout is that of the Debian 12 one (clang-format 14), whose output other versions may not
# match exactly.
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format="${CLANG_FORMAT:-clang-format}"
if ! command -v "$clang_format" >/dev/null 2>&1; then
  echo "check-format: $clang_format not found (scripts/setup-deps.sh installs it)" >&2
  exit 2
fi

# --dry-run reports each differing file with "FILE:LINE:COL: warning: code should be
# clang-formatted"; one report per file is enough to name it. Without --Werror clang-format exits
# non-zero only when it could not do its work (an unreadable style or file), which fails the check.
report="$(mktemp)"
trap 'rm -f "$report"' EXIT
if ! find src tests bench tools/macrogen -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z |
    xargs -0 -n 50 "$clang_format" --style=file --dry-run --ferror-limit=1 2>"$report"; then
  cat "$report" >&2
  echo "check-format: $clang_format failed" >&2
  exit 2
fi
mapfile -t unformatted < <(
  sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' "$report" | sort -u
)

if [ ${#unformatted[@]} -gt 0 ]; then
  echo "check-format: ${#unformatted[@]} file(s) differ from .clang-format (scripts/format.sh formats them):"
  printf '  %s\n' "${unformatted[@]}"
  exit 1
fi
echo "check-format: every C++ file is formatted"
