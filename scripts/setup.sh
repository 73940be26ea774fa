#!/usr/bin/env bash
# Installs what building, running and testing Zenvrix needs on a Debian 12 machine,
# skipping what is already there (sudo when not root).
set -euo pipefail
sudo_cmd=""
[ "$(id -u)" = 0 ] || sudo_cmd="sudo"

packages=(cmake make g++ clang libclang-rt-14-dev googletest g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  wine wine32:i386 wine64 xvfb xdotool x11-utils imagemagick
  cups cups-bsd printer-driver-cups-pdf libcups2:i386 poppler-utils ghostscript
  fonts-dejavu-core fonts-liberation python3-fonttools python3
  fonts-noto-core fonts-noto-extra fonts-dejavu-extra fonts-freefont-ttf fonts-liberation2
  fonts-crosextra-carlito fonts-open-sans fonts-roboto-unhinted
  fonts-urw-base35 fonts-wqy-microhei fonts-wqy-zenhei locales)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || $sudo_cmd dpkg --add-architecture i386
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
