#!/usr/bin/env bash
# Prints two drawings through a real CUPS queue (the cups-pdf driver) with
# kestrovan-print --printer, and checks the PDF the queue writes: one job,
# two A4 pages. Starts the CUPS scheduler when none runs and stops it again;
# exits 77 (skipped) only when CUPS cannot be started here at all.
# Usage: print_through_cups.sh KESTROVAN_PRINT DRAWING1 DRAWING2
set -u
print=$1
shift
queue=KestrovanTestPDF
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrovan-cups-XXXXXX")
started=""
cleanup() {
  lpadmin -x "$queue" >/dev/null 2>&1 || true
  if [ -n "$started" ]; then kill "$started" 2>/dev/null; wait "$started" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT

if ! command -v cupsd >/dev/null || ! command -v lpadmin >/dev/null; then
  echo "SKIPPED: CUPS is not installed"; exit 77
fi
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  mkdir -p /run/cups
  cupsd -f >"$work/cupsd.log" 2>&1 &
  started=$!
  for _ in $(seq 1 50); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.1; done
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    echo "SKIPPED: the CUPS scheduler cannot be started here"; cat "$work/cupsd.log"; exit 77
  fi
fi

ppd=$(lpinfo -m 2>/dev/null | awk '/CUPS-PDF_opt/ {print $1; exit}')
[ -n "$ppd" ] || ppd=$(lpinfo -m 2>/dev/null | awk '/cups-pdf/ {print $1; exit}')
if [ -z "$ppd" ]; then echo "FAILED: no cups-pdf driver (printer-driver-cups-pdf)"; exit 1; fi
lpadmin -p "$queue" -v cups-pdf:/ -E -m "$ppd" >/dev/null 2>&1 || { echo "FAILED: cannot add the queue"; exit 1; }

out="${HOME:-/root}/PDF"
mkdir -p "$out"
touch "$work/marker"
if ! "$print" --printer "$queue" --one-document --paper A4 --portrait --dpi 300 --method fit "$@" 2>"$work/print.log"; then
  echo "FAILED: kestrovan-print"; cat "$work/print.log"; exit 1
fi

# Wait for the job to leave the queue and its PDF to appear.
pdf=""
for _ in $(seq 1 300); do
  pdf=$(find "$out" -maxdepth 1 -name '*.pdf' -newer "$work/marker" 2>/dev/null | head -n 1)
  if [ -n "$pdf" ] && [ -z "$(lpstat -o "$queue" 2>/dev/null)" ]; then break; fi
  sleep 0.2
done
if [ -z "$pdf" ]; then
  echo "FAILED: the queue wrote no PDF"; lpstat -t 2>&1 | tail -5; tail -5 /var/log/cups/error_log 2>/dev/null; exit 1
fi
sleep 0.5
info=$(pdfinfo "$pdf")
rm -f "$pdf"
pages=$(echo "$info" | awk '/^Pages:/ {print $2}')
size=$(echo "$info" | awk '/^Page size:/ {print $3 "x" $5}')
echo "queue $queue wrote $(basename "$pdf"): $pages pages of $size pt"
if [ "$pages" != 2 ]; then echo "FAILED: expected 2 pages"; exit 1; fi
w=${size%x*}; h=${size#*x}
# A4 portrait: 595 x 842 pt (within a point).
if ! awk -v w="$w" -v h="$h" 'BEGIN { exit !(w > 594 && w < 597 && h > 841 && h < 843) }'; then
  echo "FAILED: expected A4 portrait pages, got $size"; exit 1
fi
echo "PASSED"
