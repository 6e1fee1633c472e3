#!/bin/sh
# Opens the report page in a real browser: writes a history with Chinese titles and
# every status, turns it into a page with `vorlane-cli report --html`, and has
# headless Chromium read the page back (--dump-dom) and draw it
# (--screenshot, kept as out/report.png beside out/report.html).
#
#   scripts/check-report-page.sh [VORLANE_CLI]
#
# Without an argument it builds vorlane-cli with the native preset. Exit status 0
# only when the browser shows one strip per title with the statuses' colours.
set -eu
vorlane_root=$(cd "$(dirname "$0")/.." && pwd)
cd "$vorlane_root"

fail() {
  echo "check-report-page: $*" >&2
  exit 1
}

cli=${1:-}
if [ -z "$cli" ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target vorlane-cli
  cli="$vorlane_root/build/native/src/cli/vorlane-cli"
fi
[ -x "$cli" ] || fail "no program at $cli"
browser=$(command -v chromium || true)
[ -n "$browser" ] || fail "chromium is not installed (scripts/setup.sh installs it)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
mkdir -p out "$work/home"

# Six titles over five passes, half an hour apart: steady, recovering, dropping,
# flapping, failing, and one whose title is markup.
titles=6
crlf=$(printf '\r')
{
  printf '\357\273\277time,title,status,count,reason\r\n'
  for pass in 0 1 2 3 4; do
    t="2024-6-1 $((8 + pass / 2)):$((pass % 2 * 3))0:05"
    case $pass in 0 | 1) recovering="not indexed,0," ;; *) recovering="indexed,3," ;; esac
    case $pass in 4) dropping="not indexed,0," ;; *) dropping="indexed,12," ;; esac
    case $pass in 1 | 3) flapping="not indexed,0," ;; *) flapping="indexed,1," ;; esac
    case $pass in 2) failing="failed,,time-out" ;; *) failing="not indexed,0," ;; esac
    echo "$t,韩版宽松毛衣女,indexed,1,$crlf"
    echo "$t,纯棉短袖T恤,$recovering$crlf"
    echo "$t,夏季连衣裙 法式复古碎花裙 收腰显瘦,$dropping$crlf"
    echo "$t,加厚珊瑚绒睡衣套装,$flapping$crlf"
    echo "$t,复古台灯,$failing$crlf"
    echo "$t,\"手工草帽 <i>夏季</i> & \"\"防晒\"\"\",indexed,3,$crlf"
  done
} >"$work/history.csv"

# 0, 1 and 2 say how the titles stand (all indexed, some not, some failed);
# anything else is a failure of the command.
status=0
"$cli" report --history "$work/history.csv" --html "$work/report.html" >"$work/cli.log" 2>&1 || status=$?
if [ "$status" -gt 2 ] || [ ! -s "$work/report.html" ]; then
  cat "$work/cli.log" >&2
  fail "vorlane-cli report --html failed (exit status $status)"
fi
cp "$work/report.html" out/report.html

# A fresh profile per run, no network on its own, and a time limit: the page is a
# local file that fetches nothing.
browse() {
  HOME="$work/home" XDG_CONFIG_HOME="$work/home" XDG_CACHE_HOME="$work/home" \
    timeout -k 10 90 "$browser" --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$(mktemp -d "$work/profile.XXXXXX")" "$@" "file://$work/report.html"
}

browse --dump-dom >"$work/dom.html" 2>"$work/dom.log" ||
  { tail -n 20 "$work/dom.log" >&2; fail "chromium --dump-dom failed or timed out"; }
count() {
  grep -o "$1" "$work/dom.html" | wc -l | tr -d ' '
}
strips=$(count '<svg class="strip"')
rows=$(count '<tr class="r-')
runs=$(count '<rect ')
problems=""
[ "$strips" -eq "$titles" ] || problems="$problems; $strips strips for $titles titles"
[ "$rows" -eq "$titles" ] || problems="$problems; $rows rows for $titles titles"
[ "$runs" -ge "$titles" ] || problems="$problems; only $runs runs drawn"
grep -q '<title>收录报告</title>' "$work/dom.html" || problems="$problems; no page title"
# The markup in a title is text: a browser serialises it back escaped.
for title in 韩版宽松毛衣女 纯棉短袖T恤 复古台灯 '手工草帽 &lt;i&gt;夏季&lt;/i&gt; &amp; "防晒"'; do
  grep -qF ">$title<" "$work/dom.html" || problems="$problems; no cell reads '$title'"
done
if grep -qiE 'chrome-error|net::ERR_|<script' "$work/dom.html"; then
  problems="$problems; an error page or a script"
fi
[ -z "$problems" ] || fail "the page as the browser read it:${problems#;}"
echo "check-report-page: the browser read $strips strips and $runs runs for $titles titles"

rm -f out/report.png
browse --screenshot="$vorlane_root/out/report.png" --window-size=1280,900 >"$work/shot.log" 2>&1 ||
  { tail -n 20 "$work/shot.log" >&2; fail "chromium --screenshot failed or timed out"; }
[ -s out/report.png ] || fail "no screenshot was written"
size=$(identify -format '%wx%h' out/report.png) || fail "the screenshot is no picture"
[ "$size" = 1280x900 ] || fail "the screenshot is $size, not 1280x900"
# The strips' colours must be on screen, and over far more pixels than the legend,
# the badges and the rows' edges take: a page whose strips are not drawn fails.
convert out/report.png -format %c histogram:info:- >"$work/colours.txt"
pixels() {
  awk -v hex="#$1" 'toupper($3) ~ "^" hex { n += $1 + 0 } END { print n + 0 }' "$work/colours.txt"
}
green=$(pixels 2F9E5B)
red=$(pixels D64545)
amber=$(pixels E8A317)
echo "check-report-page: the screenshot shows $green green, $red red and $amber amber pixels"
[ "$green" -ge 1000 ] && [ "$red" -ge 1000 ] && [ "$amber" -ge 1000 ] ||
  fail "a status's colour is missing from the screenshot"
[ $((green + red + amber)) -ge $((titles * 5000)) ] || fail "the screenshot shows too little of the strips"
echo "check-report-page: passed; out/report.png and out/report.html kept"
