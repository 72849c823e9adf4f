#!/usr/bin/env bash
# The end-to-end test of kestrovan-web's page in Debian's chromium (headless,
# driven by puppeteer-core from npm, no browser download): two drawings
# uploaded, the result table, the PDF downloaded (checked with pdfinfo and
# qpdf: a bookmark per drawing). Everything on 127.0.0.1. Exits 77 (skipped)
# when chromium or node is not installed, or npm cannot fetch puppeteer-core.
# KESTROVAN_WEB_SHOTS=DIR also photographs the page into DIR.
# Usage: browser_test.sh KESTROVAN_WEB NODE_DIR DRAWING1 DRAWING2
set -u
web=$1 node_dir=$2 first=$3 second=$4
here=$(cd "$(dirname "$0")" && pwd)
chromium=${CHROMIUM:-/usr/lib/chromium/chromium}
[ -x "$chromium" ] || { echo "SKIPPED: no chromium at $chromium (scripts/deps installs it)"; exit 77; }
command -v node >/dev/null && command -v npm >/dev/null || { echo "SKIPPED: node and npm are not installed"; exit 77; }

# puppeteer-core, once, beside the build.
mkdir -p "$node_dir"
if ! cmp -s "$here/browser/package.json" "$node_dir/package.json" || [ ! -d "$node_dir/node_modules/puppeteer-core" ]; then
  cp "$here/browser/package.json" "$node_dir/package.json"
  if ! (cd "$node_dir" && PUPPETEER_SKIP_DOWNLOAD=1 npm install --no-audit --no-fund --silent >npm.log 2>&1); then
    echo "SKIPPED: npm could not install puppeteer-core"; tail -5 "$node_dir/npm.log"; exit 77
  fi
fi
cp "$here/browser/e2e.mjs" "$node_dir/e2e.mjs"

work=$(mktemp -d "${TMPDIR:-/tmp}/kestrovan-webe2e-XXXXXX")
server=""
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/temp" "$work/downloads" "$work/profile" "$work/drawings"
# The browser reads the drawings from a folder of the test's own.
cp "$first" "$second" "$work/drawings/"
first="$work/drawings/$(basename "$first")" second="$work/drawings/$(basename "$second")"
"$web" --listen 127.0.0.1:0 --temp "$work/temp" --keep-fetched-seconds 0 >"$work/web.out" 2>"$work/web.err" &
server=$!
for _ in $(seq 1 100); do grep -q listening "$work/web.out" 2>/dev/null && break; sleep 0.05; done
url=$(sed -n 's/.*listening on \(http:[^ ]*\)/\1/p' "$work/web.out")
[ -n "$url" ] || { echo "FAILED: kestrovan-web did not start"; cat "$work/web.err"; exit 1; }

if ! CHROMIUM="$chromium" timeout 300 node "$node_dir/e2e.mjs" "$url" "$first" "$second" "$work/downloads" \
    "$work/profile" ${KESTROVAN_WEB_SHOTS:+"$KESTROVAN_WEB_SHOTS"}; then
  echo "FAILED: the browser test"; cat "$work/web.err"; exit 1
fi
pdf="$work/downloads/kestrovan.pdf"
pages=$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')
bookmarks=$(qpdf --json --json-key=outlines "$pdf" | jq -r '.outlines[].title' | tr '\n' ' ')
echo "pages: $pages; bookmarks: $bookmarks"
[ "$pages" = 2 ] || { echo "FAILED: expected 2 pages"; exit 1; }
[ "$bookmarks" = "$(basename "$first") $(basename "$second") " ] || { echo "FAILED: bookmarks"; exit 1; }
# The result fetched, the job's folder goes.
for _ in $(seq 1 50); do [ -z "$(ls -A "$work/temp"/*/ 2>/dev/null)" ] && break; sleep 0.1; done
[ -z "$(ls -A "$work/temp"/*/ 2>/dev/null)" ] || { echo "FAILED: the job's folder stayed"; ls -R "$work/temp"; exit 1; }
echo "PASSED"
