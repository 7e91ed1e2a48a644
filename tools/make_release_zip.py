#!/usr/bin/env python3
"""Writes the release zip, the same bytes from the same files every time.

usage: make_release_zip.py OUTPUT FOLDER EPOCH NAME=PATH...

The zip holds one folder, FOLDER/, and in it each PATH under its NAME, in the
order given (a NAME may hold folders: bin/tactimer.exe). Every entry carries
the time EPOCH (seconds since 1970, UTC) and fixed permissions. NAMEs ending
in .txt are text for Notepad: their line ends become CRLF, and a UTF-8
byte-order mark leads those that are not plain ASCII. NAMEs ending in .cmd
are batch files for cmd, which must be ASCII: their line ends become CRLF.
"""
import sys
import time
import zipfile

UNIX = 3
DIRECTORY_MODE = 0o40755
FILE_MODE = 0o100644
EXECUTABLE_MODE = 0o100755
BYTE_ORDER_MARK = b'\xef\xbb\xbf'


def entry(name, epoch, mode):
    # Zip times carry no time zone and go in two-second steps from 1980: the
    # epoch is written as its UTC time.
    stamp = time.gmtime(max(epoch, 315532800))
    info = zipfile.ZipInfo(name, date_time=stamp[:6])
    info.create_system = UNIX
    info.external_attr = mode << 16
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def crlf(data):
    return data.replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')


def for_notepad(data):
    text = crlf(data)
    return text if text.isascii() else BYTE_ORDER_MARK + text


def main():
    if len(sys.argv) < 5 or any('=' not in arg for arg in sys.argv[4:]):
        sys.exit(__doc__.split('\n\n')[1])
    output, folder, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with zipfile.ZipFile(output, 'w', compresslevel=9) as archive:
        directory = entry(folder + '/', epoch, DIRECTORY_MODE)
        directory.compress_type = zipfile.ZIP_STORED
        archive.writestr(directory, b'')
        for argument in sys.argv[4:]:
            name, path = argument.split('=', 1)
            with open(path, 'rb') as f:
                data = f.read()
            if name.endswith('.txt'):
                data = for_notepad(data)
            elif name.endswith('.cmd'):
                if not data.isascii():
                    sys.exit(name + ': a batch file must be ASCII')
                data = crlf(data)
            mode = EXECUTABLE_MODE if name.endswith('.exe') else FILE_MODE
            archive.writestr(entry(folder + '/' + name, epoch, mode), data)


if __name__ == '__main__':
    main()
