#!/bin/sh
# Checks the layering, builds every flavour and runs every test: the native suite,
# the same suite under AddressSanitizer+UBSan and under ThreadSanitizer, a fixed
# number of runs of each fuzzer, and the Windows suite under Wine inside Xvfb. Installs what it
# needs first.
# Exit status 0 only when everything passed.
set -eu
vorlane_root=$(cd "$(dirname "$0")/.." && pwd)
cd "$vorlane_root"
. scripts/wine-env.sh

scripts/setup.sh

failed=""
step() {
  echo "== $*"
}
fail() {
  echo "!! FAILED: $1"
  failed="$failed $1"
}
build() {
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1"
}

step "setup: goes on when the package lists cannot be updated (scripts/check-setup.sh)"
scripts/check-setup.sh || fail setup

step "layers: every include and link points down (docs/ARCHITECTURE.md)"
python3 scripts/check-layers.py || fail layers
python3 scripts/check-layers.py --self-test >/dev/null || fail layers-self-test

for preset in native asan tsan; do
  step "$preset: build and test"
  if ! build "$preset"; then fail "$preset-build"; continue; fi
  case $preset in
    # ThreadSanitizer needs a fixed memory layout, which newer kernels' mmap
    # randomisation breaks; run it without address space randomisation.
    tsan) runner="setarch $(uname -m) -R" ;;
    *) runner="" ;;
  esac
  $runner ctest --preset "$preset" || fail "$preset-tests"
done

step "fuzz: build and run each target a fixed number of times from its committed seeds"
if build fuzz; then
  for target in build/fuzz/fuzz/*/*_fuzzer; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    folder="fuzz/$(basename "$(dirname "$target")")"
    seeds="$folder/${name}_seeds"
    [ -d "$seeds" ] || seeds="$folder/seeds"
    # Runs that write files cost more each; every target stays within seconds.
    case $name in
      unzip_fuzzer) runs=400 ;;
      text_fuzzer) runs=5000 ;;
      *) runs=20000 ;;
    esac
    # A fresh corpus each time: the runs start from the committed seeds alone.
    corpus="build/fuzz/corpus/$name"
    rm -rf "$corpus" && mkdir -p "$corpus"
    echo "-- $name: $runs runs"
    "$target" -runs="${VORLANE_FUZZ_RUNS:-$runs}" -rss_limit_mb=2048 -timeout=10 \
      -print_final_stats=0 "$corpus" "$seeds" 2>"$corpus.log" || { tail -n 40 "$corpus.log"; fail "fuzz-$name"; }
  done
else
  fail "fuzz-build"
fi

step "report page: the report of a history in headless Chromium (scripts/check-report-page.sh)"
scripts/check-report-page.sh build/native/src/cli/vorlane-cli || fail report-page

# The product is the 32-bit build; it is always built. Its tests run under 32-bit
# Wine when this kernel executes 32-bit code, otherwise the same sources built for
# x86_64 run under 64-bit Wine.
arch=$(wine_test_arch)
case $arch in i686) wpreset=win32 ;; *) wpreset=win64 ;; esac
if [ "$wpreset" = win32 ]; then
  step "win32: build"
  build win32 || fail "win32-build"
else
  # Tests that cannot run here are not built: the product's programs are, and must
  # build without a warning; the tests build and run in the x86_64 build below.
  step "win32: build the programs"
  { cmake --preset win32 >/dev/null && cmake --build --preset win32 --target vorlane vorlane-cli; } ||
    fail "win32-build"
  echo "   (32-bit Wine cannot run here: the Windows tests run as x86_64 under wine64)"
  step "win64: build"
  build win64 || fail "win64-build"
fi
step "$wpreset: tests under Wine"
wine_setup "$arch"
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset "$wpreset" || fail "$wpreset-tests"

# About 6 s (18 s on a loaded machine): certificates made, nginx started, the CA trusted for the run and taken
# out again, then the same cases natively (libcurl) and under Wine (WinINet).
step "tls: https pages and package, redirects, gzip and bad certificates against nginx (scripts/tls-stack.sh)"
scripts/tls-stack.sh sh -c "build/native/tests/stack/tls_stack_tests &&
  scripts/wine-run.sh $arch build/$wpreset/tests/stack/tls_stack_tests.exe" || fail tls-stack
"$WINE_SERVER" -k >/dev/null 2>&1 || true

step "package: the portable zip and the installer from the builds above, installed, started and uninstalled under Wine"
scripts/check-package.sh || fail package

if [ -n "$failed" ]; then
  echo "FAILED:$failed"
  exit 1
fi
echo "ALL PASSED"
