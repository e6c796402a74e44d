#!/usr/bin/python3
"""Checks what a built Velorn.exe is, without running it: machine, GUI
subsystem, resources, and that it needs only Windows' own DLLs."""
import sys

import pefile

# DLLs every Windows has; anything else would have to ship beside the exe.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll"}
# The system's own C conversions differ between msvcrt versions; the
# toolchain's linked-in ones must be used instead.
SYSTEM_CONVERSIONS = {b"atof", b"strtod", b"_strtod_l", b"sprintf", b"snprintf", b"_snprintf",
                      b"vsnprintf", b"_vsnprintf", b"_ecvt", b"_fcvt", b"_gcvt"}
MACHINES = {"i686": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"],
            "x86_64": pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]}
RESOURCES = {(pefile.RESOURCE_TYPE["RT_DIALOG"], 101)}


def problems(path, arch):
    pe = pefile.PE(path)
    if pe.FILE_HEADER.Machine != MACHINES[arch]:
        yield f"machine {pe.FILE_HEADER.Machine:#x}, want {arch}"
    if pe.OPTIONAL_HEADER.Subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
        yield f"subsystem {pe.OPTIONAL_HEADER.Subsystem}, want GUI"
    for entry in pe.DIRECTORY_ENTRY_IMPORT:
        dll = entry.dll.decode().lower()
        if dll not in SYSTEM_DLLS:
            yield f"imports {dll}"
        for imp in entry.imports:
            if imp.name in SYSTEM_CONVERSIONS:
                yield f"imports {imp.name.decode()} from {dll}"
    found = {(t.id, e.id) for t in pe.DIRECTORY_ENTRY_RESOURCE.entries
             for e in t.directory.entries}
    for kind, ident in sorted(RESOURCES - found):
        yield f"no resource {ident} of type {kind}"


def main():
    path, arch = sys.argv[1], sys.argv[2]
    found = list(problems(path, arch))
    for problem in found:
        print(f"{path}: {problem}")
    print(f"{len(RESOURCES) + 3 - len(found)} passed, {len(found)} failed")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
