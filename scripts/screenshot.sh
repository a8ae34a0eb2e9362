#!/usr/bin/env bash
# Takes docs/screenshot.png: the real window under Xvfb with the shipped
# sample register opened; then docs/screenshots/filter.png, the same window
# showing only the entries whose registration number holds «56» (Ctrl+4), its caption
# saying so. Needs a build (scripts/build.sh) and what the tests
# install (Xvfb, xdotool, ImageMagick).
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d /tmp/palomet-shot.XXXXXX)
xpid= ; ppid_=
skip() { echo "$*" >&2; exit 1; }
cleanup() {
  [ -n "$ppid_" ] && kill "$ppid_" 2>/dev/null
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
source tests/xvfb.sh
start_xvfb "$work" 200 240
export DISPLAY=$display XDG_STATE_HOME=$work/state
unset QT_QPA_PLATFORM
mkdir -p "$work/program"
cp build/palomet "$work/program/"
cp docs/sample/thisyear.csv "$work/program/"
"$work/program/palomet" >/dev/null 2>&1 &
ppid_=$!
window=$(xdotool search --sync --onlyvisible --name '^Palomet$' | head -n 1)
sleep 0.5
xdotool mousemove --window "$window" 308 68 click 1 # "Открыть журнал"
sleep 0.5
xdotool mousemove --window "$window" 700 320        # the pointer out of the way
sleep 0.3
import -window "$window" docs/screenshot.png
echo docs/screenshot.png

# «Показать» ▸ «Содержащие…» on the owner's column, from the keyboard.
xdotool mousemove --window "$window" 150 132 click 1 # the first registration number
sleep 0.3
xdotool key --clearmodifiers Escape ctrl+4
sleep 0.5
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 30 '56'
xdotool key --clearmodifiers Return
for _ in $(seq 50); do
  case "$(xdotool getwindowname "$window")" in *показано*) break ;; esac
  sleep 0.1
done
xdotool mousemove --window "$window" 700 320
sleep 0.3
import -window "$window" docs/screenshots/filter.png
echo docs/screenshots/filter.png
