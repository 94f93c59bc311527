// Python objects in and out: distance matrices as read-only views of numpy
// arrays, partitions from int arrays, name lists, mappings, data frames or
// partition files, and numpy arrays of the results.
#pragma once

#include <exception>
#include <initializer_list>
#include <optional>
#include <thread>
#include <string>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "phylo/types.hpp"

namespace tarvix::python {

namespace py = pybind11;

// A distance matrix handed in from Python. A float64, C-contiguous n x n array
// is taken without a copy (a view that leaves the array untouched); any other
// layout or dtype is converted once. Either way the engines read it through
// a const RealMatrix. A tarvix.Matrix (labels, distances) brings its labels.
// Whether every entry is finite, as the command line's reader requires, is
// checked by a FiniteCheck around the engine call.
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
    // Whether the array was taken without a copy.
    bool borrowed() const noexcept { return borrowed_; }
    // Fails with tarvix.InputError naming the first entry that is NaN or infinite.
    void require_finite() const;

private:
    std::string what_;
    py::array_t<double, py::array::c_style | py::array::forcecast> array_;
    phylo::RealMatrix matrix_;
    std::optional<phylo::Labels> labels_;
    bool borrowed_ = false;
};

// The finiteness check of the matrices of one call, run on a second thread
// while the engine runs on the first: the check reads the whole matrix once
// (on 5000 taxa as long as half the clustering series takes), and the engines
// take NaN and infinities without harm (they compare, never index, by
// distance), so the call costs no more than the engine. run() gives the
// engine's result, or the check's failure when an entry is not finite, the
// failure the command line's reader would have stopped at before any engine.
class FiniteCheck {
public:
    explicit FiniteCheck(std::initializer_list<const MatrixArgument*> matrices);
    FiniteCheck(const FiniteCheck&) = delete;
    FiniteCheck& operator=(const FiniteCheck&) = delete;
    ~FiniteCheck();

    template <class Job>
    void run(Job job) {
        try {
            job();
        } catch (...) {
            require();
            throw;
        }
        require();
    }

private:
    void require();

    std::vector<const MatrixArgument*> matrices_;
    std::thread scan_;
    std::exception_ptr failure_;
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
