#!/usr/bin/env python3
"""dist_zip.py ZIP EPOCH DIR NAME...: writes ZIP holding DIR/NAME for each NAME, in the order given.

Nothing of the machine reaches the zip: every entry carries the time EPOCH (seconds since 1970, taken
as UTC; a zip stores no time zone), the plain file attributes of Windows, no extra fields (no Unix
times, owners or permissions) and deflated data at one fixed level, so that the same files give the same
zip bytes on every machine.
"""
import sys
import time
import zipfile


def main():
    zip_path, epoch, folder, names = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]
    # A zip cannot hold a time before 1980.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(zip_path, "w") as z:
        for name in names:
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.create_system = 0  # made on Windows: the attributes below are Windows attributes
            info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE, as Windows' own zips have it
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(f"{folder}/{name}", "rb") as f:
                z.writestr(info, f.read(), compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)


if __name__ == "__main__":
    main()
