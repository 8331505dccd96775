#!/usr/bin/env python3
"""Builds the release zip reproducibly: fixed timestamps, fixed order, fixed permissions.

Usage: make_zip.py OUTPUT.zip NAME_IN_ZIP=SOURCE_PATH ...
"""
import sys
import zipfile

FIXED_TIME = (2026, 1, 1, 0, 0, 0)


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    output, entries = argv[1], sorted(arg.split("=", 1) for arg in argv[2:])
    with zipfile.ZipFile(output, "w") as archive:
        for name, source in entries:
            info = zipfile.ZipInfo(name, date_time=FIXED_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            info.create_system = 0  # as if made on Windows, whatever made it
            with open(source, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
