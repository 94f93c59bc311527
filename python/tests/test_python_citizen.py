"""The module as a Python library: its exceptions and their messages, hostile
inputs, arrays left as they were, conversions, threads and the GIL."""
import importlib.util
import os
import threading
import time
import unittest

import numpy

import cli
import tarvix

D4 = numpy.array([[0, .1, .6, .7], [.1, 0, .5, .6], [.6, .5, 0, .2], [.7, .6, .2, 0]])


def every_call(d, reference, **check):
    """One call of every function that takes a matrix, the clustering also on shortest paths."""
    yield lambda: tarvix.cluster(d, maximum=0.3, step=0.1, fraction=0.5, **check)
    yield lambda: tarvix.cluster(d, maximum=0.3, step=0.1, shortest_paths=True, **check)
    yield lambda: tarvix.shortest_paths(d, **check)
    yield lambda: tarvix.optimise(d, reference, maximum=0.3, step=0.1, **check)
    yield lambda: tarvix.optimise_internal(d, maximum=0.3, step=0.1, **check)
    n = len(reference)
    names = ['t%d' % k for k in range(n)]
    yield lambda: tarvix.optimise_two_matrix(d, d, {k: k for k in names}, labels=names, second_labels=names,
                                             maximum=0.3, step=0.1, **check)
    yield lambda: tarvix.jackknife(d, reference, replicates=3, maximum=0.3, step=0.1, **check)
    yield lambda: tarvix.cluster_qualities(d, reference, **check)
    yield lambda: tarvix.correct_reference(d, reference, **check)
    yield lambda: tarvix.guided_clustering(d, reference, **check)


class Exceptions(unittest.TestCase):
    def assertSameAsCommandLine(self, call, *arguments, kind=tarvix.RangeError):
        """The module raises kind with the text of the command line's failure
        line: the first line of standard error that is no warning (a detail
        line follows it)."""
        done = cli.run(*arguments, cli.TAXA30, check=False)
        self.assertEqual(done.returncode, 1)
        with self.assertRaises(kind) as caught:
            call()
        failure = [line for line in done.stderr.splitlines() if not line.startswith('tarvix: warning: ')][0]
        self.assertEqual('tarvix: ' + str(caught.exception), failure)

    def test_the_classes_form_one_hierarchy(self):
        for cls in (tarvix.InputError, tarvix.RangeError):
            self.assertTrue(issubclass(cls, tarvix.Error) and issubclass(cls, ValueError))

    def test_values_out_of_range_fail_as_the_options_do(self):
        m = tarvix.read_matrix(cli.TAXA30)
        ref = cli.TAXA30_REF
        self.assertSameAsCommandLine(lambda: tarvix.cluster(m, fraction=2.0), '-f', '2')
        self.assertSameAsCommandLine(lambda: tarvix.cluster(m, fraction=-1.5), '-f', '-1.5')
        self.assertSameAsCommandLine(lambda: tarvix.cluster(m, minimum=-0.5), '-i', '-0.5')
        self.assertSameAsCommandLine(lambda: tarvix.optimise(m, ref, maximum=0.1, step=0.0),
                                     '-o', ref, '-a', '0.1', '-s', '0')
        self.assertSameAsCommandLine(lambda: tarvix.optimise(m, ref, index_variant=2.0), '-o', ref, '-1', '2')
        self.assertSameAsCommandLine(lambda: tarvix.jackknife(m, ref, replicates=0), '-j', ref, '-n', '0')
        self.assertSameAsCommandLine(lambda: tarvix.jackknife(m, ref, seed=2 ** 40), '-j', ref, '-w', 2 ** 40)
        self.assertSameAsCommandLine(lambda: tarvix.jackknife(m, ref, deletion_fraction=1.5), '-j', ref, '-k', '1.5')
        self.assertSameAsCommandLine(lambda: tarvix.guided_clustering(m, ref, graph=7), '-g', ref, '-b', '7')
        self.assertSameAsCommandLine(lambda: tarvix.guided_clustering(m, ref, merging=-1), '-g', ref, '-m', ' -1')
        with self.assertRaisesRegex(tarvix.RangeError, 'graph "KNN" is none of NNG, MST'):
            tarvix.guided_clustering(m, ref, graph='KNN')
        with self.assertRaisesRegex(tarvix.RangeError, 'not a real number'):
            tarvix.cluster(m, fraction=float('nan'))

    def test_partition_files_fail_as_on_the_command_line(self):
        with cli.Scratch() as scratch:
            m = tarvix.read_matrix(cli.TAXA30)
            lines = open(cli.TAXA30_REF).read().splitlines()
            # A label missing, a label the matrix does not have, a label twice.
            for name, last, function, option in (('short.txt', [], tarvix.optimise, '-o'),
                                                 ('stranger.txt', ['X99\ta\tb'], tarvix.optimise, '-o'),
                                                 ('twice.txt', [lines[0]], tarvix.cluster_qualities, '-c')):
                path = scratch.file(name, '\n'.join(lines[:-1] + last) + '\n')
                self.assertSameAsCommandLine(lambda: function(m, path), option, path, kind=tarvix.InputError)
            with self.assertRaisesRegex(tarvix.InputError, '^Invalid filename. '):
                tarvix.read_matrix(os.path.join(scratch.name, 'missing.dst'))
            bad = scratch.file('bad.dst', '2\na 0 x\nb 1 0\n')
            with self.assertRaisesRegex(tarvix.InputError, '^Wrong file format. '):
                tarvix.read_matrix(bad)
            empty = scratch.file('empty.dst', '0\n')
            self.assertSameAsCommandLine(lambda: tarvix.read_matrix(empty), '-l', empty)

    def test_hostile_arrays_raise_and_never_crash(self):
        cases = [
            (numpy.zeros((3, 4)), tarvix.InputError, 'not a square matrix: shape \\(3, 4\\)'),
            (numpy.zeros(4), tarvix.InputError, 'not a square matrix: shape \\(4,\\)'),
            (numpy.zeros((2, 2, 2)), tarvix.InputError, 'not a square matrix'),
            (numpy.zeros((0, 0)), tarvix.RangeError, '^range error: object count 0$'),
            ([['a', 'b'], ['c', 'd']], tarvix.InputError, 'must be a square matrix of numbers'),
            (None, tarvix.InputError, 'not a square matrix: shape \\(\\)'),
        ]
        for matrix, kind, pattern in cases:
            for call in every_call(matrix, [0, 0, 1, 1]):
                with self.assertRaisesRegex(kind, pattern):
                    call()

    def test_nan_and_infinities_are_refused_before_or_taken_by_the_engines_without_harm(self):
        # Small and large matrices (the check runs beside the engine on the
        # large ones; 25 entries leave one beyond the check's blocks of 8);
        # values in both triangles, in the lower one alone, or in the upper
        # one alone, which the series' own pass meets, and one in each half
        # where the lower comes first in row order.
        for n, value, where, pattern in ((5, numpy.nan, (4, 4), 'a NaN at row 4, column 4'),
                                         (4, numpy.inf, (3, 0), 'an infinite value at row 3, column 0'),
                                         (300, numpy.inf, (2, 9), 'an infinite value at row 2, column 9'),
                                         (300, -numpy.inf, (4, 8), 'an infinite value at row 4, column 8'),
                                         (300, numpy.nan, ([5, 3], [7, 1]), 'a NaN at row 3, column 1'),
                                         (300, numpy.nan, ([5, 7], [7, 5]), 'a NaN at row 5, column 7'),
                                         (300, numpy.inf, (250, 3), 'an infinite value at row 250, column 3'),
                                         (300, -numpy.inf, ([0, 299], [299, 0]),
                                          'an infinite value at row 0, column 299'),
                                         (300, numpy.nan, slice(None), 'a NaN at row 0, column 0')):
            _, rows, species, _ = cli.tie_heavy(3, n=n)
            hostile = numpy.array(rows)
            hostile[where] = value
            for call in every_call(hostile, species):
                with self.assertRaisesRegex(tarvix.InputError, pattern):
                    call()
            # Unchecked, the engines meet the values themselves: a result, or
            # the range error of an engine that refuses them; never a crash.
            for call in every_call(hostile, species, check_finite=False):
                try:
                    call()
                except tarvix.RangeError as e:
                    self.assertRegex(str(e), '^range error: ')

    def test_partitions_of_another_length_or_kind_raise(self):
        for reference, labels, pattern in (([0, 0, 1], None, 'reference has 3 objects, the matrix 4'),
                                           ([[0, 0, 1, 1, 2]], None, 'reference has 5 objects'),
                                           ([0.5, 0, 1, 1], None, 'not dtype float64'),
                                           (numpy.zeros((1, 1, 4), int), None, 'one partition or a sequence'),
                                           ({'a': 0, 'b': 0}, None, 'pass labels='),
                                           (dict(zip('abc', 'xxy')), list('abcd'), 'PHYLO.GROUP_NAMES.SIZE_ERROR'),
                                           ([0, 0, 1, 1], list('abc'), 'labels has 3 labels for 4 objects')):
            with self.assertRaisesRegex(tarvix.InputError, pattern):
                tarvix.optimise(D4, reference, labels=labels)
        # The finiteness check already runs when an argument fails: the
        # argument's error comes first, and the check is waited for.
        nan = D4.copy()
        nan[2, 1] = numpy.nan
        for _ in range(50):
            with self.assertRaisesRegex(tarvix.InputError, 'reference has 3 objects, the matrix 4'):
                tarvix.optimise(nan, [0, 0, 1])
        # A call that fails inside, before its series has read the matrix:
        # the check reads the upper half itself then, and its refusal wins.
        upper = D4.copy()
        upper[1, 2] = numpy.inf
        for matrix, pattern in ((upper, 'an infinite value at row 1, column 2'),
                                (D4, 'thresholds need about .* GB of memory')):
            with self.assertRaisesRegex(tarvix.Error, pattern):
                tarvix.optimise(matrix, [0, 0, 1, 1], maximum=2e9, step=1)

    def test_a_failing_callback_stops_the_correction_with_its_exception(self):
        def fail(pass_number, conflicts):
            raise KeyError('stop at pass %d' % pass_number)
        with self.assertRaisesRegex(KeyError, 'stop at pass 1'):
            tarvix.correct_reference(D4, [0, 1, 0, 1], callback=fail)


class Arrays(unittest.TestCase):
    def test_inputs_are_never_modified_and_may_be_read_only(self):
        d, reference = D4.copy(), numpy.array([0, 0, 1, 1])
        for array in (d, reference):
            array.setflags(write=False)
        for call in every_call(d, reference):
            call()
            numpy.testing.assert_array_equal(d, D4)
            numpy.testing.assert_array_equal(reference, [0, 0, 1, 1])

    def test_a_float64_c_array_is_taken_without_a_copy_and_others_are_copied_once(self):
        # numpy reports its array allocations to tracemalloc: a copy of the
        # 8 MB matrix would show in the peak, the module's own tables do not.
        import tracemalloc
        _, rows, species, _ = cli.tie_heavy(7, n=1000)
        d = numpy.array(rows)
        size = d.nbytes

        def peak(matrix):
            tracemalloc.start()
            tarvix.optimise(matrix, species, maximum=0.05, step=0.01)
            _, highest = tracemalloc.get_traced_memory()
            tracemalloc.stop()
            return highest

        self.assertLess(peak(d), size / 8)
        fortran = numpy.asfortranarray(d)
        self.assertGreaterEqual(peak(fortran), size)
        self.assertLess(peak(fortran), 2 * size)

    def test_other_layouts_dtypes_and_kinds_of_partition_give_the_same_results(self):
        expected = tarvix.optimise(D4, [0, 0, 1, 1], maximum=0.3, step=0.1).table
        strided = numpy.zeros((8, 8))
        strided[::2, ::2] = D4
        labels = list('abcd')
        m = tarvix.Matrix(labels, D4)
        jobs = [(other, [5, 5, -2, -2], None) for other in (numpy.asfortranarray(D4), D4.tolist(), strided[::2, ::2],
                                                             numpy.array(D4, dtype=numpy.longdouble))]
        jobs += [(D4, reference, labels) for reference in (['x', 'x', 'y', 'y'], numpy.uint8([7, 7, 3, 3]),
                                                           {'d': 'y', 'a': 'x', 'c': 'y', 'b': 'x'},
                                                           {k: ('x' if k < 'c' else 'y',) for k in labels})]
        jobs.append((m, {'a': 1, 'b': 1, 'c': 2, 'd': 2}, None))
        pandas = importlib.util.find_spec('pandas') and importlib.import_module('pandas')
        if pandas:
            frame = pandas.DataFrame({'species': ['x', 'x', 'y', 'y']}, index=labels)
            jobs += [(m, frame, None), (m, frame['species'], None)]
        for matrix, reference, names in jobs:
            r = tarvix.optimise(matrix, reference, labels=names, maximum=0.3, step=0.1)
            numpy.testing.assert_array_equal(r.table, expected, repr(reference))
        if pandas:
            self.assertEqual(list(r.frame().columns), r.columns)
            self.assertEqual(r.frame().index.name, 'threshold')
            self.assertEqual(list(r.best()['threshold']), list(r.best_thresholds))
        whole = numpy.array([[0, 1, 6], [1, 0, 5], [6, 5, 0]])  # an int matrix is converted
        self.assertEqual(tarvix.cluster(whole, minimum=2).partitions.tolist(),
                         tarvix.cluster(whole.astype(float), minimum=2).partitions.tolist())


class Threads(unittest.TestCase):
    def setUp(self):
        labels, rows, species, _ = cli.tie_heavy(5, n=300, decimals=3)
        self.d, self.species = numpy.array(rows), species

    def test_the_jackknife_gives_one_result_on_any_thread_count(self):
        runs = [tarvix.jackknife(self.d, self.species, replicates=8, maximum=0.1, step=0.01, fraction=0.5,
                                 threads=t).replicates for t in (1, 2, 3)]
        for other in runs[1:]:
            numpy.testing.assert_array_equal(other, runs[0])
        with self.assertRaisesRegex(tarvix.RangeError, 'thread count 0 is below 1'):
            tarvix.jackknife(self.d, self.species, threads=0)

    def test_the_gil_is_released_while_an_engine_runs(self):
        # The engine runs in a thread while this one counts its own turns: a
        # call that held the GIL would leave it no turn at all until it returned.
        engine = threading.Thread(target=tarvix.jackknife, args=(self.d, self.species),
                                  kwargs=dict(replicates=60, maximum=0.1, step=0.001, fraction=1.0, threads=1))
        start = time.perf_counter()
        engine.start()
        turns = 0
        while engine.is_alive():
            turns += 1
            time.sleep(0.001)
        self.assertGreater(time.perf_counter() - start, 0.05)
        self.assertGreaterEqual(turns, 5)


if __name__ == '__main__':
    unittest.main()
