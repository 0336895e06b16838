#!/usr/bin/env bash
# Builds static i686 mingw libpng, libjpeg (6b API) and Google Benchmark (for the
# benchmarks run under Wine) from Debian's source packages into $1 (default
# /var/cache/lindar-deps), each unless already there.
set -euo pipefail

prefix="${1:-/var/cache/lindar-deps}"
stamp="$prefix/.built-v1"
bench_stamp="$prefix/.built-benchmark-v1"
[ -f "$stamp" ] && [ -f "$bench_stamp" ] && exit 0

host=i686-w64-mingw32
export CC=$host-gcc-posix CXX=$host-g++-posix AR=$host-ar RANLIB=$host-ranlib
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$prefix"

# Try the listed source versions newest first until one downloads completely:
# the newest security version's files can be missing from the mirror.
fetch() {
  local pkg="$1" v
  for v in $(apt-cache showsrc "$pkg" | awk '/^Version:/ {print $2}' | sort -Vr | uniq); do
    if (cd "$work" && apt-get source -qq --download-only "$pkg=$v" >/dev/null 2>&1); then
      (cd "$work" && dpkg-source -x --skip-patches "$(ls -1 "${pkg}"_*.dsc | head -1)" "$pkg-src" >/dev/null 2>&1) ||
        (cd "$work" && dpkg-source -x "$(ls -1 "${pkg}"_*.dsc | head -1)" "$pkg-src" >/dev/null)
      return 0
    fi
    rm -f "$work/${pkg}"_*
  done
  echo "could not download the source of $pkg" >&2
  return 1
}

# Google Benchmark for the Windows benchmarks.
if [ ! -f "$bench_stamp" ]; then
  fetch benchmark
  cmake -S "$work/benchmark-src" -B "$work/bench-build" -G Ninja \
    -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86 \
    -DCMAKE_C_COMPILER=$CC -DCMAKE_CXX_COMPILER=$CXX -DCMAKE_RC_COMPILER=$host-windres \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF -DBENCHMARK_ENABLE_WERROR=OFF \
    -DBENCHMARK_ENABLE_INSTALL=ON >/dev/null
  cmake --build "$work/bench-build" >/dev/null
  cmake --install "$work/bench-build" >/dev/null
  touch "$bench_stamp"
fi
[ -f "$stamp" ] && exit 0

# libjpeg-turbo built with its jpeg62 (6b) API, static only.
fetch libjpeg-turbo
cmake -S "$work/libjpeg-turbo-src" -B "$work/jpeg-build" -G Ninja \
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86 \
  -DCMAKE_C_COMPILER=$CC -DCMAKE_RC_COMPILER=$host-windres \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF \
  -DWITH_SIMD=OFF -DREQUIRE_SIMD=OFF >/dev/null
cmake --build "$work/jpeg-build" --target jpeg-static >/dev/null
mkdir -p "$prefix/lib" "$prefix/include"
cp "$work/jpeg-build/libjpeg.a" "$prefix/lib/libjpeg.a"
cp "$work/libjpeg-turbo-src/jpeglib.h" "$work/libjpeg-turbo-src/jmorecfg.h" "$work/libjpeg-turbo-src/jerror.h" \
   "$work/jpeg-build/jconfig.h" "$prefix/include/"

# libpng against the mingw zlib from libz-mingw-w64-dev.
fetch libpng1.6
zinc=/usr/$host/include
zlib=/usr/$host/lib/libz.a
cmake -S "$work/libpng1.6-src" -B "$work/png-build" -G Ninja \
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=x86 \
  -DCMAKE_C_COMPILER=$CC -DCMAKE_RC_COMPILER=$host-windres \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF \
  -DZLIB_INCLUDE_DIR="$zinc" -DZLIB_LIBRARY="$zlib" >/dev/null
cmake --build "$work/png-build" >/dev/null
cmake --install "$work/png-build" >/dev/null
touch "$stamp"
