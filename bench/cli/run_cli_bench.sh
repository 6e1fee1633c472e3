#!/bin/sh
# vorlane-cli as a user runs it, against the demo site on 127.0.0.1:
#
#   bench/cli/run_cli_bench.sh [BUILD_DIR] [throughput|memory|report|all] [TITLES]
#
# throughput  `check --pace 0 --jobs 4` over TITLES titles (default 1000), and, as the
#             reference, a shell loop of `curl -s` over the same titles' search
#             addresses; prints both rates and their ratio (target: at least 200
#             titles per second)
# memory      the peak resident memory (max RSS) of `check --pace 0 --jobs 4` over
#             TITLES titles (default 100000), in CSV and in the table, which has to
#             keep every row for its widths (target: under 30 MiB)
# report      `report` over a history of 1,000,000 records (target: under 2 s), and,
#             as the reference, awk counting the same file's records by title; then
#             `report --html`, the page the window's 查看收录报告 writes (no target:
#             the window makes it on a worker)
# all         the three, each with its default number of titles (the default)
#
# BUILD_DIR defaults to build/native; it needs the vorlane-cli and demo_site targets:
#   cmake --preset native && cmake --build --preset native --target vorlane-cli demo_site
set -eu
vorlane_root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$vorlane_root/build/native}
what=${2:-all}
count=${3:-}
cli=$build/src/cli/vorlane-cli
site=$build/tools/demo_site/demo_site
for program in "$cli" "$site"; do
  [ -x "$program" ] || { echo "no $program: build the vorlane-cli and demo_site targets first" >&2; exit 1; }
done
command -v curl >/dev/null || { echo "curl is not installed" >&2; exit 1; }

work=$(mktemp -d)
site_pid=""
cleanup() {
  [ -z "$site_pid" ] || kill "$site_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

now() {
  date +%s.%N
}
# awk arithmetic on the figures, printed with a fixed number of decimals.
calc() {
  awk "BEGIN { printf \"%.$1f\", $2 }"
}

# Titles "韩版宽松毛衣女 第N款", N from 1; the site finds the odd ones (count N) and
# not the even ones. One catalogue covers every run of the script.
max_titles=100000
awk -v n="$max_titles" 'BEGIN { for (i = 1; i <= n; i += 2) printf "韩版宽松毛衣女 第%d款\tfound\t%d\n", i, i }' \
  >"$work/catalogue.txt"
"$site" --catalogue "$work/catalogue.txt" 0 >"$work/site.log" 2>&1 &
site_pid=$!
host=""
for _ in $(seq 100); do
  host=$(sed -n 's|^demo_site: serving http://\([^/]*\)/$|\1|p' "$work/site.log")
  [ -n "$host" ] && break
  sleep 0.1
done
[ -n "$host" ] || { cat "$work/site.log" >&2; echo "the demo site did not start" >&2; exit 1; }

titles_file() {
  awk -v n="$1" 'BEGIN { for (i = 1; i <= n; ++i) printf "韩版宽松毛衣女 第%d款\r\n", i }' >"$work/titles-$1.txt"
  echo "$work/titles-$1.txt"
}

# Every title checked, none failed, half of them indexed.
check_output() {
  rows=$(($(wc -l <"$1") - 1))
  failed=$(grep -c ',failed,' "$1" || true)
  indexed=$(grep -c ',indexed,' "$1" || true)
  [ "$rows" -eq "$2" ] && [ "$failed" -eq 0 ] && [ "$indexed" -eq $((($2 + 1) / 2)) ] ||
    { echo "vorlane-cli's output is wrong: $rows rows, $failed failed, $indexed indexed" >&2; exit 1; }
}

throughput() {
  n=${count:-1000}
  file=$(titles_file "$n")
  status=0
  start=$(now)
  "$cli" check --host "$host" --pace 0 --jobs 4 --format csv --file "$file" >"$work/check.csv" 2>"$work/check.err" ||
    status=$?
  end=$(now)
  [ "$status" -eq 1 ] || { cat "$work/check.err" >&2; echo "vorlane-cli ended with $status" >&2; exit 1; }
  check_output "$work/check.csv" "$n"
  cli_seconds=$(calc 3 "$end - $start")

  # The same search addresses as the program's: the title's UTF-8, every byte but
  # A-Z a-z 0-9 , - . / percent-encoded.
  LC_ALL=C awk -v host="$host" '
    BEGIN { for (i = 0; i < 256; ++i) ord[sprintf("%c", i)] = i }
    { sub(/\r$/, ""); url = ""
      for (i = 1; i <= length($0); ++i) {
        c = substr($0, i, 1)
        url = url (c ~ /[A-Za-z0-9,.\/-]/ ? c : sprintf("%%%02X", ord[c]))
      }
      print "http://" host "/book/search/" url }' "$file" >"$work/urls.txt"
  start=$(now)
  while read -r url; do curl -s "$url" >/dev/null; done <"$work/urls.txt"
  end=$(now)
  curl_seconds=$(calc 3 "$end - $start")
  # The reference fetched what vorlane-cli did: the first address finds its title.
  curl -s "$(head -n 1 "$work/urls.txt")" | grep -q '找到' ||
    { echo "curl did not get a result page for the first title" >&2; exit 1; }

  cli_rate=$(calc 1 "$n / $cli_seconds")
  curl_rate=$(calc 1 "$n / $curl_seconds")
  echo "throughput, $n titles:"
  echo "  vorlane-cli check --pace 0 --jobs 4  $cli_seconds s  $cli_rate titles/s"
  echo "  shell loop of curl -s (reference)    $curl_seconds s  $curl_rate titles/s"
  echo "  ratio (vorlane-cli rate / curl rate) $(calc 2 "$cli_rate / $curl_rate")"
}

memory() {
  n=${count:-100000}
  file=$(titles_file "$n")
  echo "peak memory, $n titles (check --pace 0 --jobs 4):"
  for format in csv table; do
    status=0
    start=$(now)
    /usr/bin/time -f %M -o "$work/rss" "$cli" check --host "$host" --pace 0 --jobs 4 --format "$format" \
      --file "$file" >"$work/check.out" 2>"$work/check.err" || status=$?
    end=$(now)
    [ "$status" -eq 1 ] || { cat "$work/check.err" >&2; echo "vorlane-cli ended with $status" >&2; exit 1; }
    [ "$format" = table ] || check_output "$work/check.out" "$n"
    kib=$(tail -n 1 "$work/rss")
    echo "  --format $format  max RSS $(calc 1 "$kib / 1024") MiB  ($(calc 1 "$end - $start") s)"
  done
}

report() {
  n=1000000
  # 1,000 titles, hourly checks; a tenth failed, a fifth not indexed.
  LC_ALL=C awk -v n="$n" 'BEGIN {
      printf "\357\273\277time,title,status,count,reason\r\n"
      for (i = 0; i < n; ++i) {
        t = i % 1000; h = int(i / 1000) % 24; k = i % 10
        printf "2013-11-9 %d:05:07,韩版宽松毛衣女 第%d款,%s\r\n", h, t,
          (k == 0 ? "failed,,time-out" : (k < 3 ? "not indexed,0," : "indexed,12,"))
      } }' >"$work/history.csv"
  size=$(calc 1 "$(wc -c <"$work/history.csv") / 1048576")
  status=0
  start=$(now)
  /usr/bin/time -f %M -o "$work/rss" "$cli" report --history "$work/history.csv" --format csv \
    >"$work/report.csv" 2>"$work/report.err" || status=$?
  end=$(now)
  # Every tenth title's latest check failed: exit status 2.
  [ "$status" -eq 2 ] && [ ! -s "$work/report.err" ] && [ "$(wc -l <"$work/report.csv")" -eq 1001 ] ||
    { cat "$work/report.err" >&2; echo "vorlane-cli report ended with $status" >&2; exit 1; }
  report_seconds=$(calc 3 "$end - $start")
  start=$(now)
  LC_ALL=C awk -F, 'NR > 1 { n[$2]++ } END { for (t in n) c++; print c }' "$work/history.csv" >"$work/awk.out"
  end=$(now)
  [ "$(cat "$work/awk.out")" -eq 1000 ] || { echo "awk counted $(cat "$work/awk.out") titles" >&2; exit 1; }
  echo "report, $n records ($size MiB):"
  echo "  vorlane-cli report --format csv         $report_seconds s  max RSS $(calc 1 "$(tail -n 1 "$work/rss") / 1024") MiB"
  echo "  awk counting records by title (reference)  $(calc 3 "$end - $start") s"
  status=0
  start=$(now)
  /usr/bin/time -f %M -o "$work/rss" "$cli" report --history "$work/history.csv" --html "$work/report.html" \
    >/dev/null 2>"$work/html.err" || status=$?
  end=$(now)
  [ "$status" -eq 2 ] && [ ! -s "$work/html.err" ] && [ -s "$work/report.html" ] ||
    { cat "$work/html.err" >&2; echo "vorlane-cli report --html ended with $status" >&2; exit 1; }
  echo "  vorlane-cli report --html               $(calc 3 "$end - $start") s  max RSS $(calc 1 "$(tail -n 1 "$work/rss") / 1024") MiB  page $(calc 1 "$(wc -c <"$work/report.html") / 1048576") MiB"
}

case $what in
  throughput) throughput ;;
  memory) memory ;;
  report) report ;;
  all)
    count=""
    throughput
    memory
    report
    ;;
  *) echo "usage: $0 [BUILD_DIR] [throughput|memory|report|all] [TITLES]" >&2; exit 64 ;;
esac
