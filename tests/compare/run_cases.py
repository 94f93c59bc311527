#!/usr/bin/env python3
"""Runs tarvix-compare on every case under cases/ and compares standard
output, standard error and exit status exactly.

A case is a folder holding:
  args          the arguments, split like a shell splits words (no quoting)
  stdin         optional: fed to standard input
  tarvix        optional: arguments of a tarvix run whose standard output is
                fed to standard input instead (tarvix must succeed)
  stdout_to     optional: a file that receives standard output instead of the
                harness (/dev/full, to see a failing write)
  expected.out  expected standard output
  expected.err  expected standard error
  expected.rc   expected exit status
In every file "@DATA@" stands for the data folder, "@EXAMPLES@" for the
project's examples folder and "@VERSION@" for the project version. Both
binaries run inside data/, so arguments name files there.

  run_cases.py PATH/TO/tarvix-compare PATH/TO/tarvix EXAMPLES VERSION [CASE ...]
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, 'data')
CASES = os.path.join(HERE, 'cases')


def read(path, default=b''):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except FileNotFoundError:
        return default


def run_case(compare, tarvix, substitutions, name):
    folder = os.path.join(CASES, name)

    def text(file, default=b''):
        content = read(os.path.join(folder, file), default)
        if content is None:
            return None
        for key, value in substitutions.items():
            content = content.replace(key, value)
        return content

    stdin = text('stdin')
    tarvix_args = text('tarvix', None)
    if tarvix_args is not None:
        feeder = subprocess.run([tarvix] + tarvix_args.decode().split(), cwd=DATA, timeout=300,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if feeder.returncode != 0:
            return ['tarvix failed: %r' % feeder.stderr[:300]]
        stdin = feeder.stdout
    args = text('args').decode().split()
    stdout_to = text('stdout_to').decode().strip()
    with open(stdout_to, 'wb') if stdout_to else open(os.devnull, 'wb') as sink:
        p = subprocess.run([compare] + args, input=stdin, cwd=DATA, timeout=300,
                           stdout=sink if stdout_to else subprocess.PIPE, stderr=subprocess.PIPE)
    out = p.stdout if not stdout_to else b''
    return check(p.returncode, out, p.stderr, text('expected.out'), text('expected.err'),
                 int(text('expected.rc', b'0')))


def check(rc, out, err, want_out, want_err, want_rc):
    problems = []
    if rc != want_rc:
        problems.append('exit status %d, expected %d' % (rc, want_rc))
    if out != want_out:
        problems.append('stdout %r, expected %r' % (out[:400], want_out[:400]))
    if err != want_err:
        problems.append('stderr %r, expected %r' % (err[:400], want_err[:400]))
    return problems


def main():
    compare, tarvix = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    substitutions = {b'@DATA@': DATA.encode(), b'@EXAMPLES@': os.path.abspath(sys.argv[3]).encode(),
                     b'@VERSION@': sys.argv[4].encode()}
    names = sys.argv[5:] or sorted(os.listdir(CASES))
    failed = 0
    for name in names:
        problems = run_case(compare, tarvix, substitutions, name)
        failed += bool(problems)
        print('%-55s %s' % (name, 'ok' if not problems else 'FAILED: ' + '; '.join(problems)))
    # Negative control: a comparison checked against a wrong expectation must
    # fail, or the harness itself is broken.
    control = subprocess.run([compare, 'clusters.txt', 'ref.txt'], cwd=DATA,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if not check(control.returncode, control.stdout, control.stderr, b'not the comparison\n', b'', 0):
        print('negative control                                        FAILED: harness cannot tell outputs apart')
        failed += 1
    print('%d passed, %d failed' % (len(names) - failed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
