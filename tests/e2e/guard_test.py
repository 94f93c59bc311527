#!/usr/bin/env python3
"""The end-to-end runner's negative control must guard: a copy of the runner
whose comparison never reports a difference has to fail the suite.

  guard_test.py PATH/TO/tarvix
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    with open(os.path.join(HERE, 'run_cases.py')) as f:
        runner = f.read()
    if runner.count('return problems') != 1:
        print('the runner no longer ends its comparison with "return problems"; update this test')
        return 1
    with tempfile.TemporaryDirectory() as scratch:
        for folder in ('cases', 'data'):
            os.symlink(os.path.join(HERE, folder), os.path.join(scratch, folder))
        broken = os.path.join(scratch, 'run_cases.py')
        with open(broken, 'w') as f:
            f.write(runner.replace('return problems', 'return []'))
        p = subprocess.run([sys.executable, broken, sys.argv[1], 'version_probe'],
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    text = p.stdout.decode()
    if p.returncode == 0 or 'negative control' not in text:
        print('a runner that accepts every output passed:\n' + text)
        return 1
    print('the negative control caught a runner that accepts every output')
    return 0


if __name__ == '__main__':
    sys.exit(main())
