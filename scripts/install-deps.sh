#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the tools need.
# Idempotent: apt-get runs only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libqt6svg6 qt6-image-formats-plugins
  libcups2-dev cups cups-bsd cups-client
  libgtest-dev libgmock-dev libbenchmark-dev
  libharfbuzz-dev libfribidi-dev libfontconfig-dev zlib1g-dev
  fonts-liberation fonts-dejavu-core fonts-droid-fallback fontconfig
  poppler-utils qpdf zbar-tools unrtf xvfb xauth
  postgresql sqlite3 libsqlite3-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
