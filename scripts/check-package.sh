#!/bin/sh
# Builds the package (scripts/package.sh) and checks it the way a seller would
# meet it:
#   - the portable zip holds exactly the expected files, under 3 MB, with the
#     shipped vorlane.ini, both READMEs, the portable marker and the licences its
#     INDEX names; the installer installs the same files but the marker;
#   - the programs and the installer are 32-bit, carry the version of
#     resources/vorlane.rc and need no DLL beyond Windows' own; the installer asks
#     for no administrator rights;
#   - under Wine in Xvfb, in a new prefix: the installer installs silently, the
#     Start-menu shortcut starts the program and its window appears, the window
#     closes, a reinstall keeps the vorlane.ini the user edited, and the silent
#     uninstall leaves nothing (not even what an update left) in the install
#     folder, the Start menu or the uninstall list.
#
# Where this kernel cannot run 32-bit programs, neither the product nor NSIS's
# 32-bit installer can start under Wine here; the install test then uses the same
# package built from the win64 build with NSIS's 64-bit stub, and says so.
#
# Usage: scripts/check-package.sh [--no-cli]   (--no-cli: see scripts/package.sh)
# Exit status 0 only when every check passed. Every Wine step has a time limit.
set -eu
vorlane_root=$(cd "$(dirname "$0")/.." && pwd)
cd "$vorlane_root"
. scripts/wine-env.sh

package_args=""
with_cli=1
for arg in "$@"; do
  case $arg in
    --no-cli) package_args=--no-cli; with_cli=0 ;;
    *) echo "check-package: unknown argument '$arg'" >&2; exit 2 ;;
  esac
done

failed=0
ok() { echo "   ok: $*"; }
bad() { echo "!! check-package: $*"; failed=1; }
stop_if_failed() {
  if [ $failed != 0 ]; then
    echo "!! check-package: FAILED"
    exit 1
  fi
}

work=$(mktemp -d)
xvfb_pid=""
prefix_used=""
cleanup() {
  if [ -n "$prefix_used" ]; then
    timeout 30 "$WINE_SERVER" -k >/dev/null 2>&1 || true
    timeout 30 "$WINE_SERVER" -w >/dev/null 2>&1 || true
  fi
  xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

version=$(scripts/package.sh --version)
short=${version%.*.*}
title="Vorlane V$short"
echo "== check-package: building the package of Vorlane $version"
# shellcheck disable=SC2086
scripts/package.sh $package_args

zip=out/package/vorlane-$short-portable.zip
setup=out/package/vorlane-$short-setup.exe
folder=vorlane-$short

# What the zip must hold, one path a line, sorted.
{
  echo "$folder/LICENSES/INDEX.txt"
  echo "$folder/LICENSES/gcc-runtime.txt"
  echo "$folder/LICENSES/mingw-w64.txt"
  echo "$folder/LICENSES/minizip.txt"
  echo "$folder/LICENSES/zlib.txt"
  echo "$folder/README.en.txt"
  echo "$folder/README.zh-CN.txt"
  echo "$folder/portable.txt"
  [ $with_cli = 0 ] || echo "$folder/vorlane-cli.exe"
  echo "$folder/vorlane.exe"
  echo "$folder/vorlane.ini"
} | LC_ALL=C sort >"$work/expected"

# Checks one zip: its files and their contents. $2: the machine of its programs.
check_zip() {
  zip_file=$1
  machine=$2
  into=$3
  unzip -Z1 "$zip_file" | grep -v '/$' | LC_ALL=C sort >"$work/listed"
  if cmp -s "$work/expected" "$work/listed"; then
    ok "$(basename "$zip_file") holds the $(wc -l <"$work/expected") expected files"
  else
    bad "$(basename "$zip_file") does not hold the expected files (- expected, + found):"
    diff "$work/expected" "$work/listed" | grep '^[<>]' | sed 's/^</   -/; s/^>/   +/'
  fi
  rm -rf "$into" && mkdir -p "$into"
  unzip -q "$zip_file" -d "$into"
  files=$into/$folder
  if tr -d '\r' <"$files/vorlane.ini" | cmp -s - config/vorlane.ini; then
    ok "vorlane.ini is config/vorlane.ini (with CR LF)"
  else
    bad "vorlane.ini differs from config/vorlane.ini"
  fi
  for readme in README.zh-CN.txt README.en.txt; do
    if [ "$(head -c3 "$files/$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] &&
      iconv -f UTF-8 -t UTF-8 "$files/$readme" >/dev/null 2>&1 &&
      grep -q "Vorlane $short" "$files/$readme" && ! grep -q '@[A-Z_]*@' "$files/$readme"; then
      ok "$readme: UTF-8 with a byte-order mark, version $short"
    else
      bad "$readme: not UTF-8 with a byte-order mark naming Vorlane $short"
    fi
  done
  if { printf '\357\273\277'; tr -d '\r' <packaging/portable.txt | sed 's/$/\r/'; } | cmp -s - "$files/portable.txt" &&
    grep -q 'portable\.txt' "$files/README.en.txt" && grep -q 'portable\.txt' "$files/README.zh-CN.txt"; then
    ok "portable.txt: the data-folder marker, named in both READMEs"
  else
    bad "portable.txt differs from packaging/portable.txt, or a README does not name it"
  fi
  for licence in "$files"/LICENSES/*.txt; do
    name=$(basename "$licence")
    [ "$name" = INDEX.txt ] && continue
    if [ -s "$licence" ] && grep -q "^$name" "$files/LICENSES/INDEX.txt"; then
      ok "LICENSES/$name: named in INDEX.txt"
    else
      bad "LICENSES/$name is empty or not named in LICENSES/INDEX.txt"
    fi
  done
  for program in vorlane.exe vorlane-cli.exe; do
    [ -f "$files/$program" ] || continue
    python3 packaging/peinfo.py "$files/$program" >"$work/pe.json"
    check_pe "$program" "$machine" "$work/pe.json"
  done
}

# Checks the machine, the version and the imports of a program described by
# packaging/peinfo.py's JSON.
check_pe() {
  if python3 - "$1" "$2" "$3" "$version" "$short" <<'EOF'
import json, sys
name, machine, path, version, short = sys.argv[1:]
info = json.load(open(path))
problems = []
if info["machine"] != machine:
    problems.append("machine %s, not %s" % (info["machine"], machine))
if info["file_version"] != version or info["product_version"] != version:
    problems.append("version %s/%s, not %s" % (info["file_version"], info["product_version"], version))
strings = info["strings"]
if not strings:
    problems.append("no version strings")
for key, value in strings.items():
    if key.endswith("/FileVersion") and value != version:
        problems.append("%s is %s" % (key, value))
    if key.endswith("/ProductVersion") and value != short:
        problems.append("%s is %s" % (key, value))
# Windows' own DLLs only: a MinGW runtime DLL here would be missing on the
# seller's machine.
system = {"advapi32", "comctl32", "comdlg32", "gdi32", "kernel32", "msvcrt", "ole32",
          "shell32", "user32", "wininet", "ws2_32", "shlwapi", "oleaut32", "version",
          "winmm", "crypt32", "bcrypt", "secur32", "iphlpapi", "userenv", "psapi", "uxtheme"}
foreign = [d for d in info["imports"] if d.lower().removesuffix(".dll") not in system]
if foreign:
    problems.append("imports " + ", ".join(foreign))
manifest = info["manifest"] or ""
if 'level="asInvoker"' not in manifest:
    problems.append("its manifest does not run it as the invoking user")
for p in problems:
    print("   %s: %s" % (name, p))
sys.exit(1 if problems else 0)
EOF
  then
    ok "$1: $2, version $version, Windows' DLLs only, runs as the invoking user"
  else
    bad "$1 is not as shipped (above)"
  fi
}

echo "== check-package: the product's package (out/package)"
zip_size=$(stat -c %s "$zip")
if [ "$zip_size" -lt 3000000 ]; then
  ok "$(basename "$zip"): $zip_size bytes (under 3 MB)"
else
  bad "$(basename "$zip"): $zip_size bytes, not under 3 MB"
fi
check_zip "$zip" i386 "$work/zip"
python3 packaging/peinfo.py "$setup" >"$work/pe.json"
check_pe "$(basename "$setup")" i386 "$work/pe.json"
stop_if_failed

arch=$(wine_test_arch)
if [ "$arch" = i686 ]; then
  test_setup=$setup
  test_zip_files=$work/zip/$folder
else
  echo "== check-package: 32-bit Wine cannot run here (no 32-bit support in the kernel, or no"
  echo "   32-bit Wine installed), so neither vorlane.exe (i686)"
  echo "   nor the 32-bit NSIS installer can start under Wine here. The install test below"
  echo "   uses the same package built from the win64 build (x86_64) with NSIS's amd64-unicode"
  echo "   stub; the product's own installer was only checked above, not run."
  test_out=$work/package-x86_64-test
  # shellcheck disable=SC2086
  scripts/package.sh $package_args --arch x86_64 --out "$test_out" >"$work/package64.log" 2>&1 ||
    { cat "$work/package64.log"; bad "the x86_64 test package did not build"; stop_if_failed; }
  test_setup=$test_out/vorlane-$short-x86_64-test-setup.exe
  check_zip "$test_out/vorlane-$short-x86_64-test-portable.zip" x86_64 "$work/zip64"
  python3 packaging/peinfo.py "$test_setup" >"$work/pe.json"
  check_pe "$(basename "$test_setup")" x86_64 "$work/pe.json"
  test_zip_files=$work/zip64/$folder
  stop_if_failed
fi

echo "== check-package: install, start, close and uninstall under Wine ($arch) in Xvfb"
# A new prefix each time, of this run alone: an earlier run's install must not
# count for this one, and two runs at once must not share a wineserver.
VORLANE_WINEPREFIX=$work/prefix
prefix_used=1
# The prefix's first start (wineboot) has a time limit too; then wine_setup only
# sets the variables.
status=0
vorlane_root=$vorlane_root VORLANE_WINEPREFIX=$VORLANE_WINEPREFIX \
  timeout 300 sh -c '. scripts/wine-env.sh && wine_setup "$1"' sh "$arch" || status=$?
if [ $status != 0 ] || [ ! -f "$VORLANE_WINEPREFIX/.vorlane-ready" ]; then
  # Marked ready only so that wine_setup names the prefix's wineserver for the
  # clean-up instead of starting wineboot again.
  mkdir -p "$VORLANE_WINEPREFIX" && touch "$VORLANE_WINEPREFIX/.vorlane-ready"
  wine_setup "$arch"
  bad "a new Wine prefix could not be made within 300 s (status $status)"
  stop_if_failed
fi
wine_setup "$arch"
quiet_wine() { timeout 60 "$WINE_LOADER" "$@" 2>/dev/null </dev/null; }

xvfb_start "$work" 1024x768 || { bad "Xvfb did not start"; stop_if_failed; }

# Where this prefix's user folders are, as Unix paths.
user_folder() { quiet_wine winepath -u "$(quiet_wine cmd /c echo "%$1%" | tr -d '\r')"; }
instdir=$(user_folder LOCALAPPDATA)/Programs/Vorlane
shortcut="$(user_folder APPDATA)/Microsoft/Windows/Start Menu/Programs/Vorlane.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlane'

status=0
timeout 180 "$WINE_LOADER" "$test_setup" /S >"$work/setup.log" 2>&1 </dev/null || status=$?
if [ $status = 0 ]; then ok "silent install: exit code 0"; else bad "silent install: exit code $status"; fi
# The installed folder: the package's files but the portable marker (an installed
# copy keeps its data in %APPDATA%), the uninstaller and NSIS's licence.
{
  (cd "$test_zip_files" && find . -type f | sed 's|^\./||' | grep -vx portable.txt)
  echo uninstall.exe
  echo LICENSES/nsis.txt
} | LC_ALL=C sort >"$work/expected-installed"
(cd "$instdir" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$work/installed" || true
if cmp -s "$work/expected-installed" "$work/installed"; then
  ok "installed into %LOCALAPPDATA%\\Programs\\Vorlane: $(wc -l <"$work/installed") files"
else
  bad "the install folder $instdir does not hold the expected files (- expected, + found):"
  diff "$work/expected-installed" "$work/installed" | grep '^[<>]' | sed 's/^</   -/; s/^>/   +/'
fi
same=1
while read -r file; do
  cmp -s "$test_zip_files/$file" "$instdir/$file" || { same=0; bad "installed $file differs from the zip's"; }
done <<EOF
$(cd "$test_zip_files" && find . -type f | sed 's|^\./||' | grep -vx portable.txt)
EOF
[ $same = 0 ] || ok "installed files are the zip's, byte for byte"
if [ -f "$shortcut" ]; then ok "Start-menu shortcut: Programs\\Vorlane.lnk"; else bad "no Start-menu shortcut at $shortcut"; fi
quiet_wine reg query "$uninstall_key" | tr -d '\r' >"$work/key"
if grep -q "DisplayVersion *REG_SZ *$short\$" "$work/key" &&
  grep -q 'UninstallString *REG_SZ *"C:.*\\uninstall.exe"$' "$work/key" &&
  grep -q 'QuietUninstallString *REG_SZ *".*\\uninstall.exe" /S$' "$work/key"; then
  ok "listed under HKCU's Uninstall key as $(sed -n 's/.*DisplayName *REG_SZ *//p' "$work/key")"
else
  bad "the uninstall entry is missing or incomplete:"
  sed 's/^/   /' "$work/key"
fi
stop_if_failed

# A reinstall (an update installs the same way) keeps the vorlane.ini the user
# edited.
printf '; edited by the user\r\n' >>"$instdir/vorlane.ini"
cp "$instdir/vorlane.ini" "$work/edited.ini"
status=0
timeout 180 "$WINE_LOADER" "$test_setup" /S >"$work/reinstall.log" 2>&1 </dev/null || status=$?
if [ $status = 0 ] && cmp -s "$work/edited.ini" "$instdir/vorlane.ini"; then
  ok "a reinstall keeps the user's vorlane.ini"
else
  bad "a reinstall (exit code $status) did not keep the user's vorlane.ini"
fi
stop_if_failed

# Start it the way the user does: the shortcut.
setsid "$WINE_LOADER" start /unix "$shortcut" >"$work/program.log" 2>&1 </dev/null &
pattern="^$(echo "$title" | sed 's/\./\\./g')"
if ! wait_until 60 window_shown "$pattern"; then
  bad "no window titled \"$title\" within 60 s of starting the shortcut"
  stop_if_failed
fi
ok "the shortcut started the program: window \"$(xdotool search --name "$pattern" getwindowname %1 2>/dev/null)\""
# Wine gives the window the program's Unix process id.
program_pid=$(xdotool search --name "$pattern" getwindowpid %1 2>/dev/null || true)
# A moment for its loading step, then close it as Windows would (WM_CLOSE).
sleep 2
timeout 30 "$WINE_LOADER" taskkill /im vorlane.exe >"$work/taskkill.log" 2>&1 </dev/null || true
if ! wait_until 30 window_gone "$pattern"; then
  bad "the window did not close within 30 s of WM_CLOSE"
  stop_if_failed
fi
ok "the window closed"
# Its files are in use until the process has ended.
if [ -n "$program_pid" ]; then
  if ! wait_until 30 process_gone "$program_pid"; then
    bad "vorlane.exe (pid $program_pid) still runs 30 s after its window closed"
    stop_if_failed
  fi
  ok "vorlane.exe ended"
else
  bad "the window names no process id"
fi

# What an update may leave in the folder, the uninstall removes too.
for leftover in m_update.zip m_update.zip.tmp m_update.zip.tmp.validator m_update.exe; do
  printf 'x' >"$instdir/$leftover"
done
# And the update's own folder, as a download and an unpacking leave it.
updatedir=$(dirname "$(dirname "$instdir")")/Vorlane/update
mkdir -p "$updatedir/unpacked"
for leftover in m_update.zip.tmp m_update.zip.tmp.validator unpacked/m_update.exe; do
  printf 'x' >"$updatedir/$leftover"
done
status=0
timeout 120 "$WINE_LOADER" "$instdir/uninstall.exe" /S >"$work/uninstall.log" 2>&1 </dev/null || status=$?
if [ $status = 0 ]; then ok "silent uninstall: exit code 0"; else bad "silent uninstall: exit code $status"; fi
# The uninstaller runs from a copy of itself in %TEMP% (so that it can delete
# uninstall.exe) and the first process returns at once: wait for the copy.
uninstalled() { [ ! -e "$instdir" ] && [ ! -e "$shortcut" ] && [ ! -e "$updatedir" ]; }
wait_until 60 uninstalled || true
if [ -e "$instdir" ]; then
  bad "the install folder is still there after the uninstall, holding:"
  (cd "$instdir" && find . -mindepth 1 | sed 's|^\./|   |')
else
  ok "the install folder is gone"
fi
if [ -e "$updatedir" ]; then bad "the update folder is still there after the uninstall"; else ok "the update folder is gone"; fi
if [ -e "$shortcut" ]; then bad "the Start-menu shortcut is still there"; else ok "the Start-menu shortcut is gone"; fi
if [ -n "$(ls -A "$(dirname "$shortcut")" 2>/dev/null | grep -i vorlane)" ]; then
  bad "the Start menu still holds: $(ls -A "$(dirname "$shortcut")" | grep -i vorlane)"
fi
if quiet_wine reg query "$uninstall_key" >/dev/null; then bad "the uninstall entry is still there"; else ok "the uninstall entry is gone"; fi
stop_if_failed

echo "== check-package: PASSED"
