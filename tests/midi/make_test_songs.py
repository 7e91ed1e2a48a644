#!/usr/bin/env python3
"""Writes the small songs that the same-bytes test, the Windows test kit and
the reader's fuzzer start from, into tests/midi/songs/. Each is made here by
the tests' own writer, byte for byte the same every time.

usage: make_test_songs.py [FOLDER]
"""
import os
import sys

import smf_writer as w


def tempo_map(name=b'Tempo map'):
    """Format 1: tempo and time-signature changes in the first track, notes
    in running status, sysex and a tempo change in the second, an unknown
    chunk between them."""
    first = w.track([(0, w.track_name(name)), (0, w.time_signature(4, 2)),
                     (0, w.tempo(500000)), (1920, w.tempo(480000)),
                     (1920, w.time_signature(3, 2)), (0, w.tempo(641711)),
                     (1440, w.time_signature(7, 3)), (840, w.tempo(1000000)),
                     (3000, w.tempo(333333))])
    notes = [(0, b'\x90\x3c\x64')]
    for step in range(64):
        notes.append((120, bytes([0x3c + step % 12, 0x64 if step % 2 else 0])))
    notes += [(0, w.sysex(b'\x7e\x7f\x09\x01')), (0, w.tempo(750000)), (0, b'\x80\x3c\x00'),
              (4000, b'\xb0\x07\x64')]
    return w.smf(1, 480, [first, w.track(notes)],
                 extra_chunks=[(1, w.chunk(b'XFKM', b'\x00\x01\x02\x03\x04'))])


def smpte():
    """30 drop-frame timecode at 4 ticks a frame, whatever its tempo says."""
    return w.smf(0, w.smpte_division(29, 4),
                 [w.track([(0, w.tempo(400000)), (0, b'\x90\x40\x40'), (120, b'\x80\x40\x00'),
                           (2997, b'\x90\x40\x40')])])


def lenient():
    """No end of track in the first track, running status after a meta
    event in the second, whose chunk claims more than the file holds."""
    first = w.track([(0, w.tempo(600000)), (960, b'\x90\x3c\x40'), (960, b'\x80\x3c\x00')],
                    end=False)
    second = w.track([(0, b'\x90\x30\x40'), (480, w.track_name(b'x')), (0, b'\x30\x00'),
                      (480, b'\x32\x40')])
    return (w.header(1, 2, 960) + w.chunk(b'MTrk', first)
            + w.chunk(b'MTrk', second, len(second) + 64))


def picture():
    """A cue that starts at 00:59:58;00 at 29.97 drop-frame (its SMPTE
    offset), in 4/4, then 3/4, then 7/8 from the middle of a bar, with tempo
    changes between."""
    first = w.track([(0, w.smpte_offset(0x40, 59, 58, 0, 0)), (0, w.track_name(b'Cue 1M1')),
                     (0, w.time_signature(4, 2)), (0, w.tempo(500000)),
                     (3840, w.time_signature(3, 2)), (0, w.tempo(641711)),
                     (2400, w.time_signature(7, 3)), (1000, w.tempo(428571)),
                     (6000, w.tempo(500500))])
    return w.smf(1, 960, [first, w.track([(0, b'\x90\x3c\x64'), (20000, b'\x80\x3c\x00')])])


def broken():
    """A tempo event two bytes long."""
    return w.smf(0, 96, [w.track([(0, b'\xff\x51\x02\x07\xa1')])])


SONGS = {
    'tempo_map.mid': tempo_map,
    'テンポ.mid': tempo_map,
    # As Japanese sequencers name their tracks: in Shift_JIS.
    'shift_jis.mid': lambda: tempo_map('テンポ地図 ｶﾀｶﾅ ①Ⅱ 纊'.encode('cp932')),
    # Neither UTF-8 nor Shift_JIS, with a line break.
    'bytes_name.mid': lambda: tempo_map(b'Caf\xe9\r\nau lait'),
    'smpte.mid': smpte,
    'song.rmi': lambda: w.rmid(tempo_map()),
    'lenient.mid': lenient,
    'picture.mid': picture,
    'broken.mid': broken,
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), 'songs')
    os.makedirs(folder, exist_ok=True)
    for name, make in SONGS.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(make())


if __name__ == '__main__':
    main()
