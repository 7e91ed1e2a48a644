#!/usr/bin/env python3
"""Reads a built Windows executable's PE headers and checks that it is what
we ship: x86-64, the expected subsystem, ASLR with high-entropy addresses,
DEP and terminal-server awareness, a base-relocation section, no section
both writable and executable, imports from the allowed system DLLs only,
and a size within its limit.

usage: pe_headers_test.py EXE gui|console MAX_BYTES DLL...
"""
import struct
import sys
import unittest

MACHINE_X86_64 = 0x8664
SUBSYSTEMS = {'gui': 2, 'console': 3}
DLL_CHARACTERISTICS = {
    'HIGH_ENTROPY_VA': 0x0020,
    'DYNAMIC_BASE': 0x0040,
    'NX_COMPAT': 0x0100,
    'TERMINAL_SERVER_AWARE': 0x8000,
}
SCN_MEM_EXECUTE = 0x20000000
SCN_MEM_WRITE = 0x80000000
IMPORT_DIRECTORY = 1
BASE_RELOCATION_DIRECTORY = 5


class PeImage:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from('<I', data, 0x3C)[0]
        if data[pe:pe + 4] != b'PE\0\0':
            raise ValueError('no PE signature')
        (self.machine, section_count, self.timestamp, _, _, optional_size,
         _) = struct.unpack_from('<HHIIIHH', data, pe + 4)
        optional = pe + 24
        if struct.unpack_from('<H', data, optional)[0] != 0x20B:
            raise ValueError('not a PE32+ image')
        self.subsystem, self.dll_characteristics = struct.unpack_from('<HH', data, optional + 68)
        directory_count = struct.unpack_from('<I', data, optional + 108)[0]
        self.directories = [struct.unpack_from('<II', data, optional + 112 + 8 * i)
                            for i in range(directory_count)]
        self.sections = []
        for i in range(section_count):
            header = optional + optional_size + 40 * i
            name, virtual_size, address, raw_size, raw_offset = struct.unpack_from(
                '<8sIIII', data, header)
            flags = struct.unpack_from('<I', data, header + 36)[0]
            self.sections.append((name.rstrip(b'\0').decode(), address,
                                  max(virtual_size, raw_size), raw_offset, flags))

    def offset(self, address):
        for _, start, size, raw_offset, _ in self.sections:
            if start <= address < start + size:
                return raw_offset + address - start
        raise ValueError('address %#x is in no section' % address)

    def string(self, address):
        start = self.offset(address)
        return self.data[start:self.data.index(b'\0', start)].decode()

    def imported_dlls(self):
        address, _ = self.directories[IMPORT_DIRECTORY]
        dlls = []
        entry = self.offset(address)
        while True:
            name = struct.unpack_from('<I', self.data, entry + 12)[0]
            if name == 0:
                return dlls
            dlls.append(self.string(name))
            entry += 20


class PeHeadersTest(unittest.TestCase):
    path = subsystem = max_bytes = allowed_dlls = None

    @classmethod
    def setUpClass(cls):
        with open(cls.path, 'rb') as f:
            cls.data = f.read()
        cls.image = PeImage(cls.data)

    def test_is_x86_64_for_its_subsystem(self):
        self.assertEqual(MACHINE_X86_64, self.image.machine)
        self.assertEqual(SUBSYSTEMS[self.subsystem], self.image.subsystem)

    def test_asks_for_aslr_dep_and_terminal_server_awareness(self):
        for name, flag in DLL_CHARACTERISTICS.items():
            with self.subTest(flag=name):
                self.assertTrue(self.image.dll_characteristics & flag,
                                'DllCharacteristics %#06x' % self.image.dll_characteristics)

    def test_can_be_relocated(self):
        address, size = self.image.directories[BASE_RELOCATION_DIRECTORY]
        self.assertGreater(size, 0)
        self.assertIn('.reloc', [section[0] for section in self.image.sections])

    def test_no_section_is_both_writable_and_executable(self):
        for name, _, _, _, flags in self.image.sections:
            with self.subTest(section=name):
                self.assertNotEqual(SCN_MEM_WRITE | SCN_MEM_EXECUTE,
                                    flags & (SCN_MEM_WRITE | SCN_MEM_EXECUTE))

    def test_imports_only_the_allowed_system_dlls(self):
        imported = {dll.lower() for dll in self.image.imported_dlls()}
        self.assertTrue(imported, 'no imports found')
        self.assertLessEqual(imported, {dll.lower() for dll in self.allowed_dlls})

    def test_fits_its_size(self):
        self.assertLessEqual(len(self.data), self.max_bytes)


if __name__ == '__main__':
    if len(sys.argv) < 5 or sys.argv[2] not in SUBSYSTEMS:
        sys.exit(__doc__.split('\n\n')[1])
    PeHeadersTest.path, PeHeadersTest.subsystem = sys.argv[1], sys.argv[2]
    PeHeadersTest.max_bytes = int(sys.argv[3])
    PeHeadersTest.allowed_dlls = sys.argv[4:]
    unittest.main(argv=sys.argv[:1], verbosity=2)
