#!/usr/bin/python3
"""Checks a built Velorn.exe without running it: machine, GUI subsystem,
hardening, only Windows' own DLLs and none of msvcrt's number conversions,
version information, and pictures identical to res/, down to the pixel."""
import os
import struct
import subprocess
import sys
import tempfile

import pefile

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll"}
# msvcrt's conversions differ between Windows versions; ours are linked in.
CONVERSIONS = {b"atof", b"strtod", b"sprintf", b"snprintf", b"_snprintf", b"vsnprintf",
               b"_vsnprintf"}
MACHINES = {"i686": 0x14C, "x86_64": 0x8664}
VERSION = {"CompanyName": "Velorn", "FileVersion": "1.0.0.0", "InternalName": "Velorn",
           "FileDescription": "Velorn – odhad energie na překonání odporu vzduchu",
           "LegalCopyright": "Copyright © 2005 autoři programu Velorn",
           "OriginalFilename": "Velorn.exe", "ProductName": "Velorn", "ProductVersion": "1.0.0"}
RT = pefile.RESOURCE_TYPE


def read(name, folder=RES):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read()


def checks(path, arch):
    pe = pefile.PE(path)
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    yield "machine", pe.FILE_HEADER.Machine == MACHINES[arch]
    yield "GUI subsystem", pe.OPTIONAL_HEADER.Subsystem == 2
    yield "ASLR, DEP", flags & 0x140 == 0x140
    yield "high-entropy ASLR", arch != "x86_64" or flags & 0x20
    yield "relocations", pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size > 0
    yield "no writable code", all(s.Characteristics & 0xA0000000 != 0xA0000000 for s in pe.sections)
    yield "no time stamp", pe.FILE_HEADER.TimeDateStamp == 0
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        yield f"{entry.dll} is Windows'", entry.dll.decode().lower() in SYSTEM_DLLS
        yield f"no {entry.dll} conversion", not {i.name for i in entry.imports} & CONVERSIONS

    fixed = pe.VS_FIXEDFILEINFO[0]
    yield "fixed version", (fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS,
                            fixed.FileType, fixed.FileOS) == (0x10000, 0, 0x10000, 1, 0x40004)
    tables = [(t.LangID, {k.decode(): v.decode() for k, v in t.entries.items()})
              for info in pe.FileInfo[0] for t in getattr(info, "StringTable", [])]
    yield "Czech 1250 version strings", tables == [(b"040504E2", VERSION)]

    res = {(t.id, e.id): pe.get_data(e.directory.entries[0].data.struct.OffsetToData,
                                     e.directory.entries[0].data.struct.Size)
           for t in pe.DIRECTORY_ENTRY_RESOURCE.entries for e in t.directory.entries}
    ico = read("ikona.ico")
    # The dialog's own header (Wine ignores the font's character set).
    dlg = res.get((RT["RT_DIALOG"], 101), bytes(64))
    head = dlg[26:].decode("utf-16-le").split("\0")
    yield "dialog 101", struct.unpack_from("<HHIIIHhhhh", dlg) == (
        1, 0xFFFF, 0, 0, 0x80C808C0, 9, 0, 0, 210, 170) and head[:3] == ["", "", "Velorn1.0.0"]
    yield "dialog font", dlg[54:60] == struct.pack("<HHBB", 8, 400, 0, 238) and \
        dlg[60:].decode("utf-16-le", "replace").startswith("Microsoft Sans Serif\0")
    yield "bitmap 103", res.get((RT["RT_BITMAP"], 103)) == read("pozadi.bmp")[14:]
    yield "icon group 104", res.get((RT["RT_GROUP_ICON"], 104)) == struct.pack(
        "<HHHBBBBHHIH", 0, 1, 1, 32, 32, 16, 0, 1, 4, len(ico) - 22, 1)
    yield "icon 1", res.get((RT["RT_ICON"], 1)) == ico[22:]

    with tempfile.TemporaryDirectory() as out:
        subprocess.run([sys.executable, os.path.join(RES, "images.py"), out], check=True)
        for name in ("pozadi.bmp", "ikona.ico"):
            yield f"images.py rebuilds {name}", read(name, out) == read(name)
    bmp = read("pozadi.bmp")
    yield "bitmap header", struct.unpack_from("<2s8xIIiiHHIIii", bmp) == (
        b"BM", 118, 40, 128, 128, 1, 4, 0, 8192, 3780, 3780)
    yield "16-colour palette", bmp[54:118] == bytes.fromhex(
        "00000000000080000080000000808000800000008000800080800000c0c0c000"
        "808080000000ff0000ff000000ffff00ff000000ff00ff00ffff0000ffffff00")
    # Quadrants from the top-left: red (9) and black (0), with row 64 all
    # red and the top half's black from column 63.
    yield "every pixel in its quadrant", all(
        (bmp[118 + (127 - y) * 64 + x // 2] >> (4 - 4 * (x % 2)) & 15) ==
        (9 if (x < 63 if y < 64 else y == 64 or x >= 64) else 0)
        for y in range(128) for x in range(128))


def main():
    results = list(checks(sys.argv[1], sys.argv[2]))
    failed = [name for name, ok in results if not ok]
    for name in failed:
        print(f"{sys.argv[1]}: FAILED {name}")
    print(f"{len(results) - len(failed)} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
