#!/usr/bin/python3
"""What Windows sees in each exe: machine, hardening, imports, icon. Usage: pe_check.py ICON EXE32 EXE64"""
import pathlib
import re
import sys

import pefile

# KnownDLLs of Windows 7 to 11, always loaded from the system folder.
KNOWN_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"}
# msvcrt.dll's conversions of floating-point numbers, to text and from it, differ
# by Windows version: none may be taken, nor the printf or scanf families; but
# fprintf and vfprintf, with which MinGW's start-up code reports a failed
# relocation, in text and integers.
FLOATS = re.compile(r"printf|scanf|cvt|to(d|f|ld|dbl|flt|ldbl)(_l)?$")
STARTUP = {"fprintf", "vfprintf"}


def checks(pe, ico, machine):
    header, flags = pe.OPTIONAL_HEADER, pefile.DLL_CHARACTERISTICS
    yield f"an {machine} exe, as its folder in the zip says", pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE[f"IMAGE_FILE_MACHINE_{machine}"]
    yield "GUI subsystem", header.Subsystem == pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
    wanted = flags["IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"] | flags["IMAGE_DLLCHARACTERISTICS_NX_COMPAT"]
    if machine == "AMD64":
        wanted |= flags["IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA"]
    yield "ASLR, DEP", header.DllCharacteristics & wanted == wanted
    yield "relocations", header.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]].Size
    yield "no writable code", not any(s.IMAGE_SCN_MEM_EXECUTE and s.IMAGE_SCN_MEM_WRITE for s in pe.sections)
    imports = {e.dll.decode().lower(): {(i.name or b"(an ordinal)").decode() for i in e.imports}
               for e in pe.DIRECTORY_ENTRY_IMPORT}
    unknown = sorted(imports.keys() - KNOWN_DLLS)
    yield f"imports {unknown}, not KnownDLLs: Windows would load a DLL of that name saved beside the exe", not unknown
    floats = sorted(n for n in imports.get("msvcrt.dll", ()) if FLOATS.search(n) and n not in STARTUP)
    yield f"takes {floats} of msvcrt.dll, whose number conversions differ by Windows version", not floats
    res = {(t.id, e.id): pe.get_data(e.directory.entries[0].data.struct.OffsetToData,
                                     e.directory.entries[0].data.struct.Size)
           for t in pe.DIRECTORY_ENTRY_RESOURCE.entries for e in t.directory.entries}
    icons = pefile.RESOURCE_TYPE
    yield "icon group 104 holds the .ico's image", ((icons["RT_GROUP_ICON"], 104) in res and
                                                    res.get((icons["RT_ICON"], 1)) == ico[22:])


if __name__ == "__main__":
    ico = pathlib.Path(sys.argv[1]).read_bytes()
    results = [(f"{exe}: {name}", ok) for exe, machine in zip(sys.argv[2:], ("I386", "AMD64"))
               for name, ok in checks(pefile.PE(exe), ico, machine)]
    failed = [name for name, ok in results if not ok]
    print("".join(f"FAILED {name}\n" for name in failed) + f"{len(results) - len(failed)} passed, {len(failed)} failed")
    sys.exit(1 if failed else 0)
