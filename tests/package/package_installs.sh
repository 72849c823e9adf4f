#!/usr/bin/env bash
# Builds the Debian packages from a built tree (scripts/package --from),
# unpacks them into a throwaway root and runs their programs from there:
# kestrovan-server holds the headless programs, the filter and its MIME files
# (the type rule a conffile that outlives a removal), kestrovan-web with its
# page and systemd unit, their manual pages and documentation folder, and
# nothing of the window; kestrovan holds the window with its desktop files.
# Each names its maintainer in its control file and its changelog alike,
# declares the packages it needs (the server's no Qt translations), is
# lintian-clean (no error, no warning) where lintian is installed, and the
# server's scripts make this system's CUPS, and no other, reload its MIME
# types, through deb-systemd-invoke or invoke-rc.d.
# Usage: package_installs.sh SOURCE_DIR BUILD_DIR
set -u
source=$1 build=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrovan-package-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

DEBFULLNAME="Kestrovan Packager" DEBEMAIL="packager@kestrovan.example" \
  "$source/scripts/package" --from "$build" --out "$work/out" >/dev/null || fail "scripts/package"
arch=$(dpkg --print-architecture)
server=("$work"/out/kestrovan-server_*_"$arch".deb)
desktop=("$work"/out/kestrovan_*_"$arch".deb)
[ ${#server[@]} = 1 ] && [ -f "${server[0]}" ] && [ ${#desktop[@]} = 1 ] && [ -f "${desktop[0]}" ] ||
  fail "expected kestrovan-server_VERSION_ARCH.deb and kestrovan_VERSION_ARCH.deb, got: $(ls "$work/out")"
server=${server[0]} desktop=${desktop[0]}
version=$(dpkg-deb -f "$server" Version)
for deb in "$server" "$desktop"; do
  name=$(dpkg-deb -f "$deb" Package)
  echo "built $(basename "$deb")"
  [ "$(basename "$deb")" = "${name}_${version}_$arch.deb" ] || fail "$(basename "$deb") is not named PACKAGE_VERSION_ARCH.deb"
  [ "$(dpkg-deb -f "$deb" Maintainer)" = "Kestrovan Packager <packager@kestrovan.example>" ] ||
    fail "$name's maintainer is not the packager's DEBFULLNAME <DEBEMAIL>: $(dpkg-deb -f "$deb" Maintainer)"
  dpkg -x "$deb" "$work/root-$name" || fail "dpkg -x $name"
  changelog=$(zcat "$work/root-$name/usr/share/doc/$name/changelog.gz")
  echo "$changelog" | head -n 1 | grep -q "^kestrovan ($version)" || fail "$name's changelog does not begin with $version"
  echo "$changelog" | grep -q '^ -- Kestrovan Packager <packager@kestrovan.example>  ' ||
    fail "$name's changelog is not signed by the control file's maintainer: $(echo "$changelog" | grep '^ -- ')"
  [ -f "$work/root-$name/usr/share/doc/$name/copyright" ] || fail "$name has no copyright file"
done

depends=$(dpkg-deb -f "$server" Depends)
for p in fonts-ipafont qt6-qpa-plugins libqt6gui6 libqt6printsupport6 libcups2 libwmf-0.2-7 libqpdf29 libcpp-httplib0.11; do
  echo "$depends" | grep -q "\b$p\b" || fail "kestrovan-server's Depends does not name $p: $depends"
done
echo "$depends" | grep -q "qt6-translations-l10n" && fail "kestrovan-server needs Qt's translations: $depends"
dpkg-deb -f "$desktop" Depends | grep -q "qt6-translations-l10n" || fail "the window does not need Qt's translations"
control=$(dpkg-deb --ctrl-tarfile "$server" | tar -t)
for script in postinst prerm postrm; do echo "$control" | grep -q "$script\$" || fail "kestrovan-server has no $script"; done
[ "$(dpkg-deb --ctrl-tarfile "$server" | tar -xO ./conffiles)" = /etc/cups/kestrovan.types ] ||
  fail "the drawing type is not kestrovan-server's conffile"

root=$work/root-kestrovan-server
for f in usr/bin/kestrovan-print usr/bin/kestrovan-dump usr/bin/kestrovan-web usr/lib/cups/filter/kestrovan-cups; do
  [ -x "$root/$f" ] || fail "$f is not in kestrovan-server"
done
for f in etc/cups/kestrovan.types usr/share/cups/mime/kestrovan.convs usr/lib/systemd/system/kestrovan-web.service \
  usr/share/kestrovan/web/index.html usr/share/kestrovan/web/app.js usr/share/kestrovan/web/style.css; do
  [ -f "$root/$f" ] || fail "$f is not in kestrovan-server"
done
for f in usr/bin/kestrovan usr/share/applications/kestrovan.desktop usr/share/man/man1/kestrovan.1.gz; do
  [ -e "$root/$f" ] && fail "$f, the window's, is in kestrovan-server"
  [ -e "$work/root-kestrovan/$f" ] || fail "$f is not in kestrovan"
done
[ -z "$(cd "$work/root-kestrovan" && find . -path ./usr/share/doc -prune -o -type f -print | grep -v -e kestrovan.1.gz \
  -e usr/bin/kestrovan -e usr/share/applications -e usr/share/icons -e usr/share/mime)" ] ||
  fail "kestrovan holds more than the window"
# The manual: a page per program, each one that man shows without a complaint.
for page in man1/kestrovan-print.1 man1/kestrovan-dump.1 man1/kestrovan-web.1 man7/kestrovan-cups.7; do
  f="$root/usr/share/man/$page.gz"
  [ -f "$f" ] || fail "$page is not in kestrovan-server"
  complaints=$(zcat "$f" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$complaints" ] || fail "$page: $complaints"
done
MANWIDTH=80 man -l "$root/usr/share/man/man7/kestrovan-cups.7.gz" 2>/dev/null | grep -q "kestrovan-off-paper" ||
  fail "man kestrovan-cups does not tell of kestrovan-off-paper"

# lintian: no error and no warning.
if command -v lintian >/dev/null; then
  said=$(lintian --tag-display-limit 0 "$server" "$desktop" 2>&1 | grep -v '^running with root privileges')
  echo "lintian: ${said:-nothing to say}"
  echo "$said" | grep -q '^[EW]: ' && fail "lintian has errors or warnings"
else
  echo "lintian is not installed: not run"
fi

# The maintainer scripts reload this system's scheduler only (systemd's,
# through deb-systemd-invoke, or its init script's through invoke-rc.d),
# never a process found by its name: a process called cupsd (another root's
# scheduler) lives on. systemctl itself only reloads systemd.
mkdir -p "$work/stubs"
for stub in systemctl invoke-rc.d deb-systemd-invoke deb-systemd-helper lpstat; do
  printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$stub" "$work/called" >"$work/stubs/$stub"
  chmod +x "$work/stubs/$stub"
done
cp "$(command -v sleep)" "$work/cupsd"
"$work/cupsd" 30 &
other=$!
for script in postinst:configure prerm:remove postrm:remove; do
  dpkg-deb --ctrl-tarfile "$server" | tar -xO "./${script%%:*}" >"$work/script"
  PATH="$work/stubs:$PATH" sh "$work/script" "${script#*:}" || fail "${script%%:*} ${script#*:} failed"
done
sleep 0.2
kill -0 "$other" 2>/dev/null || fail "the maintainer scripts signalled a process by its name cupsd"
kill "$other"; wait "$other" 2>/dev/null
if [ -d /run/systemd/system ]; then expected="deb-systemd-invoke try-reload-or-restart cups.service"
elif [ -x /etc/init.d/cups ]; then expected="invoke-rc.d cups force-reload"
else expected=""; fi
if [ -n "$expected" ]; then
  grep -qx "$expected" "$work/called" || fail "the scripts did not ask for \"$expected\": $(cat "$work/called")"
fi
grep -qx "deb-systemd-helper update-state kestrovan-web.service" "$work/called" ||
  fail "postinst does not tell deb-systemd-helper of kestrovan-web: $(cat "$work/called")"
grep "^systemctl" "$work/called" | grep -v "daemon-reload" && fail "a script calls systemctl for more than daemon-reload"
# CUPS runs only filters that root owns and nobody else may change.
dpkg-deb -c "$server" | grep -q '^-rwxr-xr-x root/root .* ./usr/lib/cups/filter/kestrovan-cups$' ||
  fail "the filter is not root's with mode 0755"
said=$("$root/usr/bin/kestrovan-print" --version) || fail "kestrovan-print --version"
[ "$said" = "kestrovan-print $version" ] || fail "kestrovan-print --version said: $said"
echo "$said"
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
