#!/usr/bin/env bash
# Boots the template Wine prefix that every Windows test starts from a copy of.
# Usage: wine-prefix.sh DIR   (does nothing when DIR holds a finished template)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"

template=${1:?template folder}
[ -f "$template/.vantor-template" ] && exit 0

# Tests that start together wait for one boot instead of booting several.
mkdir -p "$(dirname "$template")"
exec 9>"$template.lock"
flock 9
[ -f "$template/.vantor-template" ] && exit 0
rm -rf "$template"
work=$template.new.$$
rm -rf "$work"
mkdir -p "$work"
cleanup() { wine_env "$work" "$WINESERVER" -k 2>/dev/null || true; stop_xvfb; rm -rf "$work"; }
trap cleanup EXIT

start_xvfb
wine_env "$work" "$WINE64" wineboot --init >/dev/null 2>&1
# A virtual desktop: programs and the test robot share one desktop, windows get title bars, and GUI
# programs start without the bare-X delay.
wine_env "$work" "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
wine_env "$work" "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
wine_env "$work" "$WINESERVER" -w

# The user folders of a new prefix link to $HOME; tests must never write there.
for link in "$work"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm "$link"
    mkdir -p "$link"
  fi
done
# Wine's own link from the prefix to / (the Z: drive) stays: tests reach the build tree through it.

# Wine draws title-bar buttons with its Marlett font, which it does not find by itself here; without
# it the buttons show as letters in every screenshot.
for font in /usr/share/wine/fonts/marlett.ttf; do
  [ -f "$font" ] && cp "$font" "$work/drive_c/windows/Fonts/"
done

touch "$work/.vantor-template"
trap - EXIT
stop_xvfb
mv "$work" "$template"
