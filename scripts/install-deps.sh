#!/usr/bin/env bash
# Installs everything Quillmark needs to build, run and test on Debian 12.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

BUILD_PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev
  libicu-dev libzip-dev libexpat1-dev libgsf-1-dev zlib1g-dev libdeflate-dev
  libfontconfig-dev libgl-dev ccache libsqlite3-dev libhunspell-dev
)
RUN_PACKAGES=(
  fonts-dejavu-core fonts-noto-core fonts-noto-cjk fonts-noto-ui-core
  xvfb imagemagick x11-utils qt6-translations-l10n
  hunspell-en-gb hunspell-en-us hunspell-de-de hunspell-fr hunspell-es
  hunspell-it hunspell-pt-br hunspell-nl hunspell-pl hunspell-ru
)
TEST_PACKAGES=(
  clang libclang-rt-14-dev llvm binutils-mingw-w64-x86-64
  python3-openpyxl python3-xlsxwriter python3-xlrd python3-xlwt gnumeric
  libreoffice-calc-nogui python3-odf translate-toolkit gettext
  hyperfine libbenchmark-dev libxlsxwriter-dev xdotool acl
  desktop-file-utils appstream lintian man-db shared-mime-info
)

want=("${BUILD_PACKAGES[@]}" "${RUN_PACKAGES[@]}")
if [ "${1:-}" = "--with-tests" ]; then want+=("${TEST_PACKAGES[@]}"); fi

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
