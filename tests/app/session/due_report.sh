#!/bin/bash
# palomet --due as a process, with no display: the list over the register
# and the archives, the status for a missing folder and an unreadable archive.
set -eu
palomet=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$palomet" "$@"; }
cp1251() { iconv -f UTF-8 -t WINDOWS-1251 > "$1"; }
day() { date -d "$1" +%d.%m.%Y; }

mkdir -p "$work/Archive" "$work/Backup"
# Activated 426 days ago: blocked on the first of this month.
printf 'A1;;%s;;ЭКР;10;Иванов\r\n' "$(day '426 days ago')" | cp1251 "$work/thisyear.csv"
# The same unit a year earlier, and a unit blocked long ago.
printf 'a1 ;;%s;;ЭКР;10;Иванов\r\nB2;;01.01.2000;;АМС;5;Петров\r\n' "$(day '700 days ago')" | cp1251 "$work/Archive/2024.csv"
printf 'A1;;%s;;;;\r\n' "$(day '426 days ago')" | cp1251 "$work/Backup/thisyear-2000-01-01-000000.csv"

out=$(run --due --folder "$work")
[ "$(printf '%s\n' "$out" | head -1 | cut -f1-4)" = "$(printf 'Дата блокировки\tСостояние\tФайл\tСтрока')" ]
[ "$(printf '%s\n' "$out" | wc -l)" -eq 2 ]
printf '%s\n' "$out" | tail -1 | grep -q "^$(date +01.%m.%Y)	заблокирована	thisyear.csv	1	A1	"
printf '%s\n' "$out" | grep -q 'Иванов$'

rc=0; run --due 5 --folder "$work/none" 2>/dev/null || rc=$?
[ $rc -eq 2 ]

mkfifo "$work/Archive/2025.csv"
rc=0; out=$(run --due --folder "$work" 2>"$work/err") || rc=$?
[ $rc -eq 1 ]
grep -q '2025.csv».*канал' "$work/err"
[ "$(printf '%s\n' "$out" | wc -l)" -eq 2 ]
echo 'due report: passed'
