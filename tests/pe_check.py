#!/usr/bin/python3
"""Reads what Windows will see in each built exe, without running it:
hardening, imports and the configured manifest.
Usage: pe_check.py MANIFEST EXE..."""
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

import pefile

WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll"}
# msvcrt.dll's number conversions differ between Windows versions: the exe
# takes none that reads a double from text or writes one into text.
CONVERSION = re.compile(rb"_?(atof|strtod|v?sn?printf|[efg]cvt)")
NS = {"v1": "urn:schemas-microsoft-com:asm.v1", "v3": "urn:schemas-microsoft-com:asm.v3",
      "ws": "http://schemas.microsoft.com/SMI/2005/WindowsSettings",
      "ws19": "http://schemas.microsoft.com/SMI/2019/WindowsSettings"}


def checks(pe, manifest_file):
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
    embedded = res.get((24, 1), b"<none/>")
    yield "manifest 1 is the configured one", embedded == manifest_file
    manifest = ET.fromstring(embedded)
    def values(path, attribute=None):
        return [e.get(attribute) if attribute else e.text for e in manifest.iterfind(path, NS)]
    yield "manifest: asInvoker", values(".//v3:requestedExecutionLevel", "level") == ["asInvoker"]
    yield "manifest: DPI-aware", values(".//ws:dpiAware") == ["true"]
    yield "manifest: code page of cs-CZ", values(".//ws19:activeCodePage") == ["cs-CZ"]
    yield "manifest: no Common Controls 6", values(".//v1:dependency") == []

if __name__ == "__main__":
    manifest = pathlib.Path(sys.argv[1]).read_bytes()
    results = [(f"{exe}: {name}", ok) for exe in sys.argv[2:]
               for name, ok in checks(pefile.PE(exe), manifest)]
    failed = [name for name, ok in results if not ok]
    print("".join(f"FAILED {name}\n" for name in failed) +
          f"{len(results) - len(failed)} passed, {len(failed)} failed")
    sys.exit(1 if failed else 0)
