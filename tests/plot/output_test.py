#!/usr/bin/env python3
"""End to end: tarvix-plot never reports a failed write as success.

  output_test.py PLOT

Standard output on /dev/full (a device that refuses every write as a full
disk does) must end --version, --help and a picture with exit status 1 and
one message; a reader that goes away (`tarvix-plot | head`) must end the run
by SIGPIPE, silently, as for any filter.
"""
import signal
import subprocess
import sys

FULL = 'tarvix-plot: output error: standard output: No space left on device\n'


def table(rows):
    lines = ['Threshold \tNo._Clusters\tShared_I._0']
    lines += ['%.8f\t%11.8f\t%11.8f' % (r * 1e-4, rows - r, (r % 7) / 7) for r in range(rows)]
    return ('\n'.join(lines) + '\n').encode()


def main():
    plot = sys.argv[1]
    failures = []
    small = table(3)
    for arguments in (['--version'], ['--help'], []):
        with open('/dev/full', 'wb') as full:
            result = subprocess.run([plot] + arguments, input=small, stdout=full, stderr=subprocess.PIPE)
        if (result.returncode, result.stderr.decode()) != (1, FULL):
            failures.append('%s > /dev/full: status %d, stderr %r' % (arguments, result.returncode, result.stderr))

    # A picture far larger than a pipe holds; the reader leaves after 10 bytes.
    reader = subprocess.Popen([plot], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    reader.stdin.write(table(20000))
    reader.stdin.close()
    reader.stdout.read(10)
    reader.stdout.close()
    error = reader.stderr.read()
    if (reader.wait(timeout=60), error) != (-signal.SIGPIPE, b''):
        failures.append('closed pipe: status %d, stderr %r' % (reader.returncode, error))

    for failure in failures:
        print('FAIL ' + failure)
    print('%d failed' % len(failures))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
