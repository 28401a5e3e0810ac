#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Trevok needs.
# Quick when everything is there: it asks dpkg first and calls apt-get only for what is missing.
set -euo pipefail

PACKAGES=(
  g++ cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6-dev qt6-gtk-platformtheme
  libpolyclipping-dev libgif-dev libemf-dev fonts-liberation2
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  gerbv hp2xx emf2svg xvfb xauth
)

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

# --- G-code reader for the milling tests (npm, pinned) --------------------------------------------
# gcode-toolpath turns G-code into the line segments a controller would move along; the tests
# read our G-code files with it. Installed into tools/node/ (kept out of git) with Debian's npm.
GCODE_TOOLPATH_VERSION=3.0.0
NODE_DIR="$(cd "$(dirname "$0")/.." && pwd)/tools/node"
# Debian's nodejs and npm, unless a node with its own npm is there already (the NodeSource
# build ships npm inside its nodejs package, which conflicts with Debian's npm).
if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends nodejs npm
fi
if [ ! -f "$NODE_DIR/node_modules/gcode-toolpath/package.json" ] ||
   ! grep -q "\"version\": \"$GCODE_TOOLPATH_VERSION\"" "$NODE_DIR/node_modules/gcode-toolpath/package.json"; then
  echo "setup-deps: installing gcode-toolpath@$GCODE_TOOLPATH_VERSION into tools/node"
  mkdir -p "$NODE_DIR"
  npm install --prefix "$NODE_DIR" --no-save --no-audit --no-fund --silent "gcode-toolpath@$GCODE_TOOLPATH_VERSION"
fi
# --- end of the G-code reader ---------------------------------------------------------------------
