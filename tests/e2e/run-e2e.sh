#!/usr/bin/env bash
# End-to-end start-up cases, one table run twice: in the simulator on a sandbox machine,
# and with the x86_64 setup.exe under Wine (headless). Each case builds its setup with
# velkor-build, prepares drive C, runs the setup and checks its exit code and what it
# left on drive C: the run trace, the support folders in the work folder, extracted files.
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

# The main scripts of the projects the cases build; each replaces the sample's script.
declare -A project_script
project_script[good]='Set Variable: GREETING$KEVO$KEVO$TRUE, Hello
If: GREETING, 0, Hello, FALSE
  Set Variable: GREETING$KEVO$KEVO$TRUE, Hi
End'
# Script check failures, one kind each (built with --no-check).
project_script[check-unclosed-if]='If: SILENT, 0, TRUE, FALSE
Set Variable: X$KEVO$KEVO$TRUE, 1'
project_script[check-undefined-variable]='If: NEVER_SET, 0, 1, FALSE
End'
project_script[check-break-outside-loop]='Set Variable: X$KEVO$KEVO$TRUE, 1
Break'
project_script[check-undefined-label]='GoTo Label: NOWHERE'
# Run with "/s name=Value TARGETDIR:C:\x MIXED=C:\Apps /x=1 -y:1": the script itself
# checks the injected variables and ends with its own code for each rule broken. Its
# "Set Variable" statements declare the names for the script check and must leave the
# injected values alone: in a silent run both lists are protected from the script.
project_script[command-line-lists]='Set Variable: NAME$KEVO$KEVO$FALSE, not injected
Set Variable: TARGETDIR$KEVO$KEVO$FALSE, not injected
Set Variable: MIXED$KEVO$KEVO$FALSE, not injected
Set Variable: MIXED=C$KEVO$KEVO$FALSE, not injected
If: NAME, 0, Value, TRUE
  Terminate with Exit Code: 21
End
If: TARGETDIR, 0, C:\x, TRUE
  Terminate with Exit Code: 22
End
If: MIXED, 0, C:\Apps, TRUE
  Terminate with Exit Code: 23
End
If: MIXED=C, 0, \Apps, TRUE
  Terminate with Exit Code: 24
End
If: /X, 5, "", FALSE
  Terminate with Exit Code: 25
End
If: -Y, 5, "", FALSE
  Terminate with Exit Code: 26
End'

# Computes values through many commands and writes them to C:\e2e\computed-values.txt, which
# must equal tests/e2e/computed-values.txt byte for byte in both modes.
project_script[computed]='Set Variable: OUT$KEVO$KEVO$FALSE, C:\e2e\computed-values.txt
Set Variable: A$KEVO$KEVO$FALSE, 1234567890123
Mathematics: $A$, 987654321, 0, SUM
Mathematics: $A$, 7, 4, REM
Mathematics: -9223372036854775807, 1, 1, LOW
Mathematics: 1, 40, 8, SHIFTED
Mathematics: 65, "", 12, LETTER
Mathematics: 1103515245, 12345, 13, SEEDED
Mathematics: 42, "", 14, SEED
Mathematics: 1000, "", 15, RANDOM1
Mathematics: 1000, "", 15, RANDOM2
Mathematics: 5, 0, 3, DIVZERO
Write to Text File: $OUT$, sum=$SUM$ rem=$REM$ low=$LOW$ shifted=$SHIFTED$, FALSE
Write to Text File: $OUT$, letter=$LETTER$ seeded=$SEEDED$ seed=$SEED$ random=$RANDOM1$/$RANDOM2$ divzero=[$DIVZERO$], FALSE
Set Variable: PATH$KEVO$KEVO$FALSE, C:\Program Files\\Velkor\app.tar.gz
Set Variable: P0$KEVO$KEVO$FALSE, $PATH$
Extract Path: P0, 0
Set Variable: P1$KEVO$KEVO$FALSE, $PATH$
Extract Path: P1, 1
Set Variable: P2$KEVO$KEVO$FALSE, $PATH$
Extract Path: P2, 2
Set Variable: P3$KEVO$KEVO$FALSE, $PATH$
Extract Path: P3, 3
Set Variable: P4$KEVO$KEVO$FALSE, $PATH$
Extract Path: P4, 4
Set Variable: P5$KEVO$KEVO$FALSE, $PATH$
Extract Path: P5, 5
Write to Text File: $OUT$, path parts: $P0$|$P1$|$P2$|$P3$|$P4$|$P5$, FALSE
Set Variable: TEXT$KEVO$KEVO$FALSE, one;two;;three;
Parse String: $TEXT$, ;, FIRST, REST, 0, FALSE, FALSE
Parse String: $TEXT$, two, LEFT, RIGHT, 1, FALSE, TRUE
Parse String: $TEXT$, 3, HEAD, TAIL, 2, FALSE, FALSE
Replace String: TEXT, ;, +, FALSE, TRUE
Set Variable: UPPER$KEVO$KEVO$FALSE, Mixed Case Text
Convert Case: UPPER, TRUE
Write to Text File: $OUT$, parse: $FIRST$/$REST$ $LEFT$/$RIGHT$ $HEAD$/$TAIL$ replaced=$TEXT$ upper=$UPPER$, FALSE
Set Variable: COUNT$KEVO$KEVO$FALSE, 0
Set Variable: ITEMS$KEVO$KEVO$FALSE, ""
For Each: ITEM, ;, alpha;beta;;gamma;
  Mathematics: $COUNT$, 1, 0, COUNT
  Set Variable: ITEMS$KEVO$KEVO$FALSE, $ITEMS$<$ITEM$>
Next
Set Variable: I$KEVO$KEVO$FALSE, 0
Set Variable: SQUARES$KEVO$KEVO$FALSE, ""
While: I, 2, 5, TRUE
  Mathematics: $I$, 1, 0, I
  Mathematics: $I$, $I$, 2, SQUARE
  If: SQUARE, 2, 10, FALSE
    Set Variable: SQUARES$KEVO$KEVO$FALSE, $SQUARES$ big:$SQUARE$
  Else If: SQUARE, 0, 4, FALSE
    Set Variable: SQUARES$KEVO$KEVO$FALSE, $SQUARES$ four
  Else
    Set Variable: SQUARES$KEVO$KEVO$FALSE, $SQUARES$ $SQUARE$
  End
Wend
Write to Text File: $OUT$, loops: count=$COUNT$ items=$ITEMS$ squares=$SQUARES$, FALSE
Evaluate Expression: "($COUNT$ = ""3"" and ""10"" > ""9"") or ""b"" < ""a""", E1
Evaluate Expression: """10"" > ""9x""", E2
Set Variable: SAID$KEVO$KEVO$FALSE, "say ""hi"""
Evaluate Expression: $SAID$ = $SAID$, E3
Get Environment: VELKOR_SURELY_UNSET_NAME, ENVIRONMENT
Write to Text File: $OUT$, expressions: $E1$ $E2$ $E3$ environment=$ENVIRONMENT$, FALSE
Get Temporary File: TMP
Set Variable: TMPNAME$KEVO$KEVO$FALSE, $TMP$
Extract Path: TMPNAME, 0
Parse String: $TMPNAME$, 3, TMPPREFIX, TMPREST, 2, FALSE, FALSE
Set Variable: TMPEXT$KEVO$KEVO$FALSE, $TMP$
Extract Path: TMPEXT, 2
Set Variable: SHORT$KEVO$KEVO$FALSE, C:\Program Files\Common Files
Convert Path: SHORT, TRUE
Set Variable: LONG$KEVO$KEVO$FALSE, $SHORT$
Convert Path: LONG, FALSE
Set Variable: SHORTFORM$KEVO$KEVO$FALSE, long
If: SHORT, 1, ~, FALSE
  Set Variable: SHORTFORM$KEVO$KEVO$FALSE, short
End
Set Variable: MISSING$KEVO$KEVO$FALSE, C:\no such folder
Convert Path: MISSING, TRUE
Get Environment: windir, WINDIR
Convert Case: WINDIR, TRUE
Write to Text File: $OUT$, system: temp=$TMPPREFIX$*.$TMPEXT$ $SHORTFORM$ long=$LONG$ missing=[$MISSING$] windir=$WINDIR$, FALSE
Set Variable: SAME_SETUPPATH$KEVO$KEVO$FALSE, FALSE
If: SETUPPATH, 0, $EXEDIR$, FALSE
  Set Variable: SAME_SETUPPATH$KEVO$KEVO$FALSE, TRUE
End
Parse String: $ENGINECACHE$, 39, CACHEROOT, CACHEFOLDER, 3, FALSE, FALSE
Write to Text File: $OUT$, reserved: $PRODUCTCODE$ $REVISIONCODE$ title=$TITLE$ version=$VERSION$ company=$COMPANY$ cache=$CACHEFOLDER$ setuppath=$SAME_SETUPPATH$ silent=$SILENT$ allusers=$ALLUSERS$ maintenance=$MAINTENANCE$ upgrade=$NEEDSUPGRADE$ newinstance=$NEWINSTANCE$ wizard=$WIZARD$ fx=$FX$/$FXGROUND$/$FXTIME$ abort=$ABORT$ timeout=$KEVO_TIMEOUT$ native=$NATIVE_ENGINE$/$NATIVE_ERROR$, FALSE
Write to Text File: $OUT$, first line, TRUE
Read from Text File: $OUT$, LINE1, EOF1
Read from Text File: $OUT$, LINE2, EOF2
Write to Text File: $OUT$, read back: [$LINE1$] [$LINE2$] $EOF1$ $EOF2$, FALSE'

# The run trace of a setup that runs to its end. Lines before "  <RunScript>" and from
# "  </RunScript>" on must match exactly; the interpreter's lines between them must
# appear in this order, with other phases' lines allowed among them.
trace_lines=(
  '<Velkor>'
  '    <SupportDir>'
  '    </SupportDir>'
  '  <SetupSplash>'
  '    <StubSize>'
  '    </StubSize>'
  '    <StubData>'
  '    </StubData>'
  '    <GlobalLists>'
  '    </GlobalLists>'
  '    <ExtractArchive>'
  '    </ExtractArchive>'
  '    <ResourcePath>'
  '    </ResourcePath>'
  '    <Dialogs>'
  '    </Dialogs>'
  '  </SetupSplash>'
  '  <RunScript>'
  '    <Variables>'
  '    </Variables>'
  '    <CompileScript>'
  '    </CompileScript>'
  '    <kevo>'
  '    </kevo>'
  '    <ExitScript>'
  '    </ExitScript>'
  '  </RunScript>'
  '  <Free>'
  '  </Free>'
  '  <CachedSupportDir>'
  '  </CachedSupportDir>'
  '</Velkor>'
)

# One row per case, fields separated by "|":
#   case | setup | before the run | setup arguments | exit code | checks after the run
# Setups: a project above, "no-script" (the bare engine image), "missing-res" and
# "corrupt-res" (the good project without or with a broken resource archive).
# Before the run (drive C has an empty folder C:\e2e):
#   seed=vex1/,vex2    a folder vex1 and a file vex2 in the work folder (TEMPDIR)
#   job=KIND           an extraction control file C:\e2e\job.txt and C:\e2e\payload.7z
#                      (a.txt, b.txt, sub\c.txt; password "Secret"), see write_job
# Checks after the run:
#   trace=[FILE:]TAG   C:\e2e\FILE (exact name on disk; trace.log unless given) is the
#                      run trace up to the line holding TAG
#   work=LIST          the vex entries of the work folder: folders end with "/"
#   absent=FILE        no C:\e2e\FILE of exactly that name
#   out=LIST           the files below C:\e2e\out (slash-separated)
#   file=NAME          C:\e2e\NAME equals tests/e2e/NAME byte for byte
#   result=ok|failed|unchanged   the control file's only line is empty (success) or an
#                      error text, or the control file is as written
# Wine reports the low 8 bits of the exit code: 314 -> 58.
cases=(
  # Start-up failures end the process at once: the support folder stays.
  'no-script          | no-script    |            | /s /l=C:\e2e\trace.log | 13  | trace=<StubSize> work=vex1/'
  'missing-res        | missing-res  |            | /s /l=C:\e2e\trace.log | 14  | trace=<ExtractArchive> work=vex1/'
  'corrupt-res        | corrupt-res  |            | /s /l=C:\e2e\trace.log | 15  | trace=<ExtractArchive> work=vex1/'
  # A failed script check ends the process inside the interpreter, silently.
  'unclosed-if        | check-unclosed-if        | | /s /l=C:\e2e\trace.log | 314 | trace=<CompileScript> work=vex1/'
  'undefined-variable | check-undefined-variable | | /s /l=C:\e2e\trace.log | 314 | trace=<CompileScript> work=vex1/'
  'break-outside-loop | check-break-outside-loop | | /s /l=C:\e2e\trace.log | 314 | trace=<CompileScript> work=vex1/'
  'undefined-label    | check-undefined-label    | | /s /l=C:\e2e\trace.log | 314 | trace=<CompileScript> work=vex1/'
  # A run to the end: the whole trace, and the support folder is gone.
  'good               | good         |            | /s                     | 0   | work='
  'good-traced        | good         |            | /s /l=C:\e2e\trace.log | 0   | trace=</Velkor> work='
  # vex1 (folder) and vex2 (file) are taken: the support folder is vex3.
  'vex1-vex2-taken    | missing-res  | seed=vex1/,vex2 | /s                | 14  | work=vex1/,vex2,vex3/'
  'vex3-removed       | good         | seed=vex1/,vex2 | /s /l=C:\e2e\trace.log | 0 | trace=</Velkor> work=vex1/,vex2'
  # The log switch: the argument lower-cased, the first one wins, "-l=" works too.
  'log-lower-cased    | good         |            | /s /L=C:\E2E\Trace.LOG /l=C:\e2e\second.log | 0 | trace=</Velkor> absent=Trace.LOG absent=second.log'
  'log-dash-switch    | good         |            | /s -L=C:\e2e\Dash.LOG  | 0   | trace=dash.log:</Velkor> absent=Dash.LOG'
  # The "=" and ":" lists, checked by the script (see command-line-lists above).
  'command-line-lists | command-line-lists |      | /s /l=C:\e2e\trace.log name=Value TARGETDIR:C:\x MIXED=C:\Apps /x=1 -y:1 | 0 | trace=</Velkor> work='
  # Values computed by the script's commands, written to a text file.
  'computed-values    | computed     |            | /s                     | 0   | file=computed-values.txt'
  # The out-of-process extraction mode: exit codes 0, 2 and 1, and what it extracted.
  'extract-selected   | good         | job=selected     | OutOfProcessExtract C:\e2e\job.txt | 0 | result=ok out=a.txt,sub/c.txt work='
  'extract-all-flat   | good         | job=all-flat     | OutOfProcessExtract C:\e2e\job.txt | 0 | result=ok out=a.txt,b.txt,c.txt'
  'extract-bad-password | good       | job=bad-password | OutOfProcessExtract C:\e2e\job.txt | 0 | result=failed'
  'extract-no-archive | good         | job=no-archive   | OutOfProcessExtract C:\e2e\job.txt | 2 | result=unchanged out='
  'extract-no-control | good         |                  | OutOfProcessExtract C:\e2e\job.txt | 1 | out='
)

# A project made from the sample, with its script replaced.
make_project() {  # folder script-text
  cp -r "$root/examples/hello" "$1"
  printf '%s\n' "$2" > "$1/main.vks"
}

# Builds the case's setup into $out for the mode's engine image.
prepare() {  # mode setup out
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
    check-*)
      "$build_tool" build "$work/$2" -o "$3" --engine "$engine" --no-check >/dev/null ;;
    *)
      "$build_tool" build "$work/$2" -o "$3" --engine "$engine" >/dev/null ;;
  esac
  # The Windows engine drives the 7-Zip program found beside it.
  if [ "$1" = wine ]; then "$root/scripts/fetch-7za.sh" "$3" >/dev/null; fi
}

# Host folders of the mode's machine, set by new_machine: drive C and the work folder.
cdrive="" temp=""

# Gives the case a machine in its initial state with an empty C:\e2e. A setup started in
# the extraction mode without a control file ends at once and changes nothing, so it
# creates the machine (the simulator's default one, or the Wine prefix) for seeding.
new_machine() {  # mode out
  if [ "$1" = sim ]; then
    "$simulator" --machine "$work/machine" --fresh "$2/setup.exe" OutOfProcessExtract \
      >/dev/null || true
    cdrive="$work/machine/drive_c"
    local user
    user=$(sed -n 's/^USER_NAME=//p' "$work/machine/profile.ini")
    temp="$cdrive/Users/$user/AppData/Local/Temp"
    [ -d "$temp" ] || { echo "no work folder at $temp" >&2; exit 1; }
  else
    if [ -z "$temp" ]; then
      "$root/scripts/wine-test.sh" "$engine64" OutOfProcessExtract >/dev/null 2>&1 || true
      cdrive="$VELKOR_WINEPREFIX/drive_c"
      local windows_temp
      windows_temp=$("$root/scripts/wine-test.sh" "$cdrive/windows/system32/cmd.exe" \
        /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')
      windows_temp=${windows_temp//\\//}
      temp="$cdrive/${windows_temp#[Cc]:/}"
      [ -d "$temp" ] || { echo "no work folder at $temp" >&2; exit 1; }
    fi
    # One prefix serves every case: remove what earlier cases left (support folders,
    # single-instance markers).
    rm -rf -- "$cdrive/e2e"
    find "$temp" -mindepth 1 -delete
  fi
  mkdir -p "$cdrive/e2e"
}

# The extraction job of a case, in C:\e2e: control file lines are the archive, the
# password, the destination folder, the path flag and the overwrite-all flag.
write_job() {  # kind
  local folder="$cdrive/e2e" archive='C:\e2e\payload.7z' password=Secret paths=TRUE bom=''
  cp "$work/payload.7z" "$folder/payload.7z"
  case "$1" in
    selected) bom=$'\xef\xbb\xbf'; printf 'a.txt\r\nsub\\c.txt\r\n' > "$folder/job.txtitems" ;;
    all-flat) paths=FALSE; : > "$folder/job.txtitems" ;;  # empty: every item
    bad-password) password=Wrong ;;
    no-archive) archive='C:\e2e\missing.7z' ;;
  esac
  printf '%s%s\r\n%s\r\nC:\\e2e\\out\r\n%s\r\nTRUE\r\n' \
    "$bom" "$archive" "$password" "$paths" > "$folder/job.txt"
  cp "$folder/job.txt" "$work/job-as-written"
}

# The vex entries of a folder in number order, folders marked with "/".
vex_entries() {  # folder
  local entry name names=()
  for entry in "$1"/[vV][eE][xX]*; do
    name=${entry##*/}
    [[ $name =~ ^[vV][eE][xX][0-9]+$ ]] || continue
    [ -d "$entry" ] && name+=/
    names+=("$name")
  done
  [ ${#names[@]} -eq 0 ] || printf '%s\n' "${names[@]}" | sort -V | paste -sd, -
}

# Checks a run trace: UTF-16LE without a byte-order mark, CR LF after every line, the
# lines of trace_lines up to the one holding TAG, with the rules given there.
check_trace() {  # file tag
  python3 - "$@" "${trace_lines[@]}" <<'PY'
import sys
path, tag, full = sys.argv[1], sys.argv[2], sys.argv[3:]
try:
    data = open(path, 'rb').read()
except OSError as e:
    sys.exit(f'no trace: {e.strerror}')
if data.startswith(b'\xff\xfe'):
    sys.exit('the trace starts with a byte-order mark')
text = data.decode('utf-16-le')
if not text.endswith('\r\n'):
    sys.exit('the trace does not end with CR LF')
lines = text[:-2].split('\r\n')
if any('\r' in l or '\n' in l for l in lines):
    sys.exit('a trace line ends without CR LF')
end = [l.strip() for l in full].index(tag)
want = full[:end + 1]

def fail(what):
    sys.exit(what + '\n  trace: ' + ' '.join(l.strip() for l in lines))

if lines[-1] != want[-1]:
    fail(f'the trace ends with {lines[-1]!r}, expected {want[-1]!r}')
opening, closing = '  <RunScript>', '  </RunScript>'
if opening not in want:
    if lines != want: fail('the start-up lines differ')
    sys.exit(0)
k = want.index(opening)
if lines[:k + 1] != want[:k + 1]: fail('the start-up lines differ')
inner_want, inner = want[k + 1:], lines[k + 1:]
if closing in want:
    c, n = want.index(closing), len(want) - want.index(closing)
    if lines[-n:] != want[c:]: fail('the lines from </RunScript> on differ')
    inner_want, inner = want[k + 1:c], lines[k + 1:len(lines) - n]
rest = iter(inner)
missing = [l.strip() for l in inner_want if l not in rest]
if missing: fail('interpreter lines missing or out of order: ' + ' '.join(missing))
PY
}

# Runs the case's checks; prints one line per failed check.
run_checks() {  # checks...
  local check key value got
  for check in "$@"; do
    key=${check%%=*} value=${check#*=}
    case "$key" in
      trace)
        [[ $value == *:* ]] || value="trace.log:$value"
        check_trace "$cdrive/e2e/${value%%:*}" "${value#*:}" 2>&1 || true ;;
      work)
        got=$(vex_entries "$temp")
        [ "$got" = "$value" ] || echo "work folder holds '$got', expected '$value'" ;;
      file)
        cmp -s "$cdrive/e2e/$value" "$root/tests/e2e/$value" ||
          echo "C:\\e2e\\$value differs from tests/e2e/$value" ;;
      absent) [ ! -e "$cdrive/e2e/$value" ] || printf 'C:\\e2e\\%s exists\n' "$value" ;;
      out)
        got=$([ -d "$cdrive/e2e/out" ] && cd "$cdrive/e2e/out" && find . -type f |
          sed 's|^\./||' | sort | paste -sd, -)
        [ "$got" = "$value" ] || echo "extracted '$got', expected '$value'" ;;
      result)
        local control="$cdrive/e2e/job.txt" line
        if [ "$value" = unchanged ]; then
          cmp -s "$control" "$work/job-as-written" || echo "the control file was rewritten"
          continue
        fi
        line=$(head -n 1 "$control" | sed 's/^\xef\xbb\xbf//; s/\r$//')
        [ "$(wc -l < "$control")" -eq 1 ] || echo "the control file holds more than one line"
        if [ "$value" = ok ]; then
          [ -z "$line" ] || echo "extraction failed: $line"
        else
          [ -n "$line" ] || echo "the extraction reported success"
        fi ;;
      *) echo "unknown check $check" ;;
    esac
  done
}

run_case() {  # mode out args... ; prints the exit code
  local mode=$1 out=$2
  shift 2
  if [ "$mode" = sim ]; then
    # The simulator exits with the setup's code; the report holds all of it.
    { "$simulator" --machine "$work/machine" --json "$out/setup.exe" "$@" || true; } |
      sed -n 's/^  "exit_code": \([0-9]*\),$/\1/p'
  else
    set +e
    "$root/scripts/wine-test.sh" "$out/setup.exe" "$@" >/dev/null 2>&1
    echo $?
    set -e
  fi
}

trim() { local s=${1#"${1%%[![:space:]]*}"}; printf '%s' "${s%"${s##*[![:space:]]}"}"; }

for project in "${!project_script[@]}"; do
  make_project "$work/$project" "${project_script[$project]}"
done
mkdir -p "$work/payload/sub"
printf 'A\r\n' > "$work/payload/a.txt"
printf 'B\r\n' > "$work/payload/b.txt"
printf 'C\r\n' > "$work/payload/sub/c.txt"
(cd "$work/payload" && 7zz a -bd -bso0 -pSecret "$work/payload.7z" a.txt b.txt sub/c.txt)

failed=0 passed=0 count=0
for mode in "${modes[@]}"; do
  [ "$mode" = wine ] && export VELKOR_WINEPREFIX="$work/prefix"
  cdrive="" temp=""
  for entry in "${cases[@]}"; do
    IFS='|' read -r name setup before args expected checks <<<"$entry"
    name=$(trim "$name") setup=$(trim "$setup") expected=$(trim "$expected")
    count=$((count + 1))
    out="$work/$mode-$count"
    prepare "$mode" "$setup" "$out"
    new_machine "$mode" "$out"
    read -r -a steps <<<"$before"
    for step in ${steps[@]+"${steps[@]}"}; do
      case "$step" in
        seed=*)
          IFS=, read -r -a seeds <<<"${step#seed=}"
          for seed in "${seeds[@]}"; do
            if [[ $seed == */ ]]; then mkdir -p "$temp/$seed"; else : > "$temp/$seed"; fi
          done ;;
        job=*) write_job "${step#job=}" ;;
      esac
    done
    read -r -a argv <<<"$args"
    got=$(run_case "$mode" "$out" "${argv[@]}")
    want=$expected
    [ "$mode" = wine ] && want=$((expected & 255))
    read -r -a check_words <<<"$checks"
    problems=$(run_checks ${check_words[@]+"${check_words[@]}"})
    [ "$got" = "$want" ] || problems="exit code $got, expected $want${problems:+$'\n'$problems}"
    if [ -z "$problems" ]; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "FAILED [$mode] $name ($(trim "$args")):"
      printf '  %s\n' "${problems//$'\n'/$'\n'  }"
    fi
  done
done
[ -n "${VELKOR_WINEPREFIX:-}" ] && WINEPREFIX="$VELKOR_WINEPREFIX" wineserver -k 2>/dev/null || true
echo "e2e: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
