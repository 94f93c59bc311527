#!/usr/bin/env python3
"""Runs the README's first command and its Cupriavidus tour exactly as
printed and checks what the README says they print and find.

The commands are the shell block that follows the tour's marker comment in
README.md. They run in a scratch folder that holds `build/` (links to the
four programs under test) and `examples/` (a link to the source tree's), so
that they read as they do from the top of the source tree. The figures are
checked against a clustering computed here, independently of the programs,
from fastANI's own file: single linkage along the accumulated thresholds, the
Rand and the adjusted Rand index, the conflicting triplets of the names.

  tour_test.py --readme README.md --examples EXAMPLES_DIR
               --tarvix T --matrix M --plot P --compare C
"""
import argparse
import itertools
import os
import re
import subprocess
import sys
import tempfile
from collections import Counter
from decimal import Decimal

MARKER = '<!-- The block below is the tour that tests/e2e/tour_test.py runs and checks. -->'

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


# The README's commands

def tour_commands(readme_text):
    """The commands of the first sh block after the marker, a command with
    its continuation lines as one, comments left out."""
    at = readme_text.index(MARKER)
    block = re.search(r'```sh\n(.*?)```', readme_text[at:], re.S).group(1)
    return script_commands(block)


def script_commands(text):
    commands, current = [], ''
    for line in text.splitlines():
        if not current and (not line.strip() or line.lstrip().startswith('#')):
            continue
        current += line + ('\n' if line.endswith('\\') else '')
        if not line.endswith('\\'):
            commands.append(current)
            current = ''
    return commands


# An independent clustering of fastANI's file

def read_fastani_matrix(path):
    """Labels (paths without folders and .fna.gz) and distances 1 - ANI/100,
    converted in decimal as the tour's converter promises, then rounded once."""
    with open(path) as f:
        lines = f.read().splitlines()
    n = int(lines[0])
    labels, dist = [], [[0.0] * n for _ in range(n)]
    for i, line in enumerate(lines[1:n + 1]):
        fields = line.split('\t')
        labels.append(re.sub(r'\.fna\.gz$', '', os.path.basename(fields[0])))
        for j, ani in enumerate(fields[1:]):
            d = float((Decimal(100) - Decimal(ani)) / Decimal(100))
            dist[i][j] = dist[j][i] = d
    return labels, dist


def single_linkage(dist, threshold, keep):
    parent = {i: i for i in keep}

    def root(x):
        while parent[x] != x:
            x = parent[x]
        return x
    for i, j in itertools.combinations(keep, 2):
        if dist[i][j] <= threshold:
            parent[root(i)] = root(j)
    return {i: root(i) for i in keep}


def rand_indices(clusters, names, keep):
    pairs = list(itertools.combinations(keep, 2))
    agree = sum((clusters[i] == clusters[j]) == (names[i] == names[j]) for i, j in pairs)

    def together(groups):
        return sum(c * (c - 1) // 2 for c in Counter(groups).values())
    both = together([(clusters[i], names[i]) for i in keep])
    a, b = together([clusters[i] for i in keep]), together([names[i] for i in keep])
    expected = a * b / len(pairs)
    return agree / len(pairs), (both - expected) / ((a + b) / 2 - expected)


def thresholds(step, count):
    t, out = 0.0, []
    for _ in range(count + 1):
        out.append(t)
        t += step
    return out


def best_run(dist, names, keep, series, which):
    """The best value of one index along the series, and the lowest and the
    highest threshold that reach it."""
    values = [rand_indices(single_linkage(dist, t, keep), names, keep)[which] for t in series]
    best = max(values)
    reached = [t for t, v in zip(series, values) if v == best]
    return best, min(reached), max(reached)


def conflicting_triplets(dist, names):
    count = 0
    for i, j, k in itertools.combinations(range(len(names)), 3):
        for a, b, c in ((k, i, j), (j, i, k), (i, j, k)):
            if names[b] == names[c] != names[a]:
                count += dist[b][c] >= max(dist[a][b], dist[a][c])
    return count


def one_to_one(clusters, names):
    members = lambda key, mapping: frozenset(i for i in mapping if mapping[i] == key)
    cluster_sets = {members(c, clusters) for c in set(clusters.values())}
    return sum(members(g, names) in cluster_sets for g in set(names.values()))


def read_square(path):
    """An extended PHYLIP matrix: the count, then a label and n distances a row."""
    with open(path) as f:
        rows = [line.split() for line in f.read().splitlines()[1:] if line.strip()]
    return [row[0] for row in rows], [[float(x) for x in row[1:]] for row in rows]


def check_first_report(readme, examples, tarvix):
    """The first command of the README prints the report that its tour quotes,
    and the README's account of that report holds: each best threshold is
    the middle of the run of thresholds reaching the best Rand index, and the
    genus run is cut by -a 0.2."""
    first = readme.split('```sh\n', 1)[1].splitlines()[0].split(' && ')[-1]
    check(first == 'build/tarvix -o examples/taxa30_ref.txt -a 0.3 -s 0.01 examples/taxa30.dst',
          'the README begins with the optimisation of the example data')
    quoted = re.search(r'### Reading the first report\n.*?```\n(.*?)```', readme, re.S).group(1)
    p = subprocess.run([os.path.abspath(tarvix)] + first.split()[1:],
                       cwd=os.path.dirname(os.path.abspath(examples)), stdout=subprocess.PIPE)
    check(p.returncode == 0 and p.stdout.decode() == quoted + '\n', 'the first report as the README quotes it')
    labels, dist = read_square(os.path.join(examples, 'taxa30.dst'))
    with open(os.path.join(examples, 'taxa30_ref.txt')) as f:
        reference = {row[0]: row[1:] for row in (line.split('\t') for line in f.read().splitlines())}
    everyone = list(range(len(labels)))
    for column, runs in ((0, {30: ('0.03', '0.08'), 20: ('0.03', '0.08')}),
                         (1, {30: ('0.09', '0.25'), 20: ('0.09', '0.20')})):
        names = {i: reference[labels[i]][column] for i in everyone}
        for count, run in runs.items():
            _, low, high = best_run(dist, names, everyone, thresholds(0.01, count), 0)
            check(('%.2f' % low, '%.2f' % high) == run, 'the run of partition %d up to %d steps' % (column, count))
    for figure in ('from 0.03 to 0.08', 'from 0.09 to 0.25', '(0.09 + 0.2) / 2 = 0.145'):
        check(figure in readme, 'the README quotes ' + figure)


# The programs' outputs

def table(text):
    """The rows of a tab-separated report, as lists of stripped fields."""
    return [[field.strip() for field in line.split('\t')] for line in text.splitlines() if line.strip()]


def counts(compare_output):
    """The closing counts of tarvix-compare, and its split groups."""
    rows = table(compare_output)
    summary = {row[0]: int(row[1]) for row in rows if len(row) == 2}
    split_at = next(i for i, row in enumerate(rows) if row[0] == 'Split_group')
    split = {row[0] for row in rows[split_at + 1:] if len(row) == 6}
    return summary, split


def main():
    parser = argparse.ArgumentParser()
    for option in ('readme', 'examples', 'tarvix', 'matrix', 'plot', 'compare'):
        parser.add_argument('--' + option, required=True)
    args = parser.parse_args()
    with open(args.readme) as f:
        readme = f.read()
    check_first_report(readme, args.examples, args.tarvix)
    commands = tour_commands(readme)

    # The installed-copy script runs the same commands.
    with open(os.path.join(args.examples, 'cupriavidus', 'tour.sh')) as f:
        script = f.read().split('\nset -e\n', 1)[1]
    as_installed = [c.replace('build/', '').replace('examples/cupriavidus/', '"$data"/') for c in commands]
    check(script_commands(script) == as_installed, 'examples/cupriavidus/tour.sh differs from the README tour')

    results = {}
    with tempfile.TemporaryDirectory() as scratch:
        os.mkdir(os.path.join(scratch, 'build'))
        for name, program in (('tarvix', args.tarvix), ('tarvix-matrix', args.matrix),
                              ('tarvix-plot', args.plot), ('tarvix-compare', args.compare)):
            os.symlink(os.path.abspath(program), os.path.join(scratch, 'build', name))
        os.symlink(os.path.abspath(args.examples), os.path.join(scratch, 'examples'))
        for command in commands:
            p = subprocess.run(['bash', '-o', 'pipefail', '-c', command], cwd=scratch, timeout=300,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            if p.returncode != 0:
                print('FAILED (exit status %d): %s\n%s' % (p.returncode, command, p.stderr))
                return 1
            results[command] = p
        with open(os.path.join(scratch, 'cupriavidus.svg')) as f:
            svg = f.read()

    def output(prefix):
        matches = [c for c in commands if c.startswith(prefix)]
        check(len(matches) == 1, 'one tour command begins with ' + prefix)
        missing = subprocess.CompletedProcess(prefix, 0, '', '')
        return results[matches[0]] if matches else missing

    labels, dist = read_fastani_matrix(os.path.join(args.examples, 'cupriavidus', 'fastani_result.matrix'))
    with open(os.path.join(args.examples, 'cupriavidus', 'species.tsv')) as f:
        species_rows = [line.split('\t') for line in f.read().splitlines()]
    # The converter's labels are the names file's keys, in the same order.
    check([row[0] for row in species_rows] == labels, 'the file stems of fastANI are the keys of species.tsv')
    check(output('build/tarvix -l').stdout == ''.join(l + '\n' for l in labels[:3]), 'the labels listed')
    everyone = list(range(len(labels)))
    names = {i: species_rows[i][1] for i in everyone}

    # The best threshold against the names: every index at 0.09, the middle
    # of the run 0.083 .. 0.097 that the Rand indices reach here too.
    series = thresholds(0.001, 200)
    rand, rand_low, rand_high = best_run(dist, names, everyone, series, 0)
    adjusted, adjusted_low, adjusted_high = best_run(dist, names, everyone, series, 1)
    check(('%.3f' % rand_low, '%.3f' % rand_high) == ('0.083', '0.097'), 'the Rand run')
    check((adjusted_low, adjusted_high) == (rand_low, rand_high), 'the adjusted Rand run')
    middle = '%.8f' % ((rand_high - rand_low) * 0.5 + rand_low)
    best = table(output('build/tarvix -o species.txt -a 0.2 -s 0.001 cupriavidus.dst').stdout)
    check([row[2] for row in best] == [middle] * 6, 'every index is best at ' + middle)
    check(best[2] == ['Rand_Ind._0', '%.8f' % rand, middle] and best[5][1] == best[2][1], 'the best Rand index')
    check(best[1] == ['Modif._RI_0', '%.8f' % adjusted, middle], 'the best adjusted Rand index')
    at_best = single_linkage(dist, series[90], everyone)
    at_95 = single_linkage(dist, series[50], everyone)
    check(len(set(at_best.values())) == 13 and len(set(at_95.values())) == 16, 'the cluster counts')
    check('%.3f' % rand_indices(at_95, names, everyone)[1] == '0.772', 'the adjusted Rand index at 0.05')
    for figure in ('Rand index %.3f' % rand, 'adjusted Rand %.3f' % adjusted, '0.083 to 0.097',
                   'shared information %.3f' % float(best[0][1]), '13 clusters against the 15 names',
                   'At 0.05 there are 16 clusters and the adjusted Rand index is 0.772'):
        check(figure in readme, 'the README quotes ' + figure)

    # GCF_002011925.2 pulls the threshold up: without it the best run lies
    # near 94 % ANI.
    necator = [i for i in everyone if names[i] == 'Cupriavidus_necator']
    outlier = labels.index('GCF_002011925.2_ASM201192v2_genomic')
    others = [dist[outlier][i] for i in necator if i != outlier]
    check(('%.4f' % min(others), '%.4f' % max(others)) == ('0.0825', '0.0839'), 'the C. necator outlier')
    check(rand_low - 0.001 < min(others) <= rand_low, 'the run begins where the outlier joins')
    without = [i for i in everyone if i != outlier]
    _, low, high = best_run(dist, names, without, series, 0)
    check(('%.3f' % low, '%.3f' % high) == ('0.060', '0.062'), 'the best run without the outlier')

    # The jackknife: the median best threshold 0.09 for every index, and the
    # 95 % intervals the README quotes.
    jackknife = {}
    for row in table(output('build/tarvix -j').stdout)[1:]:
        jackknife.setdefault(row[0], []).append(row)
    for index, low95 in (('Shared_I._0', '0.04950000'), ('Modif._RI_0', '0.05500000')):
        threshold_row = jackknife[index][1]
        check(threshold_row[3] == '0.09000000', 'the median best threshold of ' + index)
        check((threshold_row[7], threshold_row[8]) == (low95, '0.09700000'), 'the 95 % interval of ' + index)
    check(jackknife['Rand_Ind._0'][1][3] == '0.09000000', 'the median best threshold of Rand_Ind._0')

    # The picture: the ANI axis and the 95 % ANI line are drawn.
    check(svg.startswith('<svg') or svg.startswith('<?xml'), 'the picture is SVG')
    check('95% ANI' in svg and 'ANI % = 100' in svg, 'the picture has the ANI axis and mark')

    # The correction: the first pass meets every conflicting triplet of the
    # names; the second none.
    corrected = output('build/tarvix -e')
    triplets = conflicting_triplets(dist, [names[i] for i in everyone])
    check(corrected.stderr == ' 1  %d\n 2  0\n' % triplets and triplets == 27, 'the passes of the correction')

    # Which names disagree.
    summary, split = counts(output('build/tarvix-compare ani95.out').stdout)
    check(summary['Clusters'] == 16 and summary['Reference_groups'] == 15, 'clusters and names at 95 % ANI')
    check(summary['One_to_one'] == one_to_one(at_95, names) == 8, 'names matched at 95 % ANI')
    check(split == {'Cupriavidus_pauculus', 'Cupriavidus_oxalaticus', 'Cupriavidus_necator'}, 'split at 95 % ANI')
    trio = {labels.index(l) for l in ('GCF_001854325.1_ASM185432v1_genomic', 'GCF_001854285.1_ASM185428v1_genomic',
                                      'GCF_001854305.1_ASM185430v1_genomic')}
    check(len({at_95[i] for i in trio}) == 1 and sum(1 for i in everyone if at_95[i] == at_95[min(trio)]) == 3,
          'the three near-identical genomes form one cluster')
    summary, split = counts(output('build/tarvix-compare best.out').stdout)
    check(summary['Clusters'] == 13 and summary['Merged_clusters'] == 3, 'merged at the best threshold')
    check(split == {'Cupriavidus_pauculus'} and summary['One_to_one'] == one_to_one(at_best, names),
          'split at the best threshold')
    pauculus = [i for i in everyone if names[i] == 'Cupriavidus_pauculus']
    check(len({single_linkage(dist, series[144], everyone)[i] for i in pauculus}) == 3 and
          len({single_linkage(dist, series[145], everyone)[i] for i in pauculus}) < 3, 'C. pauculus apart below 0.145')
    summary, split = counts(output('build/tarvix-compare corrected.out').stdout)
    check(summary['One_to_one'] == 12 and split == {'Cupriavidus_pauculus'}, 'the corrected names')

    for what in failures:
        print('FAILED:', what)
    print('the tour holds' if not failures else 'the tour does not hold as the README tells it')
    return 1 if failures else 0


if __name__ == '__main__':
    try:
        sys.exit(main())
    except (LookupError, ValueError, StopIteration) as e:
        # An output of another shape than the checks read (a missing row or
        # count) fails the tour as plainly as a wrong figure.
        print('FAILED: an output is not shaped as the README shows it (%r)' % e)
        sys.exit(1)
