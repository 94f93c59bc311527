#!/usr/bin/env python3
"""Pair lists of several blocks (a few megabytes) through the built
tarvix-matrix on 1, 2 and 3 threads: the matrix must be the one worked out
here with exact decimals, and faults far into the input must be reported at
their line, the first one first.

  blocks_check.py PATH/TO/tarvix-matrix
"""
import os
import random
import subprocess
import sys
from decimal import Decimal

MATRIX = sys.argv[1]
GENOMES = 230  # 52,900 lines, about 3.5 MB: four blocks
LATE = 5       # this genome's lines all come last, so it is numbered last


def name(g):
    return 'genomes/GCA_%09d.1.fna' % g


def pair_list():
    """The lines, each query's references shuffled, with blank lines and
    carriage returns here and there; and the expected matrix text."""
    rng = random.Random(7)
    ani = {}
    lines, late = [], []
    for q in range(GENOMES):
        refs = list(range(GENOMES))
        rng.shuffle(refs)
        for r in refs:
            # 75 to 99 %: distances of 0.01 and more print in fixed notation
            # both here (repr) and in C++ (the shortest text).
            value = '100.0000' if q == r else '%d.%04d' % (rng.randint(75, 98), rng.randint(0, 9999))
            if rng.random() < 0.3:  # some pairs in one direction only
                if q > r and (r, q) in ani:
                    continue
            ani[(q, r)] = value
            end = '\r\n' if rng.random() < 0.01 else '\n'
            line = '%s\t%s\t%s\t%d\t1600%s' % (name(q), name(r), value, 1200 + r, end)
            (late if LATE in (q, r) else lines).append(line)
            if rng.random() < 0.001:
                lines.append(' \t\n')
    # Rows in the order the names first appear: query, then reference.
    order = []
    for line in lines + late:
        for field in line.split('\t')[:2] if line.strip() else []:
            g = int(field[12:21])
            if g not in order:
                order.append(g)
    assert order[-1] == LATE

    def distance(q, r):
        return float((Decimal(100) - Decimal(ani[(q, r)])) / Decimal(100))

    rows = []
    for q in order:
        cells = []
        for r in order:
            if q == r:
                cells.append('0')
                continue
            here = [distance(a, b) for a, b in ((q, r), (r, q)) if (a, b) in ani]
            cells.append(repr(here[0] if len(here) == 1 else (here[0] + here[1]) / 2))
        rows.append('GCA_%09d.1 ' % q + ' '.join(cells) + '\n')
    return lines + late, '%d\n' % GENOMES + ''.join(rows)


def run(text, threads):
    environment = dict(os.environ, OMP_NUM_THREADS=str(threads))
    done = subprocess.run([MATRIX, '-'], input=text.encode(), capture_output=True, env=environment)
    return done.stdout.decode(), done.stderr.decode(), done.returncode


def main():
    lines, expected = pair_list()
    text = ''.join(lines)
    assert len(text) > 3 << 20
    count = len(lines)
    # Faults after the third block; the first in line order is reported.
    long_line = 'a\tb\t' + '1' * (1 << 20) + '\t1\t1\n'
    faults = [
        ('a pair given twice', lines + [lines[17]],
         'line %d: the pair %s %s appears a second time' % (count + 1, *lines[17].split('\t')[:2])),
        ('a line too long', lines[:count - 3000] + [long_line] + lines[count - 3000:],
         'line %d: line longer than 1048576 bytes; this does not look like the input kind chosen' % (count - 2999)),
        ('a value that is not a number, before a pair given twice',
         lines[:count - 900] + ['%s\t%s\tzz\t1\t1\n' % (name(1), name(2))] + lines[count - 900:] + [lines[17]],
         "line %d: 'zz' is not a number" % (count - 899)),
    ]
    failures = 0
    for threads in (1, 2, 3):
        got = run(text, threads)
        if got != (expected, '', 0):
            failures += 1
            print('FAIL: %d threads: the matrix differs (status %d, %s)' % (threads, got[2], got[1].strip()))
        for what, fault_lines, message in faults:
            if message is None:
                continue
            got = run(''.join(fault_lines), threads)
            want = ('', 'tarvix-matrix: *stdin: %s\n' % message, 1)
            if got != want:
                failures += 1
                print('FAIL: %s, %d threads:\n  got  %r\n  want %r' % (what, threads, got[1:], want[1:]))
    print('%d failures' % failures)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
