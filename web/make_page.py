#!/usr/bin/env python3
"""Writes the page: one HTML file with its styles, scripts and WebAssembly
inside it, so that it asks for nothing when it is opened.

usage: make_page.py TERSER OUTPUT TEMPLATE STYLES MODULE_JS MODULE_WASM REQUEST_JS WORKER_JS PAGE_JS

The WebAssembly goes in gzip-compressed (with no name or time in the
header, so the same module gives the same bytes) and in base64; the page
unpacks it with the browser's own DecompressionStream. The scripts go in
compressed by terser (Debian's), which keeps top-level names, since the
worker is put together from three of them.
"""
import base64
import gzip
import subprocess
import sys


def read(path):
    with open(path, encoding='utf-8') as f:
        return f.read()


def script(terser, path):
    text = subprocess.run([terser, path, '--compress', '--mangle'], capture_output=True,
                          check=True).stdout.decode('utf-8')
    # Nothing inside a script element may end it early.
    if '</script' in text.lower():
        sys.exit('a script holds "</script"')
    return text.strip('\n')


def main():
    if len(sys.argv) != 10:
        sys.exit(__doc__.split('\n\n')[1])
    terser, output, template, styles, module_js, wasm, request_js, worker_js, page_js = sys.argv[1:]
    with open(wasm, 'rb') as f:
        packed = base64.b64encode(gzip.compress(f.read(), compresslevel=9, mtime=0)).decode()
    page = read(template)
    for mark, text in (('/*STYLES*/', read(styles).strip('\n')),
                       ('/*WASM*/', packed),
                       ('/*MODULE*/', script(terser, module_js)),
                       ('/*REQUEST*/', script(terser, request_js)),
                       ('/*WORKER*/', script(terser, worker_js)),
                       ('/*PAGE*/', script(terser, page_js))):
        if page.count(mark) != 1:
            sys.exit('the template needs %s once' % mark)
        page = page.replace(mark, text)
    with open(output, 'w', encoding='utf-8', newline='\n') as f:
        f.write(page)


if __name__ == '__main__':
    main()
