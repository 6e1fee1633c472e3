#!/bin/sh
# Runs the list import benchmark under Wine in Xvfb:
#   bench/shell/run_list_import_bench.sh [BUILD_DIR] [RUNS]
# BUILD_DIR defaults to build/win32 where this kernel runs 32-bit programs and to
# build/win64 elsewhere; build it first, for example
#   cmake --preset win64 && cmake --build --preset win64 --target list_import_bench
set -eu
vorlane_root=$(cd "$(dirname "$0")/../.." && pwd)
. "$vorlane_root/scripts/wine-env.sh"
arch=$(wine_test_arch)
case $arch in i686) default_build=build/win32 ;; *) default_build=build/win64 ;; esac
build=${1:-$vorlane_root/$default_build}
runs=${2:-5}
program=$build/bench/shell/list_import_bench.exe
if [ ! -f "$program" ]; then
  echo "no $program: build the list_import_bench target first" >&2
  exit 1
fi
# The program says which architecture it is built for (PE machine field).
case $(od -An -tx1 -j "$(( $(od -An -tu4 -j60 -N4 "$program") + 4 ))" -N2 "$program" | tr -d ' ') in
  4c01) arch=i686 ;;
  6486) arch=x86_64 ;;
esac
wine_setup "$arch"
out=$(mktemp)
# Output through a file: Wine's helper processes inherit a pipe and keep it open.
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" "$WINE_LOADER" "$program" "$runs" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
rm -f "$out"
exit $status
