#!/usr/bin/env bash
# The main job: builds the sample setup in examples/ with velkor-build and runs it in
# the simulator on a fresh sandbox machine, printing the simulator's change report.
# Usage: scripts/run-example.sh [EXAMPLE] [SETUP ARGUMENTS...]   (default: hello /s)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
example=${1:-hello}
shift || true
[ $# -eq 0 ] && set -- /s

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" native >/dev/null
out="$root/build/examples/$example"
rm -rf "$out"
"$root/build/native/tools/build/velkor-build" build "$root/examples/$example" -o "$out"
exec "$root/build/native/tools/sim/velkor-sim" --machine "$root/build/examples/machine" --fresh \
  "$out/setup.exe" "$@"
