#!/usr/bin/python3
"""Reads what Windows will see in each built exe, without running it:
hardening, imports, the configured manifest and the icon Explorer shows.
Usage: pe_check.py MANIFEST ICON EXE..."""
import pathlib
import re
import sys

import pefile

WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll"}
# msvcrt.dll's number conversions differ between Windows versions: the exe
# takes none that reads a double from text or writes one into text.
CONVERSION = re.compile(rb"_?(atof|strtod|v?sn?printf|[efg]cvt)")


def checks(pe, manifest_file, ico):
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    yield "GUI subsystem", pe.OPTIONAL_HEADER.Subsystem == 2
    yield "ASLR, DEP", flags & 0x140 == 0x140 and (pe.FILE_HEADER.Machine == 0x14C or flags & 0x20)
    yield "relocations", pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size > 0
    yield "no writable code", all(s.Characteristics & 0xA0000000 != 0xA0000000 for s in pe.sections)
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        yield f"{entry.dll} is Windows' own", entry.dll.decode().lower() in WINDOWS_DLLS
        yield f"no number conversion from {entry.dll}", not any(
            CONVERSION.match(i.name or b"") for i in entry.imports)

    res = {(t.id, e.id): pe.get_data(e.directory.entries[0].data.struct.OffsetToData,
                                     e.directory.entries[0].data.struct.Size)
           for t in pe.DIRECTORY_ENTRY_RESOURCE.entries for e in t.directory.entries}
    yield "manifest 1 is the configured one", res.get((24, 1)) == manifest_file
    yield "icon group 104 holds the .ico's image", (14, 104) in res and res.get((3, 1)) == ico[22:]


if __name__ == "__main__":
    manifest, ico = (pathlib.Path(f).read_bytes() for f in sys.argv[1:3])
    results = [(f"{exe}: {name}", ok) for exe in sys.argv[3:]
               for name, ok in checks(pefile.PE(exe), manifest, ico)]
    failed = [name for name, ok in results if not ok]
    print("".join(f"FAILED {name}\n" for name in failed) +
          f"{len(results) - len(failed)} passed, {len(failed)} failed")
    sys.exit(1 if failed else 0)
