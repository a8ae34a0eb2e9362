#!/usr/bin/env bash
# The real palomet executable in a real X server, driven as a user would:
# open the register, click a cell, type, click another cell, save, and leave
# through the exit question with "ДА". Checks the file's bytes and keeps a
# screenshot. Exits 77 (skipped) with the reason only where Xvfb cannot start.
set -u
palomet=$1
artifacts=$2
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }

command -v Xvfb >/dev/null || skip "Xvfb is not installed (scripts/install-deps.sh installs it)"
command -v xdotool >/dev/null || fail "xdotool is not installed (scripts/install-deps.sh installs it)"
command -v xclip >/dev/null || fail "xclip is not installed (scripts/install-deps.sh --test installs it)"

source "$(dirname "$0")/../../xvfb.sh"
xvfb_workspace palomet-e2e 90 140
export DISPLAY=$display
unset QT_QPA_PLATFORM
export XDG_STATE_HOME=$work/state # the logs of work not yet saved

# The program folder is the executable's own.
mkdir -p "$work/program"
cp "$palomet" "$work/program/palomet"
printf '8710000101;0001234567;15.01.2009;;OLD-MODEL;101;OWNER-A;\r\n8710000102;0001234568;31.10.2008;;MODEL-B;102;OWNER-B;\r\n' \
  >"$work/program/thisyear.csv"
# Qt's own options are not acted on: the title must stay "Palomet".
"$work/program/palomet" -qwindowtitle Other -reverse >"$work/palomet.log" 2>&1 &
ppid_=$!

window=
for _ in $(seq 100); do
  window=$(xdotool search --sync --onlyvisible --name '^Palomet$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "the main window did not appear: $(cat "$work/palomet.log")"
sleep 0.5

# Positions in pixels at 96 dpi (15 twips to the pixel), inside the client area.
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.4; }
click 308 68      # "Открыть журнал" (3960 + 1335/2, 720 + 615/2 twips)
# The grid starts at (480, 1560) twips = (32, 104) pixels, under a header
# 300 twips high; a row is about 17 pixels. Column 0 starts at the grid's edge.
row_y() { echo $(( 104 + 20 + 8 + ($1 - 1) * 17 )); }
click 52 "$(row_y 1)"          # the first entry's serial number
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 30 'NEW-SERIAL'
sleep 0.3
click 52 "$(row_y 2)"          # another cell commits the edit
click 396 68                   # "Сохранить изменения"
import -window root "$artifacts/e2e-main-window.png" 2>/dev/null
click 140 28                   # " Удалить строку": the second entry, clicked last
xdotool key --clearmodifiers ctrl+z   # brings it back: the file keeps two lines
sleep 0.3
click 636 28                   # "Выход": the register was touched, so it asks

dialog=
for _ in $(seq 50); do
  dialog=$(xdotool search --onlyvisible --name '^Dialog Caption$' 2>/dev/null | head -n 1)
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || fail "the exit question did not appear"
import -window root "$artifacts/e2e-exit-question.png" 2>/dev/null
sleep 0.3
xdotool key --clearmodifiers Return   # "ДА" has the focus; Return presses it

# ends WHAT: the program ends within 10 s, or the test fails, saying after WHAT.
ends() {
  for _ in $(seq 100); do
    kill -0 "$ppid_" 2>/dev/null || { ppid_=; return 0; }
    sleep 0.1
  done
  fail "the program did not end after $1"
}
ends "ДА"

saved=$(head -n 1 "$work/program/thisyear.csv" | tr -d '\r')
[ "$saved" = "NEW-SERIAL;0001234567;15.01.2009;01.03.2010;OLD-MODEL;101;OWNER-A;" ] ||
  fail "unexpected first line: $saved"
[ "$(wc -l <"$work/program/thisyear.csv")" -eq 2 ] || fail "expected two lines"
grep -q $'\r$' "$work/program/thisyear.csv" || fail "lines lost their CR LF"

# Killed with an edit not saved: the next start offers it back, "Да" the default.
"$work/program/palomet" >>"$work/palomet.log" 2>&1 &
ppid_=$!
sleep 2
window=$(xdotool search --sync --onlyvisible --name '^Palomet$' 2>/dev/null | head -n 1)
click 308 68                   # "Открыть журнал"
click 52 "$(row_y 1)"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 30 'CRASH-SERIAL'
click 52 "$(row_y 2)"
# A paste refused with a message, then more typing: once the box is gone
# the keys come back to the window, though no window manager gives them.
click 52 "$(row_y 2)"
click 52 "$(row_y 2)"          # the second click lands in the cell box
python3 -c "print('\t'.join(str(i) for i in range(33000)), end='')" | xclip -selection clipboard
xdotool key --clearmodifiers Escape ctrl+v
sleep 1
xdotool key --clearmodifiers Return   # OK on «Вставка не выполнена…»
sleep 0.5
click 52 "$(row_y 2)"
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 30 'AFTER-BOX'
click 52 "$(row_y 1)"
sleep 1.5                      # the log is on disk within a second
kill -KILL "$ppid_"
wait "$ppid_" 2>/dev/null
ls "$work/state/palomet/"*.worklog >/dev/null 2>&1 || fail "no log after the kill"
"$work/program/palomet" >>"$work/palomet.log" 2>&1 &
ppid_=$!
sleep 2
import -window root "$artifacts/e2e-recovery-question.png" 2>/dev/null
xdotool key --clearmodifiers Return   # "Да"
sleep 0.5
window=$(xdotool search --onlyvisible --name '^Palomet$' 2>/dev/null | head -n 1)
click 396 68                   # "Сохранить изменения": the file is as it was, so no question
click 636 28                   # "Выход": saved, so it ends at once
ends "the recovered work was saved"
saved=$(head -n 1 "$work/program/thisyear.csv" | tr -d '\r')
[ "$saved" = "CRASH-SERIAL;0001234567;15.01.2009;01.03.2010;OLD-MODEL;101;OWNER-A;" ] ||
  fail "the recovered edit was not saved: $saved"
second=$(sed -n 2p "$work/program/thisyear.csv" | tr -d '\r')
[ "${second%%;*}" = AFTER-BOX ] || fail "the edit typed after a message box was lost: $second"
ls "$work/state/palomet/"*.worklog >/dev/null 2>&1 && fail "a log is left after the save"

# «Показать» from the keyboard: Ctrl+2 shows the blocked units (both are)
# and the caption says so; Ctrl+1 shows every entry again.
"$work/program/palomet" >>"$work/palomet.log" 2>&1 &
ppid_=$!
window=$(xdotool search --sync --onlyvisible --name '^Palomet$' 2>/dev/null | head -n 1)
sleep 0.5
click 308 68                   # "Открыть журнал"
xdotool key --clearmodifiers ctrl+2
# Waited for, not timed: a slower machine takes longer, never fails.
captioned() { for _ in $(seq 100); do [ "$(xdotool getwindowname "$window")" = "$1" ] && return 0; sleep 0.1; done; return 1; }
captioned 'Palomet — показано 2 из 2: заблокированные' ||
  fail "no caption for the filter: $(xdotool getwindowname "$window")"
xdotool key --clearmodifiers ctrl+1
captioned Palomet || fail "the caption stayed: $(xdotool getwindowname "$window")"
click 636 28                   # "Выход": nothing changed, so it ends at once
ends "the filter"

# A file after --folder: said in a message box, since a start from the menu
# has no terminal; the program ends with 2 once it is read.
"$work/program/palomet" --folder "$work/program/thisyear.csv" >>"$work/palomet.log" 2>&1 &
ppid_=$!
box=$(xdotool search --sync --onlyvisible --name '^Palomet$' 2>/dev/null | head -n 1)
sleep 0.5
[ -n "$box" ] || fail "no message box for a --folder that is a file"
xdotool key --clearmodifiers Return
wait "$ppid_"; status=$?; ppid_=
[ "$status" -eq 2 ] || fail "--folder naming a file ended with $status"
grep -q 'не папка' "$work/palomet.log" || fail "the words for a file after --folder are missing"

echo "opened, edited, saved, deleted and undid, and left through ДА in a real window;"
echo "killed with an edit not saved, offered it back at the next start, and saved it;"
echo "filtered from the keyboard with its caption; a file after --folder said in a box"
