#!/bin/sh
# Installs everything the builds and tests need on a Debian 12 machine (as root),
# and fetches zlib's source for the MinGW build of minizip. Idempotent: a machine
# that already has everything costs a few dpkg queries.
#
# The package archive has bad days (an index mid-sync, a security update ahead of
# its i386 twin), so a failed `apt-get update` is only a warning and the install is
# tried with the lists apt already has. Only a failed install stops the script.
# VORLANE_SETUP_PACKAGES replaces the package list (used by the script's own test).
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
cache="$here/.deps"
. "$here/scripts/host-arch.sh"

packages=${VORLANE_SETUP_PACKAGES:-"g++ cmake ninja-build make pkg-config python3 curl zip unzip bzip2 dpkg-dev \
  googletest libgtest-dev libgmock-dev libbenchmark-dev \
  libcurl4-openssl-dev libssl-dev libminizip-dev zlib1g-dev \
  clang libclang-rt-14-dev clang-format \
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev \
  wine wine64 fonts-wine xvfb xauth xdotool imagemagick fonts-wqy-microhei locales nsis \
  nginx-light openssl ca-certificates chromium"}

# Prints the packages of "$@" that are not installed.
missing_of() {
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || printf ' %s' "$p"
  done
}

lists_updated=""
update_lists() {
  [ -z "$lists_updated" ] || return 0
  lists_updated=1
  if ! apt-get update -qq; then
    echo "setup: warning: apt-get update failed; installing from the package lists apt already has" >&2
  fi
}

# install PACKAGE... : installs them, or prints which could not be and apt's reason.
install() {
  log=$(mktemp)
  # shellcheck disable=SC2086
  if apt-get install -y -q --no-install-recommends "$@" >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  echo "setup: could not install:$(printf ' %s' "$@")" >&2
  echo "setup: apt said:" >&2
  sed -n '/following packages have unmet dependencies/,$p' "$log" | grep . >&2 ||
    grep -E '^(E|W):' "$log" >&2 || tail -n 20 "$log" >&2
  rm -f "$log"
  return 1
}

export DEBIAN_FRONTEND=noninteractive
# shellcheck disable=SC2086
missing=$(missing_of $packages)
if [ -n "$missing" ]; then
  update_lists
  # shellcheck disable=SC2086
  install $missing || exit 1
fi

# 32-bit Wine only where this kernel runs 32-bit programs, and only as a bonus:
# when the archive's i386 packages do not match the installed amd64 ones, the
# Windows tests run as x86_64 under 64-bit Wine instead, as on hosts without
# 32-bit support. Decided before apt is touched, so no i386 list is fetched for
# nothing.
# A failed try is remembered for the day, so each test run does not repeat it.
no_wine32="$cache/wine32-unavailable-$(date +%Y%m%d)"
if [ -z "${VORLANE_SETUP_PACKAGES:-}" ] && [ ! -f "$no_wine32" ] && host_runs_i686 &&
  [ -n "$(missing_of wine32:i386)" ]; then
  added_i386=""
  case " $(dpkg --print-foreign-architectures | tr '\n' ' ') " in
    *" i386 "*) ;;
    *) dpkg --add-architecture i386 && added_i386=1 && lists_updated="" ;;
  esac
  update_lists
  mkdir -p "$cache"
  if ! install wine32:i386 2>"$cache/wine32.log"; then
    head -n 4 "$cache/wine32.log" >&2 || true
    echo "setup: warning: going on without 32-bit Wine (apt's whole answer: $cache/wine32.log);" >&2
    echo "setup: the Windows tests run as x86_64 under 64-bit Wine" >&2
    rm -f "$cache"/wine32-unavailable-* && : >"$no_wine32"
    if [ -n "$added_i386" ]; then
      dpkg --remove-architecture i386 2>/dev/null || true
      apt-get update -qq >/dev/null 2>&1 || true
    fi
  fi
fi

# zlib's Debian source, for contrib/minizip in the cross build. A private apt state
# with one deb-src line keeps the machine's own apt configuration untouched.
if [ ! -d "$cache/zlib-src/contrib/minizip" ]; then
  mkdir -p "$cache/apt/lists/partial" "$cache/apt/cache/archives/partial" "$cache/dl"
  uri=""
  for f in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list; do
    [ -f "$f" ] || continue
    uri=$(sed -n -e 's/^URIs:[[:space:]]*//p' -e 's/^deb[[:space:]]\{1,\}\(\[[^]]*\][[:space:]]*\)\{0,1\}//p' "$f" |
      tr ' ' '\n' | grep -E '^https?://' | grep -v security | head -n1 || true)
    [ -n "$uri" ] && break
  done
  if [ -z "$uri" ]; then
    echo "setup: the machine's apt sources name no Debian archive to fetch zlib's source from;" >&2
    echo "setup: add one to /etc/apt/sources.list.d/debian.sources (or sources.list) and run again." >&2
    exit 1
  fi
  echo "deb-src $uri bookworm main" >"$cache/apt/sources.list"
  apt_opts="-o Dir::Etc::SourceList=$cache/apt/sources.list -o Dir::Etc::SourceParts=- \
    -o Dir::State::Lists=$cache/apt/lists -o Dir::Cache=$cache/apt/cache -o APT::Sandbox::User=root"
  # shellcheck disable=SC2086
  apt-get $apt_opts -qq update || echo "setup: warning: apt-get update of the source list failed; trying what it has" >&2
  # shellcheck disable=SC2086
  (cd "$cache/dl" && apt-get $apt_opts -qq source --download-only zlib >/dev/null)
  tarball=$(ls "$cache"/dl/zlib_*.orig.tar.* | head -n1)
  rm -rf "$cache/zlib-src" && mkdir -p "$cache/zlib-src"
  tar -xf "$tarball" -C "$cache/zlib-src" --strip-components=1
fi
