#!/bin/sh
# Builds the Windows release (or takes it, when the build is up to date) and packs
# it for sellers into out/package/:
#
#   vorlane-<version>-portable.zip  a folder with vorlane.exe, vorlane-cli.exe,
#                                   vorlane.ini (the shipped defaults), a README in
#                                   Chinese and one in English, LICENSES/, and
#                                   portable.txt (its data stays in that folder)
#   vorlane-<version>-setup.exe     an NSIS installer of the same files but
#                                   portable.txt (its data goes to %APPDATA%): per user,
#                                   no administrator rights, a Start-menu entry and
#                                   an uninstaller listed under the user's programs
#
# <version> and the installer's version information come from the VERSIONINFO of
# resources/vorlane.rc; the copies of the version in the manifests and in
# resources/vorlane-cli.rc must agree with it.
#
# Usage: scripts/package.sh [--no-cli] [--arch i686|x86_64] [--out DIR]
#        scripts/package.sh --version   prints the version and builds nothing
#   --no-cli   pack without vorlane-cli.exe. Without it a build that lacks the
#              vorlane-cli target is an error.
#   --arch     i686 (the default) is the product, from the win32 build. x86_64 packs
#              the win64 build with NSIS's 64-bit stub; it exists only so that
#              scripts/check-package.sh can install the package under 64-bit Wine
#              on hosts that cannot run 32-bit programs. Never ship it.
#   --out DIR  where to write (default out/package, or out/package-x86_64-test)
# The builds are build/win32 and build/win64 (the presets' folders), or the folders
# in $VORLANE_WIN32_BUILD and $VORLANE_WIN64_BUILD.
set -eu
vorlane_root=$(cd "$(dirname "$0")/.." && pwd)
cd "$vorlane_root"

with_cli=1
arch=i686
out=""
print_version=0
while [ $# -gt 0 ]; do
  case $1 in
    --no-cli) with_cli=0 ;;
    --arch) arch=${2:?--arch needs i686 or x86_64}; shift ;;
    --arch=*) arch=${1#--arch=} ;;
    --out) out=${2:?--out needs a folder}; shift ;;
    --out=*) out=${1#--out=} ;;
    --version) print_version=1 ;;
    -h|--help) sed -n '2,/^set -eu/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "package: unknown argument '$1' (see --help)" >&2; exit 2 ;;
  esac
  shift
done

die() {
  echo "package: $*" >&2
  exit 1
}

case $arch in
  i686) preset=win32; build=${VORLANE_WIN32_BUILD:-build/win32}; nsis_target=x86-unicode; default_out=out/package ;;
  x86_64) preset=win64; build=${VORLANE_WIN64_BUILD:-build/win64}; nsis_target=amd64-unicode; default_out=out/package-x86_64-test ;;
  *) die "unknown architecture '$arch' (i686 or x86_64)" ;;
esac
out=${out:-$default_out}
triple=$arch-w64-mingw32

# The version: FILEVERSION of resources/vorlane.rc. Its other copies (the
# PRODUCTVERSION, the version strings, the manifest's assembly version) must agree,
# or the installer and the program would describe different versions.
rc=resources/vorlane.rc
version=$(sed -n 's/^[[:space:]]*FILEVERSION[[:space:]]*\([0-9]\{1,\}\)[[:space:]]*,[[:space:]]*\([0-9]\{1,\}\)[[:space:]]*,[[:space:]]*\([0-9]\{1,\}\)[[:space:]]*,[[:space:]]*\([0-9]\{1,\}\)[[:space:]]*$/\1.\2.\3.\4/p' $rc)
[ -n "$version" ] || die "no FILEVERSION a, b, c, d in $rc"
short=${version%.*.*}
product_version=$(sed -n 's/^[[:space:]]*PRODUCTVERSION[[:space:]]*//p' $rc | tr -d ' \r' | tr , .)
file_string=$(sed -n 's/.*VALUE "FileVersion", "\([^"]*\)".*/\1/p' $rc)
product_string=$(sed -n 's/.*VALUE "ProductVersion", "\([^"]*\)".*/\1/p' $rc)
manifest_version=$(sed -n 's/.*assemblyIdentity type="win32" name="Vorlane" version="\([^"]*\)".*/\1/p' resources/vorlane.manifest)
[ "$product_version" = "$version" ] || die "$rc: PRODUCTVERSION $product_version is not FILEVERSION $version"
[ "$file_string" = "$version" ] || die "$rc: FileVersion \"$file_string\" is not $version"
[ "$product_string" = "$short" ] || die "$rc: ProductVersion \"$product_string\" is not $short"
[ "$manifest_version" = "$version" ] || die "resources/vorlane.manifest: version \"$manifest_version\" is not $version"
# vorlane-cli's resources repeat them.
cli_rc=resources/vorlane-cli.rc
for key in FILEVERSION PRODUCTVERSION; do
  [ "$(sed -n "s/^[[:space:]]*$key[[:space:]]*//p" $cli_rc | tr -d ' \r' | tr , .)" = "$version" ] ||
    die "$cli_rc: $key is not $version, as in $rc"
done
[ "$(sed -n 's/.*VALUE "FileVersion", "\([^"]*\)".*/\1/p' $cli_rc)" = "$version" ] || die "$cli_rc: FileVersion is not \"$version\""
[ "$(sed -n 's/.*VALUE "ProductVersion", "\([^"]*\)".*/\1/p' $cli_rc)" = "$short" ] || die "$cli_rc: ProductVersion is not \"$short\""
[ "$(sed -n 's/.*assemblyIdentity type="win32" name="Vorlane.Cli" version="\([^"]*\)".*/\1/p' resources/vorlane-cli.manifest)" = "$version" ] ||
  die "resources/vorlane-cli.manifest: its version is not $version"
if [ $print_version = 1 ]; then
  echo "$version"
  exit 0
fi

scripts/setup.sh

# NSIS before 3.09 runs the uninstaller from a temporary folder that other
# programs of the user may write into, so that a DLL planted there loads into it
# (CVE-2023-37378). 3.09 and later are fixed; so is Debian's 3.08-3+deb12u1, whose
# changelog names the fix it backports. Any other 3.08 or older is refused.
nsis_version=$(makensis -VERSION 2>/dev/null | tr -d '\r' | sed 's/^v//') || nsis_version=""
[ -n "$nsis_version" ] || die "makensis does not run or tell its version"
nsis_upstream=${nsis_version%%-*}
nsis_major=$(echo "$nsis_upstream" | cut -d. -f1)
nsis_minor=$(echo "$nsis_upstream" | cut -d. -f2)
case $nsis_major$nsis_minor in
  *[!0-9]*|"") die "makensis tells a version that does not read: $nsis_version" ;;
esac
nsis_changelog=/usr/share/doc/nsis/changelog.Debian.gz
if [ "$nsis_major" -gt 3 ] || { [ "$nsis_major" -eq 3 ] && [ "$nsis_minor" -ge 9 ]; }; then
  :
elif [ -f $nsis_changelog ] &&
  [ "$(zcat $nsis_changelog | sed -n '1s/^nsis (\([^)]*\)).*/\1/p')" = "$nsis_version" ] &&
  zcat $nsis_changelog | grep -q 'CVE-2023-37378'; then
  echo "== package: NSIS $nsis_version carries the fix of NSIS 3.09 for planted DLLs (CVE-2023-37378)"
else
  die "NSIS $nsis_version lets a DLL planted in its uninstaller's temporary folder load (CVE-2023-37378):
package: install NSIS 3.09 or later, or a Debian 3.08 whose changelog names that fix"
fi

echo "== package: Vorlane $version ($arch, build in $build)"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset "$preset" -B "$build" >/dev/null
fi
targets=vorlane
if [ $with_cli = 1 ]; then
  # Ninja brings build.ninja up to date before it lists the targets.
  if ! cmake --build "$build" --target help 2>/dev/null | grep -q '^vorlane-cli:'; then
    die "the $preset build in $build has no target vorlane-cli (the command line, src/cli),
package: and the package includes vorlane-cli.exe. Until it exists, pass --no-cli to pack without it."
  fi
  targets="vorlane vorlane-cli"
fi
# shellcheck disable=SC2086
cmake --build "$build" -j "${VORLANE_JOBS:-2}" --target $targets

exe=$build/src/app/vorlane.exe
icon=$build/src/shell/vorlane.ico
[ -f "$exe" ] || die "the build made no $exe"
[ -f "$icon" ] || die "the build made no $icon"
cli=""
if [ $with_cli = 1 ]; then
  cli=$(find "$build" -name vorlane-cli.exe -not -path '*/CMakeFiles/*' | head -n1)
  [ -n "$cli" ] || die "the build has a vorlane-cli target but made no vorlane-cli.exe"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder=vorlane-$short
stage=$work/$folder
mkdir -p "$stage/LICENSES" "$out"
out=$(cd "$out" && pwd)

# The builds keep their symbols; the package does not need them (they are more
# than a third of the program's size).
"$triple-strip" -o "$stage/vorlane.exe" "$exe"
[ -z "$cli" ] || "$triple-strip" -o "$stage/vorlane-cli.exe" "$cli"

# Texts for Notepad: CR LF, and the READMEs with a UTF-8 byte-order mark so that
# older Notepads do not take them for the ANSI code page.
crlf() { sed 's/\r$//; s/$/\r/' "$1"; }
crlf config/vorlane.ini >"$stage/vorlane.ini"
for lang in zh-CN en; do
  { printf '\357\273\277'; crlf "packaging/README.$lang.txt" | sed "s/@VERSION@/$short/g"; } >"$stage/README.$lang.txt"
done
# The marker that keeps the portable copy's data beside it; the installer leaves it
# out (packaging/vorlane.nsi names its files one by one).
{ printf '\357\273\277'; crlf packaging/portable.txt; } >"$stage/portable.txt"

# Licences of what is linked into the programs: each the copyright file of the
# Debian package that provides it, found by asking dpkg who owns the library the
# compiler links.
cc=$triple-gcc-posix
owner() {
  path=$(readlink -f "$($cc -print-file-name="$1")")
  [ -f "$path" ] || die "$cc links no $1"
  dpkg -S "$path" | head -n1 | cut -d: -f1
}
pkgversion() { dpkg-query -W -f='${Version}\n' "$1" | head -n1; }
copy_copyright() { # package, file in LICENSES
  src=$(readlink -f "/usr/share/doc/$1/copyright")
  [ -f "$src" ] || die "no /usr/share/doc/$1/copyright"
  crlf "$src" >"$stage/LICENSES/$2"
}
zlib_pkg=$(owner libz.a)
crt_pkg=$(owner libmingwex.a)
pthread_pkg=$(owner libwinpthread.a)
stdcxx_pkg=$(owner libstdc++.a)
gcc_pkg=$(owner libgcc.a)
copy_copyright "$zlib_pkg" zlib.txt
# minizip is compiled from contrib/minizip of Debian's zlib source package
# (fetched by scripts/setup.sh); zlib1g is that source package's library, and its
# copyright file covers contrib/minizip.
minizip_source=$(ls .deps/dl/zlib_*.dsc 2>/dev/null | head -n1)
minizip_source=${minizip_source:+$(basename "$minizip_source" .dsc)}
copy_copyright zlib1g minizip.txt
copy_copyright "$crt_pkg" mingw-w64.txt
[ "$pthread_pkg" = "$crt_pkg" ] || die "libwinpthread.a comes from $pthread_pkg, not $crt_pkg: add its licence"
copy_copyright "$stdcxx_pkg" gcc-runtime.txt
cmp -s "/usr/share/doc/$gcc_pkg/copyright" "/usr/share/doc/$stdcxx_pkg/copyright" ||
  die "libgcc.a's package $gcc_pkg has a copyright file unlike $stdcxx_pkg's: add it"
{
  cat <<EOF
Licences of the libraries in vorlane.exe and vorlane-cli.exe
本程序所含第三方库的许可证

The programs are linked statically: everything below is inside the .exe files,
which need no DLL beyond those of Windows. Each file here is the copyright file
(/usr/share/doc/<package>/copyright) of the Debian package that provided the
library to the build, unchanged but for CR LF line ends.

zlib.txt
    zlib, the compression library (libz.a).
    Debian package $zlib_pkg $(pkgversion "$zlib_pkg").

minizip.txt
    minizip, the zip reader, compiled into the program from contrib/minizip of
    Debian's zlib source package${minizip_source:+ ($minizip_source)}.
    The copyright file of that source package, as installed with zlib1g $(pkgversion zlib1g);
    its "Files: contrib/minizip/*" part covers minizip.

mingw-w64.txt
    The MinGW-w64 runtime: the C run-time start-up and support code
    (libmingw32, libmingwex, libmsvcrt) and winpthreads (libwinpthread).
    Debian package $crt_pkg $(pkgversion "$crt_pkg").

gcc-runtime.txt
    GCC's runtime libraries: libstdc++ (the C++ standard library), libgcc and
    libgcc_eh, under the GPL version 3 with the GCC Runtime Library Exception,
    which this file contains.
    Debian packages $stdcxx_pkg and $gcc_pkg $(pkgversion "$stdcxx_pkg").

nsis.txt (only in an installed copy)
    NSIS, whose code is the installer and the uninstall.exe it leaves.
    Debian package nsis-common $(pkgversion nsis-common).
EOF
} | sed 's/$/\r/' >"$stage/LICENSES/INDEX.txt"
crlf /usr/share/doc/nsis-common/copyright >"$work/nsis.txt"

zip_file=$out/vorlane-$short-portable.zip
setup_file=$out/vorlane-$short-setup.exe
if [ $arch != i686 ]; then
  zip_file=$out/vorlane-$short-$arch-test-portable.zip
  setup_file=$out/vorlane-$short-$arch-test-setup.exe
fi
rm -f "$zip_file" "$setup_file"
(cd "$work" && zip -q -X -9 -r - "$folder") >"$zip_file"

makensis -V2 -WX -NOCD -INPUTCHARSET UTF8 \
  "-DVERSION=$version" "-DVERSION_SHORT=$short" "-DTARGET=$nsis_target" \
  "-DSTAGE=$stage" "-DICON=$icon" "-DNSIS_LICENCE=$work/nsis.txt" \
  "-DOUTFILE=$setup_file" packaging/vorlane.nsi ||
  die "makensis failed"

echo "== package: written"
ls -l "$zip_file" "$setup_file" | awk '{ printf "   %9d  %s\n", $5, $NF }'
[ -n "$cli" ] || echo "   (without vorlane-cli.exe: --no-cli)"
