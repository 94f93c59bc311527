#!/usr/bin/env python3
"""Runs a program on every case of a case folder and compares standard
output, standard error and exit status exactly.

A case is a folder holding:
  args          the arguments, split like a shell splits words (no quoting)
  stdin         optional: fed to standard input
  tarvix        optional: arguments of a tarvix run (--tarvix) whose standard
                output is fed to standard input instead (tarvix must succeed)
  stdout_to     optional: a path standard output is written to instead of
                being compared ("/dev/full" for a full disk)
  expected.out  expected standard output
  expected.err  expected standard error
  expected.rc   expected exit status (0 when missing)
In every file "@PROG@" stands for the program's path, "@DATA@" for the data
folder, and KEY for VALUE with --set KEY=VALUE. The program runs inside the
data folder, so arguments name files there.

  run_cases.py PROGRAM [--cases DIR] [--data DIR] [--tarvix PATH] [--set KEY=VALUE ...] [CASE ...]

The defaults are the cases/ and data/ folders beside this script.
"""
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def read(path, default=b''):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except FileNotFoundError:
        return default


def run_case(prog, folder, data, tarvix, substitutions):
    def text(name, default=b''):
        content = read(os.path.join(folder, name), default)
        if content is not None:
            for key, value in substitutions.items():
                content = content.replace(key, value)
        return content

    stdin = text('stdin')
    feeder = text('tarvix', None)
    if feeder is not None:
        fed = subprocess.run([tarvix] + feeder.decode().split(), cwd=data, timeout=300,
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if fed.returncode != 0:
            return ['tarvix failed: %r' % fed.stderr[:300]]
        stdin = fed.stdout
    args = text('args').decode().split()
    stdout_to = text('stdout_to').decode().strip()
    with open(stdout_to or os.devnull, 'wb') as sink:
        p = subprocess.run([prog] + args, input=stdin, cwd=data, timeout=300,
                           stdout=sink if stdout_to else subprocess.PIPE, stderr=subprocess.PIPE)
    out = b'' if stdout_to else p.stdout
    want_out, want_err = text('expected.out'), text('expected.err')
    want_rc = int(text('expected.rc', b'0'))
    problems = []
    if p.returncode != want_rc:
        problems.append('exit status %d, expected %d' % (p.returncode, want_rc))
    if out != want_out:
        problems.append('stdout %r, expected %r' % (out[:300], want_out[:300]))
    if p.stderr != want_err:
        problems.append('stderr %r, expected %r' % (p.stderr[:300], want_err[:300]))
    return problems


def main():
    arguments = sys.argv[1:]
    prog = os.path.abspath(arguments.pop(0))
    cases, data, tarvix = os.path.join(HERE, 'cases'), os.path.join(HERE, 'data'), None
    substitutions = {}
    names = []
    while arguments:
        word = arguments.pop(0)
        if word == '--cases':
            cases = os.path.abspath(arguments.pop(0))
        elif word == '--data':
            data = os.path.abspath(arguments.pop(0))
        elif word == '--tarvix':
            tarvix = os.path.abspath(arguments.pop(0))
        elif word == '--set':
            key, _, value = arguments.pop(0).partition('=')
            substitutions[key.encode()] = value.encode()
        else:
            names.append(word)
    substitutions.update({b'@PROG@': prog.encode(), b'@DATA@': data.encode()})
    names = names or sorted(os.listdir(cases))
    failed = 0
    for name in names:
        problems = run_case(prog, os.path.join(cases, name), data, tarvix, substitutions)
        failed += bool(problems)
        print('%-55s %s' % (name, 'ok' if not problems else 'FAILED: ' + '; '.join(problems)))
    # Negative control: the same comparison on a copy of the first case whose
    # expected output is deliberately wrong must report the difference, or
    # the harness itself is broken and every "ok" above means nothing.
    with tempfile.TemporaryDirectory() as scratch:
        control = os.path.join(scratch, 'control')
        shutil.copytree(os.path.join(cases, names[0]), control)
        with open(os.path.join(control, 'expected.out'), 'wb') as f:
            f.write(b'not the expected output\n')
        if not run_case(prog, control, data, tarvix, substitutions):
            print('%-55s FAILED: the comparison accepted a wrong output' % 'negative control')
            failed += 1
    print('%d passed, %d failed' % (len(names) - failed, failed))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
