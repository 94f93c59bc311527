#!/usr/bin/env python3
"""End to end: a reader that goes away (`tarvix-plot | head`) ends the run
of tarvix-plot by SIGPIPE, silently, as for any filter. (Failed writes to
/dev/full are end-to-end cases under cases/.)

  output_test.py PLOT
"""
import signal
import subprocess
import sys


def table(rows):
    lines = ['Threshold \tNo._Clusters\tShared_I._0']
    lines += ['%.8f\t%11.8f\t%11.8f' % (r * 1e-4, rows - r, (r % 7) / 7) for r in range(rows)]
    return ('\n'.join(lines) + '\n').encode()


def main():
    # A picture far larger than a pipe holds; the reader leaves after 10 bytes.
    reader = subprocess.Popen([sys.argv[1]], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    reader.stdin.write(table(20000))
    reader.stdin.close()
    reader.stdout.read(10)
    reader.stdout.close()
    error = reader.stderr.read()
    if (reader.wait(timeout=60), error) != (-signal.SIGPIPE, b''):
        print('FAIL closed pipe: status %d, stderr %r' % (reader.returncode, error))
        return 1
    print('ok   closed pipe ends the run by SIGPIPE')
    return 0


if __name__ == '__main__':
    sys.exit(main())
