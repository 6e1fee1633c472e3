#!/bin/sh
# Checks that scripts/setup.sh survives the package archive's bad day: against a
# private apt configuration whose lists cannot all be updated (one source is a
# closed port on 127.0.0.1) it must warn and install from the lists it has, and a
# package that cannot be installed must stop it with the package's name and apt's
# reason. Touches nothing of the machine's apt configuration; the probe package
# it installs is removed again.
set -eu
vorlane_root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
probe=vorlane-setup-probe
cleanup() {
  dpkg -r "$probe" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# A one-package repository on disk.
mkdir -p "$work/pkg/DEBIAN" "$work/repo" "$work/lists/partial" "$work/cache/archives/partial"
cat >"$work/pkg/DEBIAN/control" <<CONTROL
Package: $probe
Version: 1.0
Architecture: all
Maintainer: Vorlane tests <tests@localhost>
Description: empty package for the setup script's test
CONTROL
dpkg-deb --build "$work/pkg" "$work/repo/${probe}_1.0_all.deb" >/dev/null
(cd "$work/repo" && dpkg-scanpackages . /dev/null >Packages 2>/dev/null)

cat >"$work/sources.list" <<SOURCES
deb [trusted=yes] file:$work/repo ./
deb http://127.0.0.1:9/debian bookworm main
SOURCES
cat >"$work/apt.conf" <<CONF
Dir::Etc::SourceList "$work/sources.list";
Dir::Etc::SourceParts "$work/no-parts";
Dir::State::Lists "$work/lists";
Dir::Cache "$work/cache";
APT::Sandbox::User "root";
Acquire::Retries "0";
// A source that cannot be reached fails the update, as a mirror mid-sync does.
APT::Update::Error-Mode "any";
Acquire::http::Timeout "5";
CONF

failed=0
run_setup() {
  APT_CONFIG="$work/apt.conf" VORLANE_SETUP_PACKAGES="$1" timeout 120 "$vorlane_root/scripts/setup.sh" >"$work/out" 2>&1
}

dpkg -r "$probe" >/dev/null 2>&1 || true
if ! run_setup "$probe"; then
  echo "check-setup: setup stopped although the package it needs was in the lists it had:" >&2
  cat "$work/out" >&2
  failed=1
elif ! grep -q "warning: apt-get update failed" "$work/out"; then
  echo "check-setup: setup did not warn that the lists could not be updated:" >&2
  cat "$work/out" >&2
  failed=1
elif ! dpkg-query -W -f='${Status}' "$probe" 2>/dev/null | grep -q "install ok installed"; then
  echo "check-setup: setup succeeded but did not install $probe" >&2
  failed=1
else
  echo "setup with a failing list update: warned and installed"
fi

if run_setup vorlane-no-such-package; then
  echo "check-setup: setup succeeded although a package could not be installed" >&2
  failed=1
elif ! grep -q "could not install: vorlane-no-such-package" "$work/out" || ! grep -q "^E:" "$work/out"; then
  echo "check-setup: setup's failure did not name the package and apt's reason:" >&2
  cat "$work/out" >&2
  failed=1
else
  echo "setup with a package it cannot install: stopped, naming it and apt's reason"
fi
exit $failed
