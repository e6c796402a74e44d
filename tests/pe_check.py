#!/usr/bin/python3
"""Checks what a built Velorn.exe is, without running it: machine, GUI
subsystem, that it needs only Windows' own DLLs, and its resources, down to
every pixel of the background bitmap."""
import os
import struct
import subprocess
import sys
import tempfile

import pefile

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")

# DLLs every Windows has; anything else would have to ship beside the exe.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll"}
# The system's own C conversions differ between msvcrt versions; the
# toolchain's linked-in ones must be used instead.
SYSTEM_CONVERSIONS = {b"atof", b"strtod", b"_strtod_l", b"sprintf", b"snprintf", b"_snprintf",
                      b"vsnprintf", b"_vsnprintf", b"_ecvt", b"_fcvt", b"_gcvt"}
MACHINES = {"i686": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"],
            "x86_64": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]}
RT = pefile.RESOURCE_TYPE
PALETTE = bytes.fromhex("00000000 00008000 00800000 00808000 80000000 80008000 80800000"
                        "c0c0c000 80808000 0000ff00 00ff0000 00ffff00 ff000000 ff00ff00"
                        "ffff0000 ffffff00")
RED, BLACK = 9, 0
VERSION_STRINGS = {
    "CompanyName": "Velorn",
    "FileDescription": "Velorn – odhad energie na překonání odporu vzduchu",
    "FileVersion": "1.0.0.0",
    "InternalName": "Velorn",
    "LegalCopyright": "Copyright © 2005 autoři programu Velorn",
    "OriginalFilename": "Velorn.exe",
    "ProductName": "Velorn",
    "ProductVersion": "1.0.0",
}
DLL = pefile.DLL_CHARACTERISTICS
SCN = pefile.SECTION_CHARACTERISTICS


def resources(pe):
    """{(type, id): bytes} of every resource in the exe."""
    found = {}
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for entry in kind.directory.entries:
            for lang in entry.directory.entries:
                data = lang.data.struct
                found[kind.id, entry.id] = pe.get_data(data.OffsetToData, data.Size)
    return found


def check_exe(path, arch):
    pe = pefile.PE(path)
    yield "machine", pe.FILE_HEADER.Machine == MACHINES[arch]
    yield "GUI subsystem", (pe.OPTIONAL_HEADER.Subsystem ==
                            pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"])
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        dll = entry.dll.decode().lower()
        yield f"{dll} is a system DLL", dll in SYSTEM_DLLS
        for imp in entry.imports:
            yield f"{imp.name} from {dll} is ours", imp.name not in SYSTEM_CONVERSIONS
    flags = pe.OPTIONAL_HEADER.DllCharacteristics
    yield "ASLR", flags & DLL["IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"]
    yield "DEP", flags & DLL["IMAGE_DLLCHARACTERISTICS_NX_COMPAT"]
    if arch == "x86_64":
        yield "high-entropy ASLR", flags & DLL["IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA"]
    yield "relocation table", (not pe.FILE_HEADER.Characteristics & 1 and
                               pe.OPTIONAL_HEADER.DATA_DIRECTORY[5].Size > 0)
    wx = SCN["IMAGE_SCN_MEM_WRITE"] | SCN["IMAGE_SCN_MEM_EXECUTE"]
    for section in pe.sections:
        name = section.Name.rstrip(b"\0").decode()
        yield f"section {name} not writable and executable", section.Characteristics & wx != wx
    yield "no link time stamp", pe.FILE_HEADER.TimeDateStamp == 0
    yield from check_version(pe)
    res = resources(pe)
    yield "dialog 101", (RT["RT_DIALOG"], 101) in res
    with open(os.path.join(RES, "pozadi.bmp"), "rb") as f:
        yield "bitmap 103 is pozadi.bmp", res.get((RT["RT_BITMAP"], 103)) == f.read()[14:]
    with open(os.path.join(RES, "ikona.ico"), "rb") as f:
        ico = f.read()
    group = res.get((RT["RT_GROUP_ICON"], 104), b"")
    # One 32 x 32, 16-colour, 4-bit image, stored as icon resource 1.
    yield "icon group 104", group == struct.pack("<HHHBBBBHHIH", 0, 1, 1, 32, 32, 16, 0, 1, 4,
                                                 len(ico) - 22, 1)
    yield "icon 1 is ikona.ico", res.get((RT["RT_ICON"], 1)) == ico[22:]


def check_version(pe):
    fixed = pe.VS_FIXEDFILEINFO[0]
    yield "file version 1.0.0.0", (fixed.FileVersionMS, fixed.FileVersionLS) == (0x10000, 0)
    yield "product version 1.0.0", (fixed.ProductVersionMS, fixed.ProductVersionLS) == (0x10000, 0)
    yield "an application for Windows NT", (fixed.FileType, fixed.FileOS) == (1, 0x40004)
    tables, translations = [], []
    for info in pe.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            tables.append((table.LangID, {k.decode(): v.decode() for k, v in table.entries.items()}))
        for var in getattr(info, "Var", []):
            translations.append(var.entry)
    yield "one Czech Windows-1250 string table", [t[0] for t in tables] == [b"040504E2"]
    yield "version strings", tables and tables[0][1] == VERSION_STRINGS
    yield "translation", translations == [{b"Translation": "0x0405 0x04e2"}]


def quadrant(x, y):
    if y < 64:
        return RED if x < 63 else BLACK
    return RED if y == 64 or x >= 64 else BLACK


def check_pictures():
    with tempfile.TemporaryDirectory() as out:
        subprocess.run([sys.executable, os.path.join(RES, "images.py"), out], check=True)
        for name in ("pozadi.bmp", "ikona.ico"):
            with open(os.path.join(out, name), "rb") as a, open(os.path.join(RES, name), "rb") as b:
                yield f"images.py rebuilds {name}", a.read() == b.read()
    with open(os.path.join(RES, "pozadi.bmp"), "rb") as f:
        bmp = f.read()
    header = struct.unpack_from("<IiiHHIIiiII", bmp, 14)
    yield "bitmap header", (bmp[:2] == b"BM" and
                            header == (40, 128, 128, 1, 4, 0, 128 * 64, 3780, 3780, 0, 0))
    yield "bitmap palette", bmp[54:118] == PALETTE
    bits = bmp[118:]
    wrong = 0
    for y in range(128):
        row = bits[(127 - y) * 64:(128 - y) * 64]  # bottom-up
        for x in range(128):
            wrong += (row[x // 2] >> (4 * (1 - x % 2)) & 15) != quadrant(x, y)
    yield "every bitmap pixel in its quadrant", wrong == 0


def main():
    results = list(check_exe(sys.argv[1], sys.argv[2]))
    if len(sys.argv) > 3 and sys.argv[3] == "--pictures":
        results += list(check_pictures())
    failed = [name for name, ok in results if not ok]
    for name in failed:
        print(f"{sys.argv[1]}: FAILED {name}")
    print(f"{len(results) - len(failed)} passed, {len(failed)} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
