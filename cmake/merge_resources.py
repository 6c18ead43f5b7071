#!/usr/bin/env python3
"""Joins compiled resource files (.res, one per language) into one COFF resource object.

    merge_resources.py WINDRES OUTPUT.obj INPUT.res...

GNU ld 2.40 crashes when it merges the resource sections of three or more objects that hold
string tables, so the languages reach the linker as one object. A .res file is a sequence of
entries after an empty one; the entries of all inputs follow one empty entry, and the
resource compiler builds one directory from them. Two inputs holding the same resource in the
same language (a file whose LANGUAGE line was left as it was copied) fail here: the resource
compiler only warns about them.
"""

import os
import struct
import subprocess
import sys

EMPTY_ENTRY = struct.pack("<II", 0, 32) + b"\xff\xff\x00\x00" * 2 + bytes(16)


def entries(data, name):
    at = 0
    while at < len(data):
        if at + 8 > len(data):
            raise ValueError(f"{name}: damaged at byte {at}")
        data_size, header_size = struct.unpack_from("<II", data, at)
        size = header_size + data_size
        size += -size % 4
        entry = data[at:at + size]
        if len(entry) < header_size or header_size < 32:
            raise ValueError(f"{name}: damaged at byte {at}")
        if data_size != 0 or entry[8:16] != b"\xff\xff\x00\x00" * 2:
            yield entry
        at += size


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    windres, output, inputs = argv[0], argv[1], argv[2:]
    joined = bytearray(EMPTY_ENTRY)
    try:
        for path in inputs:
            with open(path, "rb") as f:
                for entry in entries(f.read(), path):
                    joined += entry
    except (OSError, ValueError) as e:
        print(f"merge_resources: {e}", file=sys.stderr)
        return 1
    joined_path = output + ".res"
    with open(joined_path, "wb") as f:
        f.write(joined)
    result = subprocess.run([windres, "-J", "res", "-O", "coff", "-i", joined_path, "-o", output],
                            capture_output=True, text=True)
    sys.stderr.write(result.stderr)
    if result.returncode != 0 or "duplicate" in result.stderr:
        if "duplicate" in result.stderr:
            print("merge_resources: the resources above (type: name: language) are given twice; "
                  "check the LANGUAGE lines of "
                  f"{' '.join(os.path.basename(p) for p in inputs)}", file=sys.stderr)
        if os.path.exists(output):
            os.unlink(output)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
