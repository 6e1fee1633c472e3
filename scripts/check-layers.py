#!/usr/bin/env python3
"""Checks that every arrow between the program's folders points down.

The folders under src/ stand in floors (docs/ARCHITECTURE.md):

    app
    shell  cli
    record
    check  update
    win    config
    web    net    port
    text

A source file may include headers of its own folder and of floors below it, never
of its own floor's other folder or of a floor above. The same holds for the
libraries a folder's CMakeLists.txt links. The one exception: web may use win's
handle owners (win/scoped_win.h), which are plain RAII wrappers. Shell and update
stay apart: app alone wires the two windows together; the command line (cli) uses
neither, nor win but for win/system_dlls.h at its Windows entry point: it stands
on port's portable interfaces. Record (the history and the report, shared by both
front ends) is portable: it uses neither win nor update.

    scripts/check-layers.py [ROOT]     exit 0 when the tree keeps the rule
    scripts/check-layers.py --self-test
                                       plants a violation of each kind in a copy
                                       and fails unless each is caught
"""
import os
import re
import shutil
import sys
import tempfile

FLOOR = {
    "text": 0,
    "web": 1, "net": 1, "port": 1,
    "win": 2, "config": 2,
    "check": 3, "update": 3,
    "record": 4,
    "shell": 5, "cli": 5,
    "app": 6,
}

# Libraries that belong to no folder: build flags and outside code.
NOT_A_FOLDER = {"vorlane_warnings", "vorlane::minizip"}

# (from folder, included header) pairs allowed although they point sideways or up.
EXCEPTIONS = {("web", "win/scoped_win.h"), ("cli", "win/system_dlls.h")}
# The same for libraries: the one that holds win/system_dlls.h.
LINK_EXCEPTIONS = {("cli", "vorlane_win_system_dlls")}

# Pairs kept apart although the floors would allow it: the main window and the
# update window are wired together in app alone, and the command line is a front
# end of its own over the checks, with no window and no update. What the two
# front ends share of a check's record is portable, with no window either.
APART = {("shell", "update"), ("cli", "update"), ("cli", "win"), ("record", "update"), ("record", "win")}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/([^"]+)"')
LINK = re.compile(r"target_link_libraries\s*\((.*?)\)", re.S)


def allowed(src, dst, header=None, library=None):
    if src == dst:
        return True
    if header is not None and (src, f"{dst}/{header}") in EXCEPTIONS:
        return True
    if library is not None and (src, library) in LINK_EXCEPTIONS:
        return True
    if (src, dst) in APART:
        return False
    return FLOOR[dst] < FLOOR[src]


def library_folder(name, known):
    """The folder a library target comes from, by the name it is given."""
    if name in NOT_A_FOLDER or not name.startswith("vorlane_"):
        return None
    stem = name[len("vorlane_"):]
    for folder in sorted(known, key=len, reverse=True):
        if stem == folder or stem.startswith(folder + "_"):
            return folder
    if stem == "resources":
        return "shell"
    return None


def check(root):
    src_root = os.path.join(root, "src")
    problems = []
    for folder in sorted(os.listdir(src_root)):
        path = os.path.join(src_root, folder)
        if not os.path.isdir(path):
            continue
        if folder not in FLOOR:
            problems.append(f"src/{folder}: a folder on no floor; add it to docs/ARCHITECTURE.md and here")
            continue
        for dirpath, _, files in os.walk(path):
            for name in sorted(files):
                file = os.path.join(dirpath, name)
                shown = os.path.relpath(file, root)
                if name.endswith((".h", ".cpp")):
                    with open(file, encoding="utf-8", errors="replace") as f:
                        for number, line in enumerate(f, 1):
                            m = INCLUDE.match(line)
                            if not m or m.group(1) not in FLOOR:
                                continue
                            if not allowed(folder, m.group(1), m.group(2)):
                                problems.append(f"{shown}:{number}: {folder} includes {m.group(1)}/{m.group(2)}")
                elif name == "CMakeLists.txt":
                    with open(file, encoding="utf-8") as f:
                        text = f.read()
                    for m in LINK.finditer(text):
                        number = text.count("\n", 0, m.start()) + 1
                        for word in m.group(1).split()[1:]:
                            dst = library_folder(word, FLOOR)
                            if dst is not None and not allowed(folder, dst, library=word):
                                problems.append(f"{shown}:{number}: {folder} links {word} ({dst})")
    return problems


def self_test(root):
    plants = [
        ("src/text/text.h", '#include "web/web_visit.h"\n', "text includes web"),
        ("src/check/monitor.cpp", '#include "update/update_flow.h"\n', "check includes update"),
        ("src/update/CMakeLists.txt", "target_link_libraries(vorlane_update PRIVATE vorlane_shell)\n",
         "update links vorlane_shell"),
        ("src/shell/tray_icon.cpp", '#include "update/update_window.h"\n', "shell includes update"),
        ("src/cli/cli.cpp", '#include "win/scoped_win.h"\n', "cli includes win"),
        ("src/port/scheduler.h", '#include "check/monitor.h"\n', "port includes check"),
        ("src/record/history_file.cpp", '#include "cli/row_format.h"\n', "record includes cli"),
        ("src/check/product_list.cpp", '#include "record/check_record.h"\n', "check includes record"),
        ("src/record/CMakeLists.txt", "target_link_libraries(vorlane_record PRIVATE vorlane_shell)\n",
         "record links vorlane_shell"),
        ("src/record/report_html.cpp", '#include "win/scoped_win.h"\n', "record includes win"),
    ]
    failures = 0
    for file, line, what in plants:
        with tempfile.TemporaryDirectory() as copy:
            shutil.copytree(os.path.join(root, "src"), os.path.join(copy, "src"))
            with open(os.path.join(copy, file), "a", encoding="utf-8") as f:
                f.write(line)
            found = [p for p in check(copy) if what in p]
            print(f"planted '{what}': {'caught' if found else 'MISSED'}")
            failures += not found
    clean = check(root)
    if clean:
        print("the tree itself breaks the rule:")
        print("\n".join(clean))
    return failures == 0 and not clean


def main(argv):
    root = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
    if len(argv) > 1 and argv[1] == "--self-test":
        return 0 if self_test(root) else 1
    if len(argv) > 1:
        root = os.path.abspath(argv[1])
    problems = check(root)
    for p in problems:
        print(f"layers: {p}")
    if problems:
        print(f"layers: {len(problems)} arrow(s) against the rule in docs/ARCHITECTURE.md")
        return 1
    print("layers: every include and link points down")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
