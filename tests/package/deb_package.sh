#!/usr/bin/env bash
# Builds the Debian package with cpack; lintian must find no error or warning
# in it and hardening-check must pass its binary. Installs it with dpkg,
# checks the installed files, the man page (rendered with every groff
# warning on) and --help and --version, starts the installed program as a
# user who cannot write to /usr/bin under Xvfb, sees its window (of the class
# its desktop entry names) and its register folder in that user's
# ~/.local/share/palomet, and removes the package again.
# Exits 77 (skipped) with the reason where this cannot be done.
set -u
build=$1
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
command -v Xvfb >/dev/null || skip "Xvfb is not installed (scripts/test.sh installs it)"
if dpkg-query -W -f='${Status}' palomet 2>/dev/null | grep -q 'install ok installed'; then
  skip "a palomet package is installed already; not replacing it"
fi

work=$(mktemp -d /tmp/palomet-deb.XXXXXX)
chmod 755 "$work"
xpid= ; ppid_= ; installed=
cleanup() {
  [ -n "$ppid_" ] && kill "$ppid_" 2>/dev/null
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  [ -n "$installed" ] && dpkg -r palomet >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || fail "cpack: $(tail -n 5 "$work/cpack.log")"
deb=$(ls "$work"/out/palomet_*_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "cpack made no palomet_<version>_<arch>.deb"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the package's dependencies lack Qt"
# Informational tags may stay (see the README); errors and warnings may not.
tags=$(lintian --no-tag-display-limit "$deb" 2>/dev/null | grep -E '^[EW]:')
[ -z "$tags" ] || fail "lintian: $tags"
dpkg-deb -x "$deb" "$work/unpacked"
# Control flow integrity cannot be had on Debian 12: its C start files carry
# no CET note, so no binary linked there has one (/usr/bin/ls neither).
hardening-check --nocfprotection "$work/unpacked/usr/bin/palomet" >"$work/hardening.log" ||
  fail "hardening-check: $(cat "$work/hardening.log")"
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || fail "dpkg -i: $(tail -n 5 "$work/dpkg.log")"
installed=yes
[ -x /usr/bin/palomet ] || fail "/usr/bin/palomet is missing"
[ -f /usr/share/applications/ru.palomet.Palomet.desktop ] || fail "the desktop entry is missing"
warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l /usr/share/man/man1/palomet.1.gz 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the man page renders with warnings: $warnings"
# The Russian page, found as a Russian reader's man finds it.
warnings=$(LC_ALL=C.UTF-8 man --warnings -E UTF-8 -L ru palomet 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the Russian man page renders with warnings: $warnings"
LC_ALL=C.UTF-8 man -E UTF-8 -L ru palomet 2>/dev/null | grep -q 'журнал блоков ЭКЛЗ' ||
  fail "man -L ru palomet does not show the Russian page"
[ -s /usr/share/doc/palomet/examples/thisyear.csv ] || fail "the sample register is not installed"
[ -s /usr/share/doc/palomet/guide.ru.md ] || fail "the users' guide is not installed"
grep -q 'xml:lang="ru"' /usr/share/metainfo/ru.palomet.Palomet.metainfo.xml ||
  fail "the installed AppStream metadata has no Russian"
[ "$(env -u DISPLAY /usr/bin/palomet --version)" = "palomet 1.0" ] || fail "palomet --version"
env -u DISPLAY /usr/bin/palomet --help | grep -q '^Usage: palomet' || fail "palomet --help"

source "$(dirname "$0")/../xvfb.sh"
start_xvfb "$work" 141 190

home="$work/home"
mkdir -p "$home" && chown nobody "$home"
env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$display" \
  setpriv --reuid=nobody --regid=nogroup --clear-groups /usr/bin/palomet >"$work/palomet.log" 2>&1 &
ppid_=$!
window=
for _ in $(seq 100); do
  window=$(DISPLAY=$display xdotool search --onlyvisible --name '^Palomet$' 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "the installed program showed no window: $(cat "$work/palomet.log")"
[ -d "$home/.local/share/palomet" ] || fail "no register folder in ~/.local/share/palomet"
class=$(sed -n 's/^StartupWMClass=//p' /usr/share/applications/ru.palomet.Palomet.desktop)
DISPLAY=$display xprop -id "$window" WM_CLASS | grep -q "\"$class\"" ||
  fail "the window's class is not the desktop entry's $class: $(DISPLAY=$display xprop -id "$window" WM_CLASS)"

kill "$ppid_" 2>/dev/null; ppid_=
dpkg -r palomet >/dev/null 2>&1 || fail "dpkg -r failed"
installed=
[ ! -e /usr/bin/palomet ] || fail "dpkg -r left /usr/bin/palomet"
echo "package $(basename "$deb"): installed, started, removed: passed"
