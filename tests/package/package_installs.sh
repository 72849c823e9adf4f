#!/usr/bin/env bash
# Builds the Debian package from a built tree (scripts/package --from), unpacks
# it into a throwaway root and runs its programs from there: the package holds
# the three programs, the filter and its MIME files (the type rule a conffile
# that outlives a removal), kestrovan-web with its page and systemd unit, the
# manual pages and the documentation folder, names its maintainer, declares
# the packages it needs and carries the scripts that make this system's CUPS,
# and no other, reload its MIME types.
# Usage: package_installs.sh SOURCE_DIR BUILD_DIR
set -u
source=$1 build=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrovan-package-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

DEBFULLNAME="Kestrovan Packager" DEBEMAIL="packager@kestrovan.example" \
  "$source/scripts/package" --from "$build" --out "$work/out" >/dev/null || fail "scripts/package"
debs=("$work"/out/kestrovan_*_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "expected one kestrovan_VERSION_ARCH.deb, got: ${debs[*]}"
deb=${debs[0]}
echo "built $(basename "$deb")"
[ "$(basename "$deb")" = "kestrovan_$(dpkg-deb -f "$deb" Version)_$(dpkg --print-architecture).deb" ] ||
  fail "the file is not named kestrovan_VERSION_ARCH.deb"

depends=$(dpkg-deb -f "$deb" Depends)
for p in fonts-ipafont qt6-qpa-plugins qt6-translations-l10n libqt6gui6 libqt6printsupport6 libcups2 libwmf-0.2-7 \
  libqpdf29 libcpp-httplib0.11; do
  echo "$depends" | grep -q "\b$p\b" || fail "Depends does not name $p: $depends"
done
[ "$(dpkg-deb -f "$deb" Maintainer)" = "Kestrovan Packager <packager@kestrovan.example>" ] ||
  fail "the maintainer is not the packager's DEBFULLNAME <DEBEMAIL>: $(dpkg-deb -f "$deb" Maintainer)"
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t)
echo "$control" | grep -q 'postinst$' || fail "no postinst"
echo "$control" | grep -q 'postrm$' || fail "no postrm"
[ "$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles)" = /etc/cups/kestrovan.types ] ||
  fail "the drawing type is not the package's conffile"

root="$work/root"
dpkg -x "$deb" "$root" || fail "dpkg -x"
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -q 'prerm$' || fail "no prerm"
for f in usr/bin/kestrovan usr/bin/kestrovan-print usr/bin/kestrovan-dump usr/bin/kestrovan-web \
    usr/lib/cups/filter/kestrovan-cups; do
  [ -x "$root/$f" ] || fail "$f is not in the package"
done
for f in etc/cups/kestrovan.types usr/share/cups/mime/kestrovan.convs usr/share/doc/kestrovan/copyright \
  usr/share/doc/kestrovan/changelog.gz usr/lib/systemd/system/kestrovan-web.service \
  usr/share/kestrovan/web/index.html usr/share/kestrovan/web/app.js usr/share/kestrovan/web/style.css; do
  [ -f "$root/$f" ] || fail "$f is not in the package"
done
zcat "$root/usr/share/doc/kestrovan/changelog.gz" | head -n 1 | grep -q "^kestrovan ($(dpkg-deb -f "$deb" Version))" ||
  fail "the changelog does not begin with this version"
# The manual: a page per program, each one that man shows without a complaint.
for page in man1/kestrovan.1 man1/kestrovan-print.1 man1/kestrovan-dump.1 man1/kestrovan-web.1 man7/kestrovan-cups.7; do
  f="$root/usr/share/man/$page.gz"
  [ -f "$f" ] || fail "$page is not in the package"
  complaints=$(zcat "$f" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$complaints" ] || fail "$page: $complaints"
done
MANWIDTH=80 man -l "$root/usr/share/man/man7/kestrovan-cups.7.gz" 2>/dev/null | grep -q "kestrovan-off-paper" ||
  fail "man kestrovan-cups does not tell of kestrovan-off-paper"

# The maintainer scripts reload this system's scheduler only (systemd's, or
# its init script's through invoke-rc.d), never a process found by its name:
# a process called cupsd (another root's scheduler) lives on.
mkdir -p "$work/stubs"
for stub in systemctl invoke-rc.d; do
  printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$stub" "$work/called" >"$work/stubs/$stub"
  chmod +x "$work/stubs/$stub"
done
cp "$(command -v sleep)" "$work/cupsd"
"$work/cupsd" 30 &
other=$!
for script in postinst:configure postrm:remove; do
  dpkg-deb --ctrl-tarfile "$deb" | tar -xO "./${script%%:*}" >"$work/script"
  PATH="$work/stubs:$PATH" sh "$work/script" "${script#*:}" || fail "${script%%:*} ${script#*:} failed"
done
sleep 0.2
kill -0 "$other" 2>/dev/null || fail "the maintainer scripts signalled a process by its name cupsd"
kill "$other"; wait "$other" 2>/dev/null
if [ -d /run/systemd/system ]; then expected="systemctl try-reload-or-restart cups.service"
elif [ -x /etc/init.d/cups ]; then expected="invoke-rc.d cups force-reload"
else expected=""; fi
if [ -n "$expected" ]; then
  grep -qx "$expected" "$work/called" || fail "the scripts did not ask for \"$expected\": $(cat "$work/called")"
fi
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
