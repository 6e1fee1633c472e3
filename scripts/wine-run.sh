#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh ARCH PROGRAM [ARGS...]
# ctest uses it as the cross-compiling emulator.
set -eu
vorlane_root=$(cd "$(dirname "$0")/.." && pwd)
. "$vorlane_root/scripts/wine-env.sh"
arch=$1
shift
wine_setup "$arch"
wine_warm_up
exec "$WINE_LOADER" "$@"
