#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the three targets, runs the native
# tests with CTest, a short fuzz run, the Windows test executable (x86_64) under Wine,
# and the end-to-end cases in the simulator and under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" all

echo "== native tests"
ctest --test-dir "$root/build/native" --output-on-failure -j"$(nproc)"

echo "== fuzz smoke run (script loader and check)"
"$root/scripts/fuzz.sh" 30

echo "== Windows tests under Wine"
# The archive tests run 7-Zip for Windows from beside the test program.
"$root/scripts/fetch-7za.sh" "$root/build/win64/tests" >/dev/null
"$root/scripts/wine-test.sh" "$root/build/win64/tests/velkor_tests.exe" --gtest_brief=1

echo "== end-to-end start-up cases: simulator and Wine"
"$root/tests/e2e/run-e2e.sh"
