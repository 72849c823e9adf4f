#!/bin/sh
# A CUPS backend for tests: keeps what a queue would send its printer as
# job_N.prn in the folder its device URI names (kestrovan-capture:/FOLDER),
# so a test can look at the pages a printer with any PPD would get.
# Installed mode 0700: the scheduler runs it as root.
if [ $# -eq 0 ]; then
  echo 'direct kestrovan-capture "Unknown" "Kestrovan test capture"'
  exit 0
fi
dir=${DEVICE_URI#kestrovan-capture:}
[ -d "$dir" ] || { echo "ERROR: no folder $dir" >&2; exit 1; }
if [ $# -ge 6 ]; then cat "$6"; else cat; fi >"$dir/job_$1.prn.part" || exit 1
mv "$dir/job_$1.prn.part" "$dir/job_$1.prn"
