#!/usr/bin/python3
"""tactimer-cli writing MIDI files: tempo-map files and whole songs at another
resolution, judged by readers that are not ours (Debian's midicsv and
python3-mido) on real songs (Debian's openttd-openmsx) and generated ones;
the exact report of what moved, against Python's fractions; and every way a
write can fail, made to happen, with the output's path found as it was and
no temporary file left.

usage: write_test.py TACTIMER_CLI OPENMSX_FOLDER bounded|unbounded
  unbounded: the program runs under AddressSanitizer: the bounded-memory
  test is skipped.

Ways to fail that need root or a kernel feature say which they used: a
small tmpfs (mount) for a full disk, else RLIMIT_FSIZE; a read-only bind
mount for a read-only folder, else chattr +i; /dev/full for standard output.
"""
import glob
import json
import math
import os
import pty
import resource
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from fractions import Fraction

import mido

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import smf_writer as w  # noqa: E402
from midi_test import ms_text, time_of  # noqa: E402


def run(*arguments, **options):
    result = subprocess.run([CLI, *arguments], capture_output=True, timeout=300, **options)
    return result.returncode, result.stdout.decode('utf-8'), result.stderr.decode('utf-8')


def path_in(name, folder=None):
    return os.path.join(folder or FOLDER, name)


def write(data, name='song.mid', folder=None):
    path = path_in(name, folder)
    with open(path, 'wb') as f:
        f.write(data)
    return path


def read(path):
    with open(path, 'rb') as f:
        return f.read()


def leftovers(folder):
    """Temporary files of ours left in a folder."""
    if not os.path.isdir(folder):
        return []
    return [name for name in os.listdir(folder) if name.startswith('.tactimer-')]


def song_json(path):
    status, out, err = run('--format', 'json', '--midi', path)
    assert status == 0, (path, err)
    return json.loads(out)


def the_map(document):
    """What a tempo-map file must keep of a song: its resolution, tempos, time
    signatures and end."""
    return (document['resolution'],
            [(t['tick'], t['us_per_quarter'], t['implied']) for t in document['tempos']],
            [(s['tick'], s['numerator'], s['denominator']) for s in document['time_signatures']],
            document['end']['tick'])


def midicsv_lines(path):
    result = subprocess.run(['midicsv', path], capture_output=True, timeout=60, check=True)
    return [[field.strip() for field in line.split(',', 3)]
            for line in result.stdout.decode('latin-1').splitlines()]


def midicsv_map(path):
    """The tempo map as midicsv reads it: tempos and signatures of all tracks
    by tick, and the end."""
    tempos, signatures, ends = [], [], []
    for fields in midicsv_lines(path):
        if fields[2] == 'Tempo':
            tempos.append((int(fields[1]), int(fields[3])))
        elif fields[2] == 'Time_signature':
            numbers = [int(n) for n in fields[3].split(',')]
            signatures.append((int(fields[1]), numbers[0], 2 ** numbers[1]))
        elif fields[2] == 'End_track':
            ends.append(int(fields[1]))
    return sorted(tempos), sorted(signatures), max(ends)


def mido_map(path):
    """The tempo map as mido reads it."""
    song = mido.MidiFile(path)
    tempos, signatures, end = [], [], 0
    for track in song.tracks:
        tick = 0
        for message in track:
            tick += message.time
            if message.type == 'set_tempo':
                tempos.append((tick, message.tempo))
            elif message.type == 'time_signature':
                signatures.append((tick, message.numerator, message.denominator))
        end = max(end, tick)
    return song.ticks_per_beat, sorted(tempos), sorted(signatures), end


def mido_events(path):
    """Every message of every track, with its absolute tick."""
    events = []
    for track in mido.MidiFile(path).tracks:
        tick, listed = 0, []
        for message in track:
            tick += message.time
            listed.append((tick, message.copy(time=0)))
        events.append(listed)
    return events


def openmsx_songs():
    paths = sorted(glob.glob(os.path.join(OPENMSX, '*.mid')))
    assert len(paths) >= 30, OPENMSX
    return paths


# ---- Tempo-map files ----

class TempoMapFileTest(unittest.TestCase):
    def test_every_openmsx_map_reads_back_the_same_in_midicsv_mido_and_ours(self):
        for path in openmsx_songs():
            with self.subTest(song=os.path.basename(path)):
                out = path_in('map.mid')
                if os.path.exists(out):
                    os.remove(out)
                status, report, err = run('--format', 'json', '--midi', path,
                                          '--write-tempo-map', out)
                self.assertEqual((0, ''), (status, err))
                self.assertEqual(0, json.loads(report)['moved'])
                original, written = song_json(path), song_json(out)
                self.assertEqual(the_map(original), the_map(written))
                self.assertEqual((1, 1), (written['format'], written['tracks']))
                self.assertEqual(midicsv_map(path), midicsv_map(out))
                tempos, signatures, end = midicsv_map(path)
                self.assertEqual((original['resolution'], tempos, signatures, end),
                                 mido_map(out))

    def test_a_map_printed_as_json_or_csv_writes_the_same_map(self):
        path = openmsx_songs()[0]
        expected = the_map(song_json(path))
        from_song = path_in('from_song.mid')
        run('--midi', path, '--write-tempo-map', from_song, '--force')
        for form in ('json', 'csv'):
            with self.subTest(form=form):
                printed = run('--midi', path, '--format', form)[1]
                out = path_in('from_%s.mid' % form)
                status, _, err = run('--tempo-map', '-', '--write-tempo-map', out, '--force',
                                     input=printed.encode('utf-8'))
                self.assertEqual((0, ''), (status, err))
                self.assertEqual(expected, the_map(song_json(out)))
                # Both keep the name: the very bytes that the song itself gives.
                self.assertEqual(read(from_song), read(out))

    def test_a_csv_map_takes_rfc_4180_quoting_and_its_facts_rows(self):
        text = ('kind,tick,us_per_quarter,numerator,denominator,value\r\n'
                'resolution,,,,,96\r\n'
                'name,,,,,"cue ""12"", take 2"\r\n'
                'tempo,0,600000,,,\r\n'
                'marker,96,,,,"hit, one"\r\n'
                'marker,192,,,,"two\r\nlines"\r\n'
                'end,384,,,,\r\n')
        out = path_in('quoted.mid')
        # With the byte-order mark that --bom writes for Excel, as Excel saves it.
        status, _, err = run('--tempo-map', write(text.encode('utf-8-sig'), 'quoted.csv'),
                             '--write-tempo-map', out, '--force')
        self.assertEqual((0, ''), (status, err))
        self.assertEqual((96, [(0, 600000, False)], [], 384), the_map(song_json(out)))
        self.assertEqual('cue "12", take 2', song_json(out)['name'])
        self.assertEqual([['1', '96', 'Marker_t', '"hit, one"'],
                          ['1', '192', 'Marker_t', '"two\\015\\012lines"']],
                         [fields for fields in midicsv_lines(out) if fields[2] == 'Marker_t'])

    def test_an_edited_map_at_another_resolution(self):
        text = ('{"resolution": 480, "name": "cue 12", "tempos": [\n'
                '  {"tick": 1920, "us_per_quarter": 600000},\n'
                '  {"tick": 0, "us_per_quarter": 500000, "implied": false}\n'
                '], "time_signatures": [{"tick": 0, "numerator": 7, "denominator": 8}],\n'
                ' "end": {"tick": 3841}, "other": [1, {"a": null}],\n'
                ' "markers": [{"tick": 960, "name": "hit 2"}, {"tick": 480, "name": "hit 1"}]}\n')
        out = path_in('edited.mid')
        status, report, err = run('--tempo-map', write(text.encode(), 'map.json'),
                                  '--write-tempo-map', out, '--resolution', '96',
                                  '--format', 'json', '--force')
        self.assertEqual((0, ''), (status, err))
        # 3841 × 96 / 480 = 768.2 goes to 768, 0.2 ticks and 1.25 ms early.
        self.assertEqual({'resolution_from': 480, 'resolution_to': 96, 'events': 6,
                          'moved': 1, 'max_error_ticks': 0.2, 'max_error_ms': 1.25,
                          'least_exact_resolution': 480}, json.loads(report))
        self.assertEqual((96, [(0, 500000, False), (384, 600000, False)], [(0, 7, 8)], 768),
                         the_map(song_json(out)))
        self.assertEqual('cue 12', song_json(out)['name'])
        self.assertEqual([['1', '96', 'Marker_t', '"hit 1"'], ['1', '192', 'Marker_t', '"hit 2"']],
                         [fields for fields in midicsv_lines(out) if fields[2] == 'Marker_t'])
        self.assertEqual(1, run('--tempo-map', path_in('map.json'), '--write-tempo-map', out,
                                '--resolution', '96', '--strict', '--force')[0])

    def test_a_fitted_map_is_written_with_a_marker_at_each_hit(self):
        hits = '1:1@0,door=2:1@2100.5,3:3@4500.25'
        for resolution in ('960', '96'):
            with self.subTest(resolution=resolution):
                arguments = ('--format', 'json', '--resolution', resolution, '--fit', hits)
                printed = run(*arguments)[1]
                out = path_in('fitted.mid')
                status, report, err = run(*arguments, '--write-tempo-map', out, '--force')
                # It says what --fit says: the map, each hit with its error.
                self.assertEqual((0, printed, ''), (status, report, err))
                fitted = json.loads(printed)
                self.assertEqual(the_map(fitted), the_map(song_json(out)))
                self.assertEqual([['1', str(hit['tick']), 'Marker_t', '"%s"' % name]
                                  for hit, name in zip(fitted['hits'], ('1', 'door', '3'))],
                                 [fields for fields in midicsv_lines(out)
                                  if fields[2] == 'Marker_t'])

    def test_a_fitted_cue_starts_at_its_timecode_where_the_offset_can_say_it(self):
        for fps, start, offset in (('29.97df', '01:00:00;00', ['65, 0, 0, 0, 0']),
                                   ('25', '10:59:58:24.50', ['42, 59, 58, 24, 50']),
                                   ('23.976', '01:00:00:00', []), (None, None, [])):
            with self.subTest(fps=fps):
                picture = ('--fps', fps, '--start', start) if fps else ()
                out = path_in('cue.mid')
                self.assertEqual(0, run(*picture, '--fit', '1:1@0,2:1@2000',
                                        '--write-tempo-map', out, '--force')[0])
                self.assertEqual(offset, [fields[3] for fields in midicsv_lines(out)
                                          if fields[2] == 'SMPTE_offset'])

    def test_the_smpte_offset_of_the_first_track_at_tick_0_is_kept(self):
        offset = w.smpte_offset(0x61, 2, 3, 4, 5)  # 01:02:03:04.05 at 30 frames
        other = w.smpte_offset(0x20, 9, 9, 9, 9)
        for name, tracks, kept in (
                ('first track', [[(0, offset), (0, w.tempo(400000))], []], offset),
                ('second track', [[(0, w.tempo(400000))], [(0, other)]], None),
                ('after tick 0', [[(1, offset)], []], None),
                ('the first of two', [[(0, offset), (0, other)], []], offset)):
            with self.subTest(song=name):
                path = write(w.smf(1, 96, [w.track(events) for events in tracks]))
                out = path_in('offset.mid')
                self.assertEqual(0, run('--midi', path, '--write-tempo-map', out,
                                        '--force')[0])
                offsets = [fields[3] for fields in midicsv_lines(out)
                           if fields[2] == 'SMPTE_offset']
                self.assertEqual([] if kept is None else
                                 [', '.join(str(byte) for byte in kept[3:])], offsets)

    def test_bad_maps_name_the_line_and_what_is_wrong(self):
        for name, text, message in (
                ('no header', 'tempo,0\n', 'line 1: the first line is not a header'),
                ('no resolution', 'kind,tick,us_per_quarter\ntempo,0,500000\n',
                 'it does not say its resolution: give --resolution N'),
                ('tempo 0', 'kind,tick,us_per_quarter,value\nresolution,,,480\ntempo,0,0,\n',
                 "line 3: a tempo's us_per_quarter is not a whole number"),
                ('resolution 0', 'kind,tick,value\nresolution,,0\n',
                 'line 2: the resolution is not a whole number from 1 to 32767'),
                ('smpte', 'kind,tick,value\nsmpte_fps,,25\n', 'line 2: its division is in SMPTE'),
                # Only the very bytes of a byte-order mark are passed over.
                ('a broken mark', b'\xef\xbb\xffkind,tick\n',
                 'line 1: the first line is not a header'),
                ('3/3', '{"resolution": 96, "time_signatures": [{"tick": 0, "numerator": 3,\n'
                 '"denominator": 3}]}', "line 2: a time signature's denominator"),
                ('not json', '{"resolution": 96,, }', 'not JSON'),
                ('smpte', '{"smpte": {"fps": 25}}', 'SMPTE'),
                ('deep', '{"x": ' + '[' * 100 + ']' * 100 + '}', 'deeper than 64')):
            with self.subTest(map=name):
                out = path_in('bad.mid')
                data = text if isinstance(text, bytes) else text.encode()
                status, _, err = run('--tempo-map', write(data, 'bad.txt'),
                                     '--write-tempo-map', out)
                self.assertEqual(1, status)
                self.assertIn(message, err)
                self.assertEqual(1, err.count('\n'), err)
                self.assertFalse(os.path.exists(out))


# ---- Whole songs at another resolution ----

def scaled_midicsv(lines, numerator, denominator):
    """midicsv's dump with every time scaled, the header's division too."""
    scaled = []
    for fields in lines:
        fields = list(fields)
        if fields[2] == 'Header':
            numbers = fields[3].split(', ')
            numbers[-1] = str(int(numbers[-1]) * numerator // denominator)
            fields[3] = ', '.join(numbers)
        else:
            fields[1] = str(int(fields[1]) * numerator // denominator)
        scaled.append(fields)
    return scaled


def retick(path, resolution, out, *options):
    status, report, err = run('--format', 'json', '--midi', path, '--retick', str(resolution),
                              '--write', out, '--force', *options)
    assert (status, err) == (0, ''), (path, resolution, err)
    return json.loads(report)


class RetickTest(unittest.TestCase):
    def test_every_openmsx_song_at_2_4_and_3_times_and_back_is_the_same_bytes(self):
        for path in openmsx_songs():
            resolution = song_json(path)['resolution']
            for factor in (2, 4, 3):
                with self.subTest(song=os.path.basename(path), factor=factor):
                    up, back = path_in('up.mid'), path_in('back.mid')
                    report = retick(path, factor * resolution, up)
                    self.assertEqual((0, '0.000'), (report['moved'], '%.3f' % report['max_error_ms']))
                    self.assertEqual(read(path), read(back) if retick(up, resolution, back)
                                     else None)
                    if factor == 2:
                        self.assertEqual(scaled_midicsv(midicsv_lines(path), 2, 1),
                                         midicsv_lines(up))
                        self.assertEqual([[(2 * tick, message) for tick, message in track]
                                          for track in mido_events(path)], mido_events(up))

    def test_the_report_of_real_songs_moved_to_coarser_resolutions(self):
        for path in openmsx_songs()[:8]:
            events = mido_events(path)
            ticks = [[tick for tick, _ in track] for track in events]
            tempos = sorted(((tick, message.tempo) for track in events
                             for tick, message in track if message.type == 'set_tempo'),
                            key=lambda tempo: tempo[0])
            resolution = song_json(path)['resolution']
            for to in (7, 96, resolution // 5):
                with self.subTest(song=os.path.basename(path), to=to):
                    self.assertEqual(model_report(ticks, tempos, resolution, to),
                                     retick(path, to, path_in('coarse.mid')))

    def test_generated_songs_keep_every_byte_but_the_times(self):
        events = [(0, w.track_name(b'gen')), (0, w.time_signature(3, 2)),
                  (0, w.tempo(600000)), (0, b'\x90\x3c\x40'), (5, b'\x3e\x40'),
                  (7, w.sysex(b'\x7e\x7f\x09\x01')), (1, b'\x80\x40\x00'), (96, b'\xf7\x02\x01\x02'),
                  (11, b'\xff\x7f\x03abc'), (13, b'\xb0\x07\x64'), (2, b'\x0a\x40')]
        plain = w.smf(1, 96, [w.track(events), w.track([(3, b'\xc0\x05'), (300, b'\x06')])],
                      extra_chunks=[(1, w.chunk(b'XFIH', b'\x01\x02\x03'))])
        for name, data in (('format 1', plain), ('RMID', w.rmid(plain)),
                           ('odd RMID', w.rmid(plain + b'\0')),
                           ('format 1 plain', w.smf(1, 96, [w.track(events)] * 2)),
                           ('format 0', w.smf(0, 96, [w.track(events)]))):
            with self.subTest(song=name):
                path = write(data, 'generated.mid')
                for resolution in (192, 960, 288):
                    up, back = path_in('up.mid'), path_in('back.mid')
                    self.assertEqual(0, retick(path, resolution, up)['moved'])
                    retick(up, 96, back)
                    self.assertEqual(data, read(back))
                    # Neither judge reads RIFF or an unknown chunk.
                    if name in ('format 1 plain', 'format 0'):
                        self.assertEqual([[(tick * resolution // 96, message)
                                           for tick, message in track]
                                          for track in mido_events(path)], mido_events(up))
                        self.assertEqual(scaled_midicsv(midicsv_lines(path), resolution, 96),
                                         midicsv_lines(up))

    def test_inexact_moves_are_reported_exactly_and_refused_by_strict(self):
        # Tempo changes that move shift everything after them in time.
        events = [(0, w.tempo(500000)), (1, w.tempo(250000)), (0, b'\x90\x3c\x40'),
                  (4, b'\x3c\x00'), (3, b'\x3e\x40')]
        path = write(w.smf(0, 4, [w.track(events)]))
        out = path_in('coarse.mid')
        report = retick(path, 2, out)
        # Ticks 0 1 1 5 8 8 go to 0 0 0 2 4 4 (halves to the earlier); the
        # second tempo now starts at 0, so tick 1 sounds 125 ms early.
        self.assertEqual({'resolution_from': 4, 'resolution_to': 2, 'events': 6, 'moved': 3,
                          'max_error_ticks': 0.5, 'max_error_ms': 125.0,
                          'least_exact_resolution': 4}, report)
        self.assertEqual(report, model_report([[0, 1, 1, 5, 8, 8]], [(0, 500000), (1, 250000)],
                                              4, 2))
        self.assertEqual((2, [(0, 500000, False), (0, 250000, False)], [], 4),
                         the_map(song_json(out)))
        os.remove(out)
        status, _, err = run('--midi', path, '--retick', '2', '--write', out, '--strict')
        self.assertEqual(1, status)
        self.assertIn('--strict: 3 of 6 events would move off their exact time', err)
        self.assertFalse(os.path.exists(out))
        self.assertEqual(0, run('--midi', path, '--retick', '8', '--write', out, '--strict')[0])

    def test_what_cannot_be_moved_is_refused_with_nothing_written(self):
        far = w.smf(0, 1, [w.track([(2 ** 27, b'\x90\x3c\x40')])])
        for name, data, resolution, message in (
                ('SMPTE', w.smf(0, w.smpte_division(25, 40), [w.track([])]), 96,
                 'its division is in SMPTE frames'),
                ('a delta beyond four bytes, found half-way', far, 32767,
                 'a delta time would be longer than a MIDI file holds'),
                ('broken', w.header(0, 1, 96) + w.chunk(b'MTrk', b'\0\x3c\x40'), 192,
                 'running status with no status before it')):
            with self.subTest(song=name):
                out = path_in('refused.mid')
                status, _, err = run('--midi', write(data), '--retick', str(resolution),
                                     '--write', out)
                self.assertEqual(1, status)
                self.assertIn(message, err)
                self.assertEqual(1, err.count('\n'), err)
                self.assertFalse(os.path.exists(out))
                self.assertEqual([], leftovers(FOLDER))

    def test_a_file_cut_short_is_written_whole_and_reads_the_same(self):
        notes = b'\0\xff\x51\x03\x07\xa1\x20\x60\x90\x3c\x40\x60\x80\x3c\x40'
        cut = w.header(0, 1, 96) + w.chunk(b'MTrk', notes + b'\x05\x90\x3c', 1000)
        path = write(cut)
        out = path_in('whole.mid')
        status, _, err = run('--midi', path, '--retick', '96', '--write', out, '--force')
        self.assertEqual(0, status)
        self.assertIn('claims more bytes than the file holds', err)
        self.assertEqual(the_map(song_json(path)), the_map(song_json(out)))
        self.assertEqual([], song_json(out)['lenient'])


def nearest(tick, resolution, to):
    """The nearest tick at the new resolution, halves to the earlier."""
    exact = Fraction(tick * to, resolution)
    below = math.floor(exact)
    return below + 1 if exact - below > Fraction(1, 2) else below


def model_report(tracks, tempos, resolution, to):
    """The report, from the definitions: every event's tick moved to the
    nearest, its time under the tempo changes moved the same way."""
    moved_tempos = [(nearest(tick, resolution, to), us) for tick, us in tempos]
    ticks = [tick for track in tracks for tick in track]
    errors = [Fraction(t * to, resolution) - nearest(t, resolution, to) for t in ticks]
    time_error = max(abs(time_of(moved_tempos, to, nearest(t, resolution, to))
                         - time_of(tempos, resolution, t)) for t in ticks)
    return {'resolution_from': resolution, 'resolution_to': to, 'events': len(ticks),
            'moved': sum(e != 0 for e in errors),
            'max_error_ticks': float(max(abs(e) for e in errors)),
            'max_error_ms': float(ms_text(time_error)),
            'least_exact_resolution': resolution // math.gcd(resolution, *ticks)}


# ---- Nothing is ever lost ----

def mount(*arguments):
    return subprocess.run(['mount', *arguments], capture_output=True).returncode == 0


class SafetyTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(dir=FOLDER)
        self.song = write(read(openmsx_songs()[0]), 'in.mid', self.folder)

    def out(self, name='out.mid'):
        return path_in(name, self.folder)

    def assertFailsLeaving(self, arguments, message, out, before, **options):
        status, stdout, err = run(*arguments, **options)
        self.assertEqual(1, status, err)
        self.assertIn(message, err)
        self.assertEqual(1, err.count('\n'), err)
        self.assertEqual(before, read(out) if os.path.lexists(out) else None)
        self.assertEqual([], leftovers(os.path.dirname(out)))

    def test_the_input_is_never_the_output_whatever_its_name(self):
        os.link(self.song, self.out('hard.mid'))
        os.symlink('in.mid', self.out('link.mid'))
        original = read(self.song)
        for out in (self.song, self.out('hard.mid'), self.out('link.mid'),
                    os.path.join(self.folder, '.', '..', os.path.basename(self.folder), 'in.mid')):
            for arguments in (('--retick', '960', '--write', out), ('--write-tempo-map', out)):
                with self.subTest(out=out, arguments=arguments[0]):
                    self.assertFailsLeaving(('--midi', self.song, '--force') + arguments,
                                            'is the file being read', self.song, original)
        # Standard input is the input too.
        printed = run('--midi', self.song, '--format', 'json')[1]
        mapped = write(printed.encode(), 'map.json', self.folder)
        with open(mapped, 'rb') as standard_input:
            self.assertFailsLeaving(('--tempo-map', '-', '--write-tempo-map', mapped, '--force'),
                                    'is the file being read', mapped, printed.encode(),
                                    stdin=standard_input)

    def test_an_existing_output_only_with_force_and_with_its_mode(self):
        out = write(b'old', 'out.mid', self.folder)
        os.chmod(out, 0o640)
        self.assertFailsLeaving(('--midi', self.song, '--retick', '960', '--write', out),
                                'exists: --force replaces it', out, b'old')
        self.assertEqual(0, run('--midi', self.song, '--retick', '960', '--write', out,
                                '--force')[0])
        self.assertEqual(0o640, os.stat(out).st_mode & 0o777)
        self.assertEqual(960, song_json(out)['resolution'])
        fresh = self.out('fresh.mid')
        old_mask = os.umask(0o027)
        try:
            self.assertEqual(0, run('--midi', self.song, '--write-tempo-map', fresh)[0])
        finally:
            os.umask(old_mask)
        self.assertEqual(0o640, os.stat(fresh).st_mode & 0o777)

    def test_a_planted_temporary_name_is_never_followed(self):
        victim = write(b'victim', 'victim', self.folder)
        planted = []

        # In the child, before it runs the program under its own id: the
        # first names it would try, each a link to another file.
        def plant():
            for attempt in range(3):
                name = self.out('.tactimer-%d-%d.tmp' % (os.getpid(), attempt))
                os.symlink(victim, name)

        out = self.out()
        result = subprocess.run([CLI, '--midi', self.song, '--retick', '960', '--write', out],
                                capture_output=True, preexec_fn=plant, timeout=60)
        self.assertEqual(0, result.returncode)
        self.assertEqual(b'victim', read(victim))
        self.assertEqual(960, song_json(out)['resolution'])
        planted = leftovers(self.folder)
        self.assertEqual(3, len(planted))
        self.assertTrue(all(os.path.islink(self.out(name)) for name in planted))

    def test_standard_output_takes_the_bytes_but_not_on_a_terminal(self):
        expected = self.out('expected.mid')
        run('--midi', self.song, '--retick', '960', '--write', expected)
        result = subprocess.run([CLI, '--lang', 'en', '--midi', self.song, '--retick', '960',
                                 '--write', '-'], capture_output=True, timeout=60)
        self.assertEqual((0, read(expected)), (result.returncode, result.stdout))
        self.assertIn(b'resolution', result.stderr)
        leader, follower = pty.openpty()
        try:
            result = subprocess.run([CLI, '--midi', self.song, '--retick', '960', '--write',
                                     '-'], stdout=follower, stderr=subprocess.PIPE, timeout=60)
        finally:
            os.close(follower)
            os.close(leader)
        self.assertEqual(1, result.returncode)
        self.assertIn(b'standard output: is a terminal', result.stderr)
        with open('/dev/full', 'wb') as full:
            result = subprocess.run([CLI, '--midi', self.song, '--write-tempo-map', '-'],
                                    stdout=full, stderr=subprocess.PIPE, timeout=60)
        self.assertEqual((1, b'tactimer-cli: standard output: the disk is full (nothing was '
                             b'written)\n'), (result.returncode, result.stderr))
        self.assertEqual([], leftovers(tempfile.gettempdir()))

    def test_a_full_disk_leaves_the_path_as_it_was(self):
        small = tempfile.mkdtemp(dir=FOLDER)
        mounted = mount('-t', 'tmpfs', '-o', 'size=64k', 'tmpfs', small)
        limits = {}
        if not mounted:
            # No mount here: a file size limit fails the writes the same way.
            def limit():
                resource.setrlimit(resource.RLIMIT_FSIZE, (48 * 1024, 48 * 1024))
            limits = {'preexec_fn': limit}
        print('\nfull disk: %s' % ('a 64 KiB tmpfs' if mounted else 'RLIMIT_FSIZE of 48 KiB'),
              file=sys.stderr)
        try:
            big = write(w.smf(0, 96, [w.track([(1, b'\x90\x3c\x40')] * 40000)]), 'big.mid',
                        self.folder)
            message = 'the disk is full' if mounted else 'larger than the system allows'
            out = path_in('out.mid', small)
            self.assertFailsLeaving(('--midi', big, '--retick', '192', '--write', out),
                                    message, out, None, **limits)
            old = write(b'old song', 'out.mid', small)
            self.assertFailsLeaving(('--midi', big, '--retick', '192', '--write', old,
                                     '--force'), message, old, b'old song', **limits)
        finally:
            if mounted:
                subprocess.run(['umount', small], check=True)

    def test_a_read_only_folder_a_missing_one_and_a_name_too_long(self):
        read_only = tempfile.mkdtemp(dir=FOLDER)
        write(b'old', 'out.mid', read_only)
        how = 'a read-only bind mount'
        if not mount('--bind', '-o', 'ro', read_only, read_only):
            how = 'chattr +i'
            subprocess.run(['chattr', '+i', read_only], check=True)
        print('\nread-only folder: %s' % how, file=sys.stderr)
        try:
            for out, message, before in (
                    (path_in('new.mid', read_only), 'permission denied or a read-only disk',
                     None),
                    (path_in('out.mid', read_only), 'permission denied or a read-only disk',
                     b'old'),
                    (self.out('missing/out.mid'), 'its folder does not exist', None),
                    (self.out('n' * 300 + '.mid'), 'the name is too long', None)):
                with self.subTest(out=out[-40:]):
                    self.assertFailsLeaving(('--midi', self.song, '--retick', '960', '--write',
                                             out, '--force'), message, out, before)
            self.assertFailsLeaving(('--midi', self.song, '--write-tempo-map', self.folder,
                                     '--force'), 'is a folder', self.out('in.mid'),
                                    read(self.song))
        finally:
            if how == 'chattr +i':
                subprocess.run(['chattr', '-i', read_only], check=True)
            else:
                subprocess.run(['umount', read_only], check=True)


def large_song(path, size):
    """A song of about size bytes in one track, notes in running status."""
    notes = b'\x00\x90\x3c\x40\x01\x3c\x00\x02\x3e\x40\x03\x3e\x00' * (64 * 1024)
    count = size // len(notes)
    length = len(w.track([(0, w.tempo(400000))], end=False)) + count * len(notes) + 4
    with open(path, 'wb') as f:
        f.write(w.header(0, 1, 480) + b'MTrk' + length.to_bytes(4, 'big'))
        f.write(w.track([(0, w.tempo(400000))], end=False))
        for _ in range(count):
            f.write(notes)
        f.write(b'\0' + w.END_OF_TRACK)
    return count * len(notes) // 13 * 4 + 2


class LargeSongTest(unittest.TestCase):
    """One song of 1 GiB, made here and removed after."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(dir=FOLDER)
        cls.song = os.path.join(cls.folder, 'large.mid')
        cls.events = large_song(cls.song, 1 << 30)

    @classmethod
    def tearDownClass(cls):
        os.remove(cls.song)

    def test_a_kill_in_the_middle_leaves_the_path_as_it_was(self):
        for number, old in ((signal.SIGTERM, None), (signal.SIGINT, b'old song'),
                            (signal.SIGHUP, None)):
            with self.subTest(signal=number):
                out = os.path.join(self.folder, 'out.mid')
                if old is not None:
                    write(old, 'out.mid', self.folder)
                process = subprocess.Popen([CLI, '--midi', self.song, '--retick', '960',
                                            '--write', out, '--force'],
                                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
                # Until the temporary file has grown past 64 MiB.
                deadline = time.monotonic() + 120
                while time.monotonic() < deadline:
                    grown = [name for name in leftovers(self.folder)
                             if os.path.getsize(os.path.join(self.folder, name)) > 64 << 20]
                    if grown or process.poll() is not None:
                        break
                    time.sleep(0.01)
                self.assertIsNone(process.poll(), 'it finished before the kill')
                process.send_signal(number)
                _, err = process.communicate(timeout=60)
                self.assertEqual(1, process.returncode)
                self.assertEqual(('tactimer-cli: interrupted: %s was left as it was\n' % out)
                                 .encode(), err)
                self.assertEqual(old, read(out) if os.path.exists(out) else None)
                self.assertEqual([], leftovers(self.folder))
                if old is not None:
                    os.remove(out)

    def test_a_song_of_1_gib_is_rewritten_in_64_mib_of_address_space(self):
        if MEMORY == 'unbounded':
            self.skipTest('AddressSanitizer needs more address space than any bound')
        limit = 64 * 1024 * 1024

        def limit_memory():
            resource.setrlimit(resource.RLIMIT_AS, (limit, limit))

        out = os.path.join(self.folder, 'large_960.mid')
        result = subprocess.run([CLI, '--format', 'json', '--midi', self.song, '--retick', '960',
                                 '--write', out], capture_output=True, preexec_fn=limit_memory,
                                timeout=600)
        try:
            self.assertEqual((0, b''), (result.returncode, result.stderr))
            report = json.loads(result.stdout)
            self.assertEqual((self.events, 0), (report['events'], report['moved']))
            # The end at twice its tick, in bounded memory too.
            result = subprocess.run([CLI, '--format', 'json', '--midi', out], capture_output=True,
                                    preexec_fn=limit_memory, timeout=600)
            self.assertEqual(2 * json.loads(run('--format', 'json', '--midi', self.song)[1])
                             ['end']['tick'], json.loads(result.stdout)['end']['tick'])
        finally:
            os.remove(out)


if __name__ == '__main__':
    if len(sys.argv) != 4 or sys.argv[3] not in ('bounded', 'unbounded'):
        sys.exit('usage: write_test.py TACTIMER_CLI OPENMSX_FOLDER bounded|unbounded')
    CLI, OPENMSX, MEMORY = sys.argv[1:]
    FOLDER = tempfile.mkdtemp()
    try:
        passed = unittest.main(argv=sys.argv[:1], verbosity=1, exit=False).result.wasSuccessful()
    finally:
        subprocess.run(['rm', '-rf', FOLDER])
    sys.exit(0 if passed else 1)
