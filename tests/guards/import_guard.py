#!/usr/bin/env python3
"""Checks that every shipped program loads on Windows 95 and NT4.

Wine exports every function in every version mode, so only the import table
tells whether a program would load on an old Windows. Each imported function
must be listed in windows_exports.tsv with the oldest Windows of each line
that exports it; an unlisted import, or one that Windows 95 or NT4 lacks,
fails with the function and its DLL named; so does one from a DLL that Windows may
take from the program's folder (only its known DLLs, and comctl32 by manifest, are safe).

    import_guard.py DIST_FOLDER
"""
import pathlib
import struct
import sys

TABLE = pathlib.Path(__file__).with_name("windows_exports.tsv")
# What the oldest systems of each line are called in the table.
OLDEST_9X = {"95"}
OLDEST_NT = {"3.1", "3.5", "3.51", "4.0"}
KNOWN_DLLS = {"ADVAPI32.DLL", "COMCTL32.DLL", "COMDLG32.DLL", "GDI32.DLL", "KERNEL32.DLL", "MSVCRT.DLL",
              "OLE32.DLL", "SHELL32.DLL", "USER32.DLL"}


def imports(path):
    """(dll, function) pairs of a 32-bit PE file; ordinals as '#n'."""
    data = path.read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{path} is not a PE file")
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    if struct.unpack_from("<H", data, optional)[0] != 0x10B:
        raise ValueError(f"{path} is not a 32-bit program")
    import_rva = struct.unpack_from("<I", data, optional + 104)[0]
    table = [struct.unpack_from("<IIIII", data, pe + 24 + optional_size + 40 * i + 8)
             for i in range(sections)]

    def offset(rva):
        for size, address, raw_size, raw, _ in table:
            if address <= rva < address + max(size, raw_size):
                return rva - address + raw
        raise ValueError(f"{path}: address {rva:#x} is in no section")

    def text(rva):
        start = offset(rva)
        return data[start:data.index(b"\0", start)].decode("ascii")

    found = []
    descriptor = offset(import_rva)
    while True:
        lookup, _, _, name, first = struct.unpack_from("<IIIII", data, descriptor)
        if name == 0:
            return found
        dll = text(name).upper()
        entry = offset(lookup or first)
        while (value := struct.unpack_from("<I", data, entry)[0]) != 0:
            found.append((dll, f"#{value & 0xFFFF}" if value & 0x80000000 else text(value + 2)))
            entry += 4
        descriptor += 20


def read_table():
    oldest = {}
    for number, line in enumerate(TABLE.read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        dll, function, nine_x, nt = line.split("\t")
        key = (dll.upper(), function)
        if key in oldest:
            raise ValueError(f"{TABLE.name}:{number}: {dll} {function} is listed twice")
        oldest[key] = (nine_x, nt)
    return oldest


def problems(program, oldest):
    for dll, function in imports(program):
        listed = oldest.get((dll, function))
        if dll not in KNOWN_DLLS:
            yield f"{program.name}: {dll} {function} is imported from a DLL the program's folder may hold"
        elif listed is None:
            yield f"{program.name}: {dll} {function} is not in {TABLE.name}"
        elif listed[0] not in OLDEST_9X or listed[1] not in OLDEST_NT:
            yield (f"{program.name}: {dll} {function} is not on Windows 95 and NT4 "
                   f"(first on the 9x line: {listed[0]}, on the NT line: {listed[1]})")


def main():
    dist = pathlib.Path(sys.argv[1])
    programs = sorted([*dist.glob("*.exe"), *dist.glob("*.scr")])
    if not programs:
        print(f"no program in {dist}")
        return 1
    oldest = read_table()
    found = [problem for program in programs for problem in problems(program, oldest)]
    for problem in found:
        print(problem)
    print(f"{len(programs)} programs checked: {', '.join(p.name for p in programs)}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
