#!/usr/bin/env bash
# Runs a Windows program under Wine without a display and returns its exit code.
#
#   scripts/wine-test.sh PROGRAM.exe [ARGS...]
#
# A fresh prefix is created in a temporary folder and removed afterwards, unless
# VELKOR_WINEPREFIX names a prefix to keep (it is initialised on first use and reused).
# The prefix gets the null graphics driver, so windows can be created with no X server,
# and a persistent wineserver, so each program start is cheap. Wine's own chatter goes
# to a log that is shown only when setting up the prefix fails.
# Set VELKOR_WINE_VERBOSE=1 to see Wine's messages while the program runs.

set -u -o pipefail

readonly kWineMarker=".velkor-wine-ready"
readonly kProgramName="${0##*/}"

Fail() {
  echo "${kProgramName}: $*" >&2
  exit 125
}

Usage() {
  echo "usage: ${kProgramName} PROGRAM.exe [ARGS...]" >&2
  exit 125
}

# No Mono or Gecko installer prompts, no menu entries in $HOME, no debug output.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
if [[ -n "${VELKOR_WINE_VERBOSE:-}" ]]; then
  export WINEDEBUG="${WINEDEBUG:-fixme-all}"
else
  export WINEDEBUG=-all
fi
export WINEARCH=win64
# Never try to reach a display: the null driver draws nowhere.
unset DISPLAY WAYLAND_DISPLAY

own_prefix=""
setup_log=""
program_pid=""

# Removes the prefix this run created, after stopping its wineserver, together with the
# socket folder Wine keeps for it in the temporary folder. A kept prefix is left alone:
# its server ends by itself shortly after the last program.
Cleanup() {
  local socket_dir=""
  if [[ -n "${own_prefix}" && -d "${own_prefix}" ]]; then
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
    if [[ -f "${own_prefix}/wineserver" ]]; then
      socket_dir="$(head -c 64 "${own_prefix}/wineserver" | tr -cd 'A-Za-z0-9._-')"
    fi
    rm -rf -- "${own_prefix}"
    if [[ "${socket_dir}" == wine-* && -d "${TMPDIR:-/tmp}/${socket_dir}" ]]; then
      rm -rf -- "${TMPDIR:-/tmp}/${socket_dir}"
    fi
  fi
  [[ -n "${setup_log}" ]] && rm -f -- "${setup_log}"
}

# Interrupted: the program goes first (a kept prefix's server outlives this script).
OnSignal() {
  if [[ -n "${program_pid}" ]]; then
    kill -TERM "${program_pid}" 2>/dev/null
    wait "${program_pid}" 2>/dev/null
  fi
  exit "$1"
}

# Runs a setup step with its output captured; shows the output only on failure.
Quietly() {
  if ! "$@" >>"${setup_log}" 2>&1; then
    echo "${kProgramName}: '$*' failed:" >&2
    cat "${setup_log}" >&2
    return 1
  fi
}

InitialisePrefix() {
  Quietly wineboot --init || return 1
  Quietly wineserver -w || return 1
  Quietly wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f ||
    return 1
  # The driver setting is read when the server starts: restart it.
  Quietly wineserver -k
  wineserver -w >/dev/null 2>&1
  touch "${WINEPREFIX}/${kWineMarker}"
}

# Initialises a kept prefix once, even when several runs start at the same time.
PrepareKeptPrefix() {
  mkdir -p -- "${WINEPREFIX}" || return 1
  if command -v flock >/dev/null 2>&1; then
    (
      flock 9
      [[ -f "${WINEPREFIX}/${kWineMarker}" ]] || InitialisePrefix
    ) 9>"${WINEPREFIX}/.velkor-wine-lock"
  elif [[ ! -f "${WINEPREFIX}/${kWineMarker}" ]]; then
    InitialisePrefix
  fi
}

PreparePrefix() {
  if [[ -n "${VELKOR_WINEPREFIX:-}" ]]; then
    WINEPREFIX="$(realpath -m -- "${VELKOR_WINEPREFIX}")" || return 1
    export WINEPREFIX
    PrepareKeptPrefix
  else
    own_prefix="$(mktemp -d "${TMPDIR:-/tmp}/velkor-wine.XXXXXX")" || return 1
    export WINEPREFIX="${own_prefix}"
    InitialisePrefix
  fi
}

main() {
  [[ $# -ge 1 ]] || Usage
  local program="$1"
  shift
  [[ -f "${program}" ]] || Fail "no such program: ${program}"
  command -v wine >/dev/null 2>&1 || Fail "wine is not installed"
  program="$(realpath -- "${program}")"

  # Wine needs a readable standard input; CI runners may close it.
  if ! { true <&0; } 2>/dev/null; then exec </dev/null; fi

  setup_log="$(mktemp "${TMPDIR:-/tmp}/velkor-wine-log.XXXXXX")" || Fail "no temporary folder"
  trap Cleanup EXIT
  trap 'OnSignal 130' INT
  trap 'OnSignal 143' TERM
  trap 'OnSignal 129' HUP

  PreparePrefix || Fail "could not prepare a Wine prefix"
  # Kept alive for the whole run; a kept prefix's server ends a minute after its last use.
  if [[ -n "${own_prefix}" ]]; then wineserver -p >/dev/null 2>&1; else wineserver -p60 >/dev/null 2>&1; fi

  # Started in the background so that a signal ends the wait at once and the cleanup
  # takes the program down with the server; standard input is handed over explicitly.
  exec 3<&0
  wine "${program}" "$@" <&3 3<&- &
  program_pid=$!
  local status=0
  wait "${program_pid}" || status=$?
  return "${status}"
}

main "$@"
