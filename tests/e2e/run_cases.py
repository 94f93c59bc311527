#!/usr/bin/env python3
"""Runs the tarvix binary on every case under cases/ and compares standard
output, standard error and exit status exactly.

A case is a folder holding:
  args          the arguments, split like a shell splits words (no quoting)
  stdin         optional: fed to standard input
  expected.out  expected standard output ("@PROG@" stands for the binary's path)
  expected.err  expected standard error (also "@DATA@" for the data folder)
  expected.rc   expected exit status
The binary runs inside data/, so arguments name files there.

  run_cases.py PATH/TO/tarvix [CASE ...]
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


def run_case(prog, name):
    folder = os.path.join(CASES, name)
    args = read(os.path.join(folder, 'args')).decode().split()
    stdin = read(os.path.join(folder, 'stdin'))
    p = subprocess.run([prog] + args, input=stdin, cwd=DATA, timeout=300,
                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    want_out = read(os.path.join(folder, 'expected.out')).replace(b'@PROG@', prog.encode())
    want_err = read(os.path.join(folder, 'expected.err')).replace(b'@DATA@', DATA.encode())
    want_err = want_err.replace(b'@PROG@', prog.encode())
    want_rc = int(read(os.path.join(folder, 'expected.rc'), b'0'))
    problems = []
    if p.returncode != want_rc:
        problems.append('exit status %d, expected %d' % (p.returncode, want_rc))
    if p.stdout != want_out:
        problems.append('stdout %r, expected %r' % (p.stdout[:300], want_out[:300]))
    if p.stderr != want_err:
        problems.append('stderr %r, expected %r' % (p.stderr[:300], want_err[:300]))
    return problems


def main():
    prog = os.path.abspath(sys.argv[1])
    names = sys.argv[2:] or sorted(os.listdir(CASES))
    failed = 0
    for name in names:
        problems = run_case(prog, name)
        failed += bool(problems)
        print('%-40s %s' % (name, 'ok' if not problems else 'FAILED: ' + '; '.join(problems)))
    # Negative control: a case compared against a deliberately wrong
    # expectation must fail, or the harness itself is broken.
    control = subprocess.run([prog, '-l', 'm3.dst'], cwd=DATA, stdout=subprocess.PIPE)
    if control.stdout == b'not the labels\n':
        print('negative control                         FAILED: harness accepted a wrong output')
        failed += 1
    print('%d passed, %d failed' % (len(names) - failed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
