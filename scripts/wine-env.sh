# Sourced by the scripts that run Windows programs: picks the Wine loader for an
# architecture (i686 or x86_64) and prepares a private, quiet prefix for it.
# Sets: WINE_LOADER, WINE_SERVER, WINEPREFIX, WINEARCH, WINEDEBUG, WINEDLLOVERRIDES
# (with VORLANE_WINEDLLOVERRIDES added when set).

vorlane_root=${vorlane_root:-$(cd "$(dirname "$0")/.." && pwd)}
. "$vorlane_root/scripts/host-arch.sh"

# True when this kernel runs 32-bit programs (some hosts boot with ia32 emulation off,
# and then only 64-bit Wine works).
wine_can_run_i686() {
  host_runs_i686 && [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# The Windows architecture whose programs can be run here: i686 when possible.
wine_test_arch() {
  if wine_can_run_i686; then echo i686; else echo x86_64; fi
}

wine_setup() {
  case "$1" in
    i686) WINE_LOADER=/usr/lib/wine/wine; WINEARCH=win32 ;;
    x86_64) WINE_LOADER=/usr/lib/wine/wine64; WINEARCH=win64 ;;
    *) echo "wine-env: unknown architecture '$1'" >&2; return 1 ;;
  esac
  if [ -x /usr/lib/wine/wineserver64 ]; then WINE_SERVER=/usr/lib/wine/wineserver64; else WINE_SERVER=/usr/lib/wine/wineserver32; fi
  WINEPREFIX=${VORLANE_WINEPREFIX:-$vorlane_root/.deps/wine-$1}
  WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko install prompts; then any overrides a test asks for in
  # VORLANE_WINEDLLOVERRIDES.
  WINEDLLOVERRIDES="mscoree,mshtml=${VORLANE_WINEDLLOVERRIDES:+;$VORLANE_WINEDLLOVERRIDES}"
  export WINE_LOADER WINE_SERVER WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES
  # Wine's WinINet honours a proxy even for 127.0.0.1 and ignores no_proxy.
  unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY

  if [ ! -f "$WINEPREFIX/.vorlane-ready" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
      flock 9
      if [ ! -f "$WINEPREFIX/.vorlane-ready" ]; then
        rm -rf "$WINEPREFIX"
        "$WINE_LOADER" wineboot -i >/dev/null 2>&1 </dev/null || true
        # Chinese glyphs: link the common UI fonts to WenQuanYi Micro Hei.
        reg="$WINEPREFIX/fonts.reg"
        {
          printf 'Windows Registry Editor Version 5.00\r\n\r\n'
          printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
          for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "Segoe UI" Arial; do
            printf '"%s"=hex(7):%s\r\n' "$face" \
              "$(printf 'wqy-microhei.ttc,WenQuanYi Micro Hei\0\0' | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ',' | sed 's/^,//; s/,$//')"
          done
          printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
          printf '"SimSun"="WenQuanYi Micro Hei"\r\n"宋体"="WenQuanYi Micro Hei"\r\n"微软雅黑"="WenQuanYi Micro Hei"\r\n'
        } | { printf '\377\376'; iconv -f UTF-8 -t UTF-16LE; } >"$reg"
        "$WINE_LOADER" regedit "$reg" >/dev/null 2>&1 </dev/null || true
        "$WINE_SERVER" -w
        touch "$WINEPREFIX/.vorlane-ready"
      fi
    ) 9>"$WINEPREFIX.lock"
  fi
  # Debian's Wine does not find the Marlett font of fonts-wine on its own, and
  # without it the caption buttons show the letters "0 1 r": give the prefix a copy.
  fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ ! -f "$fonts/marlett.ttf" ] && [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

# Keeps one wineserver up between test programs and starts Wine's helper processes
# detached: when they inherit ctest's output pipe, ctest waits for them.
wine_warm_up() {
  "$WINE_SERVER" -p30 >/dev/null 2>&1 </dev/null || true
  setsid "$WINE_LOADER" cmd /c exit >/dev/null 2>&1 </dev/null &
}

# Runs a command every tenth of a second until it succeeds:
#   wait_until SECONDS COMMAND [ARG...]
# Fails when SECONDS pass first.
wait_until() {
  wait_left=$(($1 * 10))
  shift
  until "$@"; do
    wait_left=$((wait_left - 1))
    [ $wait_left -gt 0 ] || return 1
    sleep 0.1
  done
}

# True when the X server shows a window whose title matches PATTERN (xdotool's
# --name, a regular expression).
window_shown() {
  xdotool search --name "$1" >/dev/null 2>&1
}
window_gone() {
  ! window_shown "$1"
}
process_gone() {
  ! kill -0 "$1" 2>/dev/null
}

# Starts a private X server for Wine's windows: xvfb_start WORK_DIR WIDTHxHEIGHT.
# Sets xvfb_pid and exports DISPLAY; the caller stops it with xvfb_stop. Waits for
# the server to say its display number; fails, with its log, when it does not.
xvfb_start() {
  : >"$1/display"
  Xvfb -displayfd 1 -screen 0 "$2x24" -nolisten tcp >"$1/display" 2>"$1/xvfb.log" &
  xvfb_pid=$!
  if ! wait_until 10 test -s "$1/display"; then
    cat "$1/xvfb.log" >&2
    echo "Xvfb did not start" >&2
    return 1
  fi
  DISPLAY=":$(cat "$1/display")"
  export DISPLAY
}

xvfb_stop() {
  if [ -n "${xvfb_pid:-}" ]; then kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null || true; fi
  xvfb_pid=""
}
