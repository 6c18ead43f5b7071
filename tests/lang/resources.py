#!/usr/bin/env python3
"""Checks the resources linked into a program.

    resources.py PROGRAM BINARY...      (PROGRAM: applet, tray, installer or switcher)
    resources.py dpi-aware BINARY...    (only that the manifest declares DPI awareness: the
                                        set-up programs)

Reads the resource directory of each PE file (no execution): every string table block,
dialog and menu exists in exactly the program's languages, never neutral; icons, the manifest,
the version record (and the switcher's dialog and skin) exist once, neutral; no resource has
two leaves of one language, which the linker reports without failing. The programs with
windows declare per-monitor DPI awareness in their manifest.
"""

import os
import struct
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from xml.etree import ElementTree  # noqa: E402

from languages import PROGRAMS, RT_MANIFEST, RT_STRING, RT_VERSION  # noqa: E402

TYPE_NAMES = {1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG", 6: "STRINGTABLE",
              9: "ACCELERATORS", 12: "GROUP_CURSOR", 14: "GROUP_ICON", 16: "VERSION",
              24: "MANIFEST"}


class PeError(Exception):
    pass


def read_leaves(path, contents=False):
    """Every (type, name, language) leaf of the resource directory; names of named entries
    are strings. With `contents`, each leaf comes with its bytes: (type, name, language, data)."""
    with open(path, "rb") as f:
        data = f.read()
    try:
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise PeError(f"{path}: not a PE file")
        sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], \
            struct.unpack_from("<H", data, pe + 20)[0]
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        directories = opt + (96 if magic == 0x10B else 112)
        rva, size = struct.unpack_from("<II", data, directories + 2 * 8)
        if size == 0:
            return []
        table = opt + optional_size

        def file_offset(address):
            for i in range(sections):
                vsize, vaddr, rawsize, rawptr = struct.unpack_from("<IIII", data,
                                                                   table + 40 * i + 8)
                if vaddr <= address < vaddr + max(vsize, rawsize):
                    return rawptr + address - vaddr
            raise PeError(f"{path}: the resource directory lies in no section")

        base = file_offset(rva)

        def entry_name(value):
            if value & 0x80000000:
                at = base + (value & 0x7FFFFFFF)
                length = struct.unpack_from("<H", data, at)[0]
                return data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            return value

        leaves = []

        def walk(at, path_so_far, depth):
            if depth > 2:
                raise PeError(f"{path}: the resource directory is deeper than three levels")
            named, numbered = struct.unpack_from("<HH", data, at + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", data, at + 16 + 8 * i)
                key = path_so_far + (entry_name(name),)
                if target & 0x80000000:
                    walk(base + (target & 0x7FFFFFFF), key, depth + 1)
                elif depth == 2 and contents:
                    data_rva, data_size = struct.unpack_from("<II", data, base + target)
                    start = file_offset(data_rva) if data_size else 0
                    leaves.append(key + (data[start:start + data_size],))
                elif depth == 2:
                    leaves.append(key)
                else:
                    raise PeError(f"{path}: a resource leaf above the language level")

        walk(base, (), 0)
        return leaves
    except struct.error:
        raise PeError(f"{path}: the resource directory is damaged")


def describe(rtype, name):
    kind = TYPE_NAMES.get(rtype, rtype)
    if rtype == RT_STRING and isinstance(name, int):
        return f"{kind} block {name} (strings {(name - 1) * 16}-{name * 16 - 1})"
    return f"{kind} {name}"


def check_binary(path, program):
    """Problems of one linked program, each as "file: RESOURCE: rule"."""
    problems = []
    resources = {}
    for rtype, name, lang in read_leaves(path):
        resources.setdefault((rtype, name), []).append(lang)
    wanted = program.language_ids()
    label = os.path.basename(path)
    for (rtype, name), langs in sorted(resources.items(), key=lambda kv: str(kv[0])):
        what = f"{label}: {describe(rtype, name)}"
        for lang in sorted({lang for lang in langs if langs.count(lang) > 1}):
            problems.append(f"{what}: two leaves in {lang} (the link merged the same resource "
                            "twice)")
        present = set(langs)
        if rtype in program.neutral_types:
            for lang in sorted(present - {0}):
                problems.append(f"{what}: in {lang}, but it is neutral and exists only in "
                                "language 0")
            continue
        if 0 in present:
            problems.append(f"{what}: neutral, but its texts belong to each language")
        missing = sorted(wanted - present)
        if missing:
            problems.append(f"{what}: missing in {', '.join(map(str, missing))}")
        extra = sorted(present - wanted - {0})
        if extra:
            problems.append(f"{what}: also in {', '.join(map(str, extra))}, which "
                            f"{'is' if len(extra) == 1 else 'are'} not a language of the "
                            f"{program.name}")
    if (RT_VERSION, 1) not in resources:
        problems.append(f"{label}: VERSION 1: missing")
    return problems


# The DPI mode as each Windows reads it: dpiAware up to Windows 10 1607, dpiAwareness after;
# each counts only in its own namespace, inside the asm.v3 application's windowsSettings.
DPI_SETTINGS = (("http://schemas.microsoft.com/SMI/2005/WindowsSettings", "dpiAware", "true/pm"),
                ("http://schemas.microsoft.com/SMI/2016/WindowsSettings", "dpiAwareness",
                 "PerMonitorV2, PerMonitor"))


def dpi_manifest_problems(text, label, per_monitor=True):
    """What a manifest lacks for per-monitor DPI awareness, each as "label: MANIFEST: ...".
    Without `per_monitor`, a system-aware dpiAware (NSIS's, whose pages do not redraw for a
    change of monitor) is enough."""
    try:
        root = ElementTree.fromstring(text)
    except ElementTree.ParseError as e:
        return [f"{label}: MANIFEST: not well-formed XML ({e})"]
    settings = root.findall("{urn:schemas-microsoft-com:asm.v3}application/"
                            "{urn:schemas-microsoft-com:asm.v3}windowsSettings")
    problems = []
    for namespace, name, wanted in DPI_SETTINGS if per_monitor else DPI_SETTINGS[:1]:
        values = [(e.text or "").strip() for s in settings
                  for e in s.findall(f"{{{namespace}}}{name}")]
        if not per_monitor and values in (["true"], ["True"]):
            continue
        if values != [wanted]:
            problems.append(f"{label}: MANIFEST: {name} in {namespace} is {values or 'missing'}, "
                            f"not [{wanted!r}]")
    return problems


def check_dpi_manifest(path, per_monitor=True):
    """The image's manifests (the program's own, id 1, or a library's) declare per-monitor
    awareness (or any, without `per_monitor`); an image without a manifest is a problem."""
    label = os.path.basename(path)
    manifests = [body for rtype, _, _, body in read_leaves(path, contents=True)
                 if rtype == RT_MANIFEST]
    if not manifests:
        return [f"{label}: MANIFEST: missing"]
    return [p for body in manifests for p in dpi_manifest_problems(body, label, per_monitor)]


def main(argv=None):
    args = sys.argv[1:] if argv is None else argv
    if len(args) >= 2 and args[0] == "dpi-aware":
        problems = []
        for path in args[1:]:
            try:
                problems += check_dpi_manifest(path, per_monitor=False)
            except (OSError, PeError) as e:
                problems.append(str(e))
        for p in problems:
            print(p)
        return 1 if problems else 0
    if len(args) < 2 or args[0] not in PROGRAMS:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    program = PROGRAMS[args[0]]
    problems = []
    for path in args[1:]:
        try:
            found = check_binary(path, program)
            if program.dpi_manifest:
                found += check_dpi_manifest(path)
        except (OSError, PeError) as e:
            found = [str(e)]
        problems.extend(found)
        if not found:
            count = len({(t, n) for t, n, _ in read_leaves(path)})
            print(f"{path}: {count} resources, each in its languages")
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
