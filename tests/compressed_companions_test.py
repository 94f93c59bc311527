#!/usr/bin/env python3
"""tarvix-matrix and tarvix-plot read gzip-compressed input as they read the
plain text, recognised by its first bytes whatever the name; a cut-short
file is a failure that names it, with nothing on standard output.

  compressed_companions_test.py TARVIX TARVIX_MATRIX TARVIX_PLOT EXAMPLES
"""
import gzip
import os
import subprocess
import sys
import tempfile


def run(args, stdin=b''):
    return subprocess.run(args, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def main():
    tarvix, matrix, plot, examples = sys.argv[1:5]
    failures = []

    def expect(condition, what):
        if not condition:
            failures.append(what)

    with tempfile.TemporaryDirectory() as scratch:
        fastani = os.path.join(examples, 'cupriavidus', 'fastani_result.matrix')
        with open(fastani, 'rb') as f:
            text = f.read()
        packed = os.path.join(scratch, 'fastani.txt')  # no .gz: the content decides
        with open(packed, 'wb') as f:
            f.write(gzip.compress(text))
        plain = run([matrix, fastani])
        from_file = run([matrix, packed])
        expect(plain.returncode == from_file.returncode == 0 and from_file.stdout == plain.stdout,
               'tarvix-matrix gives the same matrix from the compressed file')
        from_stdin = run([matrix, '-'], gzip.compress(text))
        expect(from_stdin.stdout == plain.stdout, 'tarvix-matrix reads compressed standard input')
        cut = run([matrix, '-'], gzip.compress(text)[:200])
        expect(cut.returncode == 1 and cut.stdout == b'' and b'cut short' in cut.stderr,
               'tarvix-matrix fails on a cut-short file: %r' % cut.stderr)

        table = run([tarvix, '-o', os.path.join(examples, 'taxa30_ref.txt'), '-a', '0.3', '-s', '0.01', '-v',
                     os.path.join(examples, 'taxa30.dst')]).stdout
        picture = run([plot, '-t', 'x'], table)
        squeezed = run([plot, '-t', 'x'], gzip.compress(table))
        expect(picture.returncode == 0 and squeezed.stdout == picture.stdout,
               'tarvix-plot draws the same picture from a compressed table')
        cut = run([plot, '-t', 'x'], gzip.compress(table)[:100])
        expect(cut.returncode == 1 and cut.stdout == b'' and
               cut.stderr == b'tarvix-plot: standard input: the compressed data is cut short\n',
               'tarvix-plot fails on a cut-short table: %r' % cut.stderr)

    for what in failures:
        print('FAILED: ' + what)
    print('%d failed' % len(failures))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
