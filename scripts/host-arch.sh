# Sourced by the scripts that must know whether this kernel runs 32-bit x86
# programs. Some hosts boot with ia32 emulation switched off; there 32-bit Wine
# cannot start at all. Needs nothing installed: it runs a 96-byte static i386 ELF
# that only exits with status 42.
host_runs_i686() {
  probe=$(mktemp "${TMPDIR:-/tmp}/vorlane-i686-XXXXXX")
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\273\052\000\000\000\315\200' >"$probe"
  chmod +x "$probe"
  status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}
