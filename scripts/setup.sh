#!/bin/sh
# Installs everything the builds and tests need on a Debian 12 machine (as root),
# and fetches zlib's source for the MinGW build of minizip. Idempotent: a machine
# that already has everything costs a few dpkg queries.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
cache="$here/.deps"

packages="g++ cmake ninja-build make pkg-config python3 curl zip unzip bzip2 dpkg-dev \
  googletest libgtest-dev libgmock-dev libbenchmark-dev \
  libcurl4-openssl-dev libssl-dev libminizip-dev zlib1g-dev \
  clang libclang-rt-14-dev clang-format \
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix libz-mingw-w64-dev \
  wine wine32:i386 wine64 xvfb xauth xdotool imagemagick fonts-wqy-microhei locales nsis \
  chromium"

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  case " $(dpkg --print-foreign-architectures | tr '\n' ' ') " in
    *" i386 "*) ;;
    *) dpkg --add-architecture i386 ;;
  esac
  apt-get update -qq
  # shellcheck disable=SC2086
  apt-get install -y -qq --no-install-recommends $missing >/dev/null
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
  apt-get $apt_opts -qq update
  # shellcheck disable=SC2086
  (cd "$cache/dl" && apt-get $apt_opts -qq source --download-only zlib >/dev/null)
  tarball=$(ls "$cache"/dl/zlib_*.orig.tar.* | head -n1)
  rm -rf "$cache/zlib-src" && mkdir -p "$cache/zlib-src"
  tar -xf "$tarball" -C "$cache/zlib-src" --strip-components=1
fi
