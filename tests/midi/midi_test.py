#!/usr/bin/python3
"""tactimer-cli --midi: real songs that no one here wrote (Debian's
openttd-openmsx) read as Debian's midicsv reads them; generated files with
known tempo maps (the tests' own writer, and Debian's python3-midiutil)
timed against Python's fractions; every class of bad file, and the lenient
ones; memory that stays bounded while a large file streams through.

usage: midi_test.py TACTIMER_CLI OPENMSX_FOLDER bounded|unbounded
  unbounded: the program runs under AddressSanitizer, whose shadow memory
  no address-space limit can hold: the bounded-memory test is skipped.
"""
import csv
import glob
import io
import json
import math
import os
import random
import resource
import subprocess
import sys
import tempfile
import unittest
from fractions import Fraction

from midiutil import MIDIFile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import smf_writer as w  # noqa: E402

DEFAULT_TEMPO = 500000


def run(*arguments):
    result = subprocess.run([CLI, *arguments], capture_output=True, timeout=120)
    return result.returncode, result.stdout.decode('utf-8'), result.stderr.decode('utf-8')


def write(data, name='song.mid'):
    path = os.path.join(FOLDER, name)
    with open(path, 'wb') as f:
        f.write(data)
    return path


def song(path, *arguments):
    """The JSON document, its decimals kept as the texts they were written."""
    status, out, err = run('--format', 'json', '--midi', path, *arguments)
    assert status == 0, (path, err)
    return json.loads(out, parse_float=str), err


# ---- The model: exact time and bars, from their definitions ----

def time_of(tempos, division, tick):
    """Microseconds, exactly, at the tick under the tempo changes (tick, us)
    in file order."""
    total = Fraction(0)
    start, microseconds = 0, DEFAULT_TEMPO
    for change_tick, change in sorted(tempos, key=lambda t: t[0]):
        if change_tick > tick:
            break
        total += Fraction((change_tick - start) * microseconds, division)
        start, microseconds = change_tick, change
    return total + Fraction((tick - start) * microseconds, division)


def ms_text(microseconds):
    """Milliseconds with three decimals, to the nearest microsecond, ties to
    even."""
    whole, rest = divmod(microseconds.numerator, microseconds.denominator)
    if 2 * rest > microseconds.denominator or (2 * rest == microseconds.denominator
                                               and whole % 2):
        whole += 1
    return '%d.%03d' % divmod(whole, 1000)


def position_of(signatures, division, tick):
    """bar, beat and tick in the beat; a signature in mid-bar starts the
    next bar."""
    segments = [(0, 1, 4, 2)]
    for change_tick, numerator, power in signatures:
        start, bar, old_numerator, old_power = segments[-1]
        if change_tick == start:
            segments[-1] = (start, bar, numerator, power)
            continue
        bar_length = Fraction(old_numerator * 4 * division, 2 ** old_power)
        segments.append((change_tick, bar + math.ceil((change_tick - start) / bar_length),
                         numerator, power))
    start, bar, numerator, power = [s for s in segments if s[0] <= tick][-1]
    bar_length = Fraction(numerator * 4 * division, 2 ** power)
    beat_length = Fraction(4 * division, 2 ** power)
    bars = math.floor((tick - start) / bar_length)
    rest = tick - start - bars * bar_length
    beats = math.floor(rest / beat_length)
    return bar + bars, beats + 1, math.floor(rest - beats * beat_length)


def tick_at(tempos, division, microseconds):
    """The last tick that starts at or before the time."""
    low, high = 0, 1 << 62
    while low < high:
        middle = (low + high + 1) // 2
        if time_of(tempos, division, middle) <= microseconds:
            low = middle
        else:
            high = middle - 1
    return low


# ---- A small file's whole answer, and what it must be ----

LENIENCIES = {
    'overrun': 'the last track chunk claims more bytes than the file holds: it was read to '
               'the end of the file',
    'no end': 'a track without an end-of-track event: it ends where its chunk ends',
    'status': 'running status after a meta or sysex event, which the format says ends it: '
              'the status before goes on, as common readers take it',
    'count': "the header's count of tracks is not the number of track chunks: every chunk "
             'was read',
}


def answer(data):
    """All that --midi reports of the file: each tempo (µs, implied) and
    time signature (numerator, denominator) with its point (tick, ms, bar,
    beat, beat tick), the end's point, the name, each rule let pass, and
    standard error's lines after the file's name."""
    path = write(data)
    document, err = song(path)

    def point(p):
        return p['tick'], p['ms'], p['bar'], p['beat'], p['beat_tick']

    return {'resolution': document['resolution'],
            'tempos': [(t['us_per_quarter'], t['implied']) + point(t)
                       for t in document['tempos']],
            'signatures': [(s['numerator'], s['denominator']) + point(s)
                           for s in document['time_signatures']],
            'end': point(document['end']), 'name': document['name'],
            'lenient': [(w['offset'], w['track'], w['what']) for w in document['lenient']],
            'stderr': [line[len('tactimer-cli: %s: ' % path):] for line in err.splitlines()]}


def expected(division=96, tempos=(), signatures=(), end=0, name=None, lenient=(), more=0):
    """The answer for a file that holds these tempo changes (tick, µs) and
    time signatures (tick, numerator, denominator), in the order they must
    come, and breaks these rules (offset, track, which of LENIENCIES), more
    than the 64 listed; the model times and places every point."""
    powers = [(tick, numerator, denominator.bit_length() - 1)
              for tick, numerator, denominator in signatures]

    def point(tick):
        time = ms_text(time_of(tempos, division, tick))
        return (tick, time) + position_of(powers, division, tick)

    listed = ([] if tempos and tempos[0][0] == 0 else [(0, DEFAULT_TEMPO, True)]) + [
        (tick, microseconds, False) for tick, microseconds in tempos]
    lenient = [(offset, track, LENIENCIES[which]) for offset, track, which in lenient]
    return {'resolution': division,
            'tempos': [(us, implied) + point(tick) for tick, us, implied in listed],
            'signatures': [(numerator, denominator) + point(tick)
                           for tick, numerator, denominator in signatures],
            'end': point(end), 'name': name, 'lenient': lenient,
            'stderr': ['byte %d: %s%s' % (offset, 'track %d: ' % track if track else '', what)
                       for offset, track, what in lenient]
            + (['and %d more rules broken and let pass' % more] if more else [])}


# ---- Real songs, compared with what midicsv dumps for them ----

def midicsv(path):
    result = subprocess.run(['midicsv', path], capture_output=True, timeout=60, check=True)
    header, tempos, signatures, ends = None, [], [], []
    for line in result.stdout.decode('latin-1').splitlines():
        fields = [field.strip() for field in line.split(',')]
        if fields[2] == 'Header':
            header = tuple(int(f) for f in fields[3:6])
        elif fields[2] == 'Tempo':
            tempos.append((int(fields[1]), int(fields[3])))
        elif fields[2] == 'Time_signature':
            signatures.append((int(fields[1]), int(fields[3]), int(fields[4])))
        elif fields[2] == 'End_track':
            ends.append(int(fields[1]))
    return header, tempos, signatures, max(ends)


class RealSongsTest(unittest.TestCase):
    def test_every_openmsx_song_reads_as_midicsv_reads_it(self):
        paths = sorted(glob.glob(os.path.join(OPENMSX, '*.mid')))
        self.assertGreaterEqual(len(paths), 30)
        for path in paths:
            with self.subTest(song=os.path.basename(path)):
                document, err = song(path)
                self.assertEqual('', err)
                header, tempos, signatures, end = midicsv(path)
                division = header[2]
                self.assertEqual(header, (document['format'], document['tracks'],
                                          document['resolution']))
                self.assertEqual(sorted(tempos),
                                 sorted((t['tick'], t['us_per_quarter'])
                                        for t in document['tempos'] if not t['implied']))
                self.assertEqual(sorted(signatures),
                                 sorted((s['tick'], s['numerator'], s['denominator'].bit_length() - 1)
                                        for s in document['time_signatures']))
                self.assertEqual(end, document['end']['tick'])
                for change in document['tempos'] + document['time_signatures']:
                    self.assertEqual(ms_text(time_of(tempos, division, change['tick'])),
                                     change['ms'])
                    self.assertEqual(position_of(signatures, division, change['tick']),
                                     (change['bar'], change['beat'], change['beat_tick']))
                self.assertEqual(ms_text(time_of(tempos, division, end)), document['end']['ms'])
        print('\n%d openmsx songs read and compared with midicsv, no disagreement'
              % len(paths), file=sys.stderr)


# ---- Generated songs with known tempo maps ----

def seeded_song(rng, changes, division=480, tracks=3):
    """A format 1 song with tempo changes in the first track and some in the
    others, time signatures, notes in running status, sysex, and an unknown
    chunk; returns its bytes, tempos, signatures and end."""
    tempos, signatures, made = [], [], []
    tick = 0
    events = []
    for _ in range(changes):
        delta = rng.choice([0, 1, rng.randint(1, 5000), rng.randint(1, 2 ** 27)])
        tick += delta
        microseconds = rng.randint(1, 0xFFFFFF)
        tempos.append((tick, microseconds))
        events.append((delta, w.tempo(microseconds)))
        if rng.random() < 0.1:
            signature = (rng.randint(1, 13), rng.randint(0, 5))
            signatures.append((tick,) + signature)
            events.append((0, w.time_signature(*signature)))
    made.append(w.track([(0, w.track_name(b'seeded'))] + events))
    ends = [tick]
    for number in range(1, tracks):
        notes = [(0, bytes([0x90 | number, 60, 100]))]
        tick = 0
        for _ in range(rng.randint(10, 200)):
            delta = rng.randint(0, 960)
            tick += delta
            # Running status: the data bytes alone.
            notes.append((delta, bytes([rng.randint(0, 127), rng.randint(0, 127)])))
            if rng.random() < 0.05:
                notes.append((0, w.sysex(bytes(rng.randint(0, 127) for _ in range(5)))))
                notes.append((0, bytes([0x80 | number, 60, 0])))
            if rng.random() < 0.02:
                microseconds = rng.randint(1, 0xFFFFFF)
                tempos.append((tick, microseconds))
                notes.append((0, w.tempo(microseconds)))
                notes.append((0, bytes([0x90 | number, 60, 100])))
        made.append(w.track(notes))
        ends.append(tick)
    data = w.smf(1, division, made, extra_chunks=[(1, w.chunk(b'XFIH', b'\x01\x02\x03'))])
    # Within a tick, the first track's changes come first.
    tempos.sort(key=lambda t: t[0])
    return data, tempos, signatures, max(ends)


class GeneratedSongsTest(unittest.TestCase):
    def test_hundreds_of_tempo_changes_are_timed_exactly(self):
        rng = random.Random(15360)
        for changes, division in ((600, 480), (250, 96), (40, 32767), (3, 1), (200, 1000),
                                  (50, 32)):
            with self.subTest(changes=changes, division=division):
                data, tempos, signatures, end = seeded_song(rng, changes, division)
                path = write(data)
                ticks = [rng.randint(0, end + 1000) for _ in range(40)] + [0, end, 1 << 62]
                # As scripts print them, with any number of decimals, and
                # at a tick's very start or just before it.
                times = [Fraction(rng.randint(0, 10 ** 12), 10 ** rng.randint(0, 6))
                         for _ in range(20)] + [Fraction(0)]
                times += [Fraction(rng.randint(0, 10 ** 40), 10 ** rng.randint(25, 40))
                          for _ in range(10)]
                for tick in rng.sample(ticks, 10):
                    at = time_of(tempos, division, tick) / 1000
                    if terminates(at):
                        times += [at, at - Fraction(1, 10 ** 40)] if at > 0 else [at]
                document, err = song(path, '--at', ','.join(map(str, ticks)))
                self.assertEqual('', err)
                # As many times at once as --at-ms's 999 characters hold.
                texts = [float_text(t) for t in times]
                while texts:
                    count = 1
                    while count < len(texts) and len(','.join(texts[:count + 1])) < 1000:
                        count += 1
                    document['at'] += song(path, '--at-ms', ','.join(texts[:count]))[0]['at']
                    texts = texts[count:]
                listed = [(t['tick'], t['us_per_quarter']) for t in document['tempos']]
                self.assertEqual(tempos if tempos[0][0] == 0 else
                                 [(0, DEFAULT_TEMPO)] + tempos, listed)
                for change in document['tempos']:
                    self.assertEqual(ms_text(time_of(tempos, division, change['tick'])),
                                     change['ms'])
                for asked, at in zip(ticks, document['at']):
                    self.assertEqual((asked, ms_text(time_of(tempos, division, asked)))
                                     + position_of(signatures, division, asked),
                                     (at['tick'], at['ms'], at['bar'], at['beat'],
                                      at['beat_tick']))
                for asked, at in zip(times, document['at'][len(ticks):]):
                    self.assertEqual(tick_at(tempos, division, asked * 1000), at['tick'],
                                     asked)
                # 2^110 milliseconds, whose microseconds times the division
                # pass 2^127 too.
                for late in ('1' + '0' * 30 + '.5', str(2 ** 110)):
                    self.assertEqual((1, '', "tactimer-cli: --at-ms: '%s' lies past tick 2^62, "
                                      "the last that a MIDI file may have\n" % late),
                                     run('--midi', path, '--at-ms', late))
                self.assertEqual((end, ms_text(time_of(tempos, division, end))),
                                 (document['end']['tick'], document['end']['ms']))

    def test_format_0_rmid_and_unknown_chunks_give_the_same_map(self):
        events = [(0, w.time_signature(3, 2)), (0, w.tempo(600000)), (0, b'\x90\x3c\x40'),
                  (480, b'\x3c\x00'), (960, w.tempo(400000)), (100, b'\xf7\x02\x01\x02'),
                  (10, b'\x80\x3c\x00')]
        plain = w.smf(0, 480, [w.track(events)])
        first, _ = song(write(plain))
        wrapped, _ = song(write(w.rmid(plain), 'song.rmi'))
        with_chunks, _ = song(write(w.smf(0, 480, [w.track(events)],
                                          extra_chunks=[(0, w.chunk(b'JUNK', b'x' * 33))])))
        for other in (wrapped, with_chunks):
            self.assertEqual(first['tempos'], other['tempos'])
            self.assertEqual(first['end'], other['end'])
        self.assertEqual([(0, 600000, '0.000'), (1440, 400000, '1800.000')],
                         [(t['tick'], t['us_per_quarter'], t['ms']) for t in first['tempos']])
        self.assertEqual({'tick': 1550, 'bar': 2, 'beat': 1, 'beat_tick': 110, 'ms': '1891.667'},
                         first['end'])

    def test_a_song_without_a_tempo_at_tick_0_plays_at_120_until_its_first(self):
        document, _ = song(write(w.smf(1, 96, [w.track([(192, w.tempo(250000))])])))
        self.assertEqual([(0, 500000, True, '0.000'), (192, 250000, False, '1000.000')],
                         [(t['tick'], t['us_per_quarter'], t['implied'], t['ms'])
                          for t in document['tempos']])
        table = run('--lang', 'en', '--midi', write(w.smf(0, 96, [w.track([])])))[1]
        self.assertIn('(implied)', table)

    def test_smpte_ticks_last_whatever_the_tempo_says(self):
        for fps, per_frame, tick, expected, at_ms, tick_at_ms in (
                (25, 40, 1000, '1000.000', '999.999', 999), (24, 8, 7, '36.458', '36.458', 6),
                (30, 80, 2400, '1000.000', '1000', 2400), (29, 4, 120, '1001.000', '1000.5', 119),
                (25, 200, 5000, '1000.000', '1000', 5000)):
            with self.subTest(fps=fps, ticks_per_frame=per_frame):
                data = w.smf(0, w.smpte_division(fps, per_frame),
                             [w.track([(0, w.tempo(100000)), (tick, w.time_signature(3, 3)),
                                       (0, b'\x90\x3c\x40')])])
                document, _ = song(write(data), '--at', str(tick), '--at-ms', at_ms)
                at_tick, at_time = document['at']
                self.assertEqual((tick, expected, None),
                                 (at_tick['tick'], at_tick['ms'], at_tick['bar']))
                self.assertEqual(tick_at_ms, at_time['tick'])
                self.assertEqual([(tick, expected, None, 3, 8)],
                                 [(s['tick'], s['ms'], s['bar'], s['numerator'], s['denominator'])
                                  for s in document['time_signatures']])
                self.assertEqual(per_frame, document['smpte']['ticks_per_frame'])
                self.assertEqual(fps == 29, document['smpte']['drop_frame'])
                self.assertEqual(1, run('--midi', write(data), '--table-at', '0')[0])

    def test_csv_says_what_json_says(self):
        meta_between = b'\0\x90\x3c\x40\x0a\xff\x01\x01A\x0a\x3e\x40' + b'\0' + w.END_OF_TRACK
        for name, data in (
                ('resolution', w.smf(1, 480, [w.track([(0, w.track_name(b'A, "quoted" name')),
                                                       (0, w.tempo(600000))]),
                                              w.track([(960, b'\x90\x3c\x40')])])),
                ('smpte', w.smf(0, w.smpte_division(29, 4), [w.track([(0, w.tempo(1))])])),
                ('lenient', w.header(1, 3, 96) + w.chunk(b'MTrk', meta_between))):
            with self.subTest(song=name):
                path = write(data)
                document, _ = song(path, '--at', '5', '--at-ms', '0.5000')
                rows = csv_rows(path, '--at', '5', '--at-ms', '0.5000')
                facts = {kind: rows[kind][0][-1] for kind in rows if rows[kind][0][1] == ''
                         and kind != 'lenient'}
                expected = {'file': path, 'format': str(document['format']),
                            'tracks': str(document['tracks'])}
                if 'smpte' in document:
                    expected.update({'smpte_' + key: str(value).lower()
                                     for key, value in document['smpte'].items()})
                else:
                    expected['resolution'] = str(document['resolution'])
                if document['name'] is not None:
                    expected.update(name=document['name'],
                                    name_encoding=document['name_encoding'])
                self.assertEqual(expected, facts)
                self.assertEqual([(str(item['offset']), str(item['track']), item['what'])
                                  for item in document['lenient']],
                                 [tuple(row[-3:]) for row in rows.get('lenient', [])])
                self.assertEqual(len(document['tempos']), len(rows['tempo']))
                self.assertEqual(['', '0.5'], [row[11] for row in rows['at']])
                self.assertEqual(['0.5'], [at['at_ms'] for at in document['at'][1:]])

    def test_small_files_give_exactly_their_answers(self):
        plain = w.smf(0, 96, [w.track([(0, w.tempo(400000)), (96, b'\x90\x3c\x40')])])
        plain_answer = {'tempos': [(0, 400000)], 'end': 96}
        long_name = bytes(0x41 + i % 26 for i in range(300))
        # Each stretch's microseconds times the division pass 2^64.
        longest = 4097 * 0x0FFFFFFF
        for name, data, answers in (
                ('RMID filled exactly', w.rmid(plain), plain_answer),
                ('RMID, an odd chunk and its pad byte before data',
                 w.riff(b'RMID', [w.riff_chunk(b'DISP', b'\1\0\0\0x'),
                                  w.riff_chunk(b'data', plain)]), plain_answer),
                ('RMID data of 300 bytes',
                 w.rmid(w.smf(0, 96, [w.track([(0, w.sysex(b'\1' * 280)),
                                               (96, w.tempo(400000))])])),
                 {'tempos': [(96, 400000)], 'end': 96}),
                ('sysex of 70,000 bytes', w.smf(0, 96, [w.track([(0, w.sysex(bytes(70000))),
                                                                 (96, w.tempo(400000))])]),
                 {'tempos': [(96, 400000)], 'end': 96}),
                ('2 bytes after the end of track',
                 w.smf(1, 96, [w.track([(0, w.tempo(400000))]) + b'\x90\x3c',
                               w.track([(96, w.tempo(300000))])]),
                 {'tempos': [(0, 400000), (96, 300000)], 'end': 96}),
                ('MThd of 8 bytes', w.header(0, 1, 96, 8)
                 + w.chunk(b'MTrk', w.track([(0, w.tempo(400000))])), {'tempos': [(0, 400000)]}),
                ('denominators 2^8 and 2^15',
                 w.smf(0, 96, [w.track([(0, w.time_signature(3, 8)),
                                        (96, w.time_signature(5, 15)), (10, b'\x90\x3c\x40')])]),
                 {'signatures': [(0, 3, 256), (96, 5, 32768)], 'end': 106}),
                ("the first track's name",
                 w.smf(1, 96, [w.track([(0, w.track_name(b'first'))]),
                               w.track([(0, w.track_name(b'second'))])]), {'name': 'first'}),
                ('a name of 300 bytes', w.smf(0, 96, [w.track([(0, w.track_name(long_name))])]),
                 {'name': long_name[:255].decode()}),
                ('tempos of two tracks',
                 w.smf(1, 96, [w.track([(100, w.tempo(400000))]),
                               w.track([(50, w.tempo(300000)), (50, w.tempo(200000))])]),
                 {'tempos': [(50, 300000), (100, 400000), (100, 200000)], 'end': 100}),
                ('time signatures of two tracks',
                 w.smf(1, 480, [w.track([(1920, w.time_signature(3, 2))]),
                                w.track([(960, w.time_signature(6, 3))])]),
                 {'division': 480, 'signatures': [(960, 6, 8), (1920, 3, 4)], 'end': 1920}),
                ('15 tempo changes from tick 10',
                 w.smf(0, 96, [w.track([(10, w.tempo(400000 + i)) for i in range(15)])]),
                 {'tempos': [(10 * i + 10, 400000 + i) for i in range(15)], 'end': 150}),
                ('the slowest tempos, each over 4097 of the longest deltas',
                 w.smf(0, 1, [w.track([(0, w.tempo(0xFFFFFF)), (0, b'\x90\x3c\x40')]
                                      + [(0x0FFFFFFF, b'\x3c\x40')] * 4097
                                      + [(0, w.tempo(0xFFFFFE)), (0, b'\x90\x3c\x40')]
                                      + [(0x0FFFFFFF, b'\x3c\x40')] * 4097)]),
                 {'division': 1, 'tempos': [(0, 0xFFFFFF), (longest, 0xFFFFFE)],
                  'end': 2 * longest})):
            with self.subTest(file=name):
                self.assertEqual(expected(**answers), answer(data))

    def test_a_midiutil_song(self):
        made = MIDIFile(2, deinterleave=False)
        for beat, bpm in ((0, 120), (16, 93.5), (40, 140), (41, 61)):
            made.addTempo(0, beat, bpm)
        made.addTimeSignature(0, 0, 3, 2, 24)
        for beat in range(64):
            made.addNote(1, 0, 60 + beat % 12, beat, 0.5, 100)
        buffer = io.BytesIO()
        made.writeFile(buffer)
        document, _ = song(write(buffer.getvalue()))
        division = document['resolution']
        tempos = [(int(beat * division), int(60000000 / bpm))
                  for beat, bpm in ((0, 120), (16, 93.5), (40, 140), (41, 61))]
        self.assertEqual(tempos, [(t['tick'], t['us_per_quarter']) for t in document['tempos']])
        for change in document['tempos']:
            self.assertEqual(ms_text(time_of(tempos, division, change['tick'])), change['ms'])
        self.assertEqual([(0, 3, 4)], [(s['tick'], s['numerator'], s['denominator'])
                                         for s in document['time_signatures']])

    def test_the_table_at_a_tick_is_the_tempo_us_table(self):
        path = write(w.smf(0, 960, [w.track([(0, w.tempo(500000)), (3840, w.tempo(641711))])]))
        for tick, microseconds in ((0, '500000'), (3839, '500000'), (3840, '641711'),
                                   (10 ** 9, '641711')):
            with self.subTest(tick=tick):
                self.assertEqual(run('--lang', 'en', '--triplets', '--exact', '--tempo-us',
                                     microseconds, '960'),
                                 run('--lang', 'en', '--triplets', '--exact', '--midi', path,
                                     '--table-at', str(tick)))


# ---- Track names: UTF-8, Shift_JIS, or neither ----

def shift_jis_pairs():
    """Every two-byte character that code page 932 maps, outside its
    user-defined rows."""
    pairs = []
    for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)):
        for trail in range(0x40, 0xFD):
            try:
                text = bytes([lead, trail]).decode('cp932')
            except UnicodeDecodeError:
                continue
            if len(text) == 1 and not 0xE000 <= ord(text) <= 0xF8FF:
                pairs.append(bytes([lead, trail]))
    return pairs


class NamesTest(unittest.TestCase):
    def named(self, name):
        return write(w.smf(0, 96, [w.track([(0, w.track_name(name))])]), 'named.mid')

    def test_a_name_is_shown_in_the_encoding_it_was_written_in(self):
        kana = 'ｶﾀｶﾅ ①Ⅱ㈱ 纊褜 ～＼'
        for name, shown, encoding, line in (
                ('テンポ'.encode('utf-8'), 'テンポ', 'utf-8', 'name: テンポ'),
                ('テンポ地図'.encode('cp932'), 'テンポ地図', 'shift_jis',
                 'name (Shift_JIS): テンポ地図'),
                (kana.encode('cp932'), kana, 'shift_jis', 'name (Shift_JIS): ' + kana),
                (b'Caf\xe9 au lait', 'Caf\\xE9 au lait', 'bytes',
                 'name (bytes): Caf\\xE9 au lait'),
                (b'\x82\xa0\x82', '\\x82\\xA0\\x82', 'bytes', 'name (bytes): \\x82\\xA0\\x82'),
                # Control characters keep the table's lines.
                (b'first\nsecond\ttab\x7f', 'first\nsecond\ttab\x7f', 'utf-8',
                 'name: first\\nsecond\\ttab\\x7F'),
                ('改行\r\n'.encode('cp932'), '改行\r\n', 'shift_jis',
                 'name (Shift_JIS): 改行\\r\\n'),
                # Cut by the reader at 255 bytes, inside the last character.
                ('あ'.encode('cp932') * 130, 'あ' * 127, 'shift_jis',
                 'name (Shift_JIS): ' + 'あ' * 127),
                ('あ'.encode('utf-8') * 90, 'あ' * 85, 'utf-8', 'name: ' + 'あ' * 85)):
            with self.subTest(name=name[:12]):
                path = self.named(name)
                document, _ = song(path)
                self.assertEqual((shown, encoding), (document['name'], document['name_encoding']))
                self.assertEqual(line, run('--lang', 'en', '--midi', path)[1].splitlines()[1])
                rows = csv_rows(path)
                self.assertEqual((line.split(': ', 1)[1], encoding),
                                 (rows['name'][0][-1], rows['name_encoding'][0][-1]))
        self.assertEqual('曲名（Shift_JIS）: テンポ地図',
                         run('--midi', self.named('テンポ地図'.encode('cp932')))[1].splitlines()[1])
        document, _ = song(write(w.smf(0, 96, [w.track([])])))
        self.assertEqual((None, None), (document['name'], document['name_encoding']))

    def test_every_shift_jis_character_reads_as_pythons_cp932_reads_it(self):
        pairs = shift_jis_pairs()
        self.assertGreater(len(pairs), 7700)
        # After あ, whose first byte no UTF-8 text starts with.
        start = 'あ'.encode('cp932')
        for first in range(0, len(pairs), 120):
            name = start + b''.join(pairs[first:first + 120])
            document, _ = song(self.named(name))
            self.assertEqual((name.decode('cp932'), 'shift_jis'),
                             (document['name'], document['name_encoding']), first)


def csv_rows(path, *arguments):
    """The MIDI report's CSV rows by kind, each a list of its rows' fields."""
    status, out, err = run('--format', 'csv', '--midi', path, *arguments)
    assert status == 0, (path, err)
    rows = list(csv.reader(io.StringIO(out, newline='')))
    assert rows[0][0] == 'kind' and all(len(row) == len(rows[0]) for row in rows), rows
    kinds = {}
    for row in rows[1:]:
        kinds.setdefault(row[0], []).append(row)
    return kinds


def terminates(value):
    """Whether the fraction has a finite decimal expansion."""
    denominator = value.denominator
    for factor in (2, 5):
        while denominator % factor == 0:
            denominator //= factor
    return denominator == 1


def float_text(value):
    """A fraction of milliseconds with a finite decimal expansion, all its
    digits."""
    whole, rest = divmod(value.numerator, value.denominator)
    digits = ''
    while rest:
        rest *= 10
        digit, rest = divmod(rest, value.denominator)
        digits += str(digit)
    return str(whole) + ('.' + digits if digits else '')


# ---- Bad files and lenient ones ----

def without_privileges():
    """As a user whom permissions bind: root reads any file."""
    if os.geteuid() == 0:
        os.setgid(65534)
        os.setuid(65534)

TRACK_START = 22  # after the 14 bytes of MThd and 8 of the chunk header


def one_track(data, length=None):
    return w.header(0, 1, 96) + w.chunk(b'MTrk', data, length)


class BadFilesTest(unittest.TestCase):
    def test_each_class_of_fault_names_the_byte_and_what_is_wrong(self):
        for name, data, offset, message in (
                ('empty', b'', 0, 'not a MIDI file'),
                ('text', b'hello, world\n', 0, 'not a MIDI file'),
                ('short header', b'MThd\0\0\0\x06\0\x01', 0, 'the MThd header is too short'),
                ('header of 4', b'MThd\0\0\0\x04\0\0\0\x01', 0, 'the MThd header is too short'),
                ('header of 4, a track after', b'MThd\0\0\0\x04\0\0\0\x01\0\x60'
                 + w.chunk(b'MTrk', w.track([])), 0, 'the MThd header is too short'),
                ('header of 4 GiB', b'MThd\xff\xff\xff\xff\0\0\0\x01\0\x60', 0,
                 'the MThd header claims more bytes than the file holds'),
                ('division 0', w.header(0, 1, 0) + w.chunk(b'MTrk', w.track([])), 12,
                 'the division is 0'),
                ('0 ticks a frame', w.header(0, 1, w.smpte_division(25, 0)), 12,
                 'the division is 0'),
                ('23 frames', w.header(0, 1, w.smpte_division(23, 4)), 12,
                 "the SMPTE division's frames a second are not 24, 25, 29 or 30"),
                ('format 3', w.header(3, 1, 96), 8, 'the format is not 0, 1 or 2'),
                ('format 2', w.header(2, 1, 96) + w.chunk(b'MTrk', w.track([])), 8,
                 'format 2 holds independent sequences'),
                ('no track', w.header(0, 1, 96), 14, 'there is no MTrk track chunk'),
                ('no status', one_track(b'\0\x3c\x40' + w.END_OF_TRACK), TRACK_START + 1,
                 'running status with no status before it'),
                ('long number', one_track(b'\x81\x81\x81\x81\x00\x90\x3c\x40'), TRACK_START,
                 'a variable-length number is longer than four bytes'),
                ('long delta after a note', one_track(b'\0\x90\x3c\x40\x81\x81\x81\x81\0\x3c\x40'),
                 TRACK_START + 4, 'a variable-length number is longer than four bytes'),
                ('long length', one_track(b'\0\xff\x01\x81\x81\x81\x81\x00'), TRACK_START,
                 'a variable-length number is longer than four bytes'),
                ('tempo of 2', one_track(b'\0\xff\x51\x02\x07\xa1' + b'\0' + w.END_OF_TRACK),
                 TRACK_START, 'a tempo event whose length is not 3'),
                ('tempo of 4', one_track(b'\0\xff\x51\x04\x07\xa1\x20\0\0' + w.END_OF_TRACK),
                 TRACK_START, 'a tempo event whose length is not 3'),
                ('tempo 0', one_track(b'\0' + w.tempo(0) + b'\0' + w.END_OF_TRACK), TRACK_START,
                 'a tempo of 0 microseconds a quarter note'),
                ('signature of 3', one_track(b'\0\xff\x58\x03\x04\x02\x18' + w.END_OF_TRACK),
                 TRACK_START, 'a time signature whose length is not 4'),
                ('signature of 5',
                 one_track(b'\0\xff\x58\x05\x04\x02\x18\x08\0\0' + w.END_OF_TRACK),
                 TRACK_START, 'a time signature whose length is not 4'),
                ('1/2^16', one_track(b'\0' + w.time_signature(1, 16) + b'\0' + w.END_OF_TRACK),
                 TRACK_START, 'a time signature with a numerator of 0 or a denominator above'),
                ('0/4', one_track(b'\0' + w.time_signature(0, 2) + w.END_OF_TRACK),
                 TRACK_START, 'a time signature with a numerator of 0'),
                ('system message', one_track(b'\0\xf2\x00\x00' + w.END_OF_TRACK),
                 TRACK_START + 1, 'a system message that a MIDI file cannot hold'),
                ('event past chunk', w.header(1, 2, 96) + w.chunk(b'MTrk', b'\0\x90\x3c')
                 + w.chunk(b'MTrk', w.track([])), TRACK_START, 'an event runs past the end of'),
                ('4-byte delta, cut', w.header(1, 2, 96)
                 + w.chunk(b'MTrk', b'\x81\x80\x80\0\x90\x3c') + w.chunk(b'MTrk', w.track([])),
                 TRACK_START, 'an event runs past the end of'),
                ('cut in a delta', w.header(1, 2, 96) + w.chunk(b'MTrk', b'\0\xff\x01\0\x81')
                 + w.chunk(b'MTrk', w.track([])), TRACK_START + 4, 'an event runs past the end'),
                ('RIFF', b'RIFF\x0e\0\0\0RMIDLIST\0\0\0\0da', 20,
                 'a RIFF RMID file without its data chunk'),
                ('RMID of nothing', w.rmid(b''), 32, 'not a MIDI file'),
                ('WAVE', w.riff(b'WAVE', [w.riff_chunk(b'fmt ', bytes(16)),
                                          w.riff_chunk(b'data', w.smf(0, 96, [w.track([])]))]),
                 0, 'not a MIDI file')):
            with self.subTest(file=name):
                path = write(data)
                self.assertEqual((1, ''), run('--midi', path)[:2])
                err = run('--midi', path)[2]
                self.assertTrue(err.startswith('tactimer-cli: %s: byte %d: %s'
                                               % (path, offset, message)), err)
                self.assertEqual(1, err.count('\n'), err)

    def test_a_file_that_cannot_be_opened_says_why(self):
        denied = write(w.smf(0, 96, [w.track([])]), 'denied.mid')
        os.chmod(denied, 0)
        for path, reason in ((os.path.join(FOLDER, 'missing.mid'), 'there is no such file'),
                             (os.path.join(FOLDER, 'missing', 'song.mid'),
                              'there is no such file'),
                             (FOLDER, 'it is a folder, not a file'),
                             (denied, 'permission to read it is denied')):
            with self.subTest(reason=reason):
                try:
                    result = subprocess.run([CLI, '--midi', path], capture_output=True,
                                            timeout=30, preexec_fn=without_privileges)
                except PermissionError:
                    self.skipTest('the unprivileged user cannot run %s' % CLI)
                self.assertEqual((1, b'', 'tactimer-cli: %s: cannot be opened: %s\n'
                                  % (path, reason)),
                                 (result.returncode, result.stdout,
                                  result.stderr.decode('utf-8')))

    def test_what_real_files_break_is_let_pass_and_said(self):
        # A tempo and two notes; the next event at byte 37.
        notes = b'\0\xff\x51\x03\x07\xa1\x20\x60\x90\x3c\x40\x60\x80\x3c\x40'
        tempo = [(0, 500000)]
        whole = one_track(notes + b'\x05' + w.END_OF_TRACK)
        meta_between = b'\0\x90\x3c\x40\x0a\xff\x01\x01A\x0a\x3e\x40' + b'\0' + w.END_OF_TRACK
        end = b'\0' + w.END_OF_TRACK
        # A tempo and a note in RMID; the next event at byte 65.
        rmid_events = b'\0' + w.tempo(400000) + b'\x60\x90\x3c\x40'
        rmid_answer = {'tempos': [(0, 400000)], 'end': 96}
        after_data = [w.riff_chunk(b'LIST', b'INFO')]
        renewed = b'\0\x90\x3c\x40\0\xff\x01\0\0\xc0\x05\x60\x06'
        for name, data, answers in (
                ('overrun', w.header(0, 1, 96) + w.chunk(b'MTrk', notes + b'\x05'
                                                         + w.END_OF_TRACK, 1000),
                 {'tempos': tempo, 'end': 197, 'lenient': [(37, 1, 'overrun')]}),
                ('overrun in an event', w.header(0, 1, 96)
                 + w.chunk(b'MTrk', notes + b'\x05\x90\x3c', 1000),
                 {'tempos': tempo, 'end': 197, 'lenient': [(37, 1, 'overrun')]}),
                ('RMID data ending at the end of track of a longer chunk',
                 w.rmid(w.header(0, 1, 96) + w.chunk(b'MTrk', rmid_events + end, 100)),
                 dict(rmid_answer, lenient=[(65, 1, 'overrun')])),
                ('RMID data ending between events, a LIST chunk after',
                 w.rmid(w.header(0, 1, 96) + w.chunk(b'MTrk', rmid_events, 100), after_data),
                 dict(rmid_answer, lenient=[(65, 1, 'overrun')])),
                ('RMID data ending inside an event',
                 w.rmid(w.header(0, 1, 96) + w.chunk(b'MTrk', rmid_events[:-1], 100),
                        after_data),
                 dict(rmid_answer, lenient=[(61, 1, 'overrun')])),
                ('no end of track', one_track(notes),
                 {'tempos': tempo, 'end': 192, 'lenient': [(37, 1, 'no end')]}),
                ('70 tracks without an end of track',
                 w.header(1, 70, 96) + w.chunk(b'MTrk', b'') * 70,
                 {'lenient': [(22 + 8 * i, i + 1, 'no end') for i in range(64)], 'more': 6}),
                ('running status after meta', one_track(meta_between),
                 {'end': 20, 'lenient': [(31, 1, 'status')]}),
                ('two meta events, each then running status',
                 one_track(b'\0\x90\x3c\x40\0\xff\x01\0\x60\x3e\x40\0\xff\x01\0\x60\x40\x40'
                           + end), {'end': 192, 'lenient': [(30, 1, 'status')]}),
                ('running status after sysex',
                 one_track(b'\0\x90\x3c\x40\0\xf0\x01\xf7\x60\x3e\x40' + end),
                 {'end': 96, 'lenient': [(30, 1, 'status')]}),
                # The new status read the fast way in the first track, the
                # careful way in the second, at its chunk's end.
                ('status renewed after a meta event',
                 w.smf(1, 96, [renewed + end, renewed]),
                 {'end': 96, 'lenient': [(60, 2, 'no end')]}),
                ('six program changes after a meta event',
                 one_track(b'\0\xc0\x05\0\xff\x01\0'
                           + b''.join(bytes([0x60, program]) for program in range(6, 12)) + end),
                 {'end': 576, 'lenient': [(29, 1, 'status')]}),
                ('3 tracks counted, 1 chunk', w.header(1, 3, 96) + w.chunk(b'MTrk', w.track([])),
                 {'lenient': [(10, 0, 'count')]}),
                ('1 track counted, 2 chunks, in RMID',
                 w.rmid(w.header(1, 1, 96) + w.chunk(b'MTrk', w.track([])) * 2),
                 {'lenient': [(42, 0, 'count')]})):
            with self.subTest(file=name):
                self.assertEqual(expected(**answers), answer(data))
        self.assertEqual(expected(tempos=tempo, end=197), answer(whole))

    def test_a_million_tempo_changes_keep_32_bytes_each(self):
        """A tick, a tempo and an exact time: 40 bytes a change beyond what a
        small song takes are room enough; with 24 the exact times do not fit,
        which is said without naming a byte, since the whole file was read."""
        if MEMORY == 'unbounded':
            self.skipTest('AddressSanitizer needs more address space than any bound')

        def tempo_changes(count):
            events = b''.join(b'\x01' + w.tempo(100000 + i % 800000) for i in range(count))
            return w.smf(0, 480, [events + b'\0' + w.END_OF_TRACK])

        def limited(path, megabytes):
            limit = megabytes * 1024 * 1024
            result = subprocess.run([CLI, '--format', 'csv', '--midi', path],
                                    stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                    timeout=120, preexec_fn=lambda: resource.setrlimit(
                                        resource.RLIMIT_AS, (limit, limit)))
            return result.returncode, result.stderr.decode('utf-8')

        few = write(tempo_changes(10), 'few.mid')
        low, high = 1, 256
        while low < high:
            middle = (low + high) // 2
            low, high = (low, middle) if limited(few, middle)[0] == 0 else (middle + 1, high)
        many = write(tempo_changes(1000000), 'many.mid')
        self.assertEqual((0, ''), limited(many, low + 40))
        # With the implied tempo at tick 0.
        self.assertEqual((1, 'tactimer-cli: %s: the exact times of its 1000001 tempo changes do '
                          'not fit in memory\n' % many), limited(many, low + 24))
        os.remove(many)

    def test_a_large_file_streams_through_in_bounded_memory(self):
        if MEMORY == 'unbounded':
            self.skipTest('AddressSanitizer needs more address space than any bound')
        path = os.path.join(FOLDER, 'large.mid')
        notes = b'\0\x90\x3c\x40\x01\x80\x3c\x40' * (1024 * 1024)
        events = w.track([(0, w.tempo(400000))], end=False) + notes * 12 + b'\0' + w.END_OF_TRACK
        with open(path, 'wb') as f:
            f.write(w.header(0, 1, 480) + b'MTrk' + len(events).to_bytes(4, 'big'))
            f.write(events)
        # It must get through in an address space of a third of the file.
        limit = 32 * 1024 * 1024

        def limit_memory():
            resource.setrlimit(resource.RLIMIT_AS, (limit, limit))

        result = subprocess.run([CLI, '--format', 'json', '--midi', path], capture_output=True,
                                preexec_fn=limit_memory, timeout=120)
        os.remove(path)
        self.assertEqual((0, b''), (result.returncode, result.stderr))
        self.assertEqual(12 * 1024 * 1024, json.loads(result.stdout)['end']['tick'])


if __name__ == '__main__':
    if len(sys.argv) != 4 or sys.argv[3] not in ('bounded', 'unbounded'):
        sys.exit('usage: midi_test.py TACTIMER_CLI OPENMSX_FOLDER bounded|unbounded')
    CLI, OPENMSX, MEMORY = sys.argv[1:]
    FOLDER = tempfile.mkdtemp()
    # Readable by the unprivileged user that a permission test runs as.
    os.chmod(FOLDER, 0o755)
    unittest.main(argv=sys.argv[:1], verbosity=1)
