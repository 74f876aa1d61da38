# Environment and helpers for running our Windows programs under wine64; sourced, never run.
# The locale, code page and display settings apply to Wine processes only: exported globally they
# would make gcc and make print Chinese.
here_wine_env=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here_wine_env/env.sh"

WINE64=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

# Runs a command with the Wine environment of prefix $1.
wine_env() {
  local prefix=$1; shift
  env WINEPREFIX="$prefix" WINEDEBUG=-all WINEARCH=win64 \
      WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml=" \
      LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 LOCPATH="$VANTOR_LOCPATH" \
      "$@"
}

# Starts a private Xvfb on a free display (the server picks it) and sets DISPLAY and XVFB_PID.
start_xvfb() {
  local dir; dir=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" >/dev/null 2>&1 &
  XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$dir/display" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.05
  done
  if [ ! -s "$dir/display" ]; then
    rm -rf "$dir"
    echo "wine: Xvfb did not start" >&2
    return 1
  fi
  DISPLAY=:$(head -1 "$dir/display")
  export DISPLAY
  rm -rf "$dir"
}

stop_xvfb() {
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}
