#!/usr/bin/env bash
# The real palomet under Xvfb on a session bus of its own, the sample
# register opened, read by atspi_tree.py as a screen reader would read it.
# Exits 77 (skipped) with the reason where this cannot be done.
set -u
palomet=$1
sample=$2
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }
command -v Xvfb >/dev/null || skip "Xvfb is not installed (scripts/install-deps.sh --test installs it)"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed"

source "$(dirname "$0")/../../xvfb.sh"
xvfb_workspace palomet-atspi 242 280
mkdir -p "$work/program"
cp "$palomet" "$work/program/palomet"
cp "$sample" "$work/program/thisyear.csv"
rows=$(wc -l <"$sample")
owner=$(head -n 1 "$sample" | iconv -f cp1251 -t utf-8 | cut -d';' -f7)

export DISPLAY=$display XDG_STATE_HOME=$work/state QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset QT_QPA_PLATFORM
dbus-run-session -- bash -c '
  "$1/program/palomet" >"$1/palomet.log" 2>&1 &
  program=$!
  window=
  for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name "^Palomet\$" 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "FAILED: no window"; kill $program; exit 1; }
  sleep 0.5
  xdotool mousemove --window "$window" 308 68 click 1 # "Открыть журнал"
  sleep 0.5
  /usr/bin/python3 "$2" "$3" 8 "$4"
  status=$?
  kill $program
  exit $status
' _ "$work" "$(dirname "$0")/atspi_tree.py" "$rows" "$owner" 2>"$work/bus.log" || fail "$(tail -n 3 "$work/bus.log")"
