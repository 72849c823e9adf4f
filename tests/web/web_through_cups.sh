#!/usr/bin/env bash
# kestrovan-web sends a job to a real CUPS queue (the cups-pdf driver): the
# queue is listed by GET /api/queues, POST /api/jobs/ID/print queue=NAME
# takes the job's PDF, and the queue writes it with every page. Starts the
# CUPS scheduler when none runs and stops it again; exits 77 (skipped) only
# when CUPS cannot be started here at all. Talks to 127.0.0.1 only.
# Usage: web_through_cups.sh KESTROVAN_WEB DRAWING1 DRAWING2
set -u
web=$1
shift
queue=kv27-web-pdf
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrovan-webcups-XXXXXX")
started="" server=""
cleanup() {
  lpadmin -x "$queue" >/dev/null 2>&1 || true
  if [ -n "$server" ]; then kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; fi
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

mkdir -p "$work/temp"
"$web" --listen 127.0.0.1:0 --temp "$work/temp" >"$work/web.out" 2>"$work/web.err" &
server=$!
for _ in $(seq 1 100); do grep -q listening "$work/web.out" 2>/dev/null && break; sleep 0.05; done
url=$(sed -n 's/.*listening on \(http:[^ ]*\)/\1/p' "$work/web.out")
[ -n "$url" ] || { echo "FAILED: kestrovan-web did not start"; cat "$work/web.err"; exit 1; }
url=${url%/}

curl -sf "$url/api/queues" | jq -e --arg q "$queue" '.queues | any(.name == $q)' >/dev/null ||
  { echo "FAILED: $queue is not among the queues"; curl -s "$url/api/queues"; exit 1; }
id=$(curl -sf -F "files=@$1" -F "files=@$2" -F paper=A4 -F orientation=portrait -F method=fit "$url/api/jobs" | jq -r .id)
[ -n "$id" ] && [ "$id" != null ] || { echo "FAILED: the job was not taken"; exit 1; }
state=""
for _ in $(seq 1 600); do
  state=$(curl -sf "$url/api/jobs/$id" | jq -r .state)
  [ "$state" = done ] || [ "$state" = failed ] && break
  sleep 0.1
done
[ "$state" = done ] || { echo "FAILED: the job ended $state"; curl -s "$url/api/jobs/$id"; exit 1; }

out="${HOME:-/root}/PDF"
mkdir -p "$out"
touch "$work/marker"
answer=$(curl -s -w '\n%{http_code}' --data-urlencode "queue=$queue" "$url/api/jobs/$id/print")
[ "$(echo "$answer" | tail -n1)" = 200 ] || { echo "FAILED: print answered $answer"; exit 1; }
echo "$answer" | head -n1 | jq -e '.cups_job > 0' >/dev/null || { echo "FAILED: no CUPS job in $answer"; exit 1; }
# An unknown queue is refused with a reason.
bad=$(curl -s -w '\n%{http_code}' --data-urlencode "queue=kv27-none" "$url/api/jobs/$id/print")
[ "$(echo "$bad" | tail -n1)" = 400 ] || { echo "FAILED: an unknown queue answered $bad"; exit 1; }

pdf=""
for _ in $(seq 1 300); do
  pdf=$(find "$out" -maxdepth 1 -name '*.pdf' -newer "$work/marker" 2>/dev/null | head -n 1)
  if [ -n "$pdf" ] && [ -z "$(lpstat -o "$queue" 2>/dev/null)" ]; then break; fi
  sleep 0.2
done
if [ -z "$pdf" ]; then
  echo "FAILED: the queue wrote no PDF"; lpstat -t 2>&1 | tail -5; exit 1
fi
sleep 0.5
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
rm -f "$pdf"
echo "queue $queue wrote $pages pages"
[ "$pages" = 2 ] || { echo "FAILED: expected 2 pages"; exit 1; }
echo "PASSED"
