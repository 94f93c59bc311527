#!/usr/bin/env python3
"""Runs the tarvix binary on every case under cases/ and compares standard
output, standard error and exit status exactly.

A case is a folder holding:
  args          the arguments, split like a shell splits words (no quoting)
  stdin         optional: fed to standard input
  stdout_to     optional: a path standard output is written to instead of
                being compared ("/dev/full" for a full disk)
  expected.out  expected standard output ("@PROG@" stands for the binary's path)
  expected.err  expected standard error (also "@DATA@" for the data folder)
  expected.rc   expected exit status
The binary runs inside data/, so arguments name files there.

  run_cases.py PATH/TO/tarvix [CASE ...]
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, 'data')
CASES = os.path.join(HERE, 'cases')


def read(path, default=b''):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except FileNotFoundError:
        return default


def run_case(prog, folder):
    args = read(os.path.join(folder, 'args')).decode().split()
    stdin = read(os.path.join(folder, 'stdin'))
    stdout_to = read(os.path.join(folder, 'stdout_to')).decode().strip()
    if stdout_to:
        with open(stdout_to, 'wb') as sink:
            p = subprocess.run([prog] + args, input=stdin, cwd=DATA, timeout=300,
                               stdout=sink, stderr=subprocess.PIPE)
        p.stdout = b''
    else:
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
        problems = run_case(prog, os.path.join(CASES, name))
        failed += bool(problems)
        print('%-40s %s' % (name, 'ok' if not problems else 'FAILED: ' + '; '.join(problems)))
    # Negative control: the same comparison on a scratch case whose expected
    # output is deliberately wrong must report the difference, or the harness
    # itself is broken and every "ok" above means nothing.
    with tempfile.TemporaryDirectory() as control:
        with open(os.path.join(control, 'args'), 'w') as f:
            f.write('-l m3.dst')
        with open(os.path.join(control, 'expected.out'), 'w') as f:
            f.write('not the labels\n')
        if not run_case(prog, control):
            print('%-40s FAILED: the comparison accepted a wrong output' % 'negative control')
            failed += 1
    print('%d passed, %d failed' % (len(names) - failed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
