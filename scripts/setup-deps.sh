#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Trevok needs, and the pinned
# npm test readers (scripts/node-tools) into tools/node/.
# Quick when everything is there: it asks dpkg first and calls apt-get only for what is missing,
# and leaves tools/node/ alone while it holds the pinned versions.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-gtk-platformtheme
  libpolyclipping-dev libgif-dev libemf-dev fonts-liberation2
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  qt6-translations-l10n libzip-dev
  gerbv hp2xx emf2svg poppler-utils imagemagick xvfb xauth xdotool
  librsvg2-bin
  desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl libxml2-utils
  lintian dpkg-dev file
)
# Node and npm for the second Gerber reader. A machine may already have Node from elsewhere (a
# nodejs package that bundles npm and conflicts with Debian's npm): then leave it as it is.
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  PACKAGES+=(nodejs npm)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup-deps: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# npm test readers (gerber-to-svg for Gerber and Excellon, gcode-toolpath for G-code), pinned by
# scripts/node-tools/package-lock.json. npm ci runs only when the installed lock file differs from
# the pinned one (or a package is gone).
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
pinned="$here/node-tools"
target="$here/../tools/node"
if ! cmp -s "$pinned/package-lock.json" "$target/package-lock.json" 2>/dev/null ||
   [ ! -f "$target/node_modules/gerber-to-svg/package.json" ] ||
   [ ! -f "$target/node_modules/gcode-toolpath/package.json" ]; then
  echo "setup-deps: installing the npm test readers into tools/node"
  mkdir -p "$target"
  cp "$pinned/package.json" "$pinned/package-lock.json" "$target/"
  (cd "$target" && npm ci --no-audit --no-fund --loglevel=error)
fi
