#include "arrays.hpp"

#include <cmath>
#include <cstring>

#include "errors.hpp"
#include "phylo/errors.hpp"
#include "phylo/io/partition_file.hpp"
#include "phylo/io/text_input.hpp"
#include "phylo/number_images.hpp"
#include "phylo/partitions/partitions.hpp"

namespace tarvix::python {

namespace {

std::string shape_image(const py::array& array) {
    std::string text = "(";
    for (py::ssize_t d = 0; d < array.ndim(); ++d) {
        if (d > 0) text += ", ";
        text += phylo::decimal(array.shape(d));
    }
    return text + (array.ndim() == 1 ? ",)" : ")");
}

// The first entry that is not a finite number, as the command line's reader
// refuses every such entry. The whole array is read once at memory speed:
// x - x is 0 for a finite x and NaN otherwise, summed in eight independent
// lanes that the compiler turns into vector operations; only a block whose
// sum is not 0 is searched entry by entry.
std::optional<std::size_t> first_non_finite(const double* values, std::size_t count) {
    constexpr std::size_t block = 4096;
    for (std::size_t begin = 0; begin < count; begin += block) {
        const std::size_t end = std::min(count, begin + block);
        double lanes[8] = {};
        std::size_t p = begin;
        for (; p + 8 <= end; p += 8)
            for (std::size_t k = 0; k < 8; ++k) lanes[k] += values[p + k] - values[p + k];
        double sum = 0;
        for (; p < end; ++p) sum += values[p] - values[p];
        for (const double lane : lanes) sum += lane;
        if (sum != 0.0 || sum != sum)
            for (std::size_t q = begin; q < end; ++q)
                if (!std::isfinite(values[q])) return q;
    }
    return std::nullopt;
}

bool is_path(py::handle object) {
    return py::isinstance<py::str>(object) || py::hasattr(object, "__fspath__");
}

bool is_mapping(py::handle object) {
    return py::isinstance<py::dict>(object) ||
           (py::hasattr(object, "keys") && py::hasattr(object, "items") && !py::isinstance<py::array>(object));
}

// A str's own UTF-8 text, read in place (labels come by the thousand);
// anything else as str() gives it.
std::string text_of(py::handle value) {
    if (PyUnicode_Check(value.ptr())) {
        Py_ssize_t size = 0;
        if (const char* text = PyUnicode_AsUTF8AndSize(value.ptr(), &size))
            return std::string(text, static_cast<std::size_t>(size));
        throw py::error_already_set();
    }
    return py::str(value).cast<std::string>();
}

phylo::GroupNameRow names_of(py::handle sequence) {
    phylo::GroupNameRow row;
    for (py::handle value : sequence) row.push_back(text_of(value));
    return row;
}

// Positional partitions: one row of n group numbers or names, or p rows; n
// must be expected (any n when expected is 0). The header is the labels, or
// the positions "0" .. "n-1" when it comes empty.
phylo::GroupNameTable positional_table(py::handle object, phylo::Labels header, std::size_t expected,
                                       const char* what) {
    const py::module_ numpy = py::module_::import("numpy");
    py::array array = numpy.attr("asarray")(object);
    if (array.ndim() == 1) array = array.attr("reshape")(1, -1);
    if (array.ndim() != 2)
        bad_input(std::string(what) + " must be one partition or a sequence of partitions, not an array of shape " +
                  shape_image(array));
    const char kind = array.dtype().kind();
    phylo::GroupNameTable table{std::move(header)};
    const auto rows = static_cast<std::size_t>(array.shape(0));
    const auto n = static_cast<std::size_t>(array.shape(1));
    if (expected != 0 && n != expected)
        bad_input(std::string(what) + " has " + phylo::decimal(n) + " objects, the matrix " +
                  phylo::decimal(expected));
    if (table.front().empty())
        for (std::size_t k = 0; k < n; ++k) table.front().push_back(phylo::decimal(k));
    if (kind == 'i' || kind == 'u' || kind == 'b') {
        const auto numbers = py::array_t<std::int64_t, py::array::c_style | py::array::forcecast>::ensure(array);
        if (!numbers) throw py::error_already_set();
        const std::int64_t* cell = numbers.data();
        for (std::size_t r = 0; r < rows; ++r) {
            phylo::GroupNameRow row(n);
            for (std::size_t k = 0; k < n; ++k) row[k] = phylo::decimal(*cell++);
            table.push_back(std::move(row));
        }
    } else if (kind == 'U' || kind == 'S' || kind == 'O') {
        for (std::size_t r = 0; r < rows; ++r) table.push_back(names_of(array[py::int_(r)]));
    } else {
        bad_input(std::string(what) + " must hold group numbers (integers) or group names, not dtype " +
                  text_of(array.dtype()));
    }
    return table;
}

}  // namespace

MatrixArgument::MatrixArgument(py::handle object, const char* what) {
    if (py::hasattr(object, "labels") && py::hasattr(object, "distances")) {
        labels_ = labels_from(object.attr("labels"));
        object = object.attr("distances");
    }
    // A float64 C-contiguous array comes back as it is (no copy); anything
    // else as a converted copy.
    array_ = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(object);
    if (!array_) {
        PyErr_Clear();
        bad_input(std::string(what) + " must be a square matrix of numbers");
    }
    if (array_.ndim() != 2 || array_.shape(0) != array_.shape(1))
        bad_input(std::string(what) + " is not a square matrix: shape " + shape_image(array_));
    const auto n = static_cast<std::size_t>(array_.shape(0));
    if (n == 0) throw phylo::RangeError("object count 0");
    what_ = what;
    matrix_ = phylo::RealMatrix::view_of(n, array_.data());
    if (labels_ && labels_->size() != n)
        bad_input(std::string(what) + " has " + phylo::decimal(labels_->size()) + " labels for " +
                  phylo::decimal(n) + " objects");
}

void MatrixArgument::require_finite() const {
    const std::size_t n = size();
    if (const auto p = python::first_non_finite(matrix_.data(), n * n)) refuse(*p);
}

std::optional<std::size_t> MatrixArgument::first_non_finite(Half half) const {
    const std::size_t n = size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t begin = half == Half::above ? i + 1 : 0, end = half == Half::above ? n : i + 1;
        if (const auto p = python::first_non_finite(matrix_.row(i) + begin, end - begin)) return i * n + begin + *p;
    }
    return std::nullopt;
}

void MatrixArgument::refuse(std::size_t entry) const {
    const std::size_t n = size();
    const double value = matrix_.data()[entry];
    bad_input(what_ + " holds " + (std::isnan(value) ? "a NaN" : "an infinite value") + " at row " +
              phylo::decimal(entry / n) + ", column " + phylo::decimal(entry % n) +
              "; distances must be finite numbers");
}

FiniteCheck::FiniteCheck(std::initializer_list<const MatrixArgument*> matrices, bool enabled, bool engine_reads_upper)
    : matrices_(matrices),
      engine_reads_upper_(engine_reads_upper && !matrices_.empty()),
      notice_([this] { settle(Upper::finite); }) {
    if (enabled) checker_ = std::thread([this] { check(); });
}

FiniteCheck::~FiniteCheck() { finish(); }

void FiniteCheck::settle(Upper upper) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (upper_ == Upper::pending) upper_ = upper;
    }
    settled_.notify_all();
}

void FiniteCheck::finish() {
    settle(Upper::job_over);
    if (checker_.joinable()) checker_.join();
}

// The matrices in their order, each settled before the next, so that the
// failure named is the one the command line's reader would meet first.
void FiniteCheck::check() {
    try {
        for (std::size_t m = 0; m < matrices_.size(); ++m) {
            const MatrixArgument& matrix = *matrices_[m];
            if (m > 0 || !engine_reads_upper_) {
                matrix.require_finite();
                continue;
            }
            std::optional<std::size_t> first = matrix.first_non_finite(MatrixArgument::Half::diagonal_and_below);
            bool upper_read;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                settled_.wait(lock, [this] { return upper_ != Upper::pending; });
                upper_read = upper_ == Upper::finite;
            }
            if (!upper_read) {
                const auto above = matrix.first_non_finite(MatrixArgument::Half::above);
                if (above && (!first || *above < *first)) first = above;
            }
            if (first) matrix.refuse(*first);
        }
    } catch (...) {
        refused_ = std::current_exception();
    }
}

void MatrixArgument::set_labels(py::handle labels) {
    if (labels.is_none()) return;
    labels_ = labels_from(labels);
    if (labels_->size() != size())
        bad_input("labels has " + phylo::decimal(labels_->size()) + " labels for " + phylo::decimal(size()) +
                  " objects");
}

phylo::Labels MatrixArgument::labels_or_positions() const {
    if (labels_) return *labels_;
    phylo::Labels positions(size());
    for (std::size_t k = 0; k < positions.size(); ++k) positions[k] = phylo::decimal(k);
    return positions;
}

phylo::Labels labels_from(py::handle sequence) {
    if (py::isinstance<py::str>(sequence)) bad_input("labels must be a sequence of labels, not one string");
    return names_of(sequence);
}

phylo::GroupNameTable partition_table(py::handle object, const std::optional<phylo::Labels>& labels, std::size_t n,
                                      const char* what) {
    if (is_path(object)) {
        const std::string path = py::module_::import("os").attr("fspath")(object).cast<std::string>();
        const auto input = phylo::io::TextInput::open(path);
        return phylo::io::partition_file::get_transposed(*input, '\t', '"');
    }
    if (py::hasattr(object, "columns") && py::hasattr(object, "index")) {  // a pandas DataFrame
        phylo::GroupNameTable table{names_of(object.attr("index"))};
        for (py::handle column : object.attr("columns")) table.push_back(names_of(object[column]));
        return table;
    }
    if (is_mapping(object)) {  // a dict or a pandas Series: label -> name or names
        phylo::GroupNameTable table(1);
        const auto take = [&table](py::handle key, py::handle value) {
            table[0].push_back(text_of(key));
            const bool several = !py::isinstance<py::str>(value) && py::hasattr(value, "__iter__");
            const phylo::GroupNameRow names = several ? names_of(value) : phylo::GroupNameRow{text_of(value)};
            if (table.size() == 1) table.resize(1 + names.size());
            // A row of another length leaves the table unaligned, which the
            // library refuses as it refuses such a partition file.
            for (std::size_t c = 0; c < names.size() && c + 1 < table.size(); ++c)
                table[c + 1].push_back(names[c]);
        };
        // A plain dict is walked in place; any other mapping (an OrderedDict
        // keeps its own order) through its items().
        if (PyDict_CheckExact(object.ptr())) {
            for (const auto& [key, value] : py::reinterpret_borrow<py::dict>(object)) take(key, value);
        } else {
            for (py::handle item : object.attr("items")()) {
                const py::tuple pair = py::reinterpret_borrow<py::tuple>(item);
                take(pair[0], pair[1]);
            }
        }
        return table;
    }
    return positional_table(object, labels ? *labels : phylo::Labels(), n, what);
}

phylo::PartitionSet partitions_of(py::handle object, const std::optional<phylo::Labels>& labels, std::size_t n,
                                  const char* what) {
    const bool by_label = is_path(object) || is_mapping(object) ||
                          (py::hasattr(object, "columns") && py::hasattr(object, "index"));
    if (by_label && !labels)
        bad_input(std::string(what) + " names its objects by label: pass labels= or a tarvix.Matrix");
    const phylo::GroupNameTable table = partition_table(object, labels, n, what);
    phylo::Labels positions;
    if (!labels) {
        positions.resize(n);
        for (std::size_t k = 0; k < n; ++k) positions[k] = phylo::decimal(k);
    }
    return phylo::partitions::to_group_numbers(labels ? *labels : positions, table);
}

py::array_t<double> doubles(const std::vector<double>& values) {
    py::array_t<double> result(static_cast<py::ssize_t>(values.size()));
    std::copy(values.begin(), values.end(), result.mutable_data());
    return result;
}

py::array_t<double> table_array(const phylo::RealData& table, std::size_t first_column) {
    const std::size_t columns = table.rows.empty() ? 0 : table.rows.front().size() - first_column;
    py::array_t<double> result({static_cast<py::ssize_t>(table.rows.size()), static_cast<py::ssize_t>(columns)});
    double* cell = result.mutable_data();
    for (const auto& row : table.rows) cell = std::copy(row.begin() + static_cast<std::ptrdiff_t>(first_column),
                                                        row.end(), cell);
    return result;
}

py::array_t<std::int32_t> partition_array(const phylo::Partition& partition) {
    py::array_t<std::int32_t> result(static_cast<py::ssize_t>(partition.size()));
    std::copy(partition.begin(), partition.end(), result.mutable_data());
    return result;
}

py::array_t<std::int32_t> partitions_array(const phylo::PartitionSet& set, std::size_t n) {
    py::array_t<std::int32_t> result({static_cast<py::ssize_t>(set.size()), static_cast<py::ssize_t>(n)});
    std::int32_t* cell = result.mutable_data();
    for (const phylo::PartitionRef& partition : set) cell = std::copy(partition->begin(), partition->end(), cell);
    return result;
}

py::array_t<double> matrix_array(const phylo::RealMatrix& matrix) {
    const auto n = static_cast<py::ssize_t>(matrix.size());
    py::array_t<double> result({n, n});
    std::copy(matrix.data(), matrix.data() + matrix.size() * matrix.size(), result.mutable_data());
    return result;
}

py::list label_list(const phylo::Labels& labels) {
    py::list list;
    for (const auto& label : labels) list.append(py::str(label));
    return list;
}

}  // namespace tarvix::python
