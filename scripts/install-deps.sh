#!/usr/bin/env bash
# Installs the Debian packages KORVA needs to build and test. Safe to run again:
# packages already present are not reinstalled and the package index is
# refreshed at most once, only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev llvm
  qt6-base-dev qt6-svg-dev libqt6opengl6-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libxlsxwriter-dev libminizip-dev unzip xvfb xauth poppler-utils fonts-dejavu-core
  openbox x11-utils
  locales python3
  pandoc weasyprint
  dpkg-dev desktop-file-utils shared-mime-info libglib2.0-bin xdg-utils libxml2-utils man-db lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: missing packages: ${missing[*]} (run as root to install them)" >&2
    exit 1
  fi
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# A German locale lets the tests prove that numbers never depend on LC_ALL.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
  if [ "$(id -u)" -eq 0 ] && [ -f /etc/locale.gen ]; then
    sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  fi
fi
