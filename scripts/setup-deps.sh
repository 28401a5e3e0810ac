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
  libzip-dev
  gerbv hp2xx emf2svg poppler-utils imagemagick xvfb xauth xdotool
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
