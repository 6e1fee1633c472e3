#!/usr/bin/env python3
"""Prints what the package check needs to know of a Windows program, as JSON:
its machine, the DLLs it imports, its version information (the fixed part and
the strings) and its manifest.

    packaging/peinfo.py FILE.exe

Reads the PE headers and the resource tree directly, so that the check needs
nothing beyond Python on the build machine.
"""
import json
import struct
import sys

RT_VERSION = 16
RT_MANIFEST = 24
MACHINES = {0x14C: "i386", 0x8664: "x86_64"}


class Pe:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        machine, sections, _, _, _, opt_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        self.machine = MACHINES.get(machine, hex(machine))
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        dirs = opt + (96 if magic == 0x10B else 112)
        self.dirs = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        table = opt + opt_size
        for i in range(sections):
            vsize, vaddr, rawsize, rawptr = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((vaddr, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for vaddr, size, rawptr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + rawptr
        raise ValueError("address 0x%x is in no section" % rva)

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii", "replace")

    def imports(self):
        rva, size = self.dirs[1]
        names = []
        if not rva:
            return names
        at = self.offset(rva)
        while True:
            name_rva = struct.unpack_from("<I", self.data, at + 12)[0]
            if not name_rva:
                return names
            names.append(self.cstring(name_rva))
            at += 20

    def resources(self, kind):
        """The bytes of every resource of type `kind` (each name, each language)."""
        root_rva = self.dirs[2][0]
        if not root_rva:
            return []
        root = self.offset(root_rva)
        found = []

        def walk(at, level):
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                if level == 0 and name != kind:
                    continue
                if target & 0x80000000:
                    walk(root + (target & 0x7FFFFFFF), level + 1)
                else:
                    data_rva, size = struct.unpack_from("<II", self.data, root + target)
                    start = self.offset(data_rva)
                    found.append(self.data[start:start + size])

        walk(root, 0)
        return found


def version_info(blocks):
    """The fixed file and product versions and the string tables of the
    VS_VERSIONINFO resources (NSIS writes one per language)."""
    result = {"file_version": None, "product_version": None, "strings": {}}

    def walk(block, at, end, path):
        while at + 6 <= end:
            length, value_length, kind = struct.unpack_from("<HHH", block, at)
            if length == 0:
                return
            key_end = at + 6
            while block[key_end:key_end + 2] != b"\0\0":
                key_end += 2
            key = block[at + 6:key_end].decode("utf-16-le")
            value = (key_end + 2 + 3) & ~3
            if key == "VS_VERSION_INFO" and value_length >= 52:
                sig, _, fms, fls, pms, pls = struct.unpack_from("<IIIIII", block, value)
                if sig == 0xFEEF04BD:
                    four = lambda ms, ls: "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
                    result["file_version"] = four(fms, fls)
                    result["product_version"] = four(pms, pls)
            if len(path) == 3 and path[1] == "StringFileInfo":
                # Text values count their length in characters, with the final NUL.
                text = block[value:value + 2 * value_length].decode("utf-16-le").rstrip("\0")
                result["strings"]["%s/%s" % (path[2], key)] = text
            children = value + (2 * value_length if kind == 1 else value_length)
            children = (children + 3) & ~3
            walk(block, children, at + length, path + [key])
            at = (at + length + 3) & ~3

    for block in blocks:
        walk(block, 0, len(block), [])
    return result


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: peinfo.py FILE")
    with open(sys.argv[1], "rb") as f:
        pe = Pe(f.read())
    info = {"machine": pe.machine, "imports": pe.imports()}
    info.update(version_info(pe.resources(RT_VERSION)))
    manifests = pe.resources(RT_MANIFEST)
    info["manifest"] = manifests[0].decode("utf-8", "replace") if manifests else None
    json.dump(info, sys.stdout, ensure_ascii=False, indent=1)
    print()


if __name__ == "__main__":
    main()
