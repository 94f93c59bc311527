#!/usr/bin/env python3
"""Runs the README's first command and its Cupriavidus tour exactly as
printed and checks what the README says they print and find.

The commands are the shell block that follows the tour's marker comment in
README.md. They run in a scratch folder that holds `build/` (links to the
four programs under test) and `examples/` (a link to the source tree's), so
that they read as they do from the top of the source tree. Every figure the
README states is rebuilt from what the programs print (the tour's commands
and a few more runs: verbose tables, clusterings at one threshold, the matrix
without its outlier) or from the distances tarvix-matrix wrote, and must
stand in the README as computed.

  tour_test.py --readme README.md --examples EXAMPLES_DIR
               --tarvix T --matrix M --plot P --compare C
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

NUMBERS = 'no one two three four five six seven'.split()
MARKER = '<!-- The block below is the tour that tests/e2e/tour_test.py runs and checks. -->'

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def says(readme, figure):
    check(figure in readme, 'the README says "%s"' % figure)


def script_commands(text):
    """The commands of a shell script, a command with its continuation lines
    as one, comments left out."""
    commands, current = [], ''
    for line in text.splitlines():
        if not current and (not line.strip() or line.lstrip().startswith('#')):
            continue
        current += line + ('\n' if line.endswith('\\') else '')
        if not line.endswith('\\'):
            commands.append(current)
            current = ''
    return commands


def table(text):
    """The rows of a tab-separated report, as lists of stripped fields."""
    return [[field.strip() for field in line.split('\t')] for line in text.splitlines() if line.strip()]


def best_runs(verbose):
    """For each column of a verbose table: its best value, and the lowest and
    the highest threshold that reach it (as numbers, for '%g')."""
    header, *rows = table(verbose)
    runs = {}
    for c, name in enumerate(header[1:], 1):
        best = max(float(row[c]) for row in rows)
        reached = [float(row[0]) for row in rows if float(row[c]) == best]
        runs[name] = (best, reached[0], reached[-1])
    return runs


def clusters(text):
    """The cluster of each object in a report of tarvix -i."""
    return {row[0]: row[1] for row in table(text)[1:]}


def compare_counts(text):
    """The closing counts of tarvix-compare, and its split groups."""
    rows = table(text)
    split_at = next(i for i, row in enumerate(rows) if row[0] == 'Split_group')
    return ({row[0]: int(row[1]) for row in rows if len(row) == 2},
            {row[0] for row in rows[split_at + 1:] if len(row) == 6})


def main():
    parser = argparse.ArgumentParser()
    for option in ('readme', 'examples', 'tarvix', 'matrix', 'plot', 'compare'):
        parser.add_argument('--' + option, required=True)
    args = parser.parse_args()
    with open(args.readme) as f:
        readme = f.read()
    commands = script_commands(re.search(r'```sh\n(.*?)```', readme[readme.index(MARKER):], re.S).group(1))

    with tempfile.TemporaryDirectory() as scratch:
        os.mkdir(os.path.join(scratch, 'build'))
        for name in ('tarvix', 'matrix', 'plot', 'compare'):
            program = os.path.join(scratch, 'build', 'tarvix' + ('-' + name if name != 'tarvix' else ''))
            os.symlink(os.path.abspath(getattr(args, name)), program)
        os.symlink(os.path.abspath(args.examples), os.path.join(scratch, 'examples'))

        def run(command):
            p = subprocess.run(['bash', '-o', 'pipefail', '-c', command], cwd=scratch, timeout=300,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
            if p.returncode != 0:
                raise RuntimeError('exit status %d: %s\n%s' % (p.returncode, command, p.stderr))
            return p

        def scratch_file(name, text=None):
            with open(os.path.join(scratch, name), 'w' if text is not None else 'r') as f:
                return f.write(text) if text is not None else f.read()

        script = scratch_file('examples/cupriavidus/tour.sh').split('\nset -e\n', 1)[1]
        as_installed = [c.replace('build/', '').replace('examples/cupriavidus/', '"$data"/') for c in commands]
        check(script_commands(script) == as_installed, 'examples/cupriavidus/tour.sh differs from the README tour')

        # The first command of the README prints the report its tour quotes,
        # and the account of that report holds.
        first = readme.split('```sh\n', 1)[1].splitlines()[0].split(' && ')[-1]
        check(first == 'build/tarvix -o examples/taxa30_ref.txt -a 0.3 -s 0.01 examples/taxa30.dst',
              'the README begins with the optimisation of the example data')
        quoted = re.search(r'### Reading the first report\n.*?```\n(.*?)```', readme, re.S).group(1)
        check(run(first).stdout == quoted + '\n', 'the first report as the README quotes it')
        runs = best_runs(run(first + ' -v').stdout)
        species, genera = ({runs[index + k] for index in ('Shared_I._', 'Modif._RI_', 'Rand_Ind._')} for k in '01')
        check(species == {(1.0, 0.03, 0.08)} and genera == {(1.0, 0.09, 0.25)},
              'the species matched exactly from 0.03 to 0.08, the genera from 0.09 to 0.25, by every index')
        says(readme, 'at every threshold from 0.03 to 0.08, and the genera from 0.09 to 0.25')
        says(readme, 'equally high, %.3f, from %g, where the species are matched, to %g' % runs['Shared_I._2'])
        cut = [float(row[2]) for row in table(run(first.replace('-a 0.3', '-a 0.2')).stdout)]
        check(cut[0] == 0.055, 'the species\' best threshold does not move with -a')
        says(readme, '(0.09 + 0.2) / 2 = %g (the mean\'s becomes %g)' % (cut[3], cut[6]))

        results = {command: run(command) for command in commands}

        def output(prefix):
            return results[next(c for c in commands if c.startswith(prefix))].stdout

        # The labels: fastANI's paths without folders and .fna.gz.
        path = scratch_file('examples/cupriavidus/fastani_result.matrix').splitlines()[1]
        names = dict(line.split('\t') for line in scratch_file('species.txt').splitlines())
        check(output('build/tarvix -l').splitlines() == list(names)[:3], 'the labels listed')
        says(readme, '`%s` becomes `%s`' % (path, list(names)[0]))
        rows = [line.split() for line in scratch_file('cupriavidus.dst').splitlines()[1:]]
        labels = [row[0] for row in rows]

        def apart(a, b, decimals=1):
            """The distances between two sets of genomes in percent, as the
            README gives them: "x" or "x to y"."""
            found = [100 * float(rows[labels.index(i)][labels.index(k) + 1]) for i in a for k in b if i != k]
            return ' to '.join(dict.fromkeys('%.*f' % (decimals, x) for x in (min(found), max(found))))

        def genomes(*keys):
            return [label for label in labels if names[label] in keys or label.split('_ASM')[0] in keys]

        # The best threshold against the names: the run of best values, the
        # cluster counts, the outlier that begins the run.
        best = {row[2] for row in table(output('build/tarvix -o species.txt -a 0.2 -s 0.001 cupriavidus.dst'))}
        check(len(best) == 1, 'every index is best at one threshold')
        says(readme, 'The best threshold is %g, well above' % float(best.pop()))
        verbose = run(next(c for c in commands if ' -v ' in c).split(' \\')[0]).stdout
        runs = best_runs(verbose)
        at = {row[0]: [float(x) for x in row[1:]] for row in table(verbose)[1:]}
        check(len({runs[c][1:] for c in runs if c != 'No._Clusters'}) == 1, 'one run for every index')
        says(readme, '(Rand index %.3f, adjusted Rand %.3f, shared information %.3f), with %d clusters against the '
             '%d names; every threshold from %g to %g does equally well' % (
                 runs['Rand_Ind._0'][0], runs['Modif._RI_0'][0], runs['Shared_I._0'][0], at['0.09000000'][0],
                 len(set(names.values())), runs['Rand_Ind._0'][1], runs['Rand_Ind._0'][2]))
        says(readme, 'At 0.05 there are %d clusters and the adjusted Rand index is %.3f' % tuple(
            at['0.05000000'][k] for k in (0, 2)))
        outlier = 'GCF_002011925.2_ASM201192v2_genomic'
        necator = [label for label in genomes('Cupriavidus_necator') if label != outlier]
        to_necator = sorted(float(rows[labels.index(outlier)][labels.index(k) + 1]) for k in necator)
        check(runs['Rand_Ind._0'][1] - 0.001 < to_necator[0] <= runs['Rand_Ind._0'][1],
              'the run begins where the outlier joins')
        says(readme, 'joins the other %s C. necator genomes, from which it is %s %% apart (%.1f to %.1f %% ANI)' % (
            NUMBERS[len(necator)], apart([outlier], necator, 2), 100 - 100 * to_necator[-1], 100 - 100 * to_necator[0]))

        # The jackknife: the median best threshold of every index and the 95 %
        # intervals.
        jackknife = table(output('build/tarvix -j'))[2::2]
        medians = {row[3] for row in jackknife}
        check(len(medians) == 1, 'one median best threshold for every index')
        says(readme, 'the median best threshold of the 100 replicates is %g for every index' % float(medians.pop()))
        says(readme, 'runs from %g to %g (shared information; %g to %g for the adjusted Rand index)' % tuple(
            float(x) for row in jackknife[:2] for x in row[7:9]))
        # Without the outlier: a matrix and names file of the other 32.
        keep = [k for k, label in enumerate(labels) if label != outlier]
        scratch_file('others.dst', '%d\n' % len(keep) + ''.join(
            ' '.join([rows[i][0]] + [rows[i][k + 1] for k in keep]) + '\n' for i in keep))
        scratch_file('others.txt', ''.join('%s\t%s\n' % (labels[i], names[labels[i]]) for i in keep))
        without = best_runs(run('build/tarvix -o others.txt -a 0.2 -s 0.001 -v others.dst').stdout)['Rand_Ind._0']
        says(readme, 'without %s alone, the Rand index would be best from %.3f to %.3f' % (
            outlier[:15], without[1], without[2]))

        # The picture: the ANI axis and the 95 % ANI line are drawn.
        svg = scratch_file('cupriavidus.svg')
        check('95% ANI' in svg and 'ANI % = 100' in svg, 'the picture has the ANI axis and mark')

        # Which names disagree, at 95 % ANI and at the best threshold.
        counts, split = compare_counts(output('build/tarvix-compare ani95.out'))
        says(readme, '95 %% ANI: %d clusters, %d of the %d names matched one to one' % (
            counts['Clusters'], counts['One_to_one'], counts['Reference_groups']))
        check(split == {'Cupriavidus_pauculus', 'Cupriavidus_oxalaticus', 'Cupriavidus_necator'}, 'split at 95 % ANI')
        at_95 = clusters(scratch_file('ani95.out'))
        trio = genomes('Cupriavidus_malaysiensis', 'Cupriavidus_sp._USMAHM13', 'Cupriavidus_sp._USMAA2-4')
        check(len(trio) == 3 and {at_95[t] for t in trio} == {at_95[trio[0]]} and
              list(at_95.values()).count(at_95[trio[0]]) == 3, 'the three near-identical genomes form one cluster')
        pauculus = genomes('Cupriavidus_pauculus')
        below, at_145 = (clusters(run('build/tarvix -i %s cupriavidus.dst' % t).stdout) for t in ('0.144', '0.145'))
        check(len({below[p] for p in pauculus}) == 3 and len({at_145[p] for p in pauculus}) < 3,
              'C. pauculus apart below 0.145')
        oxalaticus = genomes('Cupriavidus_oxalaticus')
        for figure in ('holds three genomes %s %% apart, three clusters at every threshold below 0.145' % (
                           apart(pauculus, pauculus)),
                       'GCF_004768545.1 lies %s %%' % apart(genomes('GCF_004768545.1'), oxalaticus),
                       'KK10 falls among the other five, %s %% from GCF_000219215.1' % apart(
                           genomes('Cupriavidus_sp._KK10'), genomes('GCF_000219215.1')),
                       'are %s %% apart: one species' % apart(trio, trio),
                       'MP-37 with *C. taiwanensis* (%s %% apart)' % apart(
                           genomes('Cupriavidus_sp._MP-37'), genomes('Cupriavidus_taiwanensis')),
                       'GCF_019931045.1 leaves its species. The correction removes only the contradictions among '
                       'triplets; it leaves the other two *C. pauculus* genomes, %s %% apart' % apart(
                           *[[p for p in pauculus if not p.startswith('GCF_019931045.1')]] * 2)):
            says(readme, figure)
        counts, split = compare_counts(output('build/tarvix-compare best.out'))
        check(split == {'Cupriavidus_pauculus'}, 'only C. pauculus split at 0.09')
        says(readme, 'only *C. pauculus* stays split; the price is %s merged clusters' % (
            NUMBERS[counts['Merged_clusters']]))

        # The correction's passes (on standard error) and the names it keeps.
        passes = results['build/tarvix -e species.txt cupriavidus.dst > corrected.out'].stderr
        check(re.fullmatch(r' 1  \d+\n 2  0\n', passes), 'two passes, the second without conflicts')
        says(readme, 'two passes: %s conflicting triplets, then none' % passes.split()[1])
        counts, split = compare_counts(output('build/tarvix-compare corrected.out'))
        says(readme, 'keep %d of the 15 names as they are' % counts['One_to_one'])
        check(split == {'Cupriavidus_pauculus'}, 'the corrected names split C. pauculus alone')

    for what in failures:
        print('FAILED:', what)
    print('the tour holds' if not failures else 'the tour does not hold as the README tells it')
    return 1 if failures else 0


if __name__ == '__main__':
    try:
        sys.exit(main())
    except (LookupError, ValueError, StopIteration, RuntimeError) as e:
        # A command that fails, or an output of another shape than the checks
        # read (a missing row or count), fails the tour as plainly as a wrong
        # figure.
        print('FAILED: %s' % (e if isinstance(e, RuntimeError) else
                              'an output is not shaped as the README shows it (%r)' % e))
        sys.exit(1)
