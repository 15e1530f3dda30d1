#!/usr/bin/env bash
# Configures and builds one or more of the three builds:
#   native  Linux, sandbox platform, tests and benchmarks   -> build/native
#   win64   MinGW-w64 x86_64, win32 platform               -> build/win64
#   win32   MinGW-w64 i686, win32 platform (shipping)       -> build/win32
# Usage: scripts/build.sh [native|win64|win32|all]...   (default: all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(all)
[ "${targets[0]}" = all ] && targets=(native win64 win32)

for t in "${targets[@]}"; do
  case "$t" in
    native) args=() ;;
    win64) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-x86_64.cmake") ;;
    win32) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake") ;;
    *) echo "unknown build: $t" >&2; exit 2 ;;
  esac
  dir="$root/build/$t"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DVELKOR_WERROR=ON "${args[@]}" >/dev/null
  fi
  echo "== build $t"
  cmake --build "$dir"
done
