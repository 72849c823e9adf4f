#!/usr/bin/env bash
# The office as it prints: a print server with the filter, an office laser's
# PPD (a PostScript laser: Letter by default, A3 with margins) on a device
# that keeps what it gets, and a sheet printer whose PPD has only borderless
# sizes; a desktop whose queues are the server's added the usual way
# (driverless, IPP Everywhere), which sends media=A3 with the PageSize its
# own PPD names. Two schedulers of our own, each on its own port of
# 127.0.0.1 with its own ServerRoot: the system's scheduler, queues and
# files are never touched.
#   - A3 asked on the desktop is printed on A3 at the device.
#   - A3 on the borderless-only queue, which the desktop asks as
#     PageSize=A3.Borderless (a name the server's PPD has not, so its later
#     filters would shrink the page onto A4): refused with an ERROR naming
#     A4, nothing at the device.
#   - A damaged drawing: its job ends on the server with its ERROR as the
#     state message and nothing sent to the device, ends on the desktop, and
#     the next job prints; both queues keep the error policy that stops a
#     printer (stop-printer), and neither stops. (The desktop's job ends
#     completed: its ipp backend shows the server's ERROR while the job runs,
#     and keeps no message of a remote job that completed.)
#   - The queue's options (kestrovan-cups --add-options, --remove-options)
#     on the laser, whose PPD lists 31 languages: the merged PPD passes
#     cupstestppd, print dialogs get English and Japanese labels, a preset
#     outlives adding them again, and taking them away leaves the PPD as it was.
#   - Page accounting as the manual's PageLogFormat writes it.
#   - A refused job on a laser whose filters wrap the PDF in PJL sends nothing.
# Exits 77 (skipped) where it cannot run: not root, no CUPS.
#   - The package's purge (its postrm, run against the server, running and
#     then stopped): the options leave the queues' PPDs and the drawings'
#     jobs leave the scheduler (one held to print is cancelled), so that
#     started again without the type rule it logs no "Unknown MIME type"
#     and holds no drawing it would take for raw printer data.
# Usage: office_chain.sh FILTER TYPES CONVS PLAIN.jww POSTRM
set -u
filter=$1 types=$2 convs=$3 plain=$4 postrm=$5
here=$(cd "$(dirname "$0")" && pwd)

if [ "$(id -u)" -ne 0 ]; then echo "SKIPPED: schedulers of our own need root (they run filters as lp)"; exit 77; fi
for tool in cupsd lpadmin lp lpstat ipptool cupstestppd pdfinfo ps2pdf ss shuf; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
[ -d /usr/share/ppd/cups-pdf ] || { echo "SKIPPED: no cups-pdf PPD (printer-driver-cups-pdf)"; exit 77; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrovan-office-XXXXXX")
. "$here/schedulers.sh"
cleanup() { scheduler_stop_all; [ -n "${KESTROVAN_TEST_KEEP:-}" ] || rm -rf "$work"; }
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  for s in server desktop; do
    echo "--- $s: jobs"; at "$s" lpstat -W all -l -o 2>&1 | tail -12
    echo "--- $s: log"; grep -a '^[EW]' "$work/$s/log/error_log" 2>/dev/null | tail -8
  done
  exit 1
}

# Two free ports.
free_port() {
  local p
  for p in $(shuf -i 20000-60000 -n 50); do
    ss -ltnH "sport = :$p" | grep -q . || { echo "$p"; return; }
  done
  return 1
}
sport=$(free_port) && dport=$(free_port) && [ "$sport" != "$dport" ] || fail "no free port"

# The server: the filter and its MIME files in its own folders, a device
# that keeps each job as job_N.prn.
scheduler_prepare server
install -m 0755 "$filter" "$work/server/lib/filter/kestrovan-cups"
install -m 0700 "$here/capture_backend.sh" "$work/server/lib/backend/kestrovan-capture"
install -m 0644 "$types" "$convs" "$work/server/etc/"
scheduler_start server "$sport" "ErrorPolicy stop-printer
PageLogFormat %p %u %j %T %P %C %{job-originating-host-name} %{job-name} %{media}" || fail "the server's scheduler did not start"
scheduler_start desktop "$dport" "ErrorPolicy stop-printer" || fail "the desktop's scheduler did not start"
mkdir -p "$work/device" "$work/sheets"
at server lpadmin -p Laser38 -v "kestrovan-capture:$work/device" -E -m drv:///sample.drv/generic.ppd >/dev/null 2>&1 ||
  fail "cannot add the laser's queue"
at server lpadmin -p Sheet38 -v "kestrovan-capture:$work/sheets" -E -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
  >/dev/null 2>&1 || fail "cannot add the sheet printer's queue"

# The options in print dialogs: added to the laser's queue, whose PPD lists
# 31 languages; the merged PPD passes cupstestppd, labelled in English and
# Japanese; added again (as after an upgrade) they replace themselves and
# keep the queue's preset; taken away, the PPD is as it was.
ppd=$work/server/etc/ppd/Laser38.ppd
cp "$ppd" "$work/laser-before.ppd"
at server "$filter" --add-options Laser38 >/dev/null || fail "kestrovan-cups --add-options Laser38"
cupstestppd -q "$ppd" || fail "the merged PPD fails cupstestppd: $(cupstestppd "$ppd" | grep -v WARN | head -5)"
at server lpoptions -p Laser38 -l | grep -q '^kestrovan-off-paper/Content beyond the paper: \*warn fail fit' ||
  fail "lpoptions does not offer kestrovan-off-paper: $(at server lpoptions -p Laser38 -l | grep kestrovan)"
grep -q '^\*ja.Translation kestrovan-method/印刷の配置: ""' "$ppd" || fail "no Japanese labels"
grep -q '^\*de.Translation kestrovan-method/Placement: ""' "$ppd" || fail "no label for the PPD's German"
at server lpadmin -p Laser38 -o kestrovan-off-paper=fail || fail "cannot set a preset"
at server "$filter" --add-options Laser38 >/dev/null || fail "kestrovan-cups --add-options Laser38, again"
[ "$(grep -c "Kestrovan's job options: begin" "$ppd")" = 1 ] || fail "the options were added twice"
grep -q '^\*Defaultkestrovan-off-paper: fail' "$ppd" || fail "the queue's preset was lost"
at server "$filter" --remove-options Laser38 >/dev/null || fail "kestrovan-cups --remove-options Laser38"
if at server lpoptions -p Laser38 -l | grep -q kestrovan; then fail "the options are still offered"; fi
cmp -s "$ppd" "$work/laser-before.ppd" || fail "the PPD is not as it was: $(diff "$work/laser-before.ppd" "$ppd" | head)"
echo "the laser's options: added (cupstestppd passes, English and Japanese labels), replaced, taken away"
at server "$filter" --add-options Laser38 >/dev/null || fail "kestrovan-cups --add-options Laser38"

for q in Laser38 Sheet38; do
  at desktop lpadmin -p "Desk$q" -v "ipp://127.0.0.1:$sport/printers/$q" -E -m everywhere >/dev/null 2>&1 ||
    fail "the desktop cannot add the server's $q driverless"
done
# The desktop's scheduler makes the driverless PPDs after lpadmin returns.
for _ in $(seq 1 100); do
  [ -s "$work/desktop/etc/ppd/DeskLaser38.ppd" ] && [ -s "$work/desktop/etc/ppd/DeskSheet38.ppd" ] && break
  sleep 0.1
done
grep -q '^\*PageSize A3.Borderless' "$work/desktop/etc/ppd/DeskSheet38.ppd" ||
  fail "the desktop's driverless PPD of the borderless queue has no A3.Borderless"

submit() {  # submit QUEUE LP-ARGS…: the desktop's job number
  local r
  r=$(at desktop lp -d "$@" 2>&1) || fail "lp -d $*: $r"
  echo "$r" | sed -n 's/.*request id is [^ ]*-\([0-9]*\) .*/\1/p'
}
ended() {  # ended SCHEDULER QUEUE JOB: waits until the job has ended there
  local _
  for _ in $(seq 1 300); do
    at "$1" lpstat -W completed -o "$2" 2>/dev/null | grep -q "^$2-$3 " && return 0
    sleep 0.2
  done
  return 1
}
# The job's state, reasons and message as IPP clients see them.
job_attrs() {  # job_attrs SCHEDULER QUEUE JOB
  local port
  eval "port=\$port_$1"
  ipptool -T 10 -t "ipp://127.0.0.1:$port/printers/$2" /dev/stdin <<EOF 2>/dev/null | sed -n 's/^ *\(job-[a-z-]*\) ([^)]*) = /\1=/p'
{
  OPERATION Get-Job-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR integer job-id $3
  ATTR keyword requested-attributes job-state,job-state-reasons,job-printer-state-message
  DISPLAY job-state
  DISPLAY job-printer-state-message
}
EOF
}
# The server's job that the desktop's job became: the last one titled so.
server_job() {  # server_job TITLE
  grep -a "\] argv\[3\]=\"$1\"" "$work/server/log/error_log" | sed -n 's/.*\[Job \([0-9]*\)\].*/\1/p' | tail -n 1
}
page_size() {  # page_size FILE.prn: "WxH" in points of its first page (PostScript or PDF)
  local pdf=$work/measure.pdf
  if head -c 4 "$1" | grep -q '%!'; then ps2pdf "$1" "$pdf" 2>/dev/null || return 1; else cp "$1" "$pdf"; fi
  pdfinfo "$pdf" | awk '/^Page size:/ {printf "%.0fx%.0f\n", $3, $5; exit}'
}

# 1. A3 asked on the desktop prints on A3 at the device.
job=$(submit DeskLaser38 -o media=A3 "$plain")
ended desktop DeskLaser38 "$job" || fail "the desktop's A3 job did not end"
sjob=$(server_job "${plain##*/}")
ended server Laser38 "$sjob" || fail "the server's A3 job did not end"
sent=$(grep -a "\[Job $sjob\] argv\[5\]" "$work/server/log/error_log" | grep -o 'media=[^ ]*\|PageSize=[^ ]*' | tr '\n' ' ')
size=$(page_size "$work/device/job_$sjob.prn") || fail "the device got no page for the A3 job"
echo "desktop job $job (server job $sjob, $sent): the device printed on $size pt"
[ "$size" = 842x1191 ] || [ "$size" = 1191x842 ] || fail "the A3 job was printed on $size pt, not A3"

# 2. A3 on the borderless-only queue: the desktop asks PageSize=A3.Borderless,
#    which the server's PPD has not: refused, naming the paper it would be.
job=$(submit DeskSheet38 -o media=A3 "$plain")
ended desktop DeskSheet38 "$job" || fail "the desktop's borderless A3 job did not end"
sjob=$(server_job "${plain##*/}")
ended server Sheet38 "$sjob" || fail "the server's borderless A3 job did not end"
grep -a "\[Job $sjob\] argv\[5\]" "$work/server/log/error_log" | grep -q 'PageSize=A3.Borderless' ||
  fail "the desktop did not send PageSize=A3.Borderless"
attrs=$(job_attrs server Sheet38 "$sjob")
echo "desktop job $job (server job $sjob, PageSize=A3.Borderless): $(echo "$attrs" | tr '\n' ' ')"
echo "$attrs" | grep -q "^job-printer-state-message=this queue would print on A4 (210 x 297 mm), not on A3" ||
  fail "the borderless A3 job was not refused naming A4"
[ ! -s "$work/sheets/job_$sjob.prn" ] || fail "the refused job sent its printer something"

# 3. A damaged drawing: refused, ended on both sides, nothing at the device,
#    and the next job prints; no queue is stopped.
head -c 3000 "$plain" >"$work/damaged.jww"
chmod 0644 "$work/damaged.jww"
bad=$(submit DeskLaser38 -o media=A4 "$work/damaged.jww")
next=$(submit DeskLaser38 -o media=A4 "$plain")
ended desktop DeskLaser38 "$bad" || fail "the damaged drawing's job never ended on the desktop"
sbad=$(server_job damaged.jww)
ended server Laser38 "$sbad" || fail "the damaged drawing's job never ended on the server"
attrs=$(job_attrs server Laser38 "$sbad")
echo "damaged drawing, server job $sbad: $(echo "$attrs" | tr '\n' ' ')"
echo "$attrs" | grep -q '^job-state=completed' || fail "the server's job did not end: $attrs"
echo "$attrs" | grep -q '^job-printer-state-message=damaged.jww is damaged: ' ||
  fail "the server's job does not show its ERROR: $attrs"
[ ! -s "$work/device/job_$sbad.prn" ] || fail "the refused job sent the device $(wc -c <"$work/device/job_$sbad.prn") bytes"
dattrs=$(job_attrs desktop DeskLaser38 "$bad")
echo "damaged drawing, desktop job $bad: $(echo "$dattrs" | tr '\n' ' ')"
grep -a "\[Job $bad\]" "$work/desktop/log/error_log" | grep -q 'damaged.jww is damaged: ' ||
  fail "the desktop never showed the server's ERROR"
ended desktop DeskLaser38 "$next" || fail "the job after the damaged drawing did not print"
snext=$(server_job "${plain##*/}")
size=$(page_size "$work/device/job_$snext.prn") || fail "the device got no page for the job after"
echo "the next job (desktop $next, server $snext): printed on $size pt"
[ "$size" = 595x842 ] || [ "$size" = 842x595 ] || fail "the next job was printed on $size pt, not A4"
# The page accounting of the manual's PageLogFormat: each job's pages, the
# sending host, the drawing and the paper; none for a refused one.
grep -q "^Laser38 root $sbad .* total 0 localhost damaged.jww A4\$" "$work/server/log/page_log" ||
  fail "no page_log line of nothing for the refused drawing: $(cat "$work/server/log/page_log")"
grep -q "^Laser38 root $snext .* total 1 localhost ${plain##*/} A4\$" "$work/server/log/page_log" ||
  fail "no page_log line for the printed drawing: $(cat "$work/server/log/page_log")"
# On a laser whose later filters put a PJL header around the PDF (the PPD
# cups-filters ships for an HP colour laser), a refused job sends nothing either.
hp=/usr/share/ppd/cupsfilters/HP-Color_LaserJet_CM3530_MFP-PDF.ppd
if [ -f "$hp" ]; then
  mkdir -p "$work/hp"
  at server lpadmin -p Hp38 -v "kestrovan-capture:$work/hp" -E -P "$hp" >/dev/null 2>&1 || fail "cannot add the HP queue"
  r=$(at server lp -d Hp38 "$work/damaged.jww" 2>&1) || fail "lp: $r"
  hjob=$(echo "$r" | sed -n 's/.*request id is Hp38-\([0-9]*\) .*/\1/p')
  ended server Hp38 "$hjob" || fail "the refused job on the HP laser did not end"
  for _ in $(seq 1 50); do [ -e "$work/hp/job_$hjob.prn" ] && break; sleep 0.1; done
  [ ! -s "$work/hp/job_$hjob.prn" ] || fail "the refused job sent the HP laser $(head -c 40 "$work/hp/job_$hjob.prn")"
  echo "the HP laser (PJL around PDF): the refused job sent nothing"
fi
for s in server desktop; do
  if at "$s" lpstat -p 2>/dev/null | grep -q disabled; then fail "a queue of the $s stopped: $(at "$s" lpstat -p)"; fi
done

# The package purged (its postrm, with this system's scheduler and systemd
# out of reach: those commands only say they were called).
mkdir -p "$work/stubs"
for stub in invoke-rc.d deb-systemd-invoke deb-systemd-helper systemctl; do
  printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$stub" "$work/called" >"$work/stubs/$stub"
  chmod +x "$work/stubs/$stub"
done
purge() { CUPS_SERVERROOT="$work/server/etc" PATH="$work/stubs:$PATH" at server sh "$postrm" purge; }
kept_jobs() { at server lpstat -W all -o 2>/dev/null | grep -c .; }
echo "before the purge: $(kept_jobs) jobs remembered, the laser's PPD with $(grep -c '^\*OpenUI \*kestrovan-' "$ppd") options"
purge || fail "postrm purge, the scheduler running"
grep -q kestrovan "$ppd" && fail "the options stay in the laser's PPD after the purge"
cmp -s "$ppd" "$work/laser-before.ppd" || fail "the laser's PPD is not as it was: $(diff "$work/laser-before.ppd" "$ppd" | head)"
[ "$(kept_jobs)" = 0 ] || fail "the scheduler still remembers drawings: $(at server lpstat -W all -o)"
echo "purged, the scheduler running: the options gone from the PPD, the drawings' jobs purged by the scheduler"
#    With the scheduler down: options added again and a drawing held.
at server "$filter" --add-options Laser38 >/dev/null || fail "kestrovan-cups --add-options Laser38"
at server lp -d Laser38 -H indefinite "$plain" >/dev/null || fail "cannot hold a drawing"
scheduler_stop server
rm -f "$work/server/etc/kestrovan.types"  # dpkg takes the conffile away
purge || fail "postrm purge, the scheduler down"
: >"$work/server/log/error_log"
scheduler_start server "$sport" || fail "the server's scheduler did not start again"
grep -a "Unknown MIME type" "$work/server/log/error_log" && fail "the scheduler found drawings it no longer knows"
[ "$(kept_jobs)" = 0 ] || fail "the scheduler still holds a drawing: $(at server lpstat -W all -o)"
grep -q kestrovan "$ppd" && fail "the options stay in the laser's PPD after the purge"
echo "purged, the scheduler down: started again, it knows of no drawing and offers no option of ours"
echo "PASSED"
