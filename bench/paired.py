#!/usr/bin/env python3
"""Times two shell commands in alternation, RUNS times each (default 5), and
prints the median wall time of each and the median of the run-by-run ratios
A / B. Output is discarded; a command that fails stops the measurement.

  paired.py 'COMMAND A' 'COMMAND B' [RUNS]
"""
import statistics
import subprocess
import sys
import time


def timed(command):
    start = time.perf_counter()
    subprocess.run(command, shell=True, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   executable='/bin/bash')
    return time.perf_counter() - start


def main():
    a, b = sys.argv[1], sys.argv[2]
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 5
    times_a, times_b = [], []
    for _ in range(runs):
        times_a.append(timed(a))
        times_b.append(timed(b))
    ratios = [x / y for x, y in zip(times_a, times_b)]
    print('A %.3fs  B %.3fs  A/B %.2f (ratios %s)' % (
        statistics.median(times_a), statistics.median(times_b), statistics.median(ratios),
        ' '.join('%.2f' % r for r in ratios)))


if __name__ == '__main__':
    main()
