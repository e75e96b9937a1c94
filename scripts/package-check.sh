#!/usr/bin/env bash
# Installs the Debian package that scripts/test.sh built (build-release/halvern_*.deb) with apt, runs the
# installed programs, checks the installed udev rules, desktop file and metainfo, and removes the package
# again. Needs root or sudo: CI runs it after scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
shopt -s nullglob
debs=(build-release/halvern_*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "package-check: expected one package in build-release, found ${#debs[@]}" >&2; exit 1; }
deb=${debs[0]}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

echo "--- $deb"
dpkg-deb --field "$deb" Package Version Depends Recommends Suggests
# The Chinese interface needs a CJK font; the package brings one in where recommends are installed.
dpkg-deb --field "$deb" Recommends | grep -qw fonts-noto-cjk || { echo "package-check: no CJK font recommended" >&2; exit 1; }
$sudo apt-get install -y -q --no-install-recommends "./$deb"
trap '$sudo apt-get purge -y -q halvern >/dev/null' EXIT

echo "--- installed programs"
/usr/bin/halvernctl --version
/usr/bin/halvern --version
/usr/bin/halvern --help | grep -q -- '--background' || { echo "package-check: halvern --help names no --background" >&2; exit 1; }
/usr/bin/halvernctl --emulate mouse list
# The installed copy reads its shipped default profile from /usr/share/halvern.
data=$(mktemp -d)
XDG_DATA_HOME=$data /usr/bin/halvernctl profile mouse list
rm -rf "$data"
/usr/bin/halvernctl doctor || echo "(doctor found a device this user cannot open)"

echo "--- udev rules"
rules=/usr/lib/udev/rules.d/70-halvern.rules
cmp "$rules" <(/usr/bin/halvernctl doctor --udev-rules)
if udevadm verify --help >/dev/null 2>&1; then
  udevadm verify "$rules"
elif command -v udevadm >/dev/null; then
  # This udev has no "verify": "test" reads every rules file and names each line it cannot use.
  out=$(udevadm test --action=add /sys/class/mem/null 2>&1 || true)
  grep -qF "Reading rules file: $rules" <<<"$out" || { echo "udevadm did not read $rules" >&2; exit 1; }
  if grep -F "$rules:" <<<"$out"; then
    echo "udevadm found problems in $rules" >&2
    exit 1
  fi
  echo "udevadm test read $rules without a complaint"
else
  echo "no udevadm here: the rules are not checked"
fi

echo "--- desktop integration"
desktop-file-validate /usr/share/applications/org.halvern.Halvern.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.halvern.Halvern.metainfo.xml
test -f /usr/share/icons/hicolor/scalable/apps/org.halvern.Halvern.svg
test -f /usr/share/icons/hicolor/48x48/apps/org.halvern.Halvern.png
# The bus starts the device service as the installed program, in the background.
service=/usr/share/dbus-1/services/org.halvern.Halvern1.service
grep -qx 'Name=org.halvern.Halvern1' "$service"
grep -qx 'Exec=/usr/bin/halvern --background' "$service"
interfaces=/usr/share/dbus-1/interfaces/org.halvern.Halvern1.xml
grep -q '<interface name="org.halvern.Halvern1.Manager">' "$interfaces"
bash -c 'source /usr/share/bash-completion/completions/halvernctl && complete -p halvernctl'
zcat -f /usr/share/man/man1/halvernctl.1* | grep -q '^\.TH HALVERNCTL 1'

echo "--- removal"
$sudo apt-get purge -y -q halvern
trap - EXIT
for file in /usr/bin/halvernctl /usr/bin/halvern "$rules" "$service" "$interfaces"; do
  [ ! -e "$file" ] || { echo "package-check: $file is still there after the removal" >&2; exit 1; }
done
echo "package-check: installed, ran and removed $deb"
