"""Every function of the module against the command line on the same job:
the example data and generated tie-heavy matrices, compared as the printed
8-decimal values and as group numbers."""
import collections
import functools
import os
import unittest

import numpy

import cli
import tarvix


Data = collections.namedtuple('Data', 'name path reference labels distances species')
# The clustering settings of the engines: fraction of links, keywords, options.
SETTINGS = ((0.0, {}, []), (0.5, {}, []), (1.0, {}, []), (-1.0, {}, []), (0.5, {'preorder': True}, ['-q']),
            (0.0, {'shortest_paths': True}, ['-y']))


class Identity(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # taxa30 and two tie-heavy matrices, each with its reference file.
        cls.scratch = cli.Scratch()
        matrix = tarvix.read_matrix(cli.TAXA30)
        species = [line.split('\t')[1] for line in open(cli.TAXA30_REF).read().splitlines()]
        cls.sets = [Data('taxa30', cli.TAXA30, cli.TAXA30_REF, matrix.labels, matrix.distances, species)]
        for seed in (1, 2):
            labels, rows, sp, genus = cli.tie_heavy(seed)
            path = cls.scratch.file('ties%d.dst' % seed, cli.matrix_text(labels, rows))
            reference = cls.scratch.file('ties%d_ref.txt' % seed, cli.partition_text(labels, sp, genus))
            cls.sets.append(Data('ties%d' % seed, path, reference, labels, numpy.array(rows), ['g%d' % s for s in sp]))

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()

    def assertTable(self, stdout, heading, table, columns=None):
        """The printed table holds the values of the module's table (and,
        given, its column names); its rows are returned for further checks."""
        header, rows = cli.table(stdout, heading)
        self.assertEqual(len(rows), len(table))
        for (label, fields), values in zip(rows, table):
            self.assertEqual(fields, cli.images(values), label)
        if columns is not None:
            self.assertEqual(header[1:], columns)
        return rows

    def test_the_comparison_tells_different_jobs_apart(self):
        # Negative control: a harness that compared nothing would pass every
        # test below; this one must see F = 0 and F = 1 differ.
        data = self.sets[0]
        r = tarvix.optimise(data.distances, data.reference, labels=data.labels, maximum=0.2, step=0.005)
        out = cli.run('-o', data.reference, '-a', '0.2', '-s', '0.005', '-f', '1', '-v', data.path).stdout
        with self.assertRaises(AssertionError):
            self.assertTable(out, 'Threshold', r.table)

    def test_read_matrix_gives_the_labels_and_the_numbers_of_each_layout(self):
        for layout, option, name in (('extended', '-x', 'taxa30.dst'), ('phylip', '-p', 'taxa30.phy'),
                                     ('tab', '-t', 'taxa30.tab')):
            path = os.path.join(cli.EXAMPLES, name)
            m = tarvix.read_matrix(path, layout=layout)
            self.assertEqual(cli.run('-l', option, path).stdout, '\n'.join(m.labels) + '\n\n')
            self.assertTrue(m.distances.dtype == numpy.float64 and m.distances.flags.c_contiguous)
            numpy.testing.assert_array_equal(m.distances, self.sets[0].distances)
        # The numbers are those of the text, read independently.
        lines = open(cli.TAXA30).read().split('\n')[1:31]
        expected = numpy.array([[float(x) for x in line.split()[1:]] for line in lines])
        numpy.testing.assert_array_equal(self.sets[0].distances, expected)

    def test_read_matrices_reads_every_matrix_of_a_file(self):
        path = self.scratch.file('two.dst', '2\na 0 1\nb 1 0\n1\nc 0\n\n')
        self.assertEqual([m.labels for m in tarvix.read_matrices(path)], [['a', 'b'], ['c']])
        # A file of blank lines holds no matrix, as the command line reads it.
        blank = self.scratch.file('blank.dst', '\n\n')
        self.assertEqual(cli.run('-l', blank).stdout, '')
        self.assertEqual(tarvix.read_matrices(blank), [])
        with self.assertRaisesRegex(tarvix.InputError, 'blank.dst: the file holds no matrix'):
            tarvix.read_matrix(blank)

    def test_cluster_gives_the_partitions_of_the_single_threshold_run(self):
        for data in self.sets:
            for fraction, extra, flags in SETTINGS:
                series = tarvix.cluster(data.distances, maximum=0.12, step=0.01, fraction=fraction, **extra)
                self.assertEqual(series.partitions.shape, (13, len(data.labels)))
                for k in (0, 3, 5, 9, 12):
                    t = series.thresholds[k]
                    out = cli.run('-i', repr(t), '-f', fraction, *flags, data.path).stdout
                    _, rows = cli.table(out, 'Object')
                    self.assertEqual([fields[0] for _, fields in rows], cli.images(series.partitions[k]),
                                     '%s F=%s %s threshold %r' % (data.name, fraction, extra, t))
                    single = tarvix.cluster(data.distances, minimum=t, fraction=fraction, **extra)
                    numpy.testing.assert_array_equal(single.partitions[0], series.partitions[k])

    def test_the_optimisations_give_the_whole_table_and_the_best_thresholds(self):
        for data in self.sets:
            # The two-matrix criterion's second matrix: the same objects under
            # other names, distances doubled.
            second_labels = ['x' + label for label in data.labels]
            second = self.scratch.file(data.name + '_second.dst',
                                       cli.matrix_text(second_labels, (data.distances * 2).tolist()))
            names = self.scratch.file(data.name + '_names.txt',
                                      ''.join('%s\tx%s\n' % (label, label) for label in data.labels))
            jobs = [(['-o', data.reference, *flags], fraction,
                     functools.partial(tarvix.optimise, data.distances, data.reference, labels=data.labels, **extra))
                    for fraction, extra, flags in SETTINGS + ((0.5, {'index_variant': 0.5}, ['-1', '0.5']),)]
            jobs += [(['-h'], fraction, functools.partial(tarvix.optimise_internal, data.distances))
                     for fraction in (0.0, 0.5, 1.0)]
            jobs.append((['-o', names, '-d', second], 0.5, functools.partial(
                tarvix.optimise_two_matrix, data.distances, tarvix.read_matrix(second), names, labels=data.labels)))
            for options, fraction, optimise in jobs:
                args = [*options, '-a', '0.2', '-s', '0.005', '-f', fraction, data.path]
                r = optimise(maximum=0.2, step=0.005, fraction=fraction)
                rows = self.assertTable(cli.run(*args, '-v').stdout, 'Threshold', r.table, r.columns)
                self.assertEqual([label for label, _ in rows], [('%.8f' % t).rjust(10) for t in r.thresholds])
                self.assertEqual(cli.best_table(cli.run(*args).stdout),
                                 [[index, cli.image(score), cli.image(threshold)] for index, score, threshold
                                  in zip(r.indices, r.best_scores, r.best_thresholds)], args)
            # The second matrix as an array, its names as a mapping: the last job's result.
            mapped = tarvix.optimise_two_matrix(data.distances, data.distances * 2,
                                                {label: 'x' + label for label in data.labels},
                                                labels=data.labels, second_labels=second_labels,
                                                maximum=0.2, step=0.005, fraction=0.5)
            numpy.testing.assert_array_equal(mapped.table, r.table)

    def test_jackknife_with_its_seed_on_any_thread_count(self):
        for data in self.sets:
            for options, keywords in ((['-n', 20, '-w', 77], dict(replicates=20, seed=77)),
                                      (['-n', 5, '-w', -3, '-k', 0.5],
                                       dict(replicates=5, seed=-3, deletion_fraction=0.5))):
                args = ['-j', data.reference, *options, '-a', '0.15', '-s', '0.01', '-f', '0.5', data.path]
                r = tarvix.jackknife(data.distances, data.reference, labels=data.labels, maximum=0.15, step=0.01,
                                     fraction=0.5, threads=2, **keywords)
                self.assertTable(cli.run(*args, '-v').stdout, 'Replicate', r.replicates, r.columns)
                self.assertTable(cli.run(*args).stdout, 'Reference', r.summary)

    def test_cluster_qualities_of_given_partitions_and_of_a_threshold(self):
        for data in self.sets:
            q = tarvix.cluster_qualities(data.distances, data.reference, labels=data.labels)
            self.assertTable(cli.run('-c', data.reference, data.path).stdout, 'Object', q.table, q.columns)
            for threshold, fraction in ((0.05, 0.0), (0.08, 1.0)):
                q = tarvix.cluster_qualities(data.distances, threshold=threshold, fraction=fraction)
                out = cli.run('-i', threshold, '-f', fraction, data.path).stdout
                self.assertTable(out, 'Object', q.table)

    def test_reference_correction_and_its_pass_log(self):
        for data in self.sets:
            # A reference with conflicts: every fifth object moved to the next object's group.
            wrong = list(data.species)
            for k in range(0, len(wrong) - 1, 5):
                wrong[k] = wrong[k + 1] + 'x'
            path = self.scratch.file(data.name + '_wrong.txt',
                                     ''.join('%s\t%s\n' % pair for pair in zip(data.labels, wrong)))
            seen = []
            c = tarvix.correct_reference(data.distances, path, labels=data.labels,
                                         callback=lambda p, n: seen.append((p, n)))
            done = cli.run('-e', path, data.path)
            rows = self.assertTable(done.stdout, 'Object', c.qualities)
            log = [tuple(int(x) for x in line.split()) for line in done.stderr.splitlines()]
            self.assertEqual(log, [tuple(row) for row in c.passes.tolist()])
            self.assertEqual(seen, log)
            self.assertEqual([f[0] for _, f in rows], cli.images(c.partition))

    def test_guided_clustering_with_every_setting(self):
        # The graphs in the order of -b's numbers.
        settings = [('NNG', 'NONE', True, 'NONE'), ('MST', 'Z_SCORE', True, 'MAXIMUM'),
                    ('RNG', 'NONE', False, 'MAX_MIN'), ('GG', 'Z_SCORE', False, 'NONE'),
                    ('RNG_SOIG', 'NONE', True, 'MAXIMUM'), ('SOIG', 'NONE', True, 'MAX_MIN'),
                    ('MSN', 'Z_SCORE', True, 'MAX_MIN')]
        merges = ['MAXIMUM', 'MAX_MIN', 'NONE']
        for data in self.sets:
            for b, (graph, trimming, long_edges, merging) in enumerate(settings):
                g = tarvix.guided_clustering(data.distances, data.reference, labels=data.labels, graph=graph,
                                             trimming=trimming, long_edges=long_edges, merging=merging)
                out = cli.run('-g', data.reference, '-b', b, '-z', int(trimming == 'Z_SCORE'),
                              '-u', int(long_edges), '-m', merges.index(merging), data.path).stdout
                _, rows = cli.table(out, 'Object\t')
                self.assertEqual([fields for _, fields in rows], [[' %d' % x for x in column] for column in g.T],
                                 '%s %s' % (data.name, graph))

    def test_partition_similarity(self):
        for data in self.sets:
            for variant, flags in ((None, []), (0.3, ['-1', '0.3'])):
                s = tarvix.partition_similarity(data.reference, data.reference, index_variant=variant)
                self.assertTable(cli.run('-r', data.reference, *flags, data.reference).stdout, 'Threshold',
                                 s.table, s.columns)
            tested = tarvix.cluster(data.distances, maximum=0.1, step=0.02).partitions
            by_numbers = tarvix.partition_similarity(tested, data.reference, labels=data.labels)
            table = cli.partition_text(data.labels, *tested)
            out = cli.run('-r', data.reference, self.scratch.file(data.name + '_tested.txt', table)).stdout
            self.assertTable(out, 'Threshold', by_numbers.table)


if __name__ == '__main__':
    unittest.main()
