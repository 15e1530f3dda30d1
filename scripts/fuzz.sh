#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and fuzzes the engine-file loader and script
# check for the given number of seconds (default 60), seeded with the sample setup.
# CI runs it as a short smoke run; run it longer by hand after changing the loader.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
dir="$root/build/fuzz"

if [ ! -f "$dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DVELKOR_FUZZ=ON \
    -DVELKOR_BUILD_TESTS=OFF -DVELKOR_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$dir" --target script_load_fuzz >/dev/null

corpus="$dir/corpus"
mkdir -p "$corpus"
if [ -x "$root/build/native/tools/build/velkor-build" ] && [ ! -f "$corpus/hello.exe" ]; then
  seed=$(mktemp -d)
  "$root/build/native/tools/build/velkor-build" build "$root/examples/hello" -o "$seed" >/dev/null
  cp "$seed/setup.exe" "$corpus/hello.exe"
  rm -rf "$seed"
fi

"$dir/fuzz/script_load_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=65536 -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
