#!/usr/bin/env python3
"""The last steps of scripts/package.sh: the same bytes for the same inputs.

    package-zip.py README LICENSE VERSION EPOCH STAGE ZIP

STAGE holds the stripped programs and libraries and the compiled help. Clears the help's compile
times, writes the read-me (README and LICENSE, UTF-8, filled in and turned into Shift-JIS with
CR LF) into STAGE, then the zip of STAGE as the folder Pelmira. EPOCH (seconds; the commit's time)
dates the read-me and every entry. The zip is written through a temporary name: a failed run
leaves no half-written zip.
"""
import datetime
import os
import re
import struct
import sys
import zipfile

FOLDER = "Pelmira"
# The order the user sees when the zip is listed: the programs, their libraries, help, read-me.
ENTRIES = ["ostra.exe", "ostrun.exe", "UNLHA32.DLL", "UNZIP32.DLL", "ZIP32J.DLL", "TAR32.DLL",
           "Pelmira.chm", "Readme.txt"]
JST = 9 * 3600  # entry times are local; the users are in Japan, and Japan keeps no summer time
FILE_ATTRIBUTE_DIRECTORY = 0x10
FILE_ATTRIBUTE_ARCHIVE = 0x20


def entry(name, epoch, attributes):
    # Entry names are ASCII: the same bytes in Shift-JIS, and no UTF-8 flag that an older Japanese
    # unpacker would misread.
    name.encode("ascii")
    info = zipfile.ZipInfo(name, date_time=dos_time(epoch))
    info.create_system = 0  # MS-DOS attributes, as a Windows archiver writes them
    info.external_attr = attributes
    return info


def dos_time(epoch):
    t = datetime.datetime(1970, 1, 1) + datetime.timedelta(seconds=max(epoch + JST, 315532800))
    return (t.year, t.month, t.day, t.hour, t.minute, t.second)  # DOS times start in 1980


def read_sjis_text(path):
    """A UTF-8 text file, refused (with the line) when a character has no Shift-JIS form."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    try:
        text.encode("cp932")
    except UnicodeEncodeError as e:
        line = text.count("\n", 0, e.start) + 1
        sys.exit(f"package-zip: {path}:{line}: {text[e.start:e.end]!r} has no Shift-JIS form")
    return text


def write_readme(source, licence, version, epoch, out):
    text = read_sjis_text(source)
    licence_text = read_sjis_text(licence).rstrip("\n")
    date = "{:04}/{:02}/{:02}".format(*dos_time(epoch)[:3])
    text = text.replace("@VERSION@", version).replace("@DATE@", date).replace("@LICENSE@", licence_text)
    left = re.search(r"@[A-Z]+@", text)
    if left:
        sys.exit(f"package-zip: {source}: the placeholder {left.group()} has no value")
    with open(out, "wb") as f:
        f.write(text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932"))


def write_zip(stage, target, epoch):
    present = sorted(os.listdir(stage))
    if present != sorted(ENTRIES):
        sys.exit(f"package-zip: the staged folder holds {present}, not {sorted(ENTRIES)}")
    temp = target + ".part"
    try:
        with zipfile.ZipFile(temp, "w") as z:
            z.writestr(entry(FOLDER + "/", epoch, FILE_ATTRIBUTE_DIRECTORY), b"")
            for name in ENTRIES:
                with open(os.path.join(stage, name), "rb") as f:
                    data = f.read()
                z.writestr(entry(f"{FOLDER}/{name}", epoch, FILE_ATTRIBUTE_ARCHIVE), data,
                           compress_type=zipfile.ZIP_DEFLATED, compresslevel=9)
        os.replace(temp, target)
    finally:
        if os.path.exists(temp):
            os.remove(temp)


def clear_chm_times(path):
    """chmcmd stamps the time of day into the CHM header and into its #SYSTEM file; set both to 0
    so that the help compiled twice is the same file."""
    with open(path, "rb") as f:
        d = bytearray(f.read())
    if d[:4] != b"ITSF" or struct.unpack_from("<I", d, 4)[0] != 3:
        sys.exit(f"package-zip: {path} is not a CHM file of the expected version")
    struct.pack_into("<I", d, 0x10, 0)
    directory, content = struct.unpack_from("<Q", d, 0x48)[0], struct.unpack_from("<Q", d, 0x58)[0]
    if d[directory:directory + 4] != b"ITSP":
        sys.exit(f"package-zip: {path} has no directory where its header says")
    header, chunk = struct.unpack_from("<I", d, directory + 8)[0], struct.unpack_from("<I", d, directory + 0x10)[0]
    chunks = struct.unpack_from("<I", d, directory + 0x2C)[0]

    def encint(b, p):
        v = 0
        while True:
            c = b[p]
            p += 1
            v = (v << 7) | (c & 0x7F)
            if c < 0x80:
                return v, p

    for i in range(chunks):
        start = directory + header + i * chunk
        c = d[start:start + chunk]
        if c[:4] != b"PMGL":
            continue
        p, end = 20, chunk - struct.unpack_from("<I", c, 4)[0]
        while p < end:
            n, p = encint(c, p)
            name = bytes(c[p:p + n])
            p += n
            section, p = encint(c, p)
            offset, p = encint(c, p)
            length, p = encint(c, p)
            if name != b"/#SYSTEM" or section != 0:
                continue
            q, stop = content + offset + 4, content + offset + length
            while q + 4 <= stop:
                code, size = struct.unpack_from("<HH", d, q)
                if code == 10 and size == 4:  # the compile time
                    struct.pack_into("<I", d, q + 4, 0)
                    with open(path, "wb") as f:
                        f.write(d)
                    return
                q += 4 + size
    sys.exit(f"package-zip: no compile time found in {path}")


def main():
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    readme, licence, version, epoch, stage, target = sys.argv[1:]
    write_readme(readme, licence, version, int(epoch), os.path.join(stage, "Readme.txt"))
    clear_chm_times(os.path.join(stage, "Pelmira.chm"))
    write_zip(stage, target, int(epoch))


if __name__ == "__main__":
    main()
