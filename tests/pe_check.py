#!/usr/bin/python3
"""Reads what Windows will see in each built exe, without running it.
Usage: pe_check.py VERSION EXE..."""
import os
import subprocess
import sys
import tempfile

import pefile

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll"}
# msvcrt's conversions differ between Windows versions; the exe has its own.
CONVERSIONS = {b"atof", b"strtod", b"sprintf", b"snprintf", b"_snprintf", b"vsnprintf",
               b"_vsnprintf"}
RT = pefile.RESOURCE_TYPE


def read(name, folder=RES):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


def checks(pe, version):
    x86_64 = pe.FILE_HEADER.Machine == 0x8664
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    yield "GUI subsystem", pe.OPTIONAL_HEADER.Subsystem == 2
    yield "ASLR and DEP", flags & 0x140 == 0x140 and (not x86_64 or flags & 0x20)
    yield "relocations", pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size > 0
    yield "no writable code", all(s.Characteristics & 0xA0000000 != 0xA0000000 for s in pe.sections)
    yield "no time stamp", pe.FILE_HEADER.TimeDateStamp == 0
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        yield f"{entry.dll} is Windows' own", entry.dll.decode().lower() in WINDOWS_DLLS
        yield f"no conversion from {entry.dll}", not {i.name for i in entry.imports} & CONVERSIONS

    quad = [int(part) for part in version.split(".")] + [0]
    fixed = pe.VS_FIXEDFILEINFO[0]
    yield "version " + version, [fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                                 fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF] == quad
    strings = {k.decode(): v.decode() for info in pe.FileInfo[0]
               for table in getattr(info, "StringTable", []) for k, v in table.entries.items()}
    yield "version strings", (strings.get("FileVersion"), strings.get("ProductVersion")) == (
        ".".join(map(str, quad)), version)

    res = {(t.id, e.id): pe.get_data(e.directory.entries[0].data.struct.OffsetToData,
                                     e.directory.entries[0].data.struct.Size)
           for t in pe.DIRECTORY_ENTRY_RESOURCE.entries for e in t.directory.entries}
    yield "bitmap 103 is res/pozadi.bmp", res.get((RT["RT_BITMAP"], 103)) == read("pozadi.bmp")[14:]
    yield "icon group 104", (RT["RT_GROUP_ICON"], 104) in res
    yield "icon 1 is res/ikona.ico", res.get((RT["RT_ICON"], 1)) == read("ikona.ico")[22:]


def main():
    version, exes = sys.argv[1], sys.argv[2:]
    results = []
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([sys.executable, os.path.join(RES, "images.py"), out], check=True)
        results += [(f"images.py draws res/{name}", read(name, out) == read(name))
                    for name in ("pozadi.bmp", "ikona.ico")]
    for exe in exes:
        results += [(f"{exe}: {name}", ok) for name, ok in checks(pefile.PE(exe), version)]
    failed = [name for name, ok in results if not ok]
    for name in failed:
        print("FAILED", name)
    print(f"{len(results) - len(failed)} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
