# Private CUPS schedulers for tests, sourced by the test scripts: each one a
# cupsd of its own (its own ServerRoot, spool, logs and filter folder) on its
# own port of 127.0.0.1, so a test never touches the system's scheduler, its
# queues or its files. Needs root (the scheduler runs filters as lp).
#   scheduler_start NAME PORT   starts one under $work/NAME (sets NAME's folder
#                               as $work/NAME); filters and backends are the
#                               system's, plus whatever the test puts in
#                               $work/NAME/lib/filter and lib/backend first
#   at NAME COMMAND…            runs a CUPS client command against it
#   scheduler_stop NAME         stops one (its files stay, to start it again)
#   scheduler_stop_all          stops every scheduler started (for the EXIT trap)
# $work must be set, a folder the test owns.

scheduler_pids=()

scheduler_prepare() {  # scheduler_prepare NAME: the folders and the filter folder
  local d=$work/$1 entry kind
  mkdir -p "$d"/etc/ppd "$d"/spool/tmp "$d"/cache "$d"/run "$d"/log "$d"/lib/filter "$d"/lib/backend
  for entry in /usr/lib/cups/*; do
    case "${entry##*/}" in
      filter | backend) ;;
      *) ln -sfn "$entry" "$d/lib/${entry##*/}" ;;
    esac
  done
  for kind in filter backend; do
    for entry in /usr/lib/cups/$kind/*; do
      [ -e "$d/lib/$kind/${entry##*/}" ] || ln -s "$entry" "$d/lib/$kind/${entry##*/}"
    done
  done
}

scheduler_start() {  # scheduler_start NAME PORT [EXTRA cupsd.conf LINES]
  local name=$1 port=$2 extra=${3:-} d=$work/$1
  [ -d "$d/lib" ] || scheduler_prepare "$name"
  # The scheduler's user must reach its files and run its filters.
  chmod 0755 "$work" "$d" "$d/lib" "$d/lib/filter" "$d/lib/backend"
  cat >"$d/etc/cups-files.conf" <<EOF
ServerRoot $d/etc
RequestRoot $d/spool
TempDir $d/spool/tmp
StateDir $d/run
CacheDir $d/cache
ServerBin $d/lib
DataDir /usr/share/cups
DocumentRoot /usr/share/cups/doc-root
ErrorLog $d/log/error_log
AccessLog $d/log/access_log
PageLog $d/log/page_log
Printcap $d/run/printcap
User lp
Group lp
SystemGroup root
FileDevice No
LogFilePerm 0644
EOF
  cat >"$d/etc/cupsd.conf" <<EOF
LogLevel debug
MaxLogSize 0
Listen 127.0.0.1:$port
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
PreserveJobHistory Yes
$extra
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess default
  JobPrivateValues default
  SubscriptionPrivateAccess default
  SubscriptionPrivateValues default
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  cupsd -f -c "$d/etc/cupsd.conf" -s "$d/etc/cups-files.conf" >"$d/log/cupsd.out" 2>&1 &
  scheduler_pids+=($!)
  eval "port_$name=$port pid_$name=$!"
  local _
  # Listening (a client asking before then waits long for an answer).
  for _ in $(seq 1 100); do
    ss -ltnH "sport = :$port" | grep -q . && at "$name" lpstat -r 2>/dev/null | grep -q "is running" && return 0
    sleep 0.1
  done
  echo "the scheduler $name did not start:"; cat "$d/log/cupsd.out" "$d/log/error_log" 2>/dev/null | tail -20
  return 1
}

at() {  # at NAME COMMAND…: COMMAND as a client of that scheduler
  local port
  eval "port=\$port_$1"
  shift
  CUPS_SERVER=127.0.0.1:$port "$@"
}

scheduler_stop() {
  local pid
  eval "pid=\$pid_$1"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

scheduler_stop_all() {
  local pid
  for pid in "${scheduler_pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${scheduler_pids[@]}"; do wait "$pid" 2>/dev/null; done
  scheduler_pids=()
}
