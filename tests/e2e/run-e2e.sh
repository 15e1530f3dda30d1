#!/usr/bin/env bash
# End-to-end start-up cases, one table run twice: in the simulator on a sandbox machine,
# and with the x86_64 setup.exe under Wine (headless). Each case builds its setup with
# velkor-build and checks the setup's exit code.
#   tests/e2e/run-e2e.sh [sim|wine]...   (default: both)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
native="${VELKOR_NATIVE_BUILD:-$root/build/native}"
build_tool="$native/tools/build/velkor-build"
simulator="$native/tools/sim/velkor-sim"
engine64="$root/build/win64/src/app/velkor-engine.exe"
work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT

modes=("$@")
[ ${#modes[@]} -eq 0 ] && modes=(sim wine)

# A project made from the sample, with its script replaced.
make_project() {  # folder script-text
  cp -r "$root/examples/hello" "$1"
  printf '%s\n' "$2" > "$1/main.vks"
}

good_script='Set Variable: GREETING$KEVO$KEVO$TRUE, Hello
If: GREETING, 0, Hello, FALSE
  Set Variable: GREETING$KEVO$KEVO$TRUE, Hi
End'
failing_check='If: SILENT, 0, TRUE, FALSE
Set Variable: X$KEVO$KEVO$TRUE, 1'

# Builds the case's setup into $out for the mode's engine image.
prepare() {  # mode case out
  local engine=stub
  [ "$1" = wine ] && engine="$engine64"
  case "$2" in
    no-script)
      mkdir -p "$3"
      if [ "$1" = wine ]; then cp "$engine64" "$3/setup.exe"; else
        "$build_tool" build "$work/good" -o "$work/stub-source" --engine stub >/dev/null
        # The stub image alone: cut the script off at the image's end.
        python3 - "$work/stub-source/setup.exe" "$3/setup.exe" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
pe = struct.unpack_from('<I', data, 0x3C)[0]
sections, optional = struct.unpack_from('<H', data, pe + 6)[0], struct.unpack_from('<H', data, pe + 20)[0]
table = pe + 24 + optional
end = max(sum(struct.unpack_from('<II', data, table + 40 * k + 16)) for k in range(sections))
open(sys.argv[2], 'wb').write(data[:end])
PY
      fi ;;
    good|missing-res|corrupt-res)
      "$build_tool" build "$work/good" -o "$3" --engine "$engine" >/dev/null
      [ "$2" = missing-res ] && rm "$3/setup.res"
      [ "$2" = corrupt-res ] && printf 'not an archive' > "$3/setup.res"
      true ;;
    failing-check)
      "$build_tool" build "$work/failing" -o "$3" --engine "$engine" --no-check >/dev/null ;;
  esac
  # The Windows engine drives the 7-Zip program found beside it.
  if [ "$1" = wine ]; then "$root/scripts/fetch-7za.sh" "$3" >/dev/null; fi
}

run_case() {  # mode out args... ; prints the exit code
  local mode=$1 out=$2
  shift 2
  if [ "$mode" = sim ]; then
    # The simulator exits with the setup's code; the report holds all of it.
    { "$simulator" --machine "$work/machine" --fresh --json "$out/setup.exe" "$@" || true; } |
      sed -n 's/^  "exit_code": \([0-9]*\),$/\1/p'
  else
    set +e
    "$root/scripts/wine-test.sh" "$out/setup.exe" "$@" >/dev/null 2>&1
    echo $?
    set -e
  fi
}

make_project "$work/good" "$good_script"
make_project "$work/failing" "$failing_check"

# case, arguments, expected exit code (Wine reports the low 8 bits: 314 -> 58)
cases=(
  "no-script|/s|13"
  "missing-res|/s|14"
  "corrupt-res|/s|15"
  "failing-check|/s|314"
  "good|/s|0"
  "good|/s NAME=VALUE TARGETDIR:C:\\x /L=C:\\Trace.LOG|0"
)

failed=0 passed=0
for mode in "${modes[@]}"; do
  [ "$mode" = wine ] && export VELKOR_WINEPREFIX="$work/prefix"
  for entry in "${cases[@]}"; do
    IFS='|' read -r name args expected <<<"$entry"
    out="$work/$mode-$name-$passed-$failed"
    prepare "$mode" "$name" "$out"
    read -r -a argv <<<"$args"
    got=$(run_case "$mode" "$out" "${argv[@]}")
    want=$expected
    [ "$mode" = wine ] && want=$((expected & 255))
    if [ "$got" = "$want" ]; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "FAILED [$mode] $name $args: exit code $got, expected $want"
    fi
  done
done
[ -n "${VELKOR_WINEPREFIX:-}" ] && WINEPREFIX="$VELKOR_WINEPREFIX" wineserver -k 2>/dev/null || true
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
