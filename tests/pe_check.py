#!/usr/bin/python3
"""Reads what Windows will see in each built exe, without running it.
Usage: pe_check.py VERSION EXE..."""
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

import pefile

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
WINDOWS_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll"}
# msvcrt's conversions differ between Windows versions; the exe has its own.
CONVERSIONS = {b"atof", b"strtod", b"sprintf", b"snprintf", b"_snprintf", b"vsnprintf"}
NS = {"v1": "urn:schemas-microsoft-com:asm.v1", "v3": "urn:schemas-microsoft-com:asm.v3",
      "os": "urn:schemas-microsoft-com:compatibility.v1",
      "ws": "http://schemas.microsoft.com/SMI/2005/WindowsSettings"}
WINDOWS_7_8_81_10 = {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                     "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}


def read(name, folder=RES):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


def checks(pe, version):
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    yield "GUI subsystem", pe.OPTIONAL_HEADER.Subsystem == 2
    yield "ASLR, DEP", flags & 0x140 == 0x140 and (pe.FILE_HEADER.Machine == 0x14C or flags & 0x20)
    yield "relocations", pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size > 0
    yield "no writable code", all(s.Characteristics & 0xA0000000 != 0xA0000000 for s in pe.sections)
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        yield f"{entry.dll} is Windows' own", entry.dll.decode().lower() in WINDOWS_DLLS
        yield f"no conversion from {entry.dll}", not {i.name for i in entry.imports} & CONVERSIONS

    quad, fixed = version + ".0", pe.VS_FIXEDFILEINFO[0]
    binary = "%d.%d.%d.%d" % (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                              fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF)
    strings = {k.decode(): v.decode() for info in pe.FileInfo[0]
               for table in getattr(info, "StringTable", []) for k, v in table.entries.items()}
    yield "version " + quad, (binary, strings.get("FileVersion"), strings.get("ProductVersion")) == (
        quad, quad, version)

    res = {(t.id, e.id): pe.get_data(e.directory.entries[0].data.struct.OffsetToData,
                                     e.directory.entries[0].data.struct.Size)
           for t in pe.DIRECTORY_ENTRY_RESOURCE.entries for e in t.directory.entries}
    yield "bitmap 103 is res/pozadi.bmp", res.get((2, 103)) == read("pozadi.bmp")[14:]
    yield "icon group 104, icon 1 is res/ikona.ico", (14, 104) in res and res.get((3, 1)) == read(
        "ikona.ico")[22:]

    manifest = ET.fromstring(res.get((24, 1), b"<none/>"))
    def values(path, attribute=None):
        return [e.get(attribute) if attribute else e.text for e in manifest.iterfind(path, NS)]
    yield "manifest version", values("v1:assemblyIdentity", "version") == [quad]
    yield "manifest: asInvoker", values(".//v3:requestedExecutionLevel", "level") == ["asInvoker"]
    yield "manifest: Windows 7 to 11", set(values(".//os:supportedOS", "Id")) == WINDOWS_7_8_81_10
    yield "manifest: DPI-aware", values(".//ws:dpiAware") == ["true"]
    yield "manifest: no Common Controls 6", values(".//v1:dependency") == []

def main():
    version, exes = sys.argv[1], sys.argv[2:]
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([sys.executable, os.path.join(RES, "images.py"), out], check=True)
        results = [(f"images.py draws res/{name}", read(name, out) == read(name))
                   for name in ("pozadi.bmp", "ikona.ico")]
    for exe in exes:
        results += [(f"{exe}: {name}", ok) for name, ok in checks(pefile.PE(exe), version)]
    failed = [name for name, ok in results if not ok]
    print("".join(f"FAILED {name}\n" for name in failed) +
          f"{len(results) - len(failed)} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
