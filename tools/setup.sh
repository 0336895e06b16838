#!/usr/bin/env bash
# Installs what the project needs on a Debian machine (run as root) and builds the
# static i686 libpng and libjpeg the Windows build links against. Idempotent.
# Prints one line per step; apt's and the builds' output go to build-logs/.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
cache="${LINDAR_DEPS:-/var/cache/lindar-deps}"
# shellcheck source=tools/steps.sh
source "$here/tools/steps.sh"

packages=(
  build-essential cmake ninja-build ccache pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev libjpeg62-turbo-dev libturbojpeg0-dev zlib1g-dev libpixman-1-dev libgd-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix libz-mingw-w64-dev
  wine wine64 wine32:i386 fonts-wine xvfb xauth
  imagemagick netpbm libtiff-tools giflib-tools libjpeg-turbo-progs python3-pil fonts-dejavu-core
  icoutils ghostscript dpkg-dev
  libimagequant-dev
  libmagickcore-6.q16-dev
  x11-apps libnetpbm-dev libxpm-dev
  gcovr
  libgif-dev
  libtiff-dev
  stress-ng
)

missing() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

# Source entries for `apt-get source`, derived from the machine's own deb entries.
src=/etc/apt/sources.list.d/lindar-src.sources
if [ ! -f "$src" ]; then
  for f in /etc/apt/sources.list.d/*.sources; do
    [ "$f" = "$src" ] && continue
    grep -q '^Types:.*deb' "$f" || continue
    sed -e 's/^Types:.*/Types: deb-src/' "$f"
    echo
  done > "$src.tmp"
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/lindar-src.list || true
  fi
  mv "$src.tmp" "$src"
  updated=0
fi

need="$(missing)"
if [ -n "$need" ] || [ "${updated:-1}" = 0 ]; then
  step "$logs/setup-apt-update.log" "setup: apt-get update" apt-get update
fi
if [ -n "$need" ]; then
  # shellcheck disable=SC2086
  step "$logs/setup-apt-install.log" "setup: install $(wc -w <<<"$need") packages" \
    apt-get install -y --no-install-recommends $need
else
  echo "setup: packages ... all ${#packages[@]} installed"
fi

step "$logs/setup-windows-libraries.log" "setup: Windows libraries in $cache" "$here/tools/build-win-deps.sh" "$cache"
