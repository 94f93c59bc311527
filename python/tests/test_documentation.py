"""The examples of the documentation run as printed: every docstring's, and
the README's example of the module, end to end on the example data."""
import doctest
import importlib.util
import os
import re
import subprocess
import sys
import unittest

import cli
import tarvix


class Docstrings(unittest.TestCase):
    def test_every_function_has_an_example_that_runs(self):
        functions = [name for name in dir(tarvix) if callable(getattr(tarvix, name)) and name[0].islower()]
        for name in functions:
            self.assertIn('>>> ', getattr(tarvix, name).__doc__, name)
        result = doctest.testmod(tarvix)
        self.assertGreater(result.attempted, 3 * len(functions))
        self.assertEqual(result.failed, 0)

    def test_the_version_is_the_command_lines(self):
        self.assertEqual('tarvix ' + tarvix.__version__ + '\n', cli.run('--version').stdout)


def fastani_files(directory):
    """A fastANI table of the example strains (ANI = 100 (1 - d), the two
    directions a little apart, pairs below 75 % left out as fastANI leaves
    them) and the species list."""
    matrix = tarvix.read_matrix(cli.TAXA30)
    with open(os.path.join(directory, 'fastani.tsv'), 'w') as f:
        for i, a in enumerate(matrix.labels):
            for k, b in enumerate(matrix.labels):
                value = round(100 * (1 - matrix.distances[i, k]) - (0.01 if i < k else 0), 4)
                if value >= 75:
                    f.write('%s\t%s\t%r\t40\t50\n' % (a, b, value))
    with open(os.path.join(directory, 'species.tsv'), 'w') as f:
        f.writelines('\t'.join(line.split('\t')[:2]) + '\n' for line in open(cli.TAXA30_REF).read().splitlines())


class ReadmeExample(unittest.TestCase):
    @unittest.skipUnless(importlib.util.find_spec("pandas"), "the example reads its tables with pandas")
    def test_the_example_prints_the_best_threshold_of_the_command_line(self):
        # The python block of the README's section on the module.
        readme = open(os.path.join(cli.SOURCE, 'README.md')).read()
        code = re.search(r'```python\n(.*?)```', readme[readme.index('## Python'):], re.S).group(1)
        self.assertLessEqual(len(code.strip().split('\n')), 10)
        with cli.Scratch() as scratch:
            fastani_files(scratch.name)
            done = subprocess.run([sys.executable, '-c', code], cwd=scratch.name, capture_output=True, text=True,
                                  env=dict(os.environ, MPLBACKEND='Agg'))
            self.assertEqual(done.returncode, 0, done.stderr)
            # The command line on the same table: tarvix-matrix averages the
            # two directions and fills the missing pairs at 70 % ANI.
            subprocess.run([cli.MATRIX, '--missing', '0.3', '-o', 'fastani.dst', 'fastani.tsv'], cwd=scratch.name,
                           check=True)
            matrix = os.path.join(scratch.name, 'fastani.dst')
            species = os.path.join(scratch.name, 'species.tsv')
            best = cli.best_table(cli.run('-o', species, '-a', '0.3', '-s', '0.005', matrix).stdout)[2]
            self.assertEqual(best[0], 'Rand_Ind._0')
            threshold, score = float(best[2]), float(best[1])
            self.assertEqual(done.stdout, 'best threshold %.4f (%.2f %% ANI), Rand index %.4f\n' %
                             (threshold, 100 - 100 * threshold, score))
            # The species are found whole at some threshold, as taxa30's are.
            self.assertEqual(score, 1.0)
            if importlib.util.find_spec('matplotlib'):
                self.assertGreater(os.path.getsize(os.path.join(scratch.name, 'species.png')), 1000)


if __name__ == '__main__':
    unittest.main()
