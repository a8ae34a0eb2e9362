#!/usr/bin/env bash
# Prints a 37-entry register through the real print path onto a private CUPS
# scheduler whose default queue is a cups-pdf printer, then reads the PDF back.
# Then, under Xvfb, presses «Отмена» with a real click at a random page of a
# long job, the last included, over and over: each time the user is told and
# nothing reaches the queue.
# Exits 77 (skipped) with the reason when no scheduler can be started here.
set -u
printer_program=$1
skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*"; exit 1; }

[ "$(id -u)" -eq 0 ] || skip "the cups-pdf back end runs only under a root scheduler"
command -v cupsd >/dev/null || skip "cupsd is not installed (scripts/install-deps.sh installs it)"
[ -x /usr/lib/cups/backend/cups-pdf ] || skip "printer-driver-cups-pdf is not installed"
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
[ -f "$ppd" ] || skip "the cups-pdf PPD is missing"

root=$(mktemp -d /tmp/palomet-cups.XXXXXX)
chmod 755 "$root"
pid=
pdf=
xpid=
cleanup() {
  [ -n "$xpid" ] && kill "$xpid" 2>/dev/null
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  [ -n "$pdf" ] && rm -f "$pdf"
  rm -rf "$root"
}
trap cleanup EXIT
mkdir -p "$root"/{spool/tmp,cache,state,log,ppd,program}

cat >"$root/cups-files.conf" <<CONF
ServerRoot $root
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/state
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
FileDevice No
CONF
cat >"$root/cupsd.conf" <<CONF
Listen $root/cups.sock
LogLevel warn
Browsing Off
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

cupsd -f -c "$root/cupsd.conf" -s "$root/cups-files.conf" &
pid=$!
export CUPS_SERVER=$root/cups.sock
for _ in $(seq 50); do
  [ -S "$CUPS_SERVER" ] && lpstat -r >/dev/null 2>&1 && break
  kill -0 "$pid" 2>/dev/null || skip "cupsd did not start: $(tail -n 3 "$root/log/error_log" 2>/dev/null)"
  sleep 0.2
done
lpstat -r >/dev/null 2>&1 || skip "cupsd does not answer on its socket"

lpadmin -p PalometPDF -E -v cups-pdf:/ -P "$ppd" || fail "cannot add the cups-pdf queue"
lpadmin -d PalometPDF || fail "cannot make the queue the default"

# cups-pdf writes into the job owner's ~/PDF; what arrives after the marker is ours.
outdir=$(getent passwd "$(id -un)" | cut -d: -f6)/PDF
touch "$root/marker"

python3 - "$root/program/thisyear.csv" <<'PY'
import sys
rows = []
for i in range(1, 38):
    rows.append(";".join([str(8710000100 + i), "%010d" % i, "15.01.2009", "", "ЭКР 2102К",
                          str(100 + i), "ООО Ромашка %d" % i]) + ";\r\n")
open(sys.argv[1], "wb").write("".join(rows).encode("cp1251"))
PY

QT_QPA_PLATFORM=offscreen "$printer_program" "$root/program" || fail "the program reported a problem"

pdf=
for _ in $(seq 150); do
  pdf=$(find "$outdir" -maxdepth 1 -name '*.pdf' -newer "$root/marker" 2>/dev/null | head -n 1)
  [ -n "$pdf" ] && ! lpstat -o 2>/dev/null | grep -q . && break
  sleep 0.2
done
[ -n "$pdf" ] || fail "no PDF arrived; $(grep -v '^W' "$root/log/error_log" 2>/dev/null | tail -n 5)"
keep=${PALOMET_PRINT_ARTIFACT:-}
[ -n "$keep" ] && cp "$pdf" "$keep"
# cups-pdf rebuilds the PDF from PostScript, and its fonts no longer map
# glyphs back to text, so the pages are read the way a person reads them:
# rendered, and read by OCR.
command -v tesseract >/dev/null || fail "tesseract is not installed (scripts/install-deps.sh installs it)"
work=$root/read
mkdir -p "$work"
python3 - "$pdf" "$work" "$(date +%d.%m.%Y)" <<'PY' || fail "the printed register does not read as expected"
import re, subprocess, sys

pdf, work, today = sys.argv[1:4]

def run(*args):
    return subprocess.run(args, check=True, capture_output=True, text=True).stdout

info = run("pdfinfo", pdf)
pages = int(re.search(r"^Pages:\s+(\d+)$", info, re.M).group(1))
w, h = map(float, re.search(r"^Page size:\s+([\d.]+) x ([\d.]+) pts", info, re.M).groups())
assert pages == 2, f"expected two pages, got {pages}"
assert sorted([round(w), round(h)]) == [595, 842], f"expected A4, got {w} x {h}"

# A landscape job comes back either on a landscape page or turned on a
# portrait one, where its lines run up the page: the glyph boxes say which.
boxes = re.findall(r'xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)"',
                   run("pdftotext", "-f", "1", "-l", "1", "-bbox", pdf, "-"))
tall = sum(1 for x0, y0, x1, y1 in boxes if float(y1) - float(y0) > float(x1) - float(x0))
turned = w < h
assert boxes and (tall > len(boxes) / 2) == turned, "the table does not run along the long side"

def read(page, left, top, width, height, *options):
    """OCR of a part of a page, given in fractions of the landscape page."""
    png = f"{work}/page{page}"
    run("pdftoppm", "-r", "300", "-png", "-singlefile", "-f", str(page), "-l", str(page), pdf, png)
    src = png + ".png"
    if turned:
        run("convert", src, "-rotate", "90", src)
    size = run("identify", "-format", "%w %h", src).split()
    W, H = int(size[0]), int(size[1])
    crop = f"{int(W * width)}x{int(H * height)}+{int(W * left)}+{int(H * top)}"
    run("convert", src, "-crop", crop, "+repage", f"{png}-part.png")
    return run("tesseract", f"{png}-part.png", "-", "-l", "rus+eng", *options)

head = read(1, 0.0, 0.0, 1.0, 0.2)
print(head)
assert today in head, "no title line with today's date"
assert "ЭКЛЗ" in head and "Владелец" in head, "no Cyrillic column titles"
assert "Ромашка" in head, "Cyrillic cell texts unreadable"
for page in (1, 2):
    label = read(page, 0.8, 0.75, 0.2, 0.1, "--psm", "6")
    print(label)
    assert re.search(rf"стр\.\s*{page}", label), f"no label of page {page}"
PY
echo "printed two landscape A4 pages through CUPS"

. "$(dirname "$0")/../../xvfb.sh"
command -v xdotool >/dev/null || skip "xdotool is not installed (scripts/install-deps.sh installs it)"
start_xvfb "$root" 80 99
python3 - "$root/program/thisyear.csv" <<'PY'
import sys
rows = [";".join([str(8710000100 + i), "%010d" % i, "15.01.2009", "", "ЭКР 2102К", str(100 + i),
                  "ООО Ромашка %d" % i]) + ";\r\n" for i in range(1, 4001)]
open(sys.argv[1], "wb").write("".join(rows).encode("cp1251"))
PY
pages=106
for round in $(seq 8); do
  # The last page in one round of four: what is pressed while the job ends.
  target=$(( round % 4 == 0 ? pages : RANDOM % pages + 1 ))
  touch "$root/marker"
  mkdir -p "$root/tmp"
  DISPLAY=$display TMPDIR=$root/tmp "$printer_program" "$root/program" cancel "$target" >"$root/out" 2>"$root/err" &
  job=$!
  for _ in $(seq 400); do
    grep -q "^page $target\$" "$root/out" && grep -q '^cancel' "$root/out" && break
    kill -0 "$job" 2>/dev/null || break
    sleep 0.01
  done
  read -r _ x y < <(grep '^cancel' "$root/out")
  [ -n "${x:-}" ] || fail "round $round: the progress never showed"
  # The job being drawn has no name in the shared temporary folder, so that a
  # kill or a logout now leaves nothing of the register there.
  ! ls "$root/tmp" | grep -q palomet-print || fail "round $round: the job left $(ls "$root/tmp") in TMPDIR"
  # As a person presses: down, a tenth of a second, up. The job waits at the
  # target page for it.
  DISPLAY=$display xdotool mousemove "$x" "$y" mousedown 1
  sleep 0.1
  DISPLAY=$display xdotool mouseup 1
  released=$(date +%s%3N)
  wait "$job"
  # A button acts when it comes up. Should the job still be handed over before
  # the release reached the program (the hold ran out), the click found no
  # button, and nothing is judged; its PDF is waited for, so that it is not
  # taken for a later round's.
  read -r _ handed < <(grep '^handed' "$root/out")
  if [ -n "${handed:-}" ] && [ "$handed" -le $((released + 50)) ]; then
    echo "round $round: pressed after the job was handed over"
    for _ in $(seq 100); do
      [ -n "$(find "$outdir" -maxdepth 1 -name '*.pdf' -newer "$root/marker")" ] && ! lpstat -o | grep -q . && break
      sleep 0.2
    done
    continue
  fi
  grep -q 'печать отменена' "$root/err" ||
    fail "round $round: «Отмена» at page $target of $pages was not answered: $(cat "$root/err")"
  sleep 1
  [ -z "$(find "$outdir" -maxdepth 1 -name '*.pdf' -newer "$root/marker" 2>/dev/null)" ] && ! lpstat -o 2>/dev/null | grep -q . ||
    fail "round $round: a cancelled job reached the queue"
done
echo "«Отмена» was answered at every page it was pressed, the last included; nothing was sent"
