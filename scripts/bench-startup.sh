#!/bin/sh
# Start-up time and idle memory of vorlane.exe against a minimal window, measured
# from outside under one warm Wine in Xvfb:
#   scripts/bench-startup.sh [BUILD_DIR] [RUNS] [IDLE_SECONDS]
# BUILD_DIR defaults to build/win32 where this kernel runs 32-bit programs and to
# build/win64 elsewhere; build both programs there first, for example
#   cmake --preset win64 && cmake --build --preset win64 --target vorlane minimal_window
#
# Start-up: from spawning the Wine process until the X server maps the program's
# window (a MapNotify seen by bench/shell/window_timer.c, built here with cc).
# Idle memory: VmRSS of the program's process (and anything under it) after the
# window has been up IDLE_SECONDS (2). The two programs run RUNS (10) times each,
# interleaved, the order swapped every round, after one warm-up run of each; the
# wineserver and Wine's own services stay up for the whole session. vorlane.exe
# runs on its compiled-in defaults, which fetch nothing at start.
#
# VORLANE_BENCH_SAVED_ROWS=N starts vorlane.exe with a kept list of N rows
# (list.csv beside it, with the portable marker): it is read after the first
# paint, so the time to the mapped window should not move.
set -eu
vorlane_root=$(cd "$(dirname "$0")/.." && pwd)
. "$vorlane_root/scripts/wine-env.sh"
arch=$(wine_test_arch)
case $arch in i686) default_build=build/win32 ;; *) default_build=build/win64 ;; esac
build=${1:-$vorlane_root/$default_build}
runs=${2:-10}
idle=${3:-2}
program=$build/src/app/vorlane.exe
reference=$build/bench/shell/minimal_window.exe
for exe in "$program" "$reference"; do
  if [ ! -f "$exe" ]; then
    echo "no $exe: build the vorlane and minimal_window targets first" >&2
    exit 1
  fi
done
if [ ! -f /usr/include/X11/Xlib.h ]; then
  echo "bench-startup: needs the X11 headers (apt-get install libx11-dev)" >&2
  exit 1
fi
# The programs say which architecture they are built for (PE machine field).
case $(od -An -tx1 -j "$(($(od -An -tu4 -j60 -N4 "$program") + 4))" -N2 "$program" | tr -d ' ') in
  4c01) arch=i686 ;;
  6486) arch=x86_64 ;;
esac
# A prefix of its own: stopping this session's wineserver touches nobody else's.
VORLANE_WINEPREFIX=${VORLANE_WINEPREFIX:-$vorlane_root/.deps/wine-bench-$arch}
wine_setup "$arch"

work=$(mktemp -d)
xvfb_pid=""
cleanup() {
  "$WINE_SERVER" -k >/dev/null 2>&1 || true
  xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cc -O2 -o "$work/window_timer" "$vorlane_root/bench/shell/window_timer.c" -lX11
# Both programs from one folder with no vorlane.ini in it (the compiled-in
# defaults), stripped as scripts/package.sh ships vorlane.exe.
case $arch in i686) triple=i686-w64-mingw32 ;; *) triple=x86_64-w64-mingw32 ;; esac
"$triple-strip" -o "$work/vorlane.exe" "$program"
"$triple-strip" -o "$work/minimal_window.exe" "$reference"
saved_rows=${VORLANE_BENCH_SAVED_ROWS:-0}
if [ "$saved_rows" -gt 0 ]; then
  : >"$work/portable.txt"
  python3 - "$work/list.csv" "$saved_rows" <<'EOF'
import sys
title = "韩版宽松毛衣女"
rows = ["title,status,count,time,reason,since"]
for i in range(int(sys.argv[2])):
    status = "failed" if i % 10 == 0 else "indexed" if i % 3 else "not indexed"
    count = "12" if status == "indexed" else "0" if status == "not indexed" else ""
    when = "2026-12-9 10:00:00" if status == "indexed" else ""
    reason = "time-out" if status == "failed" else ""
    rows.append(f"{title * 3} {i} {title},{status},{count},{when},{reason},2026-12-9 10:00:00")
open(sys.argv[1], "wb").write(("\ufeff" + "\r\n".join(rows) + "\r\n").encode("utf-8"))
EOF
fi

xvfb_start "$work" 1280x1024 || exit 1

# One wineserver for the session, and Wine's services (explorer, services,
# plugplay...) started before anything is timed.
"$WINE_SERVER" -p >/dev/null 2>&1 </dev/null
"$WINE_LOADER" cmd /c exit >/dev/null 2>&1 </dev/null || true
sleep 2

cd "$work"
measure() { # name title
  "$work/window_timer" "$2" $((idle * 1000)) "$WINE_LOADER" "$work/$1.exe" </dev/null
}
echo "warm-up: vorlane $(measure vorlane 'Vorlane V1.1')"
echo "warm-up: minimal $(measure minimal_window 'Vorlane minimal window')"
: >"$work/results"
i=1
while [ $i -le "$runs" ]; do
  if [ $((i % 2)) -eq 1 ]; then order="vorlane minimal"; else order="minimal vorlane"; fi
  for which in $order; do
    if [ "$which" = vorlane ]; then
      line=$(measure vorlane 'Vorlane V1.1')
    else
      line=$(measure minimal_window 'Vorlane minimal window')
    fi
    echo "run $i $which $line" | tee -a "$work/results"
  done
  i=$((i + 1))
done

python3 - "$work/results" "$arch" <<'EOF'
import statistics, sys
rows = {"vorlane": [], "minimal": []}
for line in open(sys.argv[1]):
    parts = line.split()
    fields = dict(p.split("=") for p in parts[3:])
    rows[parts[2]].append({k: float(v) for k, v in fields.items()})
def median(name, key):
    return statistics.median(r[key] for r in rows[name])
print(f"\n{len(rows['vorlane'])} runs each, {sys.argv[2]} build, medians:")
print(f"{'':24}{'vorlane.exe':>14}{'minimal':>14}{'ratio':>8}")
for key, label, scale, unit in [("map_ms", "start-up to mapped", 1, "ms"),
                                ("rss_kib", "idle VmRSS", 1 / 1024, "MiB"),
                                ("anon_kib", "  of it anonymous", 1 / 1024, "MiB"),
                                ("file_kib", "  of it file-backed", 1 / 1024, "MiB")]:
    a, b = median("vorlane", key), median("minimal", key)
    print(f"{label:24}{a * scale:>11.1f} {unit:3}{b * scale:>11.1f} {unit:3}{a / b:>7.2f}x")
# Other work on the machine only ever adds time: the fastest runs show it least.
a, b = (min(r["map_ms"] for r in rows[n]) for n in ("vorlane", "minimal"))
print(f"{'start-up, fastest run':24}{a:>11.1f} ms {b:>11.1f} ms {a / b:>7.2f}x")
EOF
