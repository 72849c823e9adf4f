#!/usr/bin/env bash
# Prints drawings through real CUPS queues with the kestrovan-cups filter.
# A cups-pdf queue: one job with the queue's defaults from a local lp, one
# with our job options from an IPP client (lp -h localhost:631), one damaged
# drawing that must end its job with an ERROR line, not crash the filter,
# A3 and an A1 drawing reduced onto A3. An office laser's queue (the PPD
# cups-filters ships for an HP colour laser: Letter by default, no A3, with
# our options added): A3 is refused with an ERROR line, a drawing beyond its
# A4 paper is warned in the scheduler's log and refused under
# kestrovan-off-paper=fail, and lpoptions lists our options. A refused job
# ends (completed, its ERROR the state message) and sends its printer
# nothing. Checks the PDFs
# the queues write: pages, paper, ink, colour, text.
# Installs the filter and its MIME files where the scheduler looks for them
# (root only), and puts back what it found: files, queues, scheduler.
# Exits 77 (skipped) only when CUPS cannot be started here at all.
# Usage: filter_through_cups.sh FILTER TYPES CONVS PLAIN.jww LAYERED.jww A1.jww
# (KESTROVAN_TEST_QUEUES names the queues: PREFIX-pdf and PREFIX-laser.)
set -u
filter=$1 types=$2 convs=$3 plain=$4 layered=$5 a1=$6
queue=${KESTROVAN_TEST_QUEUES:-KestrovanFilter}-pdf
laser=${KESTROVAN_TEST_QUEUES:-KestrovanFilter}-laser
laserppd=/usr/share/ppd/cupsfilters/HP-Color_LaserJet_CM3530_MFP-PDF.ppd
filterdir=/usr/lib/cups/filter
mimedir=/usr/share/cups/mime
backenddir=/usr/lib/cups/backend
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
  local q
  for q in "$queue" "$laser"; do
    cancel -a "$q" >/dev/null 2>&1 || true
    lpadmin -x "$q" >/dev/null 2>&1 || true
  done
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
fail() { echo "FAILED: $*"; lpstat -l -o "$queue" "$laser" 2>&1 | tail -5; exit 1; }

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
# The PDF the queue writes for a job, in $pdf, once the job has left the
# queue: cups-pdf's file, or the PDF inside what the laser's backend kept.
job_pdf() {
  local prn at
  for _ in $(seq 1 300); do
    pdf=$(find "$out" -maxdepth 1 -name "*job_$1.pdf" 2>/dev/null | head -n 1)
    if [ -n "$pdf" ] && ! lpstat -o "$queue" 2>/dev/null | grep -q "^$queue-$1 "; then
      sleep 0.3; outputs+=("$pdf"); return
    fi
    prn="$work/laser/job_$1.prn"
    if [ -f "$prn" ]; then
      at=$(grep -abo '%PDF-' "$prn" | head -n 1 | cut -d: -f1)
      pdf="$work/laser/job_$1.pdf"
      tail -c +"$((${at:-0} + 1))" "$prn" >"$pdf"
      return
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

# 3. A damaged drawing ends its job with an ERROR line; the filter ends by
#    itself, it does not crash.
head -c 3000 "$plain" >"$work/damaged.jww"
chmod 644 "$work/damaged.jww"
job=$(submit -d "$queue" "$work/damaged.jww")
log=/var/log/cups/error_log
for _ in $(seq 1 150); do lpstat -W completed -o 2>/dev/null | grep -q -- "-$job " && break; sleep 0.2; done
lpstat -W completed -o 2>/dev/null | grep -q -- "-$job " || fail "the damaged drawing's job did not end"
grep -q "\[Job $job\] Job stopped" "$log" && fail "the damaged drawing's job was stopped"
grep -q "^E .*\[Job $job\] .*damaged.jww is damaged" "$log" || fail "no ERROR line about the damaged drawing"
for f in "$out"/*job_"$job".pdf; do [ -e "$f" ] && outputs+=("$f"); done
echo "job $job (damaged drawing): ended with an ERROR line"

# The scheduler's log lines of a job once it has ended (completed or stopped).
job_log() {  # job_log JOB: sets $joblog
  for _ in $(seq 1 300); do
    grep -q "\[Job $1\] \(Job stopped\|Job completed\|Completed\)" "$log" 2>/dev/null && break
    lpstat -W completed -o 2>/dev/null | grep -q -- "-$1 " && break
    sleep 0.2
  done
  sleep 0.3
  joblog=$(grep "\[Job $1\]" "$log" 2>/dev/null)
}
# Refused: the job ended with an ERROR line of ours and its printer got nothing.
refused() {
  lpstat -W completed -o 2>/dev/null | grep -q -- "-$1 " && echo "$joblog" | grep -q "^E .*\[Job $1\] " &&
    ! echo "$joblog" | grep -q "Job stopped" && [ ! -s "$work/laser/job_$1.prn" ]
}

# 4. On cups-pdf (whose PPD has A3): A3 is A3, and the A1 drawing is reduced
#    onto A3 with kestrovan-fit-paper=A3, losing nothing.
check "$(submit -d "$queue" -o media=A3 "$plain")" "media=A3" 1 842x1191 yes
job=$(submit -d "$queue" -o media=A3 -o kestrovan-fit-paper=A3 "$a1")
check "$job" "A1 drawing, kestrovan-fit-paper=A3" 1 842x1191 yes
job_log "$job"
echo "$joblog" | grep -q "content off the page" && fail "the A1 drawing reduced onto A3 lost content: $joblog"

# 5. An office laser: its PPD with our options added, so that lpoptions and
#    print dialogs offer them.
#    What the laser would get (PJL around a PDF) is kept by a backend of our own.
[ -f "$laserppd" ] || fail "no office laser PPD at $laserppd (cups-filters)"
{ cat "$laserppd"; "$filter" --ppd-options; } >"$work/laser.ppd"
put "$(dirname "$0")/capture_backend.sh" "$backenddir/kestrovan-capture" 0700
mkdir -p "$work/laser"
lpadmin -p "$laser" -v "kestrovan-capture:$work/laser" -E -P "$work/laser.ppd" >/dev/null 2>&1 ||
  fail "cannot add the laser queue"
lpoptions -p "$laser" -l | grep -q "^kestrovan-off-paper/.*: \*warn fail fit" ||
  fail "lpoptions does not offer kestrovan-off-paper: $(lpoptions -p "$laser" -l | grep kestrovan)"
lpoptions -p "$laser" -l | grep -q "^kestrovan-method/" || fail "lpoptions does not offer kestrovan-method"
#    A3, which it has not, fails the job with an ERROR line naming its papers.
job=$(submit -d "$laser" -o media=A3 "$plain")
job_log "$job"
refused "$job" || fail "media=A3 on the laser was not refused: $joblog"
# (CUPS's security updates escape quotes in the log: \"A3\".)
echo "$joblog" | grep -q 'takes no \\\?"A3\\\?" paper (297 x 420 mm); it takes Letter, A4' ||
  fail "no ERROR line about A3: $joblog"
echo "job $job (laser, media=A3): refused with an ERROR line, nothing sent to the printer"
#    The A2 drawing on A4: printed on A4, its page warning in the log and
#    as the job's state message.
job=$(submit -d "$laser" -o media=A4 -t "plan A2" "$plain")
check "$job" "laser, A2 drawing on A4" 1 595x842 yes
job_log "$job"
echo "$joblog" | grep -q "plan A2, page 1: content off the page" || fail "no warning in the log: $joblog"
message=$(lpstat -W completed -l -o "$laser" 2>/dev/null | grep -A2 -- "-$job " | grep "Status:")
echo "$message" | grep -q "Status: Printed 1 page; page 1: content off the page: " ||
  fail "lpstat -l does not show the warning: $message"
echo "  lpstat -l:$message"
#    The same under kestrovan-off-paper=fail: the job fails.
job=$(submit -d "$laser" -o media=A4 -o kestrovan-off-paper=fail "$plain")
job_log "$job"
refused "$job" || fail "kestrovan-off-paper=fail did not refuse the job: $joblog"
echo "$joblog" | grep -q "page goes beyond the paper; the job fails" || fail "no ERROR line: $joblog"
echo "job $job (laser, kestrovan-off-paper=fail): refused with an ERROR line"

# 6. As after the package's removal: the filter and its conversion gone, the
#    type rule kept. The scheduler refuses drawings instead of sending them
#    raw to the printer.
rm -f "$filterdir/kestrovan-cups" "$mimedir/kestrovan.convs"
reload || fail "the scheduler did not come back after a reload"
if r=$(lp -d "$laser" "$plain" 2>&1); then fail "a drawing was taken without its filter: $r"; fi
echo "$r" | grep -qi "unsupported document-format\|document-format" || fail "lp said: $r"
echo "without the filter: refused ($r)"
echo "PASSED"
