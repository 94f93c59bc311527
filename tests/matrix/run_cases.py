#!/usr/bin/env python3
"""Runs tarvix-matrix on the cases of a case file and compares standard
output, standard error and exit status exactly.

A case file holds cases one after the other:
  ## name            the behaviour the case shows
  $ ARGS            the arguments, split like a shell splits words (no quoting)
  < FILE            optional: standard input from FILE under data/
  << EXPRESSION     optional: standard input made by a Python expression
  | ARGS            optional: standard output goes on to tarvix ARGS, and the
                    expected standard output is then tarvix's
  > TEXT            one line of expected standard output (a lone > is empty)
  ! TEXT            one line of expected standard error (@DATA@: data folder)
  ? STATUS          expected exit status (default 0)
  ~ WHY             the case must fail: a negative control that proves the
                    harness can see a difference
The programs run inside data/, so arguments name files there.

  run_cases.py PATH/TO/tarvix-matrix PATH/TO/tarvix CASE-FILE
"""
import os
import subprocess
import sys

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'data')


def parse(path):
    cases = []
    with open(path, encoding='utf-8') as f:
        for raw in f:
            line = raw.rstrip('\n')
            if line.startswith('## '):
                cases.append({'name': line[3:], 'args': [], 'out': '', 'err': '', 'rc': 0,
                              'stdin': b'', 'pipe': None, 'must_fail': False})
            elif not line.strip() or line.startswith('#'):
                continue
            else:
                case = cases[-1]
                tag, _, text = line.partition(' ')
                if tag == '$':
                    case['args'] = text.split()
                elif tag == '<':
                    with open(os.path.join(DATA, text), 'rb') as data:
                        case['stdin'] = data.read()
                elif tag == '<<':
                    case['stdin'] = eval(text).encode()  # noqa: S307 (our own case file)
                elif tag == '|':
                    case['pipe'] = text.split()
                elif tag == '>':
                    case['out'] += text + '\n'
                elif tag == '!':
                    case['err'] += text.replace('@DATA@', DATA) + '\n'
                elif tag == '~':
                    case['must_fail'] = True
                elif tag == '?':
                    case['rc'] = int(text)
                else:
                    raise SystemExit('%s: cannot read the line %r' % (path, line))
    return cases


def run(matrix, tarvix, case):
    first = subprocess.run([matrix] + case['args'], input=case['stdin'], cwd=DATA, timeout=120,
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out, err, rc = first.stdout, first.stderr, first.returncode
    if case['pipe'] is not None and rc == 0:
        second = subprocess.run([tarvix] + case['pipe'], input=out, cwd=DATA, timeout=120,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        out, err, rc = second.stdout, err + second.stderr, second.returncode
    problems = []
    if rc != case['rc']:
        problems.append('exit status %d, expected %d' % (rc, case['rc']))
    if out != case['out'].encode():
        problems.append('stdout %r, expected %r' % (out[:400], case['out'][:400]))
    if err != case['err'].encode():
        problems.append('stderr %r, expected %r' % (err[:400], case['err'][:400]))
    return problems


def main():
    matrix, tarvix, case_file = sys.argv[1:4]
    failed = 0
    cases = parse(case_file)
    for case in cases:
        problems = run(matrix, tarvix, case)
        if case['must_fail']:
            problems = [] if problems else ['passed, but this negative control must fail']
        print('%s: %s' % ('FAIL' if problems else 'ok', case['name']))
        for problem in problems:
            print('    ' + problem)
        failed += bool(problems)
    print('%d passed, %d failed' % (len(cases) - failed, failed))
    return 1 if failed or not cases else 0


if __name__ == '__main__':
    sys.exit(main())
