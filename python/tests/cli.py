"""Runs the tarvix command line on the same jobs as the module, and reads its
reports: the module must give the very doubles and partitions the command
line prints. The build hands the paths over in TARVIX_BINARY, TARVIX_MATRIX
and TARVIX_SOURCE."""
import os
import random
import subprocess
import tempfile

SOURCE = os.environ.get('TARVIX_SOURCE', os.path.join(os.path.dirname(__file__), '..', '..'))
BINARY = os.environ.get('TARVIX_BINARY', os.path.join(SOURCE, 'build', 'tarvix'))
MATRIX = os.environ.get('TARVIX_MATRIX', os.path.join(os.path.dirname(BINARY), 'tarvix-matrix'))
EXAMPLES = os.path.join(SOURCE, 'examples')
TAXA30 = os.path.join(EXAMPLES, 'taxa30.dst')
TAXA30_REF = os.path.join(EXAMPLES, 'taxa30_ref.txt')


def run(*arguments, check=True):
    """The command line's stdout, stderr and exit status."""
    done = subprocess.run([BINARY, *map(str, arguments)], capture_output=True, text=True)
    if check and done.returncode != 0:
        raise AssertionError('tarvix %s failed: %s' % (' '.join(map(str, arguments)), done.stderr))
    return done


def image(value):
    """A real as the reports print it: 8 decimals, rounded correctly, the
    integer part padded to two characters. (No job compared here gives a NaN
    or an infinity, which the reports star: one would show as a difference.)"""
    return ('%.8f' % value).rjust(11)


def images(values):
    return [image(float(v)) for v in values]


def table(stdout, heading):
    """The rows of the report whose header line starts with heading (graph
    printouts before it skipped): (row label, fields) up to the empty line."""
    lines = stdout.split('\n')
    start = next(k for k, line in enumerate(lines) if line.startswith(heading))
    rows = []
    for line in lines[start + 1:]:
        if not line:
            break
        fields = line.split('\t')
        rows.append((fields[0], fields[1:]))
    return lines[start].split('\t'), rows


def best_table(stdout):
    """The best-threshold table of -o / -h: (index, score, threshold) fields;
    the graph printouts of -y (rows without a label) skipped."""
    return [line.split('\t') for line in stdout.split('\n') if line and not line.startswith('\t')]


class Scratch(tempfile.TemporaryDirectory):
    """A directory of generated inputs, removed at the end."""

    def __enter__(self):
        return self

    def file(self, name, text):
        path = os.path.join(self.name, name)
        with open(path, 'w') as f:
            f.write(text)
        return path


def tie_heavy(seed, n=40, decimals=2):
    """A species-like matrix whose distances are rounded to few decimals, so
    that equal distances are everywhere: (labels, rows, species, genus)."""
    rnd = random.Random(seed)
    species = []
    while len(species) < n:
        species += [len(set(species))] * rnd.randint(1, 6)
    species = species[:n]
    genus = [s // 3 for s in species]
    labels = ['T%02d_%d' % (k, species[k]) for k in range(n)]
    rows = [[0.0] * n for _ in range(n)]
    for i in range(n):
        for k in range(i + 1, n):
            low, high = ((0, 0.05) if species[i] == species[k] else (0.05, 0.15) if genus[i] == genus[k]
                         else (0.1, 0.4))
            rows[i][k] = rows[k][i] = round(rnd.uniform(low, high), decimals)
    return labels, rows, species, genus


def matrix_text(labels, rows):
    """Extended PHYLIP text holding exactly these doubles."""
    lines = [str(len(labels))]
    for label, row in zip(labels, rows):
        lines.append('\t'.join([label] + [repr(float(x)) for x in row]))
    return '\n'.join(lines) + '\n'


def partition_text(labels, *columns):
    return ''.join('\t'.join([label] + ['g%d' % c[k] for c in columns]) + '\n' for k, label in enumerate(labels))
