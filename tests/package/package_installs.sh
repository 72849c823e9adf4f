#!/usr/bin/env bash
# Builds the Debian package from a built tree (scripts/package --from), unpacks
# it into a throwaway root and runs its programs from there: the package holds
# the three programs, the filter and its MIME files, kestrovan-web with its
# page and systemd unit, declares the packages it needs and carries the
# scripts that make CUPS reload its MIME types.
# Usage: package_installs.sh SOURCE_DIR BUILD_DIR
set -u
source=$1 build=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrovan-package-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

"$source/scripts/package" --from "$build" --out "$work/out" >/dev/null || fail "scripts/package"
debs=("$work"/out/kestrovan_*_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one kestrovan_VERSION_ARCH.deb, got: ${debs[*]}"
deb=${debs[0]}
echo "built $(basename "$deb")"
[ "$(basename "$deb")" = "kestrovan_$(dpkg-deb -f "$deb" Version)_$(dpkg --print-architecture).deb" ] ||
  fail "the file is not named kestrovan_VERSION_ARCH.deb"

depends=$(dpkg-deb -f "$deb" Depends)
for p in fonts-ipafont qt6-qpa-plugins libqt6gui6 libqt6printsupport6 libcups2 libwmf-0.2-7 libqpdf29 libcpp-httplib0.11; do
  echo "$depends" | grep -q "\b$p\b" || fail "Depends does not name $p: $depends"
done
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -q 'postinst$' || fail "no postinst"
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -q 'postrm$' || fail "no postrm"

root="$work/root"
dpkg -x "$deb" "$root" || fail "dpkg -x"
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -q 'prerm$' || fail "no prerm"
for f in usr/bin/kestrovan usr/bin/kestrovan-print usr/bin/kestrovan-dump usr/bin/kestrovan-web \
    usr/lib/cups/filter/kestrovan-cups; do
  [ -x "$root/$f" ] || fail "$f is not in the package"
done
for f in usr/share/cups/mime/kestrovan.types usr/share/cups/mime/kestrovan.convs \
    usr/lib/systemd/system/kestrovan-web.service usr/share/kestrovan/web/index.html usr/share/kestrovan/web/app.js \
    usr/share/kestrovan/web/style.css; do
  [ -f "$root/$f" ] || fail "$f is not in the package"
done
# CUPS runs only filters that root owns and nobody else may change.
dpkg-deb -c "$deb" | grep -q '^-rwxr-xr-x root/root .* ./usr/lib/cups/filter/kestrovan-cups$' ||
  fail "the filter is not root's with mode 0755"
version=$("$root/usr/bin/kestrovan-print" --version) || fail "kestrovan-print --version"
[ "$version" = "kestrovan-print $(dpkg-deb -f "$deb" Version)" ] || fail "kestrovan-print --version said: $version"
echo "$version"
"$root/usr/lib/cups/filter/kestrovan-cups" --version || fail "kestrovan-cups --version"
# The service's unit is installed, not enabled; the service runs from the
# package's own files: its page beside it, kestrovan-print beside it.
grep -q '^ExecStart=/usr/bin/kestrovan-web ' "$root/usr/lib/systemd/system/kestrovan-web.service" || fail "the unit"
mkdir -p "$work/webtemp"
"$root/usr/bin/kestrovan-web" --listen 127.0.0.1:0 --temp "$work/webtemp" >"$work/web.out" 2>&1 &
web=$!
for _ in $(seq 1 100); do grep -q listening "$work/web.out" && break; sleep 0.05; done
url=$(sed -n 's/.*listening on \(http:[^ ]*\)/\1/p' "$work/web.out")
page=$(curl -sf "${url}index.html")
kill "$web"; wait "$web"
echo "$page" | grep -q '図面' || fail "kestrovan-web from the package did not serve its page: $(cat "$work/web.out")"
echo "PASSED"
