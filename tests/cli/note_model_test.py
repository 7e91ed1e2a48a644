#!/usr/bin/env python3
"""tactimer-cli's further rows and units against a model of its own here:
the same order of IEEE operations in Python's floats, exact fractions with
Python's fractions, for seeded inputs; the tempo as a MIDI file stores it;
the tempo for a length; many pairs at once.

usage: note_model_test.py TACTIMER_CLI
"""
import csv
import fractions
import io
import json
import math
import os
import random
import select
import subprocess
import sys
import tempfile
import time
import unittest

PLAIN = [fractions.Fraction(1, 8), fractions.Fraction(1, 4), fractions.Fraction(1, 2), 1, 2, 4,
         8, 16]
PLAIN_CAPTIONS = ['1/32', '1/16', '1/8', '1/4', '1/2', '1', '2', '4']
ENGLISH_NAMES = {(3, 2): 'triplet', (5, 4): 'quintuplet', (6, 4): 'sextuplet',
                 (7, 4): 'septuplet', (2, 3): 'duplet'}


def run(*arguments, stdin=b''):
    result = subprocess.run([CLI, *arguments], input=stdin, capture_output=True, timeout=30)
    return result.returncode, result.stdout.decode('utf-8'), result.stderr.decode('utf-8')


def csv_records(*arguments):
    status, out, err = run('--format', 'csv', '--lang', 'en', *arguments)
    assert status == 0, (arguments, err)
    return list(csv.DictReader(io.StringIO(out, newline='')))


def default_in_time_of(notes):
    power = 1
    while power * 2 < notes:
        power *= 2
    return power


def caption(notes, in_time_of, plain):
    base = PLAIN_CAPTIONS[plain]
    if (notes, in_time_of) in ENGLISH_NAMES:
        return '%s %s' % (ENGLISH_NAMES[notes, in_time_of], base)
    return '%d:%d tuplet %s' % (notes, in_time_of, base)


def model(tempo, resolution, tuplets):
    """The rows' captions and (ticks, ms) doubles, as the program works them
    out: the window's sixteen, then each tuplet's eight."""
    per_tick = 60000.0 / (tempo * resolution)
    dotted_quarter = resolution * 1.5
    rows = []
    for i, factor in enumerate(PLAIN):
        rows.append((PLAIN_CAPTIONS[i], resolution * float(factor)))
    for i, factor in enumerate(PLAIN):
        dotted = float(factor) * 1.5
        ticks = dotted_quarter * float(factor) if dotted <= 1.5 else resolution * dotted
        rows.append(('dotted ' + PLAIN_CAPTIONS[i], ticks))
    for notes, in_time_of in tuplets:
        for i, factor in enumerate(PLAIN):
            ticks = (resolution * float(factor) * in_time_of) / notes
            rows.append((caption(notes, in_time_of, i), ticks))
    return [(name, ticks, ticks * per_tick) for name, ticks in rows]


def quarters(tuplets):
    """Every row's length in quarter notes, exactly."""
    lengths = [fractions.Fraction(f) for f in PLAIN]
    lengths += [fractions.Fraction(f) * fractions.Fraction(3, 2) for f in PLAIN]
    for notes, in_time_of in tuplets:
        lengths += [fractions.Fraction(f) * fractions.Fraction(in_time_of, notes) for f in PLAIN]
    return lengths


def mixed(value):
    sign = '-' if value < 0 else ''
    value = abs(value)
    whole, rest = divmod(value.numerator, value.denominator)
    if rest == 0:
        return sign + str(whole)
    fraction = '%d/%d' % (rest, value.denominator)
    return sign + (fraction if whole == 0 else '%d %s' % (whole, fraction))


def tuplet_argument(tuplets):
    return ','.join('%d:%d' % t for t in tuplets)


def seeded_tuplets(rng):
    count = rng.randint(1, 4)
    return [(rng.randint(2, 1000), rng.randint(1, 1000)) if rng.random() < 0.5 else
            (n, default_in_time_of(n)) for n in rng.sample(range(2, 12), count)]


class TupletTest(unittest.TestCase):
    def test_ticks_and_ms_follow_the_programs_order_of_operations(self):
        rng = random.Random(20261209)
        for _ in range(300):
            tempo = rng.choice([round(rng.uniform(1, 400), rng.randint(0, 3)),
                                rng.uniform(0.01, 1000)])
            resolution = rng.choice([rng.randint(1, 100000), round(rng.uniform(0.5, 5000), 2)])
            tuplets = list(dict.fromkeys(seeded_tuplets(rng)))
            records = csv_records('--tuplets', tuplet_argument(tuplets), repr(tempo),
                                  repr(resolution))
            expected = model(tempo, resolution, tuplets)
            self.assertEqual(len(expected), len(records))
            for record, (name, ticks, ms) in zip(records, expected):
                self.assertEqual((name, '%.2f' % ticks, '%.2f' % ms),
                                 (record['note'], record['ticks'], record['ms']),
                                 (tempo, resolution, tuplets))

    def test_triplets_are_tuplets_of_three_to_the_byte(self):
        for form in ('table', 'csv', 'json'):
            with self.subTest(format=form):
                self.assertEqual(run('--format', form, '--triplets', '93.5', '960'),
                                 run('--format', form, '--tuplets', '3', '93.5', '960'))
                self.assertEqual(run('--format', form, '--triplets', '93.5', '960'),
                                 run('--format', form, '--tuplets', '3:2,3', '--triplets', '93.5',
                                     '960'))
                # The separator of --tempos: a comma, blanks around it.
                self.assertEqual(run('--format', form, '--tuplets', '3,5:4,7', '93.5', '960'),
                                 run('--format', form, '--tuplets', ' 3, 5:4 ,\t7\u3000', '93.5',
                                     '960'))

    def test_japanese_captions_name_n_and_d_where_d_is_not_the_default(self):
        status, out, _ = run('--format', 'csv', '--tuplets', '5,6:4,2:3,9:8,7:3', '120', '480')
        self.assertEqual(0, status)
        captions = [row[0] for row in csv.reader(io.StringIO(out, newline=''))][17::8]
        self.assertEqual(['5連1/32', '6連1/32', '2:3連1/32', '9連1/32', '7:3連1/32'], captions)


class ExactTest(unittest.TestCase):
    def test_fractions_and_the_least_resolution_match_pythons_fractions(self):
        rng = random.Random(480)
        resolutions = [480, 960, 96, 1, 7, 2 ** 53, -480, 336, 1680]
        resolutions += [rng.randint(1, 2 ** 53) for _ in range(40)]
        for resolution in resolutions:
            tuplets = list(dict.fromkeys(seeded_tuplets(rng)))
            status, out, err = run('--format', 'json', '--lang', 'en', '--exact', '--tuplets',
                                   tuplet_argument(tuplets), '--', '120', str(resolution))
            self.assertEqual(0, status, err)
            document = json.loads(out)
            lengths = quarters(tuplets)
            self.assertEqual([mixed(resolution * q) for q in lengths],
                             [note['exact_ticks'] for note in document['notes']])
            self.assertEqual(math.lcm(*[q.denominator for q in lengths]),
                             document['whole_at_multiples_of'])

    def test_the_issues_examples(self):
        document = json.loads(run('--format', 'json', '--exact', '--tuplets', '3,7', '120',
                                  '480')[1])
        exact = {note['note']: note['exact_ticks'] for note in document['notes']}
        self.assertEqual(('68 4/7', '160', '40'), (exact['7連1/16'], exact['3連1/8'],
                                                   exact['3連1/32']))
        self.assertEqual(336, document['whole_at_multiples_of'])
        self.assertEqual(48, json.loads(run('--format', 'json', '--exact', '--triplets', '120',
                                            '480')[1])['whole_at_multiples_of'])
        below_one = json.loads(run('--format', 'json', '--exact', '--tuplets', '7', '120',
                                   '3')[1])
        self.assertEqual('3/14', below_one['notes'][16]['exact_ticks'])

    def test_a_resolution_that_is_not_whole_has_no_exact_ticks(self):
        beyond = 'is beyond 2^53, past which ticks are not worked out exactly'
        # Echoed as typed: 1e20 is whole, only too large for exact ticks.
        for resolution, verdict in (('480.5', '480.5 is not a whole number'),
                                    ('1e300', '1e300 ' + beyond), ('1e20', '1e20 ' + beyond),
                                    (' １e20ticks', '１e20 ' + beyond),
                                    ('9007199254740994', '9007199254740994 ' + beyond)):
            with self.subTest(resolution=resolution):
                document = json.loads(run('--format', 'json', '--exact', '120', resolution)[1])
                self.assertEqual({None}, {note['exact_ticks'] for note in document['notes']})
                self.assertEqual(16, document['whole_at_multiples_of'])
                table = run('--lang', 'en', '--exact', '120', resolution)[1]
                self.assertIn('none\n', table)
                self.assertIn('multiples of 16: %s\n' % verdict, table)
        self.assertIn('16 の倍数（1e20 は正確に数えられる 2^53 を超えています）\n',
                      run('--exact', '120', '1e20')[1])

    def test_the_table_says_whether_the_resolution_is_a_multiple(self):
        for resolution, verdict in (('480', '480 is one'), ('500', '500 is not')):
            with self.subTest(resolution=resolution):
                table = run('--lang', 'en', '--exact', '--triplets', '120', resolution)[1]
                self.assertIn('multiples of 48: %s\n' % verdict, table)
        table = run('--exact', '120', '500')[1]
        self.assertIn('16 の倍数（500 は倍数ではありません）\n', table)


class UnitsTest(unittest.TestCase):
    def test_samples_and_hz_from_each_rows_milliseconds(self):
        rng = random.Random(44100)
        for _ in range(100):
            tempo = round(rng.uniform(20, 300), rng.randint(0, 2))
            resolution = rng.choice([96, 480, 960, 1000])
            rate = rng.choice([44100, 48000, 96000, 22050.5])
            tuplets = [(rng.randint(2, 9), rng.randint(1, 9))]
            records = csv_records('--samples', repr(rate), '--hz', '--tuplets',
                                  tuplet_argument(tuplets), repr(tempo), str(resolution))
            for record, (_, _, ms) in zip(records, model(tempo, resolution, tuplets)):
                self.assertEqual(('%.2f' % ((ms * rate) / 1000), '%.3f' % (1000 / ms)),
                                 (record['samples'], record['hz']), (tempo, rate))

    def test_frames_from_each_rows_milliseconds(self):
        rng = random.Random(24)
        for _ in range(60):
            tempo = round(rng.uniform(20, 300), rng.randint(0, 2))
            resolution = rng.choice([96, 480, 960])
            rate = rng.choice(sorted(FRAME_RATES))
            counted, slowed = FRAME_RATES[rate]
            tuplets = [(rng.randint(2, 9), rng.randint(1, 9))]
            records = csv_records('--fps', rate, '--tuplets', tuplet_argument(tuplets),
                                  repr(tempo), str(resolution))
            rows = model(tempo, resolution, tuplets)
            self.assertEqual(len(rows), len(records))
            for record, (_, _, ms) in zip(records, rows):
                self.assertEqual('%.2f' % (ms * counted / (1001 if slowed else 1000)),
                                 record['frames'], (tempo, rate))

    def test_not_finite_is_null_in_json(self):
        document = json.loads(run('--format', 'json', '--samples', '48000', '--hz', '0',
                                  '480')[1])
        self.assertEqual({(None, 0.0)}, {(n['samples'], n['hz']) for n in document['notes']})


# Frame numbers a second, and whether they run at 1000/1001 of that.
FRAME_RATES = {'23.976': (24, True), '24': (24, False), '25': (25, False),
               '29.97': (30, True), '29.97df': (30, True), '30': (30, False),
               '47.952': (48, True), '48': (48, False), '50': (50, False),
               '59.94': (60, True), '59.94df': (60, True), '60': (60, False)}


class ClickBookTest(unittest.TestCase):
    """The quarter note in whole frames and eighths of a frame, rounded to
    the nearest eighth from the tempo's double exactly, halves up."""

    @staticmethod
    def click(tempo, rate):
        counted, slowed = FRAME_RATES[rate]
        eighths_a_minute = fractions.Fraction(8 * 60 * counted * (1000 if slowed else 1),
                                              1001 if slowed else 1)
        eighths = math.floor(eighths_a_minute / fractions.Fraction(tempo) + fractions.Fraction(1, 2))
        return '%d-%d' % divmod(eighths, 8), float(eighths_a_minute / eighths)

    def test_the_books_examples_and_seeded_tempos(self):
        self.assertEqual(('12-0', 120.0), self.click(120, '24'))
        self.assertEqual('15-3', self.click(93.5, '24')[0])
        rng = random.Random(1001)
        cases = [(120, '24'), (93.5, '24'), (60, '29.97df'), (144, '25'), (300, '23.976')]
        # As near halfway between two eighths as a double comes: 11,520
        # eighths a minute at 24 fps over k and a half.
        cases += [(11520 / (k + 0.5), '24') for k in (80, 95, 123)]
        cases += [(round(rng.uniform(30, 250), rng.randint(0, 3)), rng.choice(sorted(FRAME_RATES)))
                  for _ in range(60)]
        for tempo, rate in cases:
            with self.subTest(tempo=tempo, rate=rate):
                status, out, err = run('--format', 'json', '--fps', rate, repr(tempo), '480')
                self.assertEqual(0, status, err)
                document = json.loads(out)
                self.assertEqual(self.click(tempo, rate),
                                 (document['click'], document['click_bpm']))
        table = run('--lang', 'en', '--fps', '24', '93.5', '480')[1]
        self.assertIn('\nclick at 24 frames a second: 15-3 = 93.659 BPM\n', table)

    def test_a_tempo_with_no_click(self):
        for tempo in ('0', '-120', '1e-300'):
            with self.subTest(tempo=tempo):
                document = json.loads(run('--format', 'json', '--fps', '24', '--', tempo,
                                          '480')[1])
                self.assertEqual((None, None), (document['click'], document['click_bpm']))
        self.assertIn('click at 25 frames a second: none at this tempo',
                      run('--lang', 'en', '--fps', '25', '0', '480')[1])


def drift_text(drift):
    """%.6f of an exact fraction, ties to even, never a negative zero."""
    scaled = round(abs(drift) * 10 ** 6)
    return '%s%d.%06d' % ('-' if drift < 0 and scaled else '', *divmod(scaled, 10 ** 6))


class StoredTempoTest(unittest.TestCase):
    def test_whole_microseconds_the_tempo_read_back_and_the_drift(self):
        rng = random.Random(405405)
        tempos = [120, 93.5, 70, 140, 133.33, 61.7, 4, 3.5762788, 3.5, 300.123, 6e7, 1e9,
                  60000000 / 405405]
        tempos += [60000000 / rng.randint(4, 0xFFFFFF) for _ in range(60)]
        for tempo in tempos:
            with self.subTest(tempo=tempo):
                document = json.loads(run('--format', 'json', repr(tempo), '480')[1])
                microseconds = round(60000000 / tempo)
                if 1 <= microseconds <= 0xFFFFFF:
                    self.assertEqual(microseconds, document['us_per_quarter'])
                    self.assertEqual(60000000 / microseconds, document['stored_tempo'])
                    # Exactly, from the double that was read, rounded once.
                    drift = (microseconds - 60000000 / fractions.Fraction(tempo)) / 10
                    self.assertEqual(float(drift), document['drift_ms_per_100_quarters'])
                    footer = run('--lang', 'en', '--exact', repr(tempo), '480')[1]
                    self.assertIn(', drifting %s ms per 100' % drift_text(drift), footer)
                else:
                    self.assertEqual((None, None, None),
                                     (document['us_per_quarter'], document['stored_tempo'],
                                      document['drift_ms_per_100_quarters']))

    def test_tempo_in_microseconds_is_the_tempo_it_stands_for(self):
        self.assertEqual(run('--format', 'csv', '120', '480'),
                         run('--format', 'csv', '--tempo-us', '500000', '480'))
        # Stored as it was typed: no drift at all, in every format.
        for microseconds in ('405405', '641711', '1', '16777215', '333333', '428571'):
            with self.subTest(microseconds=microseconds):
                document = json.loads(run('--format', 'json', '--tempo-us', microseconds,
                                          '480')[1])
                self.assertEqual(0, document['drift_ms_per_100_quarters'])
                self.assertIn(', drifting 0.000000 ms per 100 quarter notes\n',
                              run('--lang', 'en', '--tempo-us', microseconds, '480')[1])
        document = json.loads(run('--format', 'json', '--tempo-us', '641711', '480')[1])
        self.assertEqual((60000000 / 641711, 641711, 0),
                         (document['tempo'], document['us_per_quarter'],
                          document['drift_ms_per_100_quarters']))
        footer = run('--lang', 'en', '--tempo-us', '641711', '480')[1].splitlines()[-1]
        self.assertEqual('MIDI tempo: 641711 µs per quarter note = 93.500034 BPM, drifting '
                         '0.000000 ms per 100 quarter notes', footer)

    def test_the_table_and_csv_show_it_only_when_asked(self):
        self.assertNotIn('MIDI', run('93.5', '480')[1])
        self.assertIn('MIDI のテンポ: 四分音符あたり 641711 マイクロ秒 = 93.500034 BPM',
                      run('--exact', '93.5', '480')[1])
        self.assertNotIn('641711', run('--format', 'csv', '--exact', '93.5', '480')[1])


class TempoForTest(unittest.TestCase):
    def test_the_tempo_at_which_a_note_lasts_a_length(self):
        for length, note, quarters_of_note, name in (
                ('375', 'dotted 1/8', 0.75, 'dotted 1/8'), ('375', '付点1/8', 0.75, 'dotted 1/8'),
                ('200', '1/8', 0.5, '1/8'), ('205', '1/8', 0.5, '1/8'),
                ('500', '3連1/8', (0.5 * 2) / 3, 'triplet 1/8'),
                ('500', 'Triplet 1/8', (0.5 * 2) / 3, 'triplet 1/8'),
                ('333.3', '5:3 tuplet 1/16', (0.25 * 3) / 5, '5:3 tuplet 1/16'),
                ('1000', '7連1/16', (0.25 * 4) / 7, 'septuplet 1/16'),
                ('2000', '4', 16, '4'),
                # Any number of decimals, all of them read.
                ('836029.4166666666', '1/8', 0.5, '1/8'),
                ('1' + '0' * 120, '4', 16, '4'),
                ('0.' + '0' * 80 + '375' + '0' * 40, '1/32', 0.125, '1/32'),
                ('375.' + '0' * 900 + '1', '1/8', 0.5, '1/8')):
            with self.subTest(note=note, length=length[:20]):
                status, out, err = run('--format', 'json', '--lang', 'en', '--tempo-for', length,
                                       note)
                self.assertEqual((0, ''), (status, err))
                self.assertEqual({'ms': float(length), 'note': name,
                                  'tempo': (60000 * quarters_of_note) / float(length)},
                                 json.loads(out))
        self.assertEqual((0, 'テンポ 120.00（付点1/8 = 375 ミリ秒）\n', ''),
                         run('--tempo-for', '375', 'dotted 1/8'))
        self.assertEqual((0, 'ms,note,tempo\r\n205,1/8,146.34146341463415\r\n', ''),
                         run('--format', 'csv', '--tempo-for', '205', '1/8'))


class ManyPairsTest(unittest.TestCase):
    def test_a_tempo_list_and_standard_input_give_one_table_per_pair(self):
        lines = b'# tempo resolution\n120 480\n\n  140\t960\r\n93.5 480\n'
        from_input = run('--format', 'json', '-', stdin=lines)
        self.assertEqual(run('--format', 'json', '-', stdin=b'120 480\n140 480\n'),
                         run('--format', 'json', '--tempos', '120,140', '480'))
        document = json.loads(from_input[1])
        self.assertEqual([(120, 480), (140, 960), (93.5, 480)],
                         [(d['tempo'], d['resolution']) for d in document])
        for one in document:
            single = json.loads(run('--format', 'json', repr(one['tempo']),
                                    repr(one['resolution']))[1])
            self.assertEqual(single, one)
        listed = csv_records('--tempos', '90,100,120', '480')
        self.assertEqual(48, len(listed))
        self.assertEqual(('100', '480', '1/4', '600.00'),
                         tuple(listed[19][k] for k in ('tempo', 'resolution', 'note', 'ms')))

    def test_the_shape_does_not_depend_on_how_many_pairs_came(self):
        for form in ('table', 'csv', 'json'):
            with self.subTest(format=form):
                one = run('--format', form, '--tempos', '120', '480')
                self.assertEqual(one, run('--format', form, '-', stdin=b'120 480\n'))
                status, two, _ = run('--format', form, '--tempos', '120,140', '480')
                self.assertEqual(0, status)
                if form == 'json':
                    self.assertEqual(json.loads(two)[:1], json.loads(one[1]))
                else:
                    self.assertTrue(two.startswith(one[1]), one[1])
        self.assertEqual(['tempo', 'resolution', 'note', 'ticks', 'ms'],
                         run('--format', 'csv', '--tempos', '120', '480')[1].split('\r\n')[0]
                         .split(','))

    def test_standard_input_skips_one_byte_order_mark_at_its_start(self):
        expected = run('--format', 'csv', '--tempos', '120,140', '480')
        for lines in (b'\xef\xbb\xbf120 480\n140 480\n',
                      b'\xef\xbb\xbf# pairs\r\n120 480\r\n140 480',
                      b'\xef\xbb\xbf\n\n120 480\n140\t480\n'):
            with self.subTest(lines=lines):
                self.assertEqual(expected, run('--format', 'csv', '-', stdin=lines))

    def test_a_bad_line_is_named_after_the_good_ones(self):
        for options, lines, message in (
                ((), b'120 480\n140 0\n93.5 480\n',
                 'standard input, line 2: the resolution reads as zero'),
                ((), b'120 480\n\n140 960 1\n',
                 'standard input, line 3: a line holds TEMPO and RESOLUTION and nothing else'),
                ((), b'120 480\n' + b'1' * 1001 + b' 480\n',
                 'standard input, line 2: the line is longer than 1000 bytes'),
                # A zero byte is no end of the line, nor white space.
                ((), b'120 480\n140 480\0 999 999\n',
                 'standard input, line 2: a line holds TEMPO and RESOLUTION and nothing else'),
                (('--strict',), b'120 480\n140 480\0\n',
                 "standard input, line 2: the resolution '480\\x00' is not a number and "
                 "nothing else"),
                (('--strict',), b'120 480\n140\0 480\n',
                 "standard input, line 2: the tempo '140\\x00' is not a number and nothing else"),
                # A byte-order mark anywhere but at the start is no blank.
                (('--strict',), b'120 480\n\xef\xbb\xbf140 480\n',
                 "standard input, line 2: the tempo '\ufeff140' is not a number and nothing "
                 "else")):
            with self.subTest(lines=lines[:20]):
                status, out, err = run('--format', 'json', '--lang', 'en', *options, '-',
                                       stdin=lines)
                self.assertEqual((1, 'tactimer-cli: %s\n' % message), (status, err))
                self.assertEqual([120], [d['tempo'] for d in json.loads(out)])
        status, out, err = run('--format', 'csv', '--tempos', '120,,140', '480')
        self.assertEqual((1, 'tactimer-cli: --tempos, item 2: the tempo is empty\n'),
                         (status, err))
        self.assertEqual(17, len(out.splitlines()))
        self.assertEqual((1, '', 'tactimer-cli: standard input holds no TEMPO and RESOLUTION\n'),
                         run('-', stdin=b'# nothing\n\n'))

    def test_output_and_error_in_one_file_keep_their_order(self):
        for form in ('table', 'csv', 'json'):
            with self.subTest(format=form):
                with tempfile.TemporaryFile() as f:
                    subprocess.run([CLI, '--format', form, '-'], input=b'120 480\n140 0\n',
                                   stdout=f, stderr=subprocess.STDOUT, timeout=30)
                    f.seek(0)
                    both = f.read().decode('utf-8')
                self.assertEqual(run('--format', form, '--tempos', '120', '480')[1]
                                 + 'tactimer-cli: standard input, line 2: the resolution reads '
                                 'as zero\n', both)

    def test_each_line_is_answered_as_soon_as_it_is_read(self):
        """A pipe kept open: each table must come before the next line is
        written."""
        process = subprocess.Popen([CLI, '--format', 'csv', '-'], stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            for number, line in enumerate((b'120 480\n', b'# a comment\n140 960\n',
                                           b'93.5 480\n')):
                process.stdin.write(line)
                process.stdin.flush()
                expected = run('--format', 'csv', '--tempos', line.split()[-2].decode(),
                               line.split()[-1].decode())[1].encode()
                if number > 0:
                    expected = expected.split(b'\r\n', 1)[1]
                self.assertEqual(expected, read_within(process.stdout, len(expected), 10))
            process.stdin.close()
            self.assertEqual((0, b''), (process.wait(timeout=30), process.stdout.read()))
        finally:
            process.kill()
            process.wait()


def read_within(stream, count, seconds):
    """count bytes from the stream, or what came of them in that time."""
    got = b''
    deadline = time.monotonic() + seconds
    while len(got) < count:
        ready, _, _ = select.select([stream], [], [], max(0, deadline - time.monotonic()))
        if not ready:
            break
        chunk = os.read(stream.fileno(), count - len(got))
        if not chunk:
            break
        got += chunk
    return got


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit('usage: note_model_test.py TACTIMER_CLI')
    CLI = sys.argv[1]
    unittest.main(argv=sys.argv[:1], verbosity=1)
