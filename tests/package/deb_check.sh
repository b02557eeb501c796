#!/usr/bin/env bash
# The Debian package: every file where Debian and CUPS expect it with the
# right owner and mode, the unit starting the packaged program, library
# dependencies worked out from the binaries, and the maintainer scripts.
# Usage: deb_check.sh PACKAGE.deb
set -euo pipefail
deb=$1
src=$(cd "$(dirname "$0")/../.." && pwd)
fail=0
bad() { echo "FAIL: $*"; fail=1; }

# "MODE OWNER PATH" for every file, directories left out.
listing=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $1, $2, $6 }')

expected=(
  "-rwxr-xr-x root/root /usr/lib/cups/filter/rastertothermal"
  "-rwxr-xr-x root/root /usr/bin/thermal-printer-app"
  "-rwxr-xr-x root/root /usr/bin/thermal-preview"
  "-rwxr-xr-x root/root /usr/bin/thermal-printer-sim"
  "-rw-r--r-- root/root /usr/lib/systemd/system/thermal-printer-app.service"
  "-rw-r--r-- root/root /usr/share/doc/rastertothermal/README.md"
  "-rw-r--r-- root/root /usr/share/doc/rastertothermal/docs/app.md"
  "-rw-r--r-- root/root /usr/share/doc/rastertothermal/docs/cups.md"
  "-rw-r--r-- root/root /usr/share/doc/rastertothermal/docs/drivers.md"
)
# One PPD per model of the driver source.
while read -r ppd; do
  expected+=("-rw-r--r-- root/root /usr/share/ppd/rastertothermal/$ppd.ppd")
done < <(sed -n 's/^[[:space:]]*PCFileName[[:space:]]*"\([^"]*\)\.ppd".*/\1/p' "$src/ppd/rastertothermal.drv")
[ ${#expected[@]} -gt 10 ] || bad "no PPD names found in ppd/rastertothermal.drv"

for entry in "${expected[@]}"; do
  grep -qxF -- "$entry" <<<"$listing" || bad "missing or wrong mode/owner: $entry"
done
# Nothing outside /usr (and nothing under /usr/local): state, spool and
# enable links belong to the maintainer scripts.
stray=$(awk '{print $3}' <<<"$listing" | grep -Ev '^/usr/(bin|lib|share)/' || true)
[ -z "$stray" ] || bad "files outside the expected folders: $stray"

# The unit runs the program the package ships.
unit=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/systemd/system/thermal-printer-app.service)
exec_path=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' <<<"$unit")
[ "$exec_path" = /usr/bin/thermal-printer-app ] || bad "ExecStart runs '$exec_path'"

# Library dependencies come from dpkg-shlibdeps, with versions.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libcups2 libavahi-client3 libgnutls30 zlib1g; do
  grep -Eq "(^|, )$lib \(>= " <<<"$depends" || bad "Depends lacks a versioned $lib: $depends"
done
# The package called exactly "cups" ships a filter that must not come along.
for field in Pre-Depends Depends Recommends Suggests; do
  tr ',|' '\n' <<<"$(dpkg-deb -f "$deb" "$field")" | sed 's/(.*//; s/[[:space:]]//g' \
    | grep -qx cups && bad "$field names the package cups"
done
[ "$(dpkg-deb -f "$deb" Package)" = rastertothermal ] || bad "package name"

# Maintainer scripts: present, executable and valid shell.
ctl=$(mktemp -d)
trap 'rm -rf "$ctl"' EXIT
dpkg-deb -e "$deb" "$ctl"
for script in postinst prerm postrm; do
  [ -x "$ctl/$script" ] || { bad "$script missing or not executable"; continue; }
  sh -n "$ctl/$script" || bad "$script is not valid shell"
done

[ $fail -eq 0 ] && echo "PASS: $(basename "$deb")"
exit $fail
