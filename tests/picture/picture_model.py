#!/usr/bin/env python3
"""An independent model of timecode, fitted tempos and exact tempo maps, in
Python's fractions, that writes the rows picture_tests checks the core
against. Its methods differ from the core's: drop-frame numbers by walking
the minutes of a day, the best tempos by trying every tempo on every hit,
the split of an exact map's segment by trying every tick.

usage: picture_model.py TABLE_FILE
"""
import bisect
import math
import random
import sys
from fractions import Fraction

# name: (frame numbers a second, slowed by 1000/1001, numbers dropped a minute)
RATES = {
    '23.976': (24, True, 0), '24': (24, False, 0), '25': (25, False, 0),
    '29.97': (30, True, 0), '29.97df': (30, True, 2), '30': (30, False, 0),
    '47.952': (48, True, 0), '48': (48, False, 0), '50': (50, False, 0),
    '59.94': (60, True, 0), '59.94df': (60, True, 4), '60': (60, False, 0),
}
DROP_RATES = ['29.97df', '59.94df']


def frame_length(rate):
    counted, slowed, _ = RATES[rate]
    return Fraction(1001000 if slowed else 1000000, counted)


MINUTE_STARTS = {}


def minute_starts(rate):
    """The frame count at the start of each minute of the day, and the day's."""
    if rate not in MINUTE_STARTS:
        counted, _, dropped = RATES[rate]
        starts = [0]
        for minute in range(24 * 60):
            starts.append(starts[-1] + 60 * counted - (dropped if minute % 10 else 0))
        MINUTE_STARTS[rate] = starts
    return MINUTE_STARTS[rate]


def label(rate, count):
    counted, _, dropped = RATES[rate]
    starts = minute_starts(rate)
    count %= starts[-1]
    minute = bisect.bisect_right(starts, count) - 1
    offset = count - starts[minute] + (dropped if minute % 10 else 0)
    return minute // 60, minute % 60, offset // counted, offset % counted


def count_of(rate, hours, minutes, seconds, frames):
    counted, _, dropped = RATES[rate]
    minute = hours * 60 + minutes
    return (minute_starts(rate)[minute] + seconds * counted + frames -
            (dropped if minute % 10 else 0))


def text(rate, fields, hundredths=None):
    separator = ';' if RATES[rate][2] else ':'
    result = '%02d:%02d:%02d%s%02d' % (fields[0], fields[1], fields[2], separator, fields[3])
    return result if hundredths is None else result + '.%02d' % hundredths


def clock(rate, start, start_hundredths, microseconds):
    """The text of the frame showing: start (fields) plus the time."""
    position = (count_of(rate, *start) + Fraction(start_hundredths, 100) +
                microseconds / frame_length(rate))
    frame = math.floor(position)
    inside = position - frame
    return text(rate, label(rate, frame), math.floor(inside * 100) if inside else None)


def fraction_text(value):
    return '%d/%d' % (value.numerator, value.denominator)


def clock_rows(rows, rng):
    starts = [((0, 0, 0, 0), 0), ((0, 59, 58, 0), 0), ((1, 0, 0, 0), 0), ((9, 59, 59, 0), 50)]
    for rate in DROP_RATES:
        counted = RATES[rate][0]
        for start, hundredths in starts[:3]:
            base = count_of(rate, *start)
            # Around every minute of the first 71 from the start, and so
            # around every tenth.
            for minute in range(71):
                first = minute_starts(rate)[minute] - base
                for step in (-counted - 1, -2, -1, 0, 1, 2, 3, 4):
                    for part in (Fraction(0), Fraction(1, 100), Fraction(37, 100),
                                 Fraction(999, 1000)):
                        frames = first + step + part
                        if frames < 0:
                            continue
                        time = frames * frame_length(rate)
                        rows.append('clock %s %s %s %s' % (
                            rate, text(rate, start), fraction_text(time),
                            clock(rate, start, hundredths, time)))
    # 23.976 over a long film, and every rate at random times in three hours.
    for rate in RATES:
        for start, hundredths in starts:
            for _ in range(40 if rate == '23.976' else 8):
                time = Fraction(rng.randrange(3 * 3600 * 10**6 * 1000), 1000 * rng.choice([1, 3, 7]))
                rows.append('clock %s %s %s %s' % (
                    rate, text(rate, start, hundredths or None), fraction_text(time),
                    clock(rate, start, hundredths, time)))
    # Past midnight the clock wraps.
    for rate in ('24', '29.97df', '59.94df'):
        for seconds in (0, 1, 3600):
            start = (23, 59, 58, 0)
            time = Fraction(seconds + 2) * 10**6
            rows.append('clock %s %s %s %s' % (rate, text(rate, start), fraction_text(time),
                                                clock(rate, start, 0, time)))


def typed_rows(rows, rng):
    for rate in RATES:
        counted, _, dropped = RATES[rate]
        for case in range(16):
            # A reel's start, and one an hour before midnight; some timecodes
            # near it, before and after.
            start = (1, 0, 0, 0) if case % 2 else (23, 0, 0, 0)
            near = count_of(rate, *start) + rng.randrange(-2 * 3600 * counted, 2 * 3600 * counted)
            fields = label(rate, near if case % 4 < 2 else rng.randrange(minute_starts(rate)[-1]))
            hundredths = rng.choice([None, 0, 1, 50, 99])
            typed = text(rate, fields, hundredths)
            position = count_of(rate, *fields) + Fraction(hundredths or 0, 100)
            # The nearest moment the clock shows it: within half a day.
            day = minute_starts(rate)[-1]
            since = (position - count_of(rate, *start) + Fraction(day, 2)) % day - Fraction(day, 2)
            if since == -Fraction(day, 2):
                since += day
            rows.append('typed %s %s %s %s' % (rate, text(rate, start), typed,
                                               fraction_text(since * frame_length(rate))))
        rows.append('refused %s %s frames' % (rate, text(rate, (0, 0, 1, counted))))
        rows.append('refused %s 24:00:00:00 hours' % rate)
        rows.append('refused %s 00:60:00:00 minutes' % rate)
        rows.append('refused %s 00:00:60:00 seconds' % rate)
        if not dropped:
            rows.append('refused %s 00:00:01;00 semicolon' % rate)
    # Every frame number that drop-frame counting skips in the first hour,
    # and the first one it keeps after each.
    for rate in DROP_RATES:
        dropped = RATES[rate][2]
        for minute in range(60):
            for frame in range(dropped + 1):
                fields = (0, minute, 0, frame)
                if minute % 10 and frame < dropped:
                    rows.append('refused %s %s dropped' % (rate, text(rate, fields)))
                else:
                    since = count_of(rate, *fields) * frame_length(rate)
                    rows.append('typed %s 00:00:00;00 %s %s' % (
                        rate, text(rate, fields), fraction_text(since)))


def stored(bpm):
    microseconds = round(60000000.0 / bpm)
    assert 1 <= microseconds <= 0xFFFFFF
    return microseconds


def tried_tempos(low, high, step):
    count = math.floor((high - low) / step + 1e-9) + 1
    return [low + i * step for i in range(count)]


def fit_model(hits, grid_ticks, resolution, low, high, step, best):
    """Every tempo tried against every hit: (rank, microseconds, bpm, errors)."""
    tried = tried_tempos(low, high, step)
    groups = {}
    for order, bpm in enumerate(tried):
        groups.setdefault(stored(bpm), []).append((order, bpm))
    ranked = []
    for microseconds, members in groups.items():
        own = 60000000.0 / microseconds
        label_bpm = min(members, key=lambda m: (abs(m[1] - own), m[0]))[1]
        cell = Fraction(grid_ticks * microseconds, resolution)
        errors = []
        for hit in hits:
            line = math.floor(hit / cell)
            error = hit - line * cell
            if error > cell / 2:  # halfway goes to the earlier line
                line += 1
                error -= cell
            errors.append((line * grid_ticks, error))
        largest = max(abs(e) for _, e in errors)
        squares = sum(e * e for _, e in errors)
        ranked.append(((largest, squares, members[0][0]), microseconds, label_bpm, errors))
    ranked.sort(key=lambda item: item[0])
    return ranked[:best]


def position(tick, resolution, numerator, power):
    beat = 4 * resolution >> power
    bar_ticks = numerator * beat
    return tick // bar_ticks + 1, tick % bar_ticks // beat + 1, tick % beat


def fit_row(rows, resolution, grid, signature, tempos, best, hits, known=None):
    """A row of the best tempos for the hits, tried one by one."""
    grid_ticks = resolution * grid[0] // grid[1]
    fits = fit_model(hits, grid_ticks, resolution, *tempos, best)
    assert known is None or fits[0][1] == known, 'the known tempo must come back'
    results = ','.join('%d:%r:%s' % (f[1], f[2], fraction_text(f[0][0])) for f in fits)
    placed = ','.join('%d:%d:%d:%d:%s' % ((tick,) + position(tick, resolution, *signature) +
                                         (fraction_text(error),))
                      for tick, error in fits[0][3])
    rows.append('fit %d %d/%d %d/%d %r %r %r %d %s %s %s' % (
        resolution, grid[0], grid[1], signature[0], signature[1], tempos[0], tempos[1],
        tempos[2], best, ','.join(fraction_text(h) for h in hits), results, placed))


def known_tempo_hits(rng, resolution, grid_ticks, known, step, count, scale, whole):
    """Hits on the known tempo's grid, with noise well within the drift that
    one step of tempo gives the last hit, so that the known tempo is the
    best; scale 0 for none."""
    cell = Fraction(grid_ticks * stored(known), resolution)
    lines = sorted(rng.sample(range(count * 12), count))
    drift = lines[-1] * Fraction(grid_ticks, resolution) * (stored(known) - stored(known + step))
    hits = [max(Fraction(0), line * cell + Fraction(rng.randrange(-1000, 1001), 1000) * drift *
                scale) for line in lines]
    # As typed milliseconds give them, or finer.
    return [Fraction(math.floor(h)) for h in hits] if whole else hits


def fit_rows(rows, rng):
    grids = [(1, 2), (1, 3), (1, 4), (1, 1)]  # 1/8, triplet 1/8, 1/16, 1/4
    for case in range(14):
        resolution = rng.choice([480, 960])
        grid = grids[case % len(grids)]
        step = rng.choice([0.01, 0.05, 0.1])
        low = round(rng.uniform(80, 130), 2)
        tried = tried_tempos(low, low + 20, step)
        known = tried[rng.randrange(len(tried))]
        hits = known_tempo_hits(rng, resolution, resolution * grid[0] // grid[1], known, step,
                                rng.randrange(6, 16), Fraction(1, 8) if case % 2 == 0 else 0,
                                case % 4 < 2)
        fit_row(rows, resolution, grid, rng.choice([(4, 2), (3, 4), (6, 3)]),
                (low, low + 20, step), rng.choice([1, 3, 10]), hits, stored(known))
    # More hits than the screen, so that the rest are checked as the fitting
    # prunes: on a grid in thirds of a 3^20th of a microsecond (held in 128
    # bits), and anywhere.
    hits = known_tempo_hits(rng, 960, 480, 125.05, 0.01, 80, Fraction(1, 8), False)
    hits = [Fraction(math.floor(h * 3**20), 3**20) for h in hits]
    fit_row(rows, 960, (1, 2), (4, 2), (124.0, 126.0, 0.01), 10, hits, stored(125.05))
    hits = sorted(Fraction(rng.randrange(60 * 10**6)) for _ in range(80))
    fit_row(rows, 960, (1, 4), (3, 2), (100.0, 103.0, 0.01), 10, hits)
    # Fine steps, where many tempos tried store as the same microseconds.
    for _ in range(3):
        low = round(rng.uniform(160, 175), 4)
        known = stored(low + 0.15)
        hits = [Fraction(line * 480 * known, 960) for line in (0, 7, 30, 61)]
        fit_row(rows, 960, (1, 2), (4, 2), (low, low + 0.3, 0.0001), 5, hits, known)
    # Halfway between two lines the earlier is taken; a microsecond past, the
    # later (120 a minute: 1/8 lasts 250,000 microseconds).
    fit_row(rows, 960, (1, 2), (4, 2), (120.0, 120.0, 0.01), 1,
            [Fraction(125000), Fraction(375000), Fraction(625001)])
    # A line every tick of 32,767 a quarter at 1 microsecond a quarter: 2^55
    # lines in 2^40 microseconds, past what a double estimates exactly.
    start = 7 * 2**40 // 8
    hits = sorted(Fraction(start * 11 + rng.randrange(10**11), 11) for _ in range(40))
    fit_row(rows, 32767, (1, 32767), (4, 2), (60000000.0, 60000000.0, 1.0), 1, hits)


def exact_map(resolution, hits):
    """Tempos [(tick, microseconds)] and each hit's error, by trying every
    split tick."""
    tempos = []
    errors = []
    at_tick, played = 0, 0  # where the map stands: played / resolution microseconds

    def set_tempo(tick, microseconds):
        if not tempos or tempos[-1][1] != microseconds:
            tempos.append((tick, microseconds))

    for tick, time in hits:
        if tick == 0:
            errors.append(Fraction(0))
            continue
        ticks = tick - at_tick
        needed = (time * resolution - played) / ticks  # microseconds a quarter
        single = math.ceil(needed - Fraction(1, 2))  # a tie: the beat before the hit
        if abs(single - needed) * ticks <= resolution:
            set_tempo(at_tick, single)
            played += single * ticks
        else:
            faster, slower = math.floor(needed), math.floor(needed) + 1
            # In 1/(q R) microseconds, the hit less where the beat lands.
            p, q = time.numerator, time.denominator

            def off(c):
                return p * resolution - (played + c * faster + (ticks - c) * slower) * q

            change = min(range(1, ticks), key=lambda c: (abs(off(c)), off(c) < 0))
            set_tempo(at_tick, faster)
            set_tempo(at_tick + change, slower)
            played += change * faster + (ticks - change) * slower
        errors.append(time - Fraction(played, resolution))
        assert abs(errors[-1]) <= 1
        at_tick = tick
    return tempos or [(0, 500000)], errors


def map_row(rows, resolution, hits):
    tempos, errors = exact_map(resolution, hits)
    rows.append('map %d %s %s %s' % (
        resolution, ','.join('%d@%s' % (t, fraction_text(s)) for t, s in hits),
        ','.join('%d:%d' % t for t in tempos), ','.join(fraction_text(e) for e in errors)))


def map_rows(rows, rng):
    for case in range(16):
        resolution = rng.choice([96, 480, 960, 32767])
        tick, time = 0, Fraction(0)
        hits = [] if case % 3 == 0 else [(0, Fraction(0))]
        for _ in range(rng.randrange(1, 9)):
            tick += rng.randrange(1, 8 * resolution)
            # Somewhere near 120 quarter notes a minute.
            time += Fraction(tick - (hits[-1][0] if hits else 0), resolution) * rng.randrange(
                300000, 700000)
            if case % 2:  # as 29.97 timecode with hundredths would give
                time = math.floor(time * 3 / 1001) * Fraction(1001, 3)
            else:
                time = Fraction(math.floor(time)) + Fraction(rng.randrange(1000), 1000)
            hits.append((tick, time))
        map_row(rows, resolution, hits)
    # Ten ticks at 1 a quarter in 5,000,005.5 microseconds: one tempo misses
    # by 4.5, and a change after 4 ticks or after 5 both by 0.5.
    map_row(rows, 1, [(10, Fraction(10000011, 2))])
    # One hit at tick 0: the tempo that plays when a file sets none.
    map_row(rows, 960, [(0, Fraction(0))])


def main():
    rng = random.Random(19)
    rows = []
    clock_rows(rows, rng)
    typed_rows(rows, rng)
    fit_rows(rows, rng)
    map_rows(rows, rng)
    with open(sys.argv[1], 'w', encoding='ascii') as table:
        table.write('\n'.join(rows) + '\n')


if __name__ == '__main__':
    main()
