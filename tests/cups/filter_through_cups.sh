#!/usr/bin/env bash
# Prints drawings through a real CUPS queue (the cups-pdf driver) with the
# kestrovan-cups filter: one job with the queue's defaults from a local lp,
# one with our job options from an IPP client (lp -h localhost:631), and one
# damaged drawing that must stop its job with an ERROR line, not crash the
# filter. Checks the PDFs the queue writes: pages, paper, ink, colour, text.
# Installs the filter and its MIME files where the scheduler looks for them
# (root only), and puts back what it found: files, queue, scheduler.
# Exits 77 (skipped) only when CUPS cannot be started here at all.
# Usage: filter_through_cups.sh FILTER TYPES CONVS PLAIN.jww LAYERED.jww
set -u
filter=$1 types=$2 convs=$3 plain=$4 layered=$5
queue=KestrovanFilterPDF
filterdir=/usr/lib/cups/filter
mimedir=/usr/share/cups/mime
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrovan-cups-filter-XXXXXX")
mkdir -p "$work/saved"
started="" installed=() outputs=()

running() { lpstat -r 2>/dev/null | grep -q "is running"; }
wait_running() { for _ in $(seq 1 50); do running && return 0; sleep 0.1; done; running; }
# A scheduler we did not start rereads its MIME files and filters on SIGHUP.
reload() {
  local pid
  for pid in $(pidof cupsd); do kill -HUP "$pid"; done
  sleep 0.5
  wait_running
}
put() {  # put SOURCE DEST MODE, keeping what was there
  [ -e "$2" ] && cp -p "$2" "$work/saved/$(basename "$2")"
  installed+=("$2")
  install -m "$3" "$1" "$2"
}
cleanup() {
  cancel -a "$queue" >/dev/null 2>&1 || true
  lpadmin -x "$queue" >/dev/null 2>&1 || true
  local f
  for f in "${installed[@]}"; do
    if [ -e "$work/saved/$(basename "$f")" ]; then cp -p "$work/saved/$(basename "$f")" "$f"; else rm -f "$f"; fi
  done
  for f in "${outputs[@]}"; do rm -f "$f"; done
  if [ -n "$started" ]; then
    kill "$started" 2>/dev/null; wait "$started" 2>/dev/null
  elif [ ${#installed[@]} -gt 0 ] && running; then
    reload
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*"; lpstat -l -o "$queue" 2>&1 | tail -5; exit 1; }

if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null; then
  echo "SKIPPED: CUPS is not installed"; exit 77
fi
if [ "$(id -u)" -ne 0 ]; then echo "SKIPPED: installing a CUPS filter needs root"; exit 77; fi

# The scheduler runs filters as its unprivileged user: a copy of ours where
# that user can read and run it (the build tree may be closed to it).
put "$filter" "$filterdir/kestrovan-cups" 0755
put "$types" "$mimedir/kestrovan.types" 0644
put "$convs" "$mimedir/kestrovan.convs" 0644
if running; then
  reload || fail "the scheduler did not come back after a reload"
else
  mkdir -p /run/cups
  cupsd -f >"$work/cupsd.log" 2>&1 &
  started=$!
  if ! wait_running; then
    echo "SKIPPED: the CUPS scheduler cannot be started here"; cat "$work/cupsd.log"; exit 77
  fi
fi

ppd=$(lpinfo -m 2>/dev/null | awk '/CUPS-PDF_opt/ {print $1; exit}')
[ -n "$ppd" ] || ppd=$(lpinfo -m 2>/dev/null | awk '/cups-pdf/ {print $1; exit}')
[ -n "$ppd" ] || fail "no cups-pdf driver (printer-driver-cups-pdf)"
lpadmin -p "$queue" -v cups-pdf:/ -E -m "$ppd" >/dev/null 2>&1 || fail "cannot add the queue"
out="${HOME:-/root}/PDF"
mkdir -p "$out"

submit() {  # submit LP-ARGS…: prints the job number
  local r
  r=$(lp "$@" 2>&1) || fail "lp $*: $r"
  echo "$r" | sed -n 's/.*request id is [^ ]*-\([0-9]*\) .*/\1/p'
}
# The PDF the queue writes for a job, in $pdf, once the job has left the queue.
job_pdf() {
  for _ in $(seq 1 300); do
    pdf=$(find "$out" -maxdepth 1 -name "*job_$1.pdf" 2>/dev/null | head -n 1)
    if [ -n "$pdf" ] && ! lpstat -o "$queue" 2>/dev/null | grep -q "^$queue-$1 "; then
      sleep 0.3; outputs+=("$pdf"); return
    fi
    sleep 0.2
  done
  pdf=""
}
# "PAGES WxH INK COLOURED TEXTCHARS" of a PDF: ink and coloured pixels of
# its pages at 20 dpi, characters of text.
measure() {
  local pages size
  pages=$(pdfinfo "$1" | awk '/^Pages:/ {print $2}')
  size=$(pdfinfo "$1" | awk '/^Page size:/ {printf "%.0fx%.0f", $3, $5}')
  pdftoppm -r 20 "$1" "$work/page" 2>/dev/null
  local pixels
  pixels=$(for p in "$work"/page*.ppm; do
      tail -c "$(head -c 20 "$p" | awk 'NR==2 {print $1 * $2 * 3}')" "$p" | od -An -tu1 -v
    done | awk '{ for (i = 1; i <= NF; ++i) { v[n++ % 3] = $i; if (n % 3 == 0) {
        lo = v[0]; hi = v[0]; for (k = 1; k < 3; ++k) { if (v[k] < lo) lo = v[k]; if (v[k] > hi) hi = v[k] }
        ink += lo < 200; colour += hi - lo > 60 } } } END { print ink + 0, colour + 0 }')
  rm -f "$work"/page*.ppm
  echo "$pages $size $pixels $(pdftotext "$1" - 2>/dev/null | tr -d ' \n\f' | wc -m)"
}

# check JOB LABEL PAGES SIZE COLOURED: the job's PDF has that many pages of
# that size in points, with ink, texts as text, and coloured ink ("yes") or none ("no").
check() {
  job_pdf "$1"
  [ -n "$pdf" ] || fail "the queue wrote no PDF for job $1"
  read -r pages size ink colour text <<<"$(measure "$pdf")"
  echo "job $1 ($2): $pages pages, $size pt, $ink ink pixels, $colour coloured, $text characters of text"
  [ "$pages" = "$3" ] || fail "expected $3 pages"
  [ "$size" = "$4" ] || fail "expected pages of $4 pt"
  [ "$ink" -gt 50 ] || fail "expected ink"
  [ "$text" -gt 0 ] || fail "expected the drawing's texts as text"
  if [ "$5" = yes ]; then [ "$colour" -gt 5 ] || fail "expected coloured ink"
  else [ "$colour" = 0 ] || fail "expected black ink only"; fi
}

# 1. A local job with the queue's defaults: the drawing's own settings, on the
#    queue's A4 paper (the landscape page turned onto it), in colour.
check "$(submit -d "$queue" "$plain")" "defaults" 1 595x842 yes

# 2. The same scheduler as an IPP client sees it, with our options: fitted,
#    black only, one page per layer group (the layered drawing prints in one
#    group: its group-0 blocks nest inside insertions in group F), on A3.
check "$(submit -h localhost:631 -d "$queue" -o media=A3 -o kestrovan-method=fit -o kestrovan-mono=1 \
  -o kestrovan-per-layer-group -o kestrovan-not-an-option=1 "$layered")" "options, over IPP" 1 842x1191 no

# 3. A damaged drawing stops its job with an ERROR line; the filter ends by
#    itself with status 1, it does not crash.
head -c 3000 "$plain" >"$work/damaged.jww"
chmod 644 "$work/damaged.jww"
job=$(submit -d "$queue" "$work/damaged.jww")
log=/var/log/cups/error_log
for _ in $(seq 1 150); do grep -q "\[Job $job\] Job stopped" "$log" 2>/dev/null && break; sleep 0.2; done
grep -q "\[Job $job\] Job stopped due to filter errors" "$log" || fail "the damaged drawing's job was not stopped"
grep -q "\[Job $job\] .*damaged.jww is damaged" "$log" || fail "no ERROR line about the damaged drawing"
grep -q "\[Job $job\] PID [0-9]* (.*kestrovan-cups) stopped with status 1" "$log" ||
  fail "the filter did not end with status 1: $(grep "\[Job $job\].*kestrovan-cups)" "$log")"
for f in "$out"/*job_"$job".pdf; do [ -e "$f" ] && outputs+=("$f"); done
echo "job $job (damaged drawing): stopped with an ERROR line"
echo "PASSED"
