#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of seconds
# (default 60): the engine-file loader and script check, seeded with the sample setup,
# then the text work of the interpreter's commands (expressions, mathematics, replacing,
# splitting, For Each items, path parts). CI runs them as a short smoke run; run them
# longer by hand after changing the loader or the commands.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
dir="$root/build/fuzz"

if [ ! -f "$dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DVELKOR_FUZZ=ON \
    -DVELKOR_BUILD_TESTS=OFF -DVELKOR_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$dir" --target script_load_fuzz command_text_fuzz >/dev/null

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

# Fields are separated by NUL bytes: expression, value of A, two operands, a list, a
# separator, a replacement, a path.
texts="$dir/command-corpus"
mkdir -p "$texts"
if [ ! -f "$texts/seed" ]; then
  printf '($A$ = "5" and "10" > "9") or "b" < "a"\0say "hi"\09223372036854775807\0-1\0a;;b;c\0;\0;;\0C:\\Program Files\\\\x\\a.tar.gz' \
    > "$texts/seed"
fi
"$dir/fuzz/command_text_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len=4096 -print_final_stats=1 "$texts" 2>&1 | tail -n 12
