// Python objects in and out: distance matrices as read-only views of numpy
// arrays, partitions from int arrays, name lists, mappings, data frames or
// partition files, and numpy arrays of the results.
#pragma once

#include <condition_variable>
#include <exception>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "phylo/series/threshold_batches.hpp"
#include "phylo/types.hpp"

namespace tarvix::python {

namespace py = pybind11;

// A distance matrix handed in from Python. A float64, C-contiguous n x n array
// is taken without a copy (a view that leaves the array untouched); any other
// layout or dtype is converted once. Either way the engines read it through
// a const RealMatrix. A tarvix.Matrix (labels, distances) brings its labels.
// Whether every entry is finite, as the command line's reader requires, is
// checked by a FiniteCheck before the engine call.
class MatrixArgument {
public:
    MatrixArgument(py::handle object, const char* what);
    MatrixArgument(const MatrixArgument&) = delete;
    MatrixArgument& operator=(const MatrixArgument&) = delete;

    const phylo::RealMatrix& matrix() const noexcept { return matrix_; }
    std::size_t size() const noexcept { return matrix_.size(); }
    // The labels given with the matrix or as labels=, if any.
    const std::optional<phylo::Labels>& labels() const noexcept { return labels_; }
    void set_labels(py::handle labels);
    // The labels, or the positions "0" .. "n-1" when none were given.
    phylo::Labels labels_or_positions() const;
    // Fails with tarvix.InputError naming the first entry that is NaN or infinite.
    void require_finite() const;
    // The same in two halves: the diagonal and the entries below it, and the
    // entries above it. The first non-finite entry of a half (its place in
    // row order), and the failure for an entry.
    enum class Half { diagonal_and_below, above };
    std::optional<std::size_t> first_non_finite(Half half) const;
    [[noreturn]] void refuse(std::size_t entry) const;

private:
    std::string what_;
    py::array_t<double, py::array::c_style | py::array::forcecast> array_;
    phylo::RealMatrix matrix_;
    std::optional<phylo::Labels> labels_;
};

// The finiteness check of the matrices of one call (check_finite=True, the
// default): the command line's reader refuses NaN and infinities, so a call
// with one fails as the command line would. The check reads the matrix once
// (on 5000 taxa about a third of the time of the clustering series of
// tarvix.optimise), or only its diagonal and lower half where the series'
// own first pass reads the upper half and finds it finite (see
// engine_reads_upper below); check_finite=False skips it, and the engines then take
// such values as the library defines them (a NaN distance never joins two
// clusters; the graph engines refuse it with a range error).
//
// The check starts on a thread of its own as soon as it is made, right after
// the matrices are taken, so that it runs beside the conversion of the other
// arguments and then beside the engine: it costs no wall time where a second
// core is free. It reads nothing but the matrices' numbers, and needs no
// interpreter lock.
class FiniteCheck {
public:
    // engine_reads_upper: the call's engine reads the first matrix's upper
    // triangle itself (the threshold series of the matrix as given) and is
    // handed upper_notice(), which it calls when that half is all finite;
    // the check then reads only the diagonal and the entries below it, and
    // the upper half only if the engine never tells (a NaN there, or a
    // failure before the series).
    FiniteCheck(std::initializer_list<const MatrixArgument*> matrices, bool enabled, bool engine_reads_upper = false);
    FiniteCheck(const FiniteCheck&) = delete;
    FiniteCheck& operator=(const FiniteCheck&) = delete;
    // A call that fails before run (a bad argument) waits for the check and
    // drops its result: such failures come first, as on the command line.
    ~FiniteCheck();

    // For the engine: nothing unless the check waits for its word.
    const phylo::series::UpperTriangleFinite* upper_notice() const noexcept {
        return checker_.joinable() && engine_reads_upper_ ? &notice_ : nullptr;
    }

    // Runs job, then waits for the check. The engines take non-finite
    // entries without harm, and a failed check wins over whatever the job
    // did, as the command line's reader refuses such a matrix before any
    // engine runs.
    template <class Job>
    void run(Job job) {
        std::exception_ptr failed;
        try {
            job();
        } catch (...) {
            failed = std::current_exception();
        }
        finish();
        if (refused_) std::rethrow_exception(refused_);
        if (failed) std::rethrow_exception(failed);
    }

private:
    enum class Upper { pending, finite, job_over };
    void check();
    void settle(Upper upper);
    void finish();

    std::vector<const MatrixArgument*> matrices_;
    bool engine_reads_upper_;
    std::mutex mutex_;
    std::condition_variable settled_;
    Upper upper_ = Upper::pending;
    phylo::series::UpperTriangleFinite notice_;
    std::exception_ptr refused_;
    std::thread checker_;
};

// Reference or tested partitions for a matrix of n objects with the given
// labels, numbered as the command line numbers the columns of a partition
// file (groups by first occurrence along the given order):
//  - a path (str or os.PathLike): a partition file, read as the command line reads it;
//  - a mapping label -> group name (or -> a sequence of names, one per partition),
//    or a pandas Series / DataFrame indexed by label: matched against the labels;
//  - an int array or a sequence of group names, of length n (one partition) or
//    p x n (p partitions): by position.
// The table of group names the command line would have read is what the
// library's own numbering turns into partitions.
phylo::GroupNameTable partition_table(py::handle object, const std::optional<phylo::Labels>& labels, std::size_t n,
                                      const char* what);
phylo::PartitionSet partitions_of(py::handle object, const std::optional<phylo::Labels>& labels, std::size_t n,
                                  const char* what);

// Labels from a Python sequence of str.
phylo::Labels labels_from(py::handle sequence);

// Result arrays.
py::array_t<double> doubles(const std::vector<double>& values);
py::array_t<double> table_array(const phylo::RealData& table, std::size_t first_column = 0);
py::array_t<std::int32_t> partition_array(const phylo::Partition& partition);
py::array_t<std::int32_t> partitions_array(const phylo::PartitionSet& set, std::size_t n);
py::array_t<double> matrix_array(const phylo::RealMatrix& matrix);
py::list label_list(const phylo::Labels& labels);

}  // namespace tarvix::python
