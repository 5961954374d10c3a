#!/usr/bin/env bash
# Starts the editor under a virtual X server with a picture and saves a
# screenshot of the whole screen (the maximised main window).
# Usage: scripts/screenshot.sh [picture] [output.png] [build directory]
# Environment:
#   QUILLORY_SCREENSHOT_DELAY   seconds before the screenshot (default 3)
#   QUILLORY_SCREENSHOT_WM=1    run a window manager, so windows have title bars to look at
#   QUILLORY_SCREENSHOT_KEYS    keys typed into the editor before the screenshot, as xdotool
#                               names them, separated by blanks ("ctrl+o"; "ctrl+shift+l");
#                               a dialog they open is in the picture
#   QUILLORY_SCREENSHOT_ACTIONS further xdotool commands run before the keys, ";"-separated
#                               (e.g. "mousemove 300 200 click --repeat 2 1")
# The titles of all windows, as the X server holds them, are printed after the file name.
set -euo pipefail
# Paths given by the caller are taken relative to the caller's folder.
picture="${1:-}"
output="${2:-screenshot.png}"
build="${3:-}"
[ -n "$picture" ] && [ -e "$picture" ] && picture="$(realpath "$picture")"
output="$(realpath -m "$output")"
[ -n "$build" ] && build="$(realpath -m "$build")"
cd "$(dirname "$0")/.."
build="${build:-build}"
program="$build/src/shell/quillory"
if [ ! -x "$program" ]; then
  echo "no editor at $program; build it first" >&2
  exit 1
fi
# Without a picture: a photograph of the shared corpus, else a new picture made by the command-line tool.
if [ -z "$picture" ]; then
  if [ -f ../shared/corpus/jpeg/flower.jpg ]; then
    picture="../shared/corpus/jpeg/flower.jpg"
  else
    picture="$(mktemp -d)/new.bmp"
    "$build/quillory-cli" new --width 640 --height 480 "$picture" >/dev/null 2>&1 || picture=""
  fi
fi

display=":$(( 90 + RANDOM % 400 ))"
home="$(mktemp -d)"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
for _ in $(seq 50); do
  xdpyinfo -display "$display" >/dev/null 2>&1 && break
  sleep 0.1
done
if [ "${QUILLORY_SCREENSHOT_WM:-0}" = 1 ] && command -v openbox >/dev/null; then
  DISPLAY="$display" openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
fi

# A private settings home, so the screenshot does not depend on (or change) the user's.
DISPLAY="$display" QUILLORY_HOME="$home" XDG_CONFIG_HOME="$home/config" "$program" ${picture:+"$picture"} &
app=$!
# Past the 700 ms start-up picture, with time for the first paint.
sleep "${QUILLORY_SCREENSHOT_DELAY:-3}"
if ! kill -0 "$app" 2>/dev/null; then
  echo "the editor ended before the screenshot" >&2
  exit 1
fi
if [ -n "${QUILLORY_SCREENSHOT_ACTIONS:-}${QUILLORY_SCREENSHOT_KEYS:-}" ]; then
  command -v xdotool >/dev/null || { echo "xdotool is needed for keys and actions" >&2; exit 1; }
  IFS=';' read -ra actions <<<"${QUILLORY_SCREENSHOT_ACTIONS:-}"
  for action in "${actions[@]}"; do
    # shellcheck disable=SC2086
    [ -n "$action" ] && DISPLAY="$display" xdotool $action
    sleep 0.5
  done
  for key in ${QUILLORY_SCREENSHOT_KEYS:-}; do
    DISPLAY="$display" xdotool key "$key"
    sleep 0.5
  done
  sleep 1.5
fi
if command -v import >/dev/null; then
  DISPLAY="$display" import -window root "$output"
else
  DISPLAY="$display" xwd -root -silent | convert xwd:- "$output"
fi
echo "$output"
# Each named window of the editor: its title as the window system shows it.
DISPLAY="$display" xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) "\(.*\)": ("quillory".*/\1 \2/p' |
  while read -r id _; do
    DISPLAY="$display" xprop -id "$id" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = /title: /p'
  done
