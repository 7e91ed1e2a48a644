#!/usr/bin/env python3
"""Writes the page: one HTML file with its styles, scripts and WebAssembly
inside it, so that it asks for nothing when it is opened.

usage: make_page.py TERSER OUTPUT TEMPLATE STYLES UNPACK_JS MODULE_WASM MODULE_JS REQUEST_JS WORKER_JS PAGE_JS

The WebAssembly and every script but the one that unpacks them go in as
one gzip stream (with no name or time in its header, so that the same
inputs give the same bytes) in base85 (RFC 1924's, which has no '/' and so
can never end the script element); each part is its length (4 bytes,
little-endian) and its bytes. The page unpacks them with the browser's own
DecompressionStream. The scripts are first compressed by terser (Debian's),
which keeps top-level names, since the worker is put together from three
of them.
"""
import base64
import gzip
import re
import struct
import subprocess
import sys


def read(path):
    with open(path, encoding='utf-8') as f:
        return f.read()


def styles(path):
    """The style sheet without its comments and the blanks that only lay
    it out."""
    text = re.sub(r'/\*.*?\*/', '', read(path), flags=re.S)
    text = re.sub(r'\s+', ' ', text)
    # A blank before a colon may be a descendant's pseudo-class: kept.
    return re.sub(r':\s', ':', re.sub(r' ?([{};,>]) ?', r'\1', text)).strip()


def markup(text):
    """The page's markup without the indents that only lay it out (it has
    no element that keeps its white space)."""
    return '\n'.join(line.strip() for line in text.split('\n') if line.strip())


def script(terser, path):
    text = subprocess.run([terser, path, '--compress', '--mangle'], capture_output=True,
                          check=True).stdout.decode('utf-8')
    # Nothing inside a script element may end it early.
    if '</script' in text.lower():
        sys.exit('a script holds "</script"')
    return text.strip('\n')


def main():
    if len(sys.argv) != 11:
        sys.exit(__doc__.split('\n\n')[1])
    terser, output, template, styles_css, unpack_js, wasm = sys.argv[1:7]
    with open(wasm, 'rb') as f:
        parts = [f.read()]
    parts += [script(terser, path).encode('utf-8') for path in sys.argv[7:]]
    bundle = b''.join(struct.pack('<I', len(part)) + part for part in parts)
    packed = base64.b85encode(gzip.compress(bundle, compresslevel=9, mtime=0)).decode()
    page = markup(read(template))
    for mark, text in (('/*STYLES*/', styles(styles_css)),
                       ('/*PACKED*/', packed),
                       ('/*UNPACK*/', script(terser, unpack_js))):
        if page.count(mark) != 1:
            sys.exit('the template needs %s once' % mark)
        page = page.replace(mark, text)
    with open(output, 'w', encoding='utf-8', newline='\n') as f:
        f.write(page)


if __name__ == '__main__':
    main()
