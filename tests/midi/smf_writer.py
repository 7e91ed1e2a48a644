"""A small writer of Standard MIDI Files for the tests, from the format's
description: each track a list of (delta, event bytes), so that a test can
write exactly the bytes it wants (running status, sysex, broken rules)."""
import struct


def vlq(number):
    """A variable-length quantity: seven bits a byte, high bit on all but
    the last."""
    out = [number & 0x7F]
    number >>= 7
    while number:
        out.append(0x80 | (number & 0x7F))
        number >>= 7
    return bytes(reversed(out))


def chunk(kind, data, length=None):
    return kind + struct.pack('>I', len(data) if length is None else length) + data


def header(format_, tracks, division, length=6):
    body = struct.pack('>HHH', format_, tracks, division)
    return chunk(b'MThd', body + b'\0' * (length - 6), length)


def smpte_division(frames_per_second, ticks_per_frame):
    return ((256 - frames_per_second) << 8) | ticks_per_frame


def tempo(microseconds):
    return b'\xff\x51\x03' + microseconds.to_bytes(3, 'big')


def time_signature(numerator, denominator_power, clocks=24, notated=8):
    return b'\xff\x58\x04' + bytes([numerator, denominator_power, clocks, notated])


def smpte_offset(hours_and_rate, minutes, seconds, frames, hundredths):
    return b'\xff\x54\x05' + bytes([hours_and_rate, minutes, seconds, frames, hundredths])


def track_name(name):
    return b'\xff\x03' + vlq(len(name)) + name


def sysex(data):
    return b'\xf0' + vlq(len(data) + 1) + data + b'\xf7'


END_OF_TRACK = b'\xff\x2f\x00'


def track(events, end=True):
    """events: (delta, bytes) pairs; the end-of-track event is added."""
    data = b''.join(vlq(delta) + event for delta, event in events)
    if end:
        data += vlq(0) + END_OF_TRACK
    return data


def smf(format_, division, tracks, extra_chunks=()):
    """A whole file: the header, then each track chunk (extra chunks, as
    (position, bytes), go in before the track at that position)."""
    parts = [header(format_, len(tracks), division)]
    for i, data in enumerate(tracks):
        parts.extend(extra for position, extra in extra_chunks if position == i)
        parts.append(chunk(b'MTrk', data))
    return b''.join(parts)


def rmid(smf_bytes):
    """The RIFF RMID file that Windows' players save: the SMF in a data
    chunk, after a chunk of another kind."""
    info = b'LIST' + struct.pack('<I', 4) + b'INFO'
    data = b'data' + struct.pack('<I', len(smf_bytes)) + smf_bytes
    if len(smf_bytes) % 2:
        data += b'\0'
    body = b'RMID' + info + data
    return b'RIFF' + struct.pack('<I', len(body)) + body
