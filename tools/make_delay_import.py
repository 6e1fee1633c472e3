#!/usr/bin/env python3
"""Makes a delay-import library from a MinGW import library.

    make_delay_import.py NM DLLTOOL IMPORT_LIB DLL_NAME OUT_LIB

The functions of IMPORT_LIB (say libwininet.a) are listed with NM and handed to
DLLTOOL, which writes OUT_LIB: linked instead of the import library, the DLL is
loaded the first time one of its functions is called rather than when the program
starts. Only functions are listed (data has no thunk to defer).
"""
import os
import subprocess
import sys
import tempfile


def exported_functions(nm, import_lib):
    out = subprocess.run([nm, import_lib], check=True, capture_output=True, text=True).stdout
    thunks, pointers = set(), set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) != 3:
            continue
        kind, symbol = parts[1], parts[2]
        if kind == "T":
            thunks.add(symbol)
        elif kind == "I" and symbol.startswith("__imp_"):
            pointers.add(symbol[len("__imp_"):])
    # A function has both its thunk and its import pointer.
    return sorted(thunks & pointers)


def main(argv):
    if len(argv) != 6:
        print(__doc__, file=sys.stderr)
        return 2
    nm, dlltool, import_lib, dll_name, out_lib = argv[1:]
    names = exported_functions(nm, import_lib)
    if not names:
        print(f"make_delay_import: no functions in {import_lib}", file=sys.stderr)
        return 1
    # 32-bit symbols carry the C prefix "_" and stdcall's "@N"; the DLL exports the
    # bare name, which -k (kill-at) makes dlltool import by.
    decorated = any("@" in n for n in names)
    if decorated:
        names = [n[1:] if n.startswith("_") else n for n in names]
    with tempfile.TemporaryDirectory() as temp:
        definition = os.path.join(temp, "exports.def")
        with open(definition, "w", encoding="ascii") as f:
            f.write(f"LIBRARY {dll_name}\nEXPORTS\n")
            for name in names:
                f.write(f"  {name}\n")
        command = [dlltool, "-d", definition, "-D", dll_name, "-y", out_lib]
        if decorated:
            command.append("-k")
        subprocess.run(command, check=True, cwd=temp)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
