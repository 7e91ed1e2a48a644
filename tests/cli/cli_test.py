#!/usr/bin/env python3
"""tactimer-cli from the outside: its exact output for 120/480 in every
format and language, CSV and JSON parsed back to the same values, the exit
status and messages for unusable input and usage errors, and the triplets.

usage: cli_test.py TACTIMER_CLI VERSION
"""
import csv
import io
import json
import os
import pty
import re
import subprocess
import sys
import tempfile
import tty
import unittest

EXPECTED = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'expected')
NOT_A_NUMBER = {'inf', '-inf', 'nan', '--'}
NOT_A_TUPLET = ('is not N or N:D, N notes in the time of D, N from 2 and both up to 1000')
NOT_A_RATE = '--samples takes a rate in samples a second, a positive number, not'
TEMPO_FOR_ALONE = ('--tempo-for MS NOTE takes no TEMPO or RESOLUTION, and none of --tuplets, '
                   '--triplets, --exact, --samples, --hz, --tempo-us or --tempos')
GIVEN_TWICE = ('is given twice: only --at, --at-ms, --at-tc, --fit, --tuplets and --triplets '
               'add up')
TABLE_AT_ALONE = ('--table-at prints a note-length table: --at, --at-ms and --at-tc go without '
                  'it')
ONE_AT_A_TIME = '-, --tempos, --tempo-for, --midi and --fit go one at a time'
SYNOPSIS = ('usage: tactimer-cli [OPTIONS] TEMPO RESOLUTION\n'
            '       tactimer-cli [OPTIONS] --tempos LIST RESOLUTION\n'
            '       tactimer-cli [OPTIONS] -\n'
            '       tactimer-cli [--format F] [--lang L] --tempo-for MS NOTE\n'
            '       tactimer-cli [--format F] [--lang L] [--fps RATE] [--start TC] --midi FILE\n'
            '                    [--at TICKS] [--at-ms MS] [--at-tc TC]\n'
            '       tactimer-cli [OPTIONS] --midi FILE --table-at TICK\n'
            '       tactimer-cli [--format F] [--lang L] --midi FILE --write-tempo-map OUT\n'
            '                    [--resolution N] [--strict] [--force]\n'
            '       tactimer-cli [--format F] [--lang L] --tempo-map MAP\n'
            '                    --write-tempo-map OUT [--resolution N] [--strict] [--force]\n'
            '       tactimer-cli [--format F] [--lang L] --midi FILE --retick N --write OUT\n'
            '                    [--strict] [--force]\n'
            '       tactimer-cli [--format F] [--lang L] [FIT OPTIONS] --fit TIMES\n'
            '       tactimer-cli [--format F] [--lang L] [--fps RATE] [--start TC]\n'
            '                    [--resolution N] [--time-signature N/D]\n'
            '                    --fit POSITION@TIME,... [--write-tempo-map OUT [--force]]\n'
            '       tactimer-cli --help | -h | --version\n')
TRY_HELP = "Try 'tactimer-cli --help' for more.\n"


def run(*arguments):
    result = subprocess.run([CLI, *arguments], capture_output=True, timeout=30)
    return result.returncode, result.stdout.decode('utf-8'), result.stderr.decode('utf-8')


def csv_rows(*arguments):
    status, out, _ = run('--format', 'csv', *arguments)
    assert status == 0, arguments
    rows = list(csv.reader(io.StringIO(out, newline='')))
    assert rows[0] == ['note', 'ticks', 'ms'], rows[0]
    return rows[1:]


class ExactOutputTest(unittest.TestCase):
    def test_120_480_in_every_format_and_language(self):
        for form in ('table', 'csv', 'json'):
            for language in ('ja', 'en'):
                with self.subTest(format=form, lang=language):
                    name = '120-480-%s-%s.txt' % (form, language)
                    with open(os.path.join(EXPECTED, name), 'rb') as f:
                        expected = f.read()
                    result = subprocess.run([CLI, '--format', form, '--lang', language,
                                             '120', '480'], capture_output=True, timeout=30)
                    self.assertEqual(0, result.returncode)
                    self.assertEqual(expected.decode('utf-8'), result.stdout.decode('utf-8'))
                    self.assertEqual(b'', result.stderr)

    def test_the_defaults_are_a_japanese_table(self):
        with open(os.path.join(EXPECTED, '120-480-table-ja.txt'), encoding='utf-8') as f:
            self.assertEqual((0, f.read(), ''), run('120', '480'))

    def test_options_may_follow_the_numbers_and_take_an_equals_sign(self):
        self.assertEqual(run('--format', 'csv', '--lang', 'en', '120', '480'),
                         run('120', '480', '--lang=en', '--format=csv'))

    def test_inputs_are_read_as_the_form_reads_them(self):
        same = run('120', '480')
        for tempo, resolution in (('１２０', '４８０'), ('\u3000120bpm', '480 ticks'),
                                  ('1.2e2', '480' + 'x' * 120)):
            with self.subTest(tempo=tempo, resolution=resolution):
                self.assertEqual(same, run(tempo, resolution))

    def test_a_negative_tempo_after_the_end_of_options_or_alone(self):
        for arguments in (('--', '-120', '480'), ('-120', '480'), ('-１２０', '480'),
                          ('-．１２e3', '480'), ('--strict', '-120', '480')):
            with self.subTest(arguments=arguments):
                status, out, _ = run('--format', 'csv', *arguments)
                self.assertEqual(0, status)
                self.assertIn('1/32,60.00,-62.50\r\n', out)


class ParsedBackTest(unittest.TestCase):
    INPUTS = [('120', '480'), ('93.5', '960', '--triplets'), ('0', '480'), ('120', '1e999'),
              ('120', '4.2e94'), ('-7', '-0.001'), ('1e-91', '480')]

    def test_csv_and_json_hold_the_same_values(self):
        for arguments in self.INPUTS:
            with self.subTest(arguments=arguments):
                rows = csv_rows('--lang', 'en', *arguments)
                status, out, _ = run('--format', 'json', '--lang', 'en', *arguments)
                self.assertEqual(0, status)
                document = json.loads(out)
                notes = document['notes']
                self.assertEqual([row[0] for row in rows], [note['note'] for note in notes])
                raw = re.findall(r'"ticks": ([^,]+), "ms": ([^}]+)\}', out)
                self.assertEqual(len(rows), len(raw))
                for row, note, texts in zip(rows, notes, raw):
                    for key, text, token in (('ticks', row[1], texts[0]),
                                             ('ms', row[2], texts[1])):
                        if text in NOT_A_NUMBER:
                            self.assertIsNone(note[key], row)
                        else:
                            # Exactly the digits of the form's text.
                            self.assertEqual(text, token, row)
                            self.assertEqual(float(text), note[key], row)

    def test_json_gives_the_tempo_and_resolution_as_read(self):
        for arguments, tempo, resolution in ((('93.5', '480'), 93.5, 480),
                                             (('abc', '１e3'), 0, 1000),
                                             (('1e999', '-2.5'), None, -2.5)):
            with self.subTest(arguments=arguments):
                document = json.loads(run('--format', 'json', '--', *arguments)[1])
                self.assertEqual(tempo, document['tempo'])
                self.assertEqual(resolution, document['resolution'])


class TripletsTest(unittest.TestCase):
    def test_two_thirds_of_each_plain_note_after_the_dotted_ones(self):
        rows = csv_rows('--triplets', '120', '480')
        self.assertEqual(24, len(rows))
        self.assertEqual(['付点4', '11520.00', '12000.00'], rows[15])
        self.assertEqual([
            ['3連1/32', '40.00', '41.67'], ['3連1/16', '80.00', '83.33'],
            ['3連1/8', '160.00', '166.67'], ['3連1/4', '320.00', '333.33'],
            ['3連1/2', '640.00', '666.67'], ['3連1', '1280.00', '1333.33'],
            ['3連2', '2560.00', '2666.67'], ['3連4', '5120.00', '5333.33'],
        ], rows[16:])
        self.assertEqual(['triplet 1/8', '160.00', '166.67'],
                         csv_rows('--triplets', '--lang', 'en', '120', '480')[18])


class ByteOrderMarkTest(unittest.TestCase):
    MARK = b'\xef\xbb\xbf'

    def output_to(self, sink, *arguments):
        command = [CLI, *arguments]
        if sink == 'pipe':
            result = subprocess.run(command, capture_output=True, timeout=30)
            return result.stdout, result.stderr
        if sink == 'file':
            with tempfile.TemporaryFile() as f:
                result = subprocess.run(command, stdout=f, stderr=subprocess.PIPE, timeout=30)
                f.seek(0)
                return f.read(), result.stderr
        # A terminal, raw so that it hands on the bytes as they were written.
        controller, terminal = pty.openpty()
        tty.setraw(terminal)
        result = subprocess.run(command, stdout=terminal, stderr=subprocess.PIPE, timeout=30)
        os.close(terminal)
        shown = b''
        while True:
            try:
                chunk = os.read(controller, 4096)
            except OSError:
                break
            if not chunk:
                break
            shown += chunk
        os.close(controller)
        return shown, result.stderr

    def test_a_mark_for_files_and_pipes_only_when_asked(self):
        plain = subprocess.run([CLI, '--format', 'csv', '120', '480'], capture_output=True,
                               timeout=30).stdout
        for sink, asked, marked in (('pipe', True, True), ('file', True, True),
                                    ('terminal', True, False), ('pipe', False, False),
                                    ('file', False, False)):
            with self.subTest(sink=sink, asked=asked):
                arguments = ['--format', 'csv', '120', '480'] + (['--bom'] if asked else [])
                out, err = self.output_to(sink, *arguments)
                self.assertEqual((self.MARK if marked else b'') + plain, out)
                self.assertEqual(b'', err)

    def test_no_mark_without_output_nor_on_standard_error(self):
        for arguments in (('120', '0'), ('--format', 'xml', '120', '480')):
            with self.subTest(arguments=arguments):
                out, err = self.output_to('pipe', '--bom', *arguments)
                self.assertEqual(b'', out)
                self.assertTrue(err.startswith(b'tactimer-cli: '), err)

    def test_excel_and_utf8_sig_read_the_marked_csv_as_the_plain_one(self):
        out, _ = self.output_to('pipe', '--bom', '--format', 'csv', '--triplets', '93.5', '960')
        marked = list(csv.reader(io.StringIO(out.decode('utf-8-sig'), newline='')))
        self.assertEqual(['note', 'ticks', 'ms'], marked[0])
        self.assertEqual(csv_rows('--triplets', '93.5', '960'), marked[1:])


class FailureTest(unittest.TestCase):
    def test_unusable_input_names_the_input_and_the_reason(self):
        for tempo, resolution, message in (
                ('', '480', 'the tempo is empty'),
                ('', '', 'the tempo is empty'),
                ('120', '', 'the resolution is empty'),
                ('120', '0', 'the resolution reads as zero'),
                ('120', '-0.0', 'the resolution reads as zero'),
                ('120', 'abc', "the resolution 'abc' holds no number, so it reads as zero"),
                ('120', ' ', "the resolution ' ' holds no number, so it reads as zero"),
                ('120', 'inf', "the resolution 'inf' holds no number, so it reads as zero"),
                ('1e-300', '1e300', 'every value is too long to show (more than 99 characters)'),
                ('120', '1e-999', 'the resolution reads as zero'),
                ('120', '0.' + '0' * 97 + '1', 'the resolution reads as zero')):
            with self.subTest(tempo=tempo, resolution=resolution):
                self.assertEqual((1, '', 'tactimer-cli: %s\n' % message),
                                 run('--', tempo, resolution))

    def test_strict_readings_and_unusable_values_name_the_text(self):
        not_alone = 'is not a number and nothing else'
        for arguments, message in (
                (('--strict', '120bpm', '480'), "the tempo '120bpm' %s" % not_alone),
                (('--strict', 'abc', '480'), "the tempo 'abc' %s" % not_alone),
                (('--strict', '120', '480 ticks'), "the resolution '480 ticks' %s" % not_alone),
                (('--strict', '1e', '480'), "the tempo '1e' %s" % not_alone),
                (('--strict', '1' * 100, '480'), "the tempo '%s' %s" % ('1' * 99, not_alone)),
                (('--tempo-us', '0', '480'), "the tempo '0' is not whole microseconds a quarter "
                                             "note from 1 to 16777215"),
                (('--tempo-us', '16777216', '480'), "the tempo '16777216' is not whole "
                                                    "microseconds a quarter note from 1 to "
                                                    "16777215"),
                (('--tempo-us', '500000.5', '480'), "the tempo '500000.5' is not whole "
                                                    "microseconds a quarter note from 1 to "
                                                    "16777215"),
                (('--tempo-for', 'abc', '1/8'), "--tempo-for: the length 'abc' is not a number "
                                                "of milliseconds"),
                (('--strict', '--tempo-for', '375ms', '1/8'), "--tempo-for: the length '375ms' is "
                                                              "not a number of milliseconds"),
                (('--tempo-for', '0', '1/8'), "--tempo-for: the length '0' must be more than 0 "
                                              "milliseconds, and finite"),
                (('--tempo-for', '-5', '1/8'), "--tempo-for: the length '-5' must be more than 0 "
                                               "milliseconds, and finite"),
                (('--tempo-for', '1e-320', '4'), "--tempo-for: the length '1e-320' is too short "
                                                 "for any tempo"),
                (('--tempo-for', '1e-290', '4'), "--tempo-for: the length '1e-290' is too short: "
                                                 "its tempo is too long to show (more than 99 "
                                                 "characters)"),
                (('--format', 'json', '--tempo-for', '1e-290', '4'),
                 "--tempo-for: the length '1e-290' is too short: its tempo is too long to show "
                 "(more than 99 characters)")):
            with self.subTest(arguments=arguments):
                self.assertEqual((1, '', 'tactimer-cli: %s\n' % message), run(*arguments))
        # White space around a number, and full-width digits, are still a number.
        self.assertEqual(run('120', '480'), run('--strict', ' 120 ', '　４８０'))
        self.assertEqual(run('--tempo-for', '375', '1/8'),
                         run('--strict', '--tempo-for', ' 375 ', '1/8'))

    def test_usage_errors_print_a_message_and_the_usage(self):
        NOT_A_RESOLUTION = '--retick takes a resolution, a whole number from 1 to 32767'
        ONE_MAP_SOURCE = ('--write-tempo-map OUT takes its map from --midi FILE, --tempo-map '
                          'FILE or --fit POSITION@TIME,..., one of them (and --resolution N, not '
                          '--retick)')
        WRITE_ALONE = ('--write-tempo-map and --write take a song or a tempo map alone: no '
                       'TEMPO, RESOLUTION, -, --tempos, --tempo-for, --at, --at-ms, --at-tc, '
                       '--table-at or table options')
        for arguments, message in (
                ((), 'TEMPO and RESOLUTION are missing'),
                (('120',), 'RESOLUTION is missing'),
                (('120', '480', '960'), "one argument too many: '960'"),
                (('--bogus', '120', '480'), "unknown option '--bogus'"),

                (('--format', 'xml', '120', '480'), "--format takes table, csv or json, not 'xml'"),
                (('--lang=fr', '120', '480'), "--lang takes ja or en, not 'fr'"),
                (('120', '480', '--format'), '--format needs a value'),
                (('120', '480', '--lang'), '--lang needs a value'),
                (('--', '120', '480', '--help'), "one argument too many: '--help'"),
                (('--lang=' + 'x' * 120, '120', '480'),
                 '--lang: the value is longer than the 99 characters it may have'),
                (('--tempos', '9' * 1000, '480'),
                 '--tempos: the value is longer than the 999 characters it may have'),
                (('--tuplets', '2:3,,5', '120', '480'), "--tuplets: '' %s" % NOT_A_TUPLET),
                (('--tuplets=1', '120', '480'), "--tuplets: '1' %s" % NOT_A_TUPLET),
                (('--tuplets', '3:0', '120', '480'), "--tuplets: '3:0' %s" % NOT_A_TUPLET),
                (('--tuplets', '1001', '120', '480'), "--tuplets: '1001' %s" % NOT_A_TUPLET),
                (('--tuplets', '5:1001', '120', '480'), "--tuplets: '5:1001' %s" % NOT_A_TUPLET),
                (('--tuplets', '3:2:1', '120', '480'), "--tuplets: '3:2:1' %s" % NOT_A_TUPLET),
                (('--tuplets', '3 5', '120', '480'), "--tuplets: '3 5' %s" % NOT_A_TUPLET),
                (('--tuplets', ','.join(str(n) for n in range(2, 35)), '120', '480'),
                 '--tuplets: no more than 32 tuplets'),
                (('--samples', '0', '120', '480'), "%s '0'" % NOT_A_RATE),
                (('--samples=-44100', '120', '480'), "%s '-44100'" % NOT_A_RATE),
                (('--samples', '48k', '120', '480'), "%s '48k'" % NOT_A_RATE),
                (('--samples', 'inf', '120', '480'), "%s 'inf'" % NOT_A_RATE),
                (('120', '480', '--samples'), '--samples needs a value'),
                (('--tempos', '90,100', '120', '480'),
                 '--tempos LIST takes one more number: RESOLUTION'),
                (('--tempos', '90'), 'RESOLUTION is missing'),
                (('-', '480'), '- reads TEMPO and RESOLUTION from standard input: no more '
                               'numbers'),
                (('--tempos', '90', '-'), ONE_AT_A_TIME),
                (('--midi', 'a.mid', '--tempo-for', '1', '1/8'),
                 ONE_AT_A_TIME),
                (('--midi', 'a.mid', '120', '480'),
                 '--midi FILE takes no TEMPO or RESOLUTION: the file holds them'),
                (('--midi', 'a.mid', '--exact'),
                 '--tuplets, --triplets, --exact, --samples, --hz and --tempo-us go with '
                 '--table-at TICK'),
                (('--at', '0', '120', '480'), '--at, --at-ms, --at-tc and --table-at go with --midi FILE'),
                (('--midi',), '--midi needs a value'),
                (('--tempo-for',), '--tempo-for needs MS and NOTE'),
                (('--tempo-for', '375'), '--tempo-for needs NOTE after MS'),
                (('--tempo-for', '375', '1/8', '120'), TEMPO_FOR_ALONE),
                (('--exact', '--tempo-for', '375', '1/8'), TEMPO_FOR_ALONE),
                (('--tempo-for', '1' * 1000, '1/8'),
                 '--tempo-for: MS is longer than the 999 characters it may have'),
                (('--tempo-for', '375', '1/8' + ' ' * 100),
                 '--tempo-for: NOTE is longer than the 99 characters it may have'),
                # Nothing typed is dropped without a word.
                (('--tempos', '90', '--tempos', '100', '480'), '--tempos %s' % GIVEN_TWICE),
                (('--midi', 'a.mid', '--midi', 'b.mid'), '--midi %s' % GIVEN_TWICE),
                (('--midi', 'a.mid', '--table-at', '0', '--table-at=960'),
                 '--table-at %s' % GIVEN_TWICE),
                (('-', '-'), '- %s' % GIVEN_TWICE),
                (('--format', 'csv', '120', '480', '--format=json'), '--format %s' % GIVEN_TWICE),
                (('--lang', 'en', '--lang', 'en', '120', '480'), '--lang %s' % GIVEN_TWICE),
                (('--samples', '48000', '--samples', '44100', '120', '480'),
                 '--samples %s' % GIVEN_TWICE),
                (('--tempo-for', '375', '1/8', '--tempo-for', '500', '1/4'),
                 '--tempo-for %s' % GIVEN_TWICE),
                (('--midi', 'a.mid', '--table-at', '0', '--at', '960'), TABLE_AT_ALONE),
                (('--midi', 'a.mid', '--at-ms', '1000', '--table-at', '0'), TABLE_AT_ALONE),
                (('--midi', 'a.mid', '--at', '1' * 1000),
                 '--at: the value is longer than the 999 characters it may have'),
                (('--midi', 'a.mid', '--at-ms', '1e3'),
                 "--at-ms: '1e3' is not a time in milliseconds: digits, and a point and "
                 "decimals if any"),
                (('--midi', 'a.mid', '--at-ms', '1.2.3'),
                 "--at-ms: '1.2.3' is not a time in milliseconds: digits, and a point and "
                 "decimals if any"),
                (('--write', 'o.mid'), '--write OUT goes with --midi FILE --retick N (and no '
                                       '--tempo-map, --resolution or --fit)'),
                (('--midi', 'a.mid', '--retick', '960'), '--retick N needs --write OUT'),
                (('--midi', 'a.mid', '--retick', '0', '--write', 'o.mid'), NOT_A_RESOLUTION),
                (('--midi', 'a.mid', '--retick=32768', '--write', 'o.mid'), NOT_A_RESOLUTION),
                (('--midi', 'a.mid', '--retick', '96x', '--write', 'o.mid'), NOT_A_RESOLUTION),
                (('--midi', 'a.mid', '--write-tempo-map', 'o.mid', '--resolution', '-1'),
                 '--resolution takes a whole number from 1 to 32767'),
                (('--write-tempo-map', 'o.mid'), ONE_MAP_SOURCE),
                (('--midi', 'a.mid', '--tempo-map', 'm.csv', '--write-tempo-map', 'o.mid'),
                 ONE_MAP_SOURCE),
                (('--midi', 'a.mid', '--retick', '96', '--write-tempo-map', 'o.mid'),
                 ONE_MAP_SOURCE),
                (('--midi', 'a.mid', '--retick', '96', '--write', 'o.mid', '--write-tempo-map',
                  'p.mid'), '--write-tempo-map and --write go one at a time'),
                (('--force', '120', '480'), '--tempo-map and --force go with '
                                            '--write-tempo-map OUT or --write OUT'),
                (('--resolution', '96', '120', '480'),
                 '--grid, --range, --step, --best, --resolution and --time-signature go with '
                 '--fit'),
                (('--midi', 'a.mid', '--fit', '1:1@0', '--write-tempo-map', 'o.mid'),
                 ONE_MAP_SOURCE),
                (('--fit', '0,500', '--write-tempo-map', 'o.mid'),
                 '--write-tempo-map OUT takes the map of --fit POSITION@TIME hits, not of --fit '
                 'TIMES'),
                (('--fit', '1:1@0,2:1@2000', '--write', 'o.mid'),
                 '--write OUT goes with --midi FILE --retick N (and no --tempo-map, --resolution '
                 'or --fit)'),
                (('--midi', 'a.mid', '--write-tempo-map', 'o.mid', '--at', '5'), WRITE_ALONE),
                (('--midi', 'a.mid', '--retick', '96', '--write', 'o.mid', '--exact'),
                 WRITE_ALONE),
                (('--midi', '-', '--retick', '96', '--write', 'o.mid'),
                 '--retick reads the file twice: name a file, not standard input'),
                (('--midi', 'a.mid', '--retick', '96', '--retick', '48', '--write', 'o.mid'),
                 '--retick %s' % GIVEN_TWICE),
                (('--midi', 'a.mid', '--write-tempo-map', 'o.mid', '--write-tempo-map', 'p.mid'),
                 '--write-tempo-map %s' % GIVEN_TWICE)):
            with self.subTest(arguments=arguments):
                status, out, err = run(*arguments)
                self.assertEqual(2, status)
                self.assertEqual('', out)
                # The message, the synopsis and where to read more; no more.
                self.assertEqual('tactimer-cli: %s\n%s%s' % (message, SYNOPSIS, TRY_HELP), err)

    def test_an_unknown_note_for_the_tempo_is_a_usage_error(self):
        for note in ('dotted 1/7', '3連', 'triplet', '1:2 tuplet 1/8', '1/64', ''):
            with self.subTest(note=note):
                status, out, err = run('--tempo-for', '375', note)
                self.assertEqual((2, ''), (status, out))
                self.assertTrue(err.startswith("tactimer-cli: --tempo-for: '%s' is no note" % note))

    def test_output_that_cannot_be_written_is_no_success(self):
        with open('/dev/full', 'wb') as full:
            result = subprocess.run([CLI, '120', '480'], stdout=full, stderr=subprocess.PIPE,
                                    timeout=30)
        self.assertEqual(1, result.returncode)
        self.assertEqual(b'tactimer-cli: cannot write the output\n', result.stderr)

    def test_help_and_version(self):
        status, out, err = run('--help')
        self.assertEqual((0, ''), (status, err))
        self.assertTrue(out.startswith(SYNOPSIS + '\n'))
        # The limits a user can meet, and which options add up.
        for limit in ('999 characters for the value of --tuplets, --tempos, --at,',
                      '1,000 bytes for a line of standard input',
                      '--at, --at-ms, --at-tc, --fit, --tuplets and --triplets may be repeated '
                      'and\nadd up',
                      'a tuplet given twice shown once', 'with any\n'
                      '                           number of decimals'):
            self.assertIn(limit, out)
        for field in ('whole_at_multiples_of', 'drift_ms_per_100_quarters', 'name_encoding',
                      'at_ms', 'lenient'):
            self.assertIn(field, out)
        self.assertEqual((0, out, ''), run('-h', '120', '480'))
        options, examples = out.split('\nExamples:\n')
        for option in ('--tuplets LIST', '--triplets', '--exact', '--samples RATE', '--hz',
                       '--tempo-us', '--tempos LIST', '--strict', '--tempo-for MS NOTE', '--bom'):
            self.assertIn('\n  ' + option + ' ', options)
        # An example of each new way to ask.
        for option in ('--tuplets', '--exact', '--samples', '--hz', '--tempo-us', '--tempos',
                       'tactimer-cli --format csv -\n', '--tempo-for'):
            self.assertIn(option, examples)
        self.assertEqual((0, 'tactimer-cli %s\n' % VERSION, ''), run('120', '--version'))


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit('usage: cli_test.py TACTIMER_CLI VERSION')
    CLI, VERSION = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=1)
