#!/usr/bin/env bash
# cmake --install puts exactly the program, its desktop entry, the icon at
# every size, the AppStream metadata, the man pages, the guide and the sample
# under the prefix, and both validators accept them; the metadata and the
# desktop entry speak Russian too.
set -u
build=$1
fail() { echo "FAILED: $*"; exit 1; }
prefix=$(mktemp -d /tmp/palomet-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"
id=ru.palomet.Palomet
expected="bin/palomet
share/applications/$id.desktop
share/doc/palomet/changelog.gz
share/doc/palomet/copyright
share/doc/palomet/examples/thisyear.csv
share/doc/palomet/guide.ru.md
share/icons/hicolor/128x128/apps/$id.png
share/icons/hicolor/16x16/apps/$id.png
share/icons/hicolor/256x256/apps/$id.png
share/icons/hicolor/32x32/apps/$id.png
share/icons/hicolor/48x48/apps/$id.png
share/icons/hicolor/64x64/apps/$id.png
share/icons/hicolor/scalable/apps/$id.svg
share/man/man1/palomet.1.gz
share/man/ru/man1/palomet.1.gz
share/metainfo/$id.metainfo.xml"
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$installed" = "$expected" ] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$installed"))"
for size in 16 32 48 64 128 256; do
  file "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "$size x $size" ||
    fail "the ${size}px icon is not ${size}x$size"
done
desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
for element in summary p li caption; do
  grep -q "<$element xml:lang=\"ru\">" "$prefix/share/metainfo/$id.metainfo.xml" ||
    fail "the AppStream metadata has no Russian <$element>"
done
for key in 'Comment\[ru\]' 'GenericName\[ru\]'; do
  grep -q "^$key=" "$prefix/share/applications/$id.desktop" || fail "the desktop entry has no $key"
done
cmp -s "$prefix/share/doc/palomet/examples/thisyear.csv" "$(dirname "$0")/../../docs/sample/thisyear.csv" ||
  fail "the sample register is not the one in docs/sample"
echo "installed files and validators: passed"
