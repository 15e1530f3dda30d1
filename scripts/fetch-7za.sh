#!/usr/bin/env bash
# Fetches 7za.exe (7-Zip for Windows, from the npm package 7zip-bin) for the Windows
# build's tests, which run it beside velkor_tests.exe.
#
#   scripts/fetch-7za.sh [FOLDER...]
#
# The package is packed once into build/tools/7zip-bin/ and its win/x64/7za.exe (and
# win/ia32/7za.exe when present) extracted there; later runs reuse it. Each FOLDER given
# gets a copy of the x64 7za.exe (e.g. build/win64/tests). Prints the path of the x64
# 7za.exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache="$root/build/tools/7zip-bin"
x64="$cache/win/x64/7za.exe"

if [[ ! -s "$x64" ]]; then
  command -v npm >/dev/null || { echo "fetch-7za.sh: npm is needed" >&2; exit 1; }
  work=$(mktemp -d)
  trap 'rm -rf -- "$work"' EXIT
  (cd "$work" && npm pack --silent 7zip-bin >/dev/null)
  tarball=$(ls "$work"/7zip-bin-*.tgz)
  tar -xzf "$tarball" -C "$work" package/win
  for arch in x64 ia32; do
    if [[ -f "$work/package/win/$arch/7za.exe" ]]; then
      mkdir -p "$cache/win/$arch"
      # Into place by rename, so that a run that dies half-way leaves no torn file.
      cp "$work/package/win/$arch/7za.exe" "$cache/win/$arch/7za.exe.part"
      mv -f "$cache/win/$arch/7za.exe.part" "$cache/win/$arch/7za.exe"
    fi
  done
  cp "$work/package/LICENSE.txt" "$cache/LICENSE.txt" 2>/dev/null || true
  [[ -s "$x64" ]] || { echo "fetch-7za.sh: no win/x64/7za.exe in $(basename "$tarball")" >&2; exit 1; }
fi

for folder in "$@"; do
  mkdir -p "$folder"
  if ! cmp -s "$x64" "$folder/7za.exe"; then
    cp "$x64" "$folder/7za.exe.part"
    mv -f "$folder/7za.exe.part" "$folder/7za.exe"
  fi
done
echo "$x64"
