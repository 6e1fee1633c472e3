#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh ARCH PROGRAM [ARGS...]
# ctest uses it as the cross-compiling emulator.
#
# The program's output goes through a file, not straight to our caller: Wine
# starts helper processes (its desktop's explorer, services) that inherit the
# program's output, and on a pipe ctest would wait for them long after the program
# itself has ended.
set -u
vorlane_root=$(cd "$(dirname "$0")/.." && pwd)
. "$vorlane_root/scripts/wine-env.sh"
arch=$1
shift
wine_setup "$arch" || exit 1
wine_warm_up
out=$(mktemp)
"$WINE_LOADER" "$@" >"$out" 2>&1 </dev/null
status=$?
# Once in a few hundred starts under load, Wine fails before the program's own
# code runs: a failed status and not one byte of output (every test program
# prints as soon as it starts). Such a start is tried once more; a program that
# ran and failed is never run again.
if [ "$status" -ne 0 ] && [ ! -s "$out" ]; then
  echo "wine-run: Wine ended with status $status before the program printed anything; starting it once more" >&2
  "$WINE_LOADER" "$@" >"$out" 2>&1 </dev/null
  status=$?
fi
cat "$out"
rm -f "$out"
exit $status
