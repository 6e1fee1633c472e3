#!/bin/sh
# Runs a Windows GUI test program through the usual Wine runner (the arguments are
# that runner's command line), with its output going through a file instead of
# the caller's pipe. Windows GUI programs make Wine start helper processes (the
# desktop's explorer) that inherit the program's output; on a pipe ctest would
# wait for those helpers to exit long after the test itself has finished.
set -u
out=$(mktemp)
"$@" >"$out" 2>&1 </dev/null
status=$?
cat "$out"
rm -f "$out"
exit $status
