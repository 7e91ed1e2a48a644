#!/usr/bin/python3
"""tactimer-cli for picture, as a musician would check it: the timecodes of a
file's report against the picture model's clock in Python's fractions
(drop-frame minutes, 23.976 over a long film, real-world starts, the 24-hour
wrap), a file's SMPTE offset, --at-tc; positions under changing time
signatures; the best tempos of seeded cues against the model's brute force;
exact maps summed here from the tempos printed, every hit within 1 µs; and
every refusal.

usage: picture_cli_test.py TACTIMER_CLI
"""
import csv
import io
import json
import math
import os
import random
import subprocess
import sys
import tempfile
import unittest
from fractions import Fraction

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'midi'))
sys.path.insert(0, os.path.join(HERE, '..', 'picture'))
import picture_model as model  # noqa: E402
import smf_writer as w  # noqa: E402
from midi_test import ms_text, position_of, tick_at, time_of  # noqa: E402

USAGE = "Try 'tactimer-cli --help' for more.\n"
# The offset's hour byte: its rate in bits 5 and 6.
OFFSET_RATES = ['24', '25', '29.97df', '30']


def run(*arguments):
    result = subprocess.run([CLI, *arguments], capture_output=True, timeout=120)
    return result.returncode, result.stdout.decode('utf-8'), result.stderr.decode('utf-8')


def document(*arguments):
    status, out, err = run('--format', 'json', *arguments)
    assert status == 0, (arguments, err)
    return json.loads(out, parse_float=str)


def write(data, name='song.mid'):
    path = os.path.join(FOLDER, name)
    with open(path, 'wb') as f:
        f.write(data)
    return path


def fields_text(rate, fields, hundredths=0):
    return model.text(rate, fields, hundredths or None)


def timecode(rate, start, microseconds):
    """The frame showing at the time, the clock started at start (fields and
    hundredths)."""
    return model.clock(rate, start[:4], start[4] if len(start) > 4 else 0, microseconds)


def since_start(rate, start, typed):
    """The time from the start to the nearest moment the clock shows typed
    (fields and hundredths), within half a day."""
    day = model.minute_starts(rate)[-1]
    frames = (model.count_of(rate, *typed[:4]) + Fraction(typed[4], 100) -
              model.count_of(rate, *start[:4]) - Fraction(start[4], 100))
    frames = (frames + Fraction(day, 2)) % day - Fraction(day, 2)
    return frames * model.frame_length(rate)


def tempo_song(tempos, signatures=(), division=960, offset=None, end=0):
    """A format 1 song: the map in the first track, an SMPTE offset first
    when given, a note ending at end in the second."""
    events = [(0, w.smpte_offset(*offset))] if offset else []
    at = 0
    for tick, kind, value in sorted([(t, 0, (n, p)) for t, n, p in signatures] +
                                    [(t, 1, u) for t, u in tempos]):
        events.append((tick - at, w.time_signature(*value) if kind == 0 else w.tempo(value)))
        at = tick
    notes = [(0, b'\x90\x3c\x40'), (end, b'\x80\x3c\x00')]
    return w.smf(1, division, [w.track(events), w.track(notes)])


def every_timed(report):
    """Each object of --midi's JSON that has a time."""
    return (report['tempos'] + report['time_signatures'] + [report['end']] +
            report.get('at', []))


def in_batches(items, length=998):
    """Comma-separated values no longer than one option's value may be."""
    batch = []
    for item in items:
        if batch and len(','.join(batch + [item])) > length:
            yield ','.join(batch)
            batch = []
        batch.append(item)
    if batch:
        yield ','.join(batch)


class ReportClockTest(unittest.TestCase):
    def test_every_time_of_the_report_shows_the_frame_then(self):
        rng = random.Random(2997)
        tempos = [(0, 500000), (3840, 641711), (7000, 428571), (12345, 1000001)]
        signatures = [(0, 4, 2), (3840, 3, 2), (6240, 7, 3)]
        path = write(tempo_song(tempos, signatures, end=20000))
        for rate in model.RATES:
            for start in (None, (0, 59, 58, 0, 0), (1, 0, 0, 0, 0), (23, 59, 58, 0, 50)):
                with self.subTest(rate=rate, start=start):
                    ticks = [str(rng.randrange(10 ** rng.randint(1, 9))) for _ in range(20)]
                    options = ['--fps', rate, '--at', ','.join(ticks)]
                    if start:
                        options += ['--start', fields_text(rate, start[:4], start[4])]
                    report = document('--midi', path, *options)
                    origin = start or (0, 0, 0, 0, 0)
                    self.assertEqual({'fps': rate, 'start': fields_text(rate, origin[:4],
                                                                        origin[4]),
                                      'from': 'start' if start else 'midnight'},
                                     report['clock'])
                    for item in every_timed(report):
                        self.assertEqual(timecode(rate, origin,
                                                  time_of(tempos, 960, item['tick'])),
                                         item['timecode'], item)

    def test_drop_frame_around_every_minute_and_23_976_over_a_long_film(self):
        # A tick a microsecond: 1,000 a quarter note at 1,000 microseconds.
        path = write(tempo_song([(0, 1000)], division=1000))
        for rate, start in (('29.97df', (0, 0, 0, 0)), ('29.97df', (0, 59, 58, 0)),
                            ('59.94df', (1, 0, 0, 0)), ('59.94df', (0, 9, 59, 50))):
            base = model.count_of(rate, *start)
            ticks = []
            for minute in range(71):
                boundary = (model.minute_starts(rate)[minute] - base) * model.frame_length(rate)
                for frames in (-1, 0, 1, 2, 4):
                    at = boundary + frames * model.frame_length(rate)
                    ticks += [math.floor(at) + d for d in (-1, 0, 1) if math.floor(at) + d >= 0]
            for batch in in_batches([str(t) for t in ticks]):
                with self.subTest(rate=rate, start=start, first=batch[:20]):
                    report = document('--midi', path, '--fps', rate, '--start',
                                      fields_text(rate, start), '--at', batch)
                    for item in report['at']:
                        self.assertEqual(timecode(rate, start + (0,), Fraction(item['tick'])),
                                         item['timecode'])
        rng = random.Random(23976)
        ticks = sorted(rng.randrange(3 * 3600 * 10 ** 6) for _ in range(300))
        for batch in in_batches([str(t) for t in ticks]):
            report = document('--midi', path, '--fps', '23.976', '--start', '00:59:58:00',
                              '--at', batch)
            for item in report['at']:
                self.assertEqual(timecode('23.976', (0, 59, 58, 0, 0), Fraction(item['tick'])),
                                 item['timecode'])

    def test_at_tc_is_the_last_tick_at_or_before_the_timecode(self):
        rng = random.Random(3000)
        tempos = [(0, 500000), (1000, 750000), (5000, 333333)]
        path = write(tempo_song(tempos, division=480))
        for rate in model.RATES:
            counted, _, dropped = model.RATES[rate]
            for start in ((0, 0, 0, 0, 0), (0, 59, 58, 0, 0), (1, 0, 0, 0, 0), (23, 59, 0, 5, 0)):
                typed = []
                base = model.count_of(rate, *start[:4])
                for _ in range(15):
                    fields = model.label(rate, base + rng.randrange(60 * 60 * counted))
                    typed.append(fields + (rng.choice([0, 0, 1, 50, 99]),))
                # Around the start of a minute that drops frame numbers.
                if dropped:
                    typed.append(model.label(rate, model.minute_starts(rate)[61]) + (0,))
                texts = [fields_text(rate, t[:4], t[4]) for t in typed]
                with self.subTest(rate=rate, start=start):
                    report = document('--midi', path, '--fps', rate, '--start',
                                      fields_text(rate, start[:4]), '--at-tc', ','.join(texts))
                    for text, fields, item in zip(texts, typed, report['at']):
                        asked = since_start(rate, start, fields)
                        self.assertEqual((text, tick_at(tempos, 480, asked)),
                                         (item['at_tc'], item['tick']))
                        self.assertLessEqual(time_of(tempos, 480, item['tick']), asked)
        before = run('--midi', path, '--fps', '24', '--start', '01:00:00:00', '--at-tc',
                     '00:59:59:23')
        self.assertEqual((1, '', "tactimer-cli: --at-tc: '00:59:59:23' comes before the clock's "
                          "start, 01:00:00:00\n"), before)

    def test_csv_and_the_table_show_the_timecodes_that_json_does(self):
        path = write(tempo_song([(0, 500000), (1920, 641711)], [(0, 3, 2)], end=5000))
        options = ['--midi', path, '--fps', '29.97df', '--start', '01:00:00;00', '--at', '2:1',
                   '--at-tc', '01:00:03;00']
        report = document(*options)
        status, out, _ = run('--format', 'csv', *options)
        rows = list(csv.DictReader(io.StringIO(out, newline='')))
        self.assertEqual([item['timecode'] for item in every_timed(report)],
                         [row['timecode'] for row in rows if row['tick'] != ''])
        self.assertEqual(['', '01:00:03;00'], [row['at_tc'] for row in rows if row['kind'] == 'at'])
        self.assertEqual({'clock_fps': '29.97df', 'clock_start': '01:00:00;00',
                          'clock_from': 'start'},
                         {row['kind']: row['value'] for row in rows if row['kind'][:5] == 'clock'})
        table = run('--lang', 'en', *options)[1]
        for item in every_timed(report):
            self.assertIn(item['timecode'], table)
        self.assertIn('timecode: 29.97df from 01:00:00;00 (--start)\n', table)
        # Without a rate, no timecode anywhere.
        plain = document('--midi', path)
        self.assertNotIn('clock', plain)
        self.assertFalse(any('timecode' in item for item in every_timed(plain)))


class SmpteOffsetTest(unittest.TestCase):
    def song_with_offset(self, offset, track=0, tick=0, length=5):
        event = b'\xff\x54' + bytes([length]) + bytes(offset[:length])
        first = [(tick, event), (0, w.tempo(600000))]
        tracks = [w.track(first), w.track([(960, b'\x90\x3c\x40')])]
        if track == 1:
            tracks = [w.track([(0, w.tempo(600000))]), w.track([(tick, event)])]
        return write(w.smf(1, 480, tracks), 'offset.mid')

    def test_the_offset_starts_the_clock_at_its_own_rate(self):
        for bits, rate in enumerate(OFFSET_RATES):
            for fields in ((0, 59, 58, 0, 0), (1, 0, 0, 0, 0), (10, 20, 30, 20, 99)):
                path = self.song_with_offset([bits << 5 | fields[0]] + list(fields[1:]))
                with self.subTest(rate=rate, fields=fields):
                    report = document('--midi', path, '--at', '480,96000')
                    self.assertEqual({'fps': rate, 'start': fields_text(rate, fields[:4],
                                                                        fields[4]),
                                      'from': 'smpte_offset'}, report['clock'])
                    for item in every_timed(report):
                        self.assertEqual(timecode(rate, fields,
                                                  time_of([(0, 600000)], 480, item['tick'])),
                                         item['timecode'])
                    # --fps reads the same timecode at its rate; --start
                    # starts the clock elsewhere.
                    other = document('--midi', path, '--fps', '50', '--at', '480')
                    self.assertEqual(('50', fields_text('50', fields[:4], fields[4])),
                                     (other['clock']['fps'], other['clock']['start']))
                    started = document('--midi', path, '--start', '02:00:00:00')
                    self.assertEqual((rate, '02:00:00' + (';' if 'df' in rate else ':') + '00',
                                      'start'), tuple(started['clock'].values()))

    def test_an_offset_that_names_no_timecode_is_said_and_the_clock_starts_at_midnight(self):
        for offset, why in (
                ([0x60 | 1, 0, 0, 30, 0], 'the frame number is past the last of a second at '
                                          'this frame rate'),
                ([0x40, 1, 0, 1, 0], 'drop-frame counting skips this frame: frames 00 and 01 '
                                     '(00 to 03 at 59.94df) do not exist at the start of a '
                                     'minute that is not a tenth'),
                ([0x18, 0, 0, 0, 0], 'the hours go from 00 to 23'),
                ([0x80, 0, 0, 0, 0], 'the top bit of the hour byte, which must be 0, is set'),
                ([0x20, 0, 0, 0, 100], 'the hundredths of a frame go from 00 to 99')):
            with self.subTest(offset=offset):
                path = self.song_with_offset(offset)
                status, out, err = run('--format', 'json', '--midi', path)
                self.assertEqual((0, 'tactimer-cli: %s: its SMPTE offset is no timecode (%s): '
                                  'the clock starts at 00:00:00:00\n' % (path, why)),
                                 (status, err))
                clock = json.loads(out)['clock']
                self.assertEqual((OFFSET_RATES[offset[0] >> 5 & 3], 'midnight'),
                                 (clock['fps'], clock['from']))
                status, out, err = run('--format', 'json', '--midi', path, '--start', '01:00:00:00')
                self.assertTrue(err.endswith('): --start starts the clock\n'), err)
                self.assertEqual('start', json.loads(out)['clock']['from'])

    def test_only_the_first_tracks_offset_at_tick_0_counts(self):
        for track, tick, length in ((1, 0, 5), (0, 1, 5), (0, 0, 4)):
            with self.subTest(track=track, tick=tick, length=length):
                path = self.song_with_offset([0x61, 0, 0, 0, 0], track, tick, length)
                self.assertNotIn('clock', document('--midi', path))
        self.assertEqual((1, '', "tactimer-cli: %s: its SMPTE offset 01:00:00:29 is no timecode "
                          "at the frame rate of --fps: the frame number is past the last of a "
                          "second at this frame rate\n" % os.path.join(FOLDER, 'offset.mid')),
                         run('--midi', self.song_with_offset([0x61, 0, 0, 29, 0]), '--fps', '25'))

    def test_a_timecode_needs_a_rate(self):
        path = write(tempo_song([(0, 500000)]))
        for option in ('--start', '--at-tc'):
            self.assertEqual((1, '', 'tactimer-cli: %s needs --fps RATE to count its frames: %s '
                              'has no SMPTE offset to take a frame rate from\n' % (option, path)),
                             run('--midi', path, option, '00:00:01:00'))


class PositionsTest(unittest.TestCase):
    def test_a_position_names_the_tick_it_is_under_changing_time_signatures(self):
        rng = random.Random(7)
        for case in range(12):
            division = rng.choice([96, 480, 960, 1000])
            signatures = [(0, rng.randint(1, 13), rng.randint(0, 5))]
            tick = 0
            for _ in range(rng.randint(1, 6)):
                # Some in the middle of a bar, which ends it.
                tick += rng.randrange(1, 12 * division)
                signatures.append((tick, rng.randint(1, 13), rng.randint(0, 5)))
            path = write(tempo_song([(0, 500000)], signatures, division, end=tick + 4000))
            ticks = sorted(rng.sample(range(tick + 8 * division), 40))
            places = [position_of(signatures, division, t) for t in ticks]
            typed = ['%d:%d:%d' % p if p[2] or rng.random() < 0.5 else '%d:%d' % p[:2]
                     for p in places]
            with self.subTest(case=case):
                report = document('--midi', path, '--at', ','.join(typed))
                self.assertEqual(ticks, [item['tick'] for item in report['at']])
                self.assertEqual(places, [(i['bar'], i['beat'], i['beat_tick'])
                                          for i in report['at']])
                middle = typed[len(typed) // 2]
                self.assertEqual(run('--midi', path, '--table-at', str(ticks[len(typed) // 2]),
                                     '--lang', 'en'),
                                 run('--midi', path, '--table-at', middle, '--lang', 'en'))

    def test_a_position_that_does_not_exist_is_refused_by_name(self):
        # 4/4 at 480, then 3/4 from tick 2500, in bar 2's second beat, which
        # ends that bar 100 ticks into the beat.
        path = write(tempo_song([(0, 500000)], [(0, 4, 2), (2500, 3, 2)], 480))
        self.assertEqual([2499, 2500, 2599], [a['tick'] for a in document(
            '--midi', path, '--at', '2:2:99,3:1,3:1:99')['at']])
        for place, why in (('0:1', 'bars count from 1'), ('1:0:0', 'beats count from 1'),
                           ('1:5', 'the bar has fewer beats under its time signature'),
                           ('3:4:0', 'the bar has fewer beats under its time signature'),
                           ('1:1:480', 'the beat has fewer ticks'),
                           ('2:3', 'a time signature in the middle of the bar ends it before '
                                   'that beat'),
                           ('2:2:100', 'a time signature in the middle of the bar ends it before '
                                       'that tick'),
                           ('999999999999999999:1', 'it lies beyond tick 2^62, the last a '
                                                    "MIDI file's tracks can reach")):
            for option in ('--at', '--table-at'):
                with self.subTest(place=place, option=option):
                    self.assertEqual((1, '', "tactimer-cli: %s: '%s' is no position in %s: %s\n"
                                      % (option, place, path, why)),
                                     run('--midi', path, option, place))
        smpte = write(w.smf(0, w.smpte_division(25, 40), [w.track([])]))
        self.assertEqual((1, '', "tactimer-cli: --at: '1:1' is no position in %s: the file counts "
                          "its ticks in SMPTE frames, so it has no bars and beats\n" % smpte),
                         run('--midi', smpte, '--at', '1:1'))


def milliseconds_text(microseconds):
    """A whole number of microseconds as milliseconds typed with decimals."""
    return '%d.%03d' % divmod(microseconds, 1000)


def error_text(microseconds, scale):
    """A signed error in microseconds as the program prints it: scaled (1 for
    ms, 1000 for µs), rounded to three decimals, ties to even, no -0.000."""
    value = abs(microseconds) * scale
    text = ms_text(value)
    return '-' + text if microseconds < 0 and text != '0.000' else text


class FitTest(unittest.TestCase):
    def check_against_model(self, hits, typed, grid, settings, best, options=(), rate=None):
        """The fits that tactimer-cli prints for the typed hits, against the
        model's tempos tried one by one on every hit."""
        resolution, signature, tempos = settings
        grid_ticks = resolution * grid[0] // grid[1]
        fits = model.fit_model(hits, grid_ticks, resolution, *tempos, best)
        arguments = ['--fit', ','.join(typed), '--resolution', str(resolution),
                     '--time-signature', '%d/%d' % signature, '--range',
                     '%r-%r' % tempos[:2], '--step', repr(tempos[2]), '--best', str(best),
                     *options]
        printed = document(*arguments)['fits']
        decimals = max(2, len(repr(tempos[2]).split('.')[1]))
        self.assertEqual(len(fits), len(printed))
        for (rank, microseconds, bpm, errors), fit in zip(fits, printed):
            self.assertEqual(('%.*f' % (decimals, bpm), microseconds, error_text(rank[0], 1)),
                             (fit['bpm'], fit['us_per_quarter'], fit['max_error_ms']))
            if rate:
                counted, slowed, _ = model.RATES[rate]
                frames = (float(rank[0].numerator * counted) /
                          float(rank[0].denominator * (1001000 if slowed else 1000000)))
                self.assertEqual('%.2f' % frames, fit['max_error_frames'])
            power = signature[1].bit_length() - 1
            self.assertEqual([(t,) + model.position(t, resolution, signature[0], power) +
                              (error_text(e, 1),) for t, e in errors],
                             [(h['tick'], h['bar'], h['beat'], h['beat_tick'], h['error_ms'])
                              for h in fit['hits']])
            self.assertEqual([ms_text(h) for h in hits], [h['ms'] for h in fit['hits']])
        return fits

    def test_hits_on_a_known_tempos_grid_give_it_back_as_the_best(self):
        rng = random.Random(19)
        grids = {'1/8': (1, 2), 'triplet 1/8': (1, 3), '1/16': (1, 4), '1/4': (1, 1),
                 '付点1/8': (3, 4)}
        for case in range(10):
            resolution = rng.choice([480, 960])
            caption = sorted(grids)[case % len(grids)]
            grid = grids[caption]
            step = rng.choice([0.01, 0.05, 0.1])
            low = round(rng.uniform(80, 130), 2)
            tried = model.tried_tempos(low, low + 20, step)
            known = tried[rng.randrange(len(tried))]
            hits = model.known_tempo_hits(rng, resolution, resolution * grid[0] // grid[1],
                                          known, step, rng.randrange(6, 16), Fraction(1, 8), True)
            with self.subTest(case=case, known=known):
                fits = self.check_against_model(
                    hits, [milliseconds_text(h.numerator) for h in hits], grid,
                    (resolution, rng.choice([(4, 4), (3, 4), (6, 8)]), (low, low + 20, step)),
                    rng.choice([1, 3, 10]), ['--grid', caption])
                self.assertEqual(model.stored(known), fits[0][1])

    def test_hits_in_drop_frame_timecode_from_a_reels_start(self):
        rng = random.Random(2997)
        rate = '29.97df'
        start = (1, 0, 0, 0)
        known = 93.5
        cell = Fraction(480 * model.stored(known), 960)
        lines = sorted(rng.sample(range(120), 8))
        fields, hits = [], []
        base = model.count_of(rate, *start)
        for line in lines:
            # The frame and hundredth at or before the line's time.
            position = line * cell / model.frame_length(rate)
            frame = math.floor(position)
            hundredths = math.floor((position - frame) * 100)
            fields.append(model.text(rate, model.label(rate, base + frame), hundredths or None))
            hits.append((frame + Fraction(hundredths, 100)) * model.frame_length(rate))
        fits = self.check_against_model(hits, fields, (1, 2), (960, (4, 4), (80.0, 110.0, 0.01)),
                                        5, ['--fps', rate, '--start', '01:00:00;00'], rate)
        self.assertEqual(model.stored(known), fits[0][1])
        printed = document('--fit', ','.join(fields), '--fps', rate, '--start', '01:00:00;00',
                           '--range', '80-110', '--best', '1')
        self.assertEqual(fields, [h['timecode'] for h in printed['fits'][0]['hits']])

    def test_csv_and_the_table_give_what_json_does(self):
        arguments = ['--fit', '0,510,1020,1490,2250', '--best', '3', '--fps', '25']
        fits = document(*arguments)['fits']
        rows = list(csv.DictReader(io.StringIO(run('--format', 'csv', *arguments)[1],
                                               newline='')))
        self.assertEqual([(str(r), f['bpm'], str(f['us_per_quarter']), f['max_error_ms'],
                           f['max_error_frames'], str(j + 1), h['ms'], h['timecode'],
                           str(h['tick']), str(h['bar']), str(h['beat']), str(h['beat_tick']),
                           h['error_ms'])
                          for r, f in enumerate(fits, 1) for j, h in enumerate(f['hits'])],
                         [tuple(row.values()) for row in rows])
        table = run('--lang', 'en', *arguments)[1]
        self.assertIn('\nhits at %s BPM\n' % fits[0]['bpm'], table)
        for fit in fits:
            self.assertIn('%s      %d' % (fit['bpm'], fit['us_per_quarter']), table)
        for hit in fits[0]['hits']:
            self.assertIn('%d:%d:%d' % (hit['bar'], hit['beat'], hit['beat_tick']), table)


class ExactMapTest(unittest.TestCase):
    def check_map(self, resolution, signature, hits, typed, options=()):
        """The map tactimer-cli prints, its tempos summed here: every hit
        within 1 µs of its time, its error printed exactly; and the model's
        split of each segment, found by trying every tick."""
        printed = document('--fit', ','.join(typed), '--resolution', str(resolution),
                           '--time-signature', '%d/%d' % signature, *options)
        tempos = [(t['tick'], t['us_per_quarter']) for t in printed['tempos']]
        expected, errors = model.exact_map(resolution, hits)
        self.assertEqual(expected, tempos)
        self.assertEqual(len(hits), len(printed['hits']))
        for (tick, asked), error, hit in zip(hits, errors, printed['hits']):
            played = time_of(tempos, resolution, tick)
            self.assertLessEqual(abs(asked - played), 1)
            self.assertEqual(asked - played, error)
            self.assertEqual((tick, ms_text(asked), error_text(asked - played, 1000)),
                             (hit['tick'], hit['ms'], hit['error_us']))
        self.assertEqual(hits[-1][0], printed['end']['tick'])
        return printed

    def test_seeded_maps_land_every_hit_within_a_microsecond(self):
        rng = random.Random(1919)
        for case in range(14):
            resolution = rng.choice([96, 480, 960, 32767])
            # A beat of whole ticks.
            numerator, power = rng.choice([(4, 2), (3, 2), (7, 3), (5, 2)])
            power = min(power, 2) if resolution % 2 else power
            beat = 4 * resolution >> power
            tick, time = 0, Fraction(0)
            hits, typed = [(0, Fraction(0))], ['1:1:0@0']
            for _ in range(rng.randrange(1, 9)):
                tick += rng.randrange(1, 8 * resolution)
                time += Fraction(tick - hits[-1][0], resolution) * rng.randrange(300000, 700000)
                time = Fraction(math.floor(time * 1000), 1000)
                hits.append((tick, time))
                bar_ticks = numerator * beat
                position = (tick // bar_ticks + 1, tick % bar_ticks // beat + 1, tick % beat)
                name = 'hit%d=' % len(hits) if rng.random() < 0.3 else ''
                where = ('%d:%d:%d' % position) if rng.random() < 0.7 else str(tick)
                typed.append('%s%s@%s' % (name, where, float_text(time / 1000)))
            with self.subTest(case=case):
                printed = self.check_map(resolution, (numerator, 1 << power), hits, typed)
                self.assertEqual([t.split('=')[0] if '=' in t else None for t in typed],
                                 [h.get('name') for h in printed['hits']])

    def test_a_cue_in_timecode_from_a_reels_start(self):
        rate = '29.97df'
        start = (1, 0, 0, 0)
        cue = [('1:1:0', (1, 0, 0, 0), 0), ('9:1', (1, 0, 16, 0), 0),
               ('17:3:480', (1, 0, 31, 12), 0), ('25:1', (1, 0, 45, 3), 50)]
        hits, typed = [], []
        for position, fields, hundredths in cue:
            tick = {'1:1:0': 0, '9:1': 30720, '17:3:480': 63840, '25:1': 92160}[position]
            hits.append((tick, since_start(rate, start + (0,), fields + (hundredths,))))
            typed.append('%s@%s' % (position, fields_text(rate, fields, hundredths)))
        printed = self.check_map(960, (4, 4), hits, typed,
                                 ['--fps', rate, '--start', '01:00:00;00'])
        self.assertEqual([fields_text(rate, f, h) for _, f, h in cue],
                         [h['timecode'] for h in printed['hits']])
        for tempo in printed['tempos']:
            self.assertEqual(timecode(rate, start + (0,),
                                      time_of([(t['tick'], t['us_per_quarter'])
                                               for t in printed['tempos']], 960, tempo['tick'])),
                             tempo['timecode'])

    def test_csv_gives_what_json_does(self):
        arguments = ['--fit', '0@0,a=1920@1001.5,"b" c=3:1@2003.25']
        printed = document(*arguments)
        rows = list(csv.DictReader(io.StringIO(run('--format', 'csv', *arguments)[1],
                                               newline='')))
        self.assertEqual([(str(h['tick']), h['ms'], h['error_us'], h.get('name', ''))
                          for h in printed['hits']],
                         [(r['tick'], r['ms'], r['error_us'], r['name']) for r in rows
                          if r['kind'] == 'hit'])
        self.assertEqual([str(t['us_per_quarter']) for t in printed['tempos']],
                         [r['us_per_quarter'] for r in rows if r['kind'] == 'tempo'])


def float_text(value):
    """A fraction of a decimal as its exact decimal digits."""
    whole, rest = divmod(value.numerator, value.denominator)
    digits = ''
    while rest and len(digits) < 18:
        rest *= 10
        digits += str(rest // value.denominator)
        rest %= value.denominator
    assert rest == 0, value
    return '%d.%s' % (whole, digits) if digits else str(whole)


class RefusalTest(unittest.TestCase):
    SYNOPSIS_START = '\nusage: tactimer-cli [OPTIONS] TEMPO RESOLUTION\n'

    def test_usage_errors_name_the_option_and_the_value(self):
        for arguments, message in (
                (('--fps', '23', '120', '480'), "--fps takes 23.976, 24, 25, 29.97, 29.97df, 30, "
                 "47.952, 48, 50, 59.94, 59.94df or 60, not '23'"),
                (('--fps', '24', '--tempo-for', '375', '1/8'),
                 '--fps goes with a note-length table, --midi FILE or --fit'),
                (('--start', '01:00:00:00', '120', '480'), '--start goes with --midi FILE or '
                                                           '--fit'),
                (('--start', '01:00:00:00', '--fit', '0'), '--start needs --fps RATE to count '
                                                           'its frames'),
                (('--fps', '25', '--start', '01:00:00:25', '--fit', '0'),
                 "--start '01:00:00:25': the frame number is past the last of a second at this "
                 "frame rate"),
                (('--fps', '29.97df', '--start', '01:01:00;01', '--fit', '0'),
                 "--start '01:01:00;01': drop-frame counting skips this frame: frames 00 and 01 "
                 "(00 to 03 at 59.94df) do not exist at the start of a minute that is not a "
                 "tenth"),
                (('--fps', '30', '--start', '00:00:01;00', '--fit', '0'),
                 "--start '00:00:01;00': ';' marks drop-frame timecode, and this frame rate "
                 "counts every frame"),
                (('--fps', '24', '--start', '24:00:00:00', '--fit', '0'),
                 "--start '24:00:00:00': the hours go from 00 to 23"),
                (('--fps', '24', '--start', '1:2:3', '--fit', '0'),
                 "--start '1:2:3': not a timecode: HH:MM:SS:FF expected (HH:MM:SS;FF at "
                 "drop-frame rates), with .ss hundredths of a frame if wanted"),
                (('--midi', 'a.mid', '--fps', '24', '--at-tc', '00:00:00:24'),
                 "--at-tc: '00:00:00:24': the frame number is past the last of a second at "
                 "this frame rate"),
                (('--at-tc', '00:00:01:00', '120', '480'),
                 '--at, --at-ms, --at-tc and --table-at go with --midi FILE'),
                (('--midi', 'a.mid', '--at', '1:2:3:4'), "--at: '1:2:3:4' is not a tick, a whole "
                 "number from 0 to 2^62, nor a position, BAR:BEAT:TICK or BAR:BEAT"),
                (('--midi', 'a.mid', '--table-at', 'x:1'), "--table-at: 'x:1' is not a tick, a "
                 "whole number from 0 to 2^62, nor a position, BAR:BEAT:TICK or BAR:BEAT"),
                (('--fit', '0', '--midi', 'a.mid'),
                 '-, --tempos, --tempo-for, --midi and --fit go one at a time'),
                (('--fit', '0', '120', '480'), '--fit takes no TEMPO or RESOLUTION, and none of '
                 '--tuplets, --triplets, --exact, --samples, --hz or --tempo-us'),
                (('--fit', '0,', '--grid', '1/8'), "--fit: '' is not a time: milliseconds "
                 "(digits, and a point and decimals if any), or a timecode with --fps"),
                (('--fit', '0,1e3'), "--fit: '1e3' is not a time: milliseconds (digits, and a "
                 "point and decimals if any), or a timecode with --fps"),
                (('--fit', '0,01:00:00:00'), "--fit: '01:00:00:00' is a timecode: give --fps "
                                             "RATE"),
                (('--fit', '0.' + '1' * 19), "--fit: '0.%s' has more than 18 decimals of a "
                 "millisecond" % ('1' * 19)),
                (('--fit', '0,1@0'), "--fit: '1@0' is no time: either every hit is "
                                     "POSITION@TIME or none is"),
                (('--fit', '0@0,1000'), "--fit: '1000' is no POSITION@TIME: either every hit is "
                                        "one or none is"),
                (('--fit', '0@0,1:x@10'), "--fit: '1:x' is not a position: a tick, "
                                          "BAR:BEAT:TICK or BAR:BEAT"),
                (('--grid', '1/7', '--fit', '0'), "--grid: '1/7' is no note: write it as the "
                 "table's captions are, in either language (1/8, 付点1/8, dotted 1/8, 3連1/8, "
                 "triplet 1/8, 5:3 tuplet 1/8)"),
                (('--range', '60', '--fit', '0'), "--range takes LOW-HIGH in quarter notes a "
                                                  "minute (60-180), not '60'"),
                (('--range', '100-60', '--fit', '0'), '--range 100-60: the range holds no '
                 'tempo: LOW-HIGH, with 0 < LOW <= HIGH'),
                (('--range', '0-60', '--fit', '0'), '--range 0-60: the range holds no tempo: '
                 'LOW-HIGH, with 0 < LOW <= HIGH'),
                (('--step', '0', '--fit', '0'), "--step takes a step in quarter notes a minute "
                                                "above 0 (0.01), not '0'"),
                (('--best', '1001', '--fit', '0'), "--best takes a whole number from 1 to 1000, "
                                                   "not '1001'"),
                (('--resolution', '0', '--fit', '0'), '--resolution takes a whole number of '
                 "ticks a quarter note from 1 to 32767, not '0'"),
                (('--time-signature', '4/3', '--fit', '0'), '--time-signature takes N/D, N from '
                 "1 to 255 and D a power of two from 1 to 32768, not '4/3'"),
                (('--time-signature', '256/4', '--fit', '0'), '--time-signature takes N/D, N '
                 "from 1 to 255 and D a power of two from 1 to 32768, not '256/4'"),
                (('--grid', '1/4', '120', '480'), '--grid, --range, --step, --best, '
                 '--resolution and --time-signature go with --fit'),
                (('--fit', '0@0', '--best', '3'), '--grid, --range, --step and --best go with '
                 '--fit TIMES, not with POSITION@TIME hits'),
                (('--fit', '0', '--fps', '24', '--fps', '25'),
                 '--fps is given twice: only --at, --at-ms, --at-tc, --fit, --tuplets and '
                 '--triplets add up'),
                (('--fit', '0', '--range', '1-2', '--range', '1-2'),
                 '--range is given twice: only --at, --at-ms, --at-tc, --fit, --tuplets and '
                 '--triplets add up'),
                (('--fit', '1' * 1000), '--fit: the value is longer than the 999 characters it '
                                        'may have'),
                (('--fit', '1' * 500, '--fit', '1' * 500),
                 '--fit: the values are longer than the 999 characters they may have')):
            with self.subTest(arguments=arguments):
                status, out, err = run(*arguments)
                self.assertEqual((2, ''), (status, out))
                self.assertTrue(err.startswith('tactimer-cli: %s%s' % (message,
                                                                       self.SYNOPSIS_START)), err)
                self.assertTrue(err.endswith(USAGE), err)

    def test_hits_that_cannot_be_fitted_name_the_hits(self):
        for arguments, message in (
                (('--fit', '0,1000,999'), 'the hits are out of order: each must come no earlier '
                 "than the one before: hit 2 ('1000') and hit 3 ('999')"),
                (('--fit', '99999999999999,1'), 'a hit comes more than 2^40 microseconds (12.7 '
                 "days) after the cue's start: hit 1 ('99999999999999')"),
                (('--fit', '00:59:59:00', '--fps', '24', '--start', '01:00:00:00'),
                 "a hit comes before the cue's start: hit 1 ('00:59:59:00')"),
                (('--fit', '0,1', '--range', '1-2'), 'the range holds tempos that a MIDI file '
                 'cannot store (below 3.5763 or above 60,000,000 quarter notes a minute)'),
                (('--fit', '0,1', '--range', '60-200', '--step', '0.0001'), 'the range and step '
                 'hold more than 1,000,000 tempos to try'),
                (('--fit', '0,1', '--grid', '7連1/8', '--resolution', '96'),
                 'the grid note is not a whole number of ticks at this resolution'),
                (('--fit', '0,0.0000000000001'), "the hits' times share no denominator up to "
                 "2^32: give them in whole microseconds or coarser: hit 2 ('0.0000000000001')"),
                (('--fit', '1:1:0@0,2:1@1000,2:1@2000'), 'the positions must increase from hit '
                 "to hit: hit 2 ('2:1@1000') and hit 3 ('2:1@2000')"),
                (('--fit', '0@0,1920@1000,3840@1000'), 'the times must increase from hit to '
                 "hit: hit 2 ('1920@1000') and hit 3 ('3840@1000')"),
                (('--fit', '1:1@5'), "a hit at the first tick must be at time 0: a MIDI file's "
                 "clock starts there: hit 1 ('1:1@5')"),
                (('--fit', '0@0,1@20000'), 'the tempo between these hits is outside what a MIDI '
                 'file can store (1 to 16,777,215 microseconds a quarter note): hit 1 (\'0@0\') '
                 "and hit 2 ('1@20000')"),
                (('--fit', '1@20000'), 'the tempo between these hits is outside what a MIDI file '
                 'can store (1 to 16,777,215 microseconds a quarter note): from tick 0 to hit 1 '
                 "('1@20000')"),
                (('--fit', '0@0,1:5@100'), "'1:5' is no position in 4/4: the bar has fewer beats "
                 'under its time signature')):
            with self.subTest(arguments=arguments):
                self.assertEqual((1, '', 'tactimer-cli: --fit: %s\n' % message), run(*arguments))

    def test_ten_thousand_hits_fit_in_no_list(self):
        # The 999 characters of --fit hold 499 hits at most: the core's
        # 10,000 are never reached from here.
        status, out, _ = run('--format', 'json', '--fit', ','.join(['0'] * 499), '--best', '1')
        self.assertEqual(0, status)
        self.assertEqual(499, len(json.loads(out)['fits'][0]['hits']))


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit('usage: picture_cli_test.py TACTIMER_CLI')
    CLI = sys.argv[1]
    FOLDER = tempfile.mkdtemp()
    unittest.main(argv=sys.argv[:1], verbosity=1)
