#!/usr/bin/env bash
# Runs one Windows program under wine64 in a fresh copy of the template prefix, on a private Xvfb,
# and exits with the program's exit code. CTest uses it as the emulator of the Windows build tree.
# Usage: wine-run.sh TEMPLATE PROGRAM [ARGS...]
# Arguments that are absolute Linux paths of existing files or folders are handed on as Z: paths.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"

template=${1:?template prefix}; shift
program=${1:?program}; shift
"$here/wine-prefix.sh" "$template" || exit 125

prefix=$(mktemp -d "${TMPDIR:-/tmp}/vantor-wine.XXXXXX")
cleanup() {
  wine_env "$prefix" "$WINESERVER" -k 2>/dev/null || true
  stop_xvfb
  rm -rf "$prefix"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

cp -a "$template/." "$prefix/" || exit 125
start_xvfb || exit 125

args=()
for a in "$@"; do
  if [[ "$a" == /* ]] && [ -e "$a" -o -e "$(dirname "$a")" ]; then
    args+=("Z:${a//\//\\}")
  else
    args+=("$a")
  fi
done

# The prefix's own path is left for tests that look at what a program did to the machine.
export VANTOR_WINEPREFIX=$prefix
wine_env "$prefix" "$WINE64" "$program" "${args[@]}"
rc=$?
# wine64 prints its own and the program's output as the code page gives it; nothing to convert here.
exit $rc
