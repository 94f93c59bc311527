// The tarvix Python module: the library's engines called exactly as the
// command line's reports call them (src/driver/report_*.cpp), with the same
// settings. The keyword arguments become the command line's option words and
// go through its option scan, so that they are checked, and turned into the
// same doubles, as the options are.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <sstream>

#ifdef _OPENMP
#include <omp.h>
#endif

#include <pybind11/eval.h>
#include <pybind11/functional.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "arrays.hpp"
#include "driver/options.hpp"
#include "driver/report.hpp"
#include "driver/report_modes.hpp"
#include "driver/series.hpp"
#include "errors.hpp"
#include "phylo/correction/correction.hpp"
#include "phylo/errors.hpp"
#include "phylo/graph/guided.hpp"
#include "phylo/graph/shortest_paths.hpp"
#include "phylo/io/read.hpp"
#include "phylo/io/text_input.hpp"
#include "phylo/jackknife/jackknife.hpp"
#include "phylo/number_images.hpp"
#include "phylo/partitions/partitions.hpp"
#include "phylo/partitions/qualities.hpp"
#include "phylo/partitions/similarity.hpp"
#include "phylo/partitions/statistics.hpp"
#include "phylo/thresholds.hpp"

namespace py = pybind11;
using namespace py::literals;

namespace tarvix::python {

namespace {

// ---------------------------------------------------------------------------
// Settings: keyword arguments as option words through the option scan.

// The shortest text that reads back as the same double; the option scan's
// number syntax reads it exactly ("inf" and "nan" it refuses, as it refuses
// them on the command line).
std::string real_text(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

class Options {
public:
    // mode: the option word of the run mode ("" for the single-threshold run).
    explicit Options(const char* mode) {
        if (*mode) words_ = {mode, "x"};
    }
    Options& real(const char* option, double value) { return value_of(option, real_text(value)); }
    Options& integer(const char* option, long long value) { return value_of(option, phylo::decimal(value)); }
    Options& flag(const char* option, bool on) {
        if (on) words_.push_back(option);
        return *this;
    }
    // The settings the command line would run with, the threshold range settled.
    Settings settings() const {
        std::vector<std::string> words = words_;
        words.push_back("input");
        Settings s = scan_options(words).settings;
        settle_threshold_range(s);
        return s;
    }

private:
    Options& value_of(const char* option, std::string text) {
        // "-1" would be read as the option -1; a blank before it is allowed
        // and keeps it a value, as on the command line.
        if (text == "-1") text = " -1";
        words_.insert(words_.end(), {option, std::move(text)});
        return *this;
    }

    std::vector<std::string> words_;
};

// The threshold and series options every clustering function takes.
struct SeriesArguments {
    double minimum;
    std::optional<double> maximum;
    double step;
    double fraction;
    bool preorder;
    bool shortest_paths;

    Options& add_to(Options& options) const {
        options.real("-i", minimum).real("-s", step).real("-f", fraction);
        if (maximum) options.real("-a", *maximum);
        return options.flag("-q", preorder).flag("-y", shortest_paths);
    }
};

// A run's context as the reports see it: the settings, the threshold count,
// and an output nobody reads (the engines' graph printouts go nowhere).
class Context {
public:
    explicit Context(const Settings& settings)
        : context_{settings, 0, {}, std::nullopt, output_, errors_} {
        context_.threshold_count =
            phylo::threshold_count(settings.minimum_threshold, settings.maximum_threshold, settings.step);
    }
    const RunContext& get() const { return context_; }
    const Settings& settings() const { return context_.settings; }
    std::size_t rows() const { return static_cast<std::size_t>(context_.threshold_count) + 1; }
    // The thresholds of the rows, accumulated as the reports accumulate them.
    std::vector<double> thresholds() const {
        std::vector<double> values(rows());
        phylo::partitions::fill(values, settings().minimum_threshold, settings().step);
        return values;
    }

private:
    phylo::io::Output output_;
    std::ostringstream errors_;
    RunContext context_;
};

// The matrix the engines read: the caller's array, or with -y its
// shortest-path transform (a copy, as the transform rewrites it).
class EngineMatrix {
public:
    EngineMatrix(const MatrixArgument& argument, bool shortest_paths) : argument_(argument) {
        if (shortest_paths) {
            transformed_ = std::make_unique<phylo::RealMatrix>(argument.matrix());
            phylo::graph::to_shortest_paths(*transformed_);
        }
    }
    const phylo::RealMatrix& get() const { return transformed_ ? *transformed_ : argument_.matrix(); }

private:
    const MatrixArgument& argument_;
    std::unique_ptr<phylo::RealMatrix> transformed_;
};

// The thread count of the OpenMP engines for one call: threads=, else
// OMP_NUM_THREADS as it is now (a script may have set it after the runtime
// read it), else the runtime's default. Restored at the end of the call.
class ThreadCount {
public:
    explicit ThreadCount(std::optional<int> threads) {
#ifdef _OPENMP
        previous_ = omp_get_max_threads();
        if (threads && *threads < 1)
            throw phylo::RangeError("thread count " + phylo::decimal(*threads) + " is below 1");
        int wanted = threads.value_or(0);
        if (!threads) {
            if (const char* text = std::getenv("OMP_NUM_THREADS")) wanted = std::atoi(text);
        }
        if (wanted > 0) omp_set_num_threads(wanted);
#else
        (void)threads;
#endif
    }
    ~ThreadCount() {
#ifdef _OPENMP
        omp_set_num_threads(previous_);
#endif
    }
    ThreadCount(const ThreadCount&) = delete;
    ThreadCount& operator=(const ThreadCount&) = delete;

private:
    int previous_ = 1;
};

phylo::io::read::DistInputFormat layout_of(const std::string& layout) {
    using phylo::io::read::DistInputFormat;
    if (layout == "extended") return DistInputFormat::EXTENDED_PHYLIP;
    if (layout == "phylip") return DistInputFormat::PHYLIP;
    if (layout == "tab") return DistInputFormat::TAB_SEPARATED;
    bad_input("layout must be \"extended\", \"phylip\" or \"tab\", not \"" + layout + "\"");
}

// An enumerated setting given by name or by the command line's number.
long long choice(py::handle value, const char* what, std::initializer_list<const char*> names) {
    if (py::isinstance<py::str>(value)) {
        const std::string name = value.cast<std::string>();
        long long position = 0;
        std::string known;
        for (const char* candidate : names) {
            if (name == candidate) return position;
            known += (position ? ", " : "") + std::string(candidate);
            ++position;
        }
        throw phylo::RangeError(std::string(what) + " \"" + name + "\" is none of " + known);
    }
    if (py::isinstance<py::bool_>(value)) return value.cast<bool>() ? 1 : 0;
    return value.cast<long long>();
}

py::object result_class(const char* name) { return py::module_::import("tarvix").attr(name); }

// ---------------------------------------------------------------------------
// The functions.

py::object read_matrices(const std::string& path, const std::string& layout, bool first_only) {
    const auto format = layout_of(layout);
    std::vector<phylo::Squared> matrices;
    {
        py::gil_scoped_release unlocked;
        // The command line's input loop: a rest of blank lines ends the file.
        const auto input = phylo::io::TextInput::open(path);
        while (!input->only_blank_lines_left()) {
            matrices.push_back(phylo::io::read::get(*input, format));
            if (first_only) break;
        }
        if (first_only && matrices.empty()) bad_input(input->name() + ": the file holds no matrix");
    }
    py::list result;
    for (const auto& m : matrices) result.append(result_class("Matrix")(label_list(m.labels), matrix_array(m.matrix)));
    return first_only ? result[0] : py::object(result);
}

py::object cluster(py::object distances, py::object labels, double minimum, std::optional<double> maximum,
                   double step, double fraction, bool preorder, bool shortest_paths, bool check_finite) {
    MatrixArgument matrix(distances, "distances");
    FiniteCheck check({&matrix}, check_finite, !shortest_paths);
    matrix.set_labels(labels);
    Options options(maximum ? "-o" : "");
    const Context context(SeriesArguments{minimum, maximum, step, fraction, preorder, shortest_paths}
                              .add_to(options)
                              .settings());
    phylo::PartitionSet series;
    {
        py::gil_scoped_release unlocked;
        check.run([&] {
            check_threshold_memory(context.get(), matrix.size() / 2);
            const EngineMatrix engine(matrix, shortest_paths);
            series = threshold_series(context.get(), engine.get(), true, check.upper_notice());
        });
    }
    return result_class("Series")(doubles(context.thresholds()), partitions_array(series, matrix.size()));
}

py::array_t<double> shortest_paths(py::object distances, bool check_finite) {
    MatrixArgument matrix(distances, "distances");
    FiniteCheck check({&matrix}, check_finite);
    phylo::RealMatrix copy;
    {
        py::gil_scoped_release unlocked;
        check.run([&] {
            copy = matrix.matrix();
            phylo::graph::to_shortest_paths(copy);
        });
    }
    return matrix_array(copy);
}

// The best value of every similarity column and the threshold that reaches
// it, as the optimisation reports print them.
py::object optimisation_result(const Context& context, const phylo::Labels& header, const phylo::RealData& table) {
    const std::vector<double> thresholds = context.thresholds();
    std::vector<double> scores, at;
    for (std::size_t j = 0; j < header.size(); ++j) {
        const auto best = phylo::partitions::best(table.rows, j + 1, thresholds, true);
        scores.push_back(best.score);
        at.push_back(best.position);
    }
    phylo::Labels columns{"No._Clusters"};
    columns.insert(columns.end(), header.begin(), header.end());
    return result_class("Optimisation")(doubles(thresholds), table_array(table), label_list(columns),
                                        label_list(header), doubles(scores), doubles(at));
}

py::object optimise(py::object distances, py::object reference, py::object labels, double minimum, double maximum,
                    double step, double fraction, bool preorder, bool shortest_paths,
                    std::optional<double> index_variant, bool check_finite) {
    MatrixArgument matrix(distances, "distances");
    FiniteCheck check({&matrix}, check_finite, !shortest_paths);
    matrix.set_labels(labels);
    Options options("-o");
    SeriesArguments{minimum, maximum, step, fraction, preorder, shortest_paths}.add_to(options);
    if (index_variant) options.real("-1", *index_variant);
    const Context context(options.settings());
    const phylo::PartitionSet references = partitions_of(reference, matrix.labels(), matrix.size(), "reference");
    const auto& variant = context.settings().index_variant;
    const phylo::Labels& block = variant ? labels::variant_index : labels::index;
    // One block of indices per reference partition, and one of their means;
    // the command line counts the label column of its file for the latter.
    const std::size_t blocks = references.size() + 1;
    const phylo::Labels header = phylo::partitions::repeat(block, static_cast<int>(blocks));
    phylo::RealData table;
    {
        py::gil_scoped_release unlocked;
        check.run([&] {
            check_threshold_memory(context.get(), 1 + block.size() * blocks);
            table = phylo::RealData(context.rows());
            const EngineMatrix engine(matrix, shortest_paths);
            const phylo::PartitionSet series =
                threshold_series(context.get(), engine.get(), true, check.upper_notice());
            if (variant) {
                check_index_variant(*variant);
                phylo::partitions::new_partition_similarities(series, references, table, *variant);
            } else {
                phylo::partitions::partition_similarities(series, references, table);
            }
        });
    }
    return optimisation_result(context, header, table);
}

py::object optimise_internal(py::object distances, double minimum, double maximum, double step, double fraction,
                             bool preorder, bool shortest_paths, bool check_finite) {
    MatrixArgument matrix(distances, "distances");
    FiniteCheck check({&matrix}, check_finite, !shortest_paths);
    // -h takes no argument: the mode word stands alone.
    Options internal("");
    SeriesArguments{minimum, maximum, step, fraction, preorder, shortest_paths}.add_to(internal.flag("-h", true));
    const Context context(internal.settings());
    const phylo::Labels header = phylo::partitions::repeat(labels::criterion, 1);
    phylo::RealData table;
    {
        py::gil_scoped_release unlocked;
        check.run([&] {
            check_threshold_memory(context.get(), 2);
            table = phylo::RealData(context.rows());
            for (auto& row : table.rows) row.assign(2, 0.0);
            const EngineMatrix engine(matrix, shortest_paths);
            const phylo::PartitionSet series =
                threshold_series(context.get(), engine.get(), false, check.upper_notice());
            for (std::size_t k = 0; k < series.size(); ++k)
                table.rows[k][0] = phylo::partitions::number_of_groups(*series[k]);
            phylo::partitions::partitions_vs_distances(series, engine.get(), 1, table);
        });
    }
    return optimisation_result(context, header, table);
}

py::object optimise_two_matrix(py::object distances, py::object second, py::object names, py::object labels,
                               py::object second_labels, double minimum, double maximum, double step,
                               double fraction, bool preorder, bool shortest_paths, bool check_finite) {
    MatrixArgument matrix(distances, "distances");
    matrix.set_labels(labels);
    MatrixArgument other(second, "second");
    FiniteCheck check({&matrix, &other}, check_finite, !shortest_paths);
    other.set_labels(second_labels);
    if (!matrix.labels() || !other.labels())
        bad_input("the two-matrix criterion matches objects by label: pass labels= and second_labels= "
                  "or tarvix.Matrix values");
    Options options("-o");
    SeriesArguments{minimum, maximum, step, fraction, preorder, shortest_paths}.add_to(options);
    const Context context(options.settings());
    const phylo::GroupNameTable table = partition_table(names, matrix.labels(), matrix.size(), "names");
    if (table.size() < 2) throw phylo::RangeError("the reference partition file has no partition column");
    const phylo::Labels header = phylo::partitions::repeat(labels::criterion, static_cast<int>(table.size()) - 1);
    const phylo::Squared second_matrix{*other.labels(), phylo::RealMatrix::view_of(other.size(), other.matrix().data())};
    phylo::RealData similarities;
    {
        py::gil_scoped_release unlocked;
        check.run([&] {
            check_threshold_memory(context.get(), table.size());
            similarities = phylo::RealData(context.rows());
            const EngineMatrix engine(matrix, shortest_paths);
            const phylo::PartitionSet series =
                threshold_series(context.get(), engine.get(), false, check.upper_notice());
            phylo::partitions::partitions_vs_distances(series, *matrix.labels(), table,
                                                       std::span<const phylo::Squared>(&second_matrix, 1), similarities);
        });
    }
    return optimisation_result(context, header, similarities);
}

// The jackknife summary's second confidence level, as the report uses it.
constexpr double second_level = 0.95 - 0.05;

py::object jackknife(py::object distances, py::object reference, py::object labels, long long replicates,
                     long long seed, double deletion_fraction, double minimum, double maximum, double step,
                     double fraction, bool preorder, bool shortest_paths, std::optional<int> threads, bool check_finite) {
    MatrixArgument matrix(distances, "distances");
    FiniteCheck check({&matrix}, check_finite);
    matrix.set_labels(labels);
    Options options("-j");
    SeriesArguments{minimum, maximum, step, fraction, preorder, shortest_paths}.add_to(options);
    options.integer("-n", replicates).integer("-w", seed).real("-k", deletion_fraction);
    const Context context(options.settings());
    const Settings& s = context.settings();
    const phylo::PartitionSet references = partitions_of(reference, matrix.labels(), matrix.size(), "reference");
    const std::size_t blocks = references.size() + 1;  // the references and their means
    const phylo::Labels header = phylo::partitions::repeat(labels::paired_index, static_cast<int>(blocks));
    phylo::RealData rows;
    phylo::RealData statistics(header.size());
    {
        ThreadCount thread_count(threads);
        py::gil_scoped_release unlocked;
        check.run([&] {
            const std::size_t similarity_values = 1 + labels::index.size() * blocks;
            check_threshold_memory(context.get(), similarity_values);
            check_rows_fit(s.replicates, row_overhead + 2 * similarity_values * sizeof(double), "replicates",
                           "ask for fewer replicates");
            rows = phylo::RealData(static_cast<std::size_t>(s.replicates));
            const EngineMatrix engine(matrix, shortest_paths);
            phylo::jackknife::taxon_jackknife(engine.get(), s.row_sum_preordering, references, s.seed, rows,
                                              s.minimum_threshold, s.step, s.maximum_threshold, s.fraction,
                                              s.deletion_fraction);
            std::vector<double> column(rows.size());
            for (std::size_t j = 0; j < statistics.size(); ++j) {
                for (std::size_t r = 0; r < rows.size(); ++r) column[r] = rows.rows[r][j + 2];
                const auto parametric = phylo::partitions::parametric(column);
                const auto nonparametric = phylo::partitions::nonparametric(column);
                const auto wide = phylo::partitions::interval(column, 0.95);
                const auto narrow = phylo::partitions::interval(column, second_level);
                statistics.rows[j] = {parametric.mean,       parametric.deviation,    nonparametric.median,
                                      nonparametric.median_deviation, nonparametric.minimum, nonparametric.maximum,
                                      wide.lower,            wide.upper,              narrow.lower,
                                      narrow.upper};
            }
        });
    }
    phylo::Labels columns{"No._Clusters", "No._Clusters"};
    columns.insert(columns.end(), header.begin(), header.end());
    phylo::Labels statistic_names;
    for (const auto& name : labels::statistics) statistic_names.push_back(name.substr(0, name.find_last_not_of(' ') + 1));
    return result_class("Jackknife")(table_array(rows), label_list(columns), table_array(statistics),
                                     label_list(header), label_list(statistic_names));
}

py::object cluster_qualities(py::object distances, py::object partitions, py::object labels, double threshold,
                             double fraction, bool preorder, bool shortest_paths, bool check_finite) {
    MatrixArgument matrix(distances, "distances");
    FiniteCheck check({&matrix}, check_finite, !shortest_paths && partitions.is_none());
    matrix.set_labels(labels);
    // Without partitions, the command line's default run: the clusters at the
    // threshold. With them, its -c run.
    const bool given = !partitions.is_none();
    Options options(given ? "-c" : "");
    SeriesArguments{threshold, std::nullopt, 0.01, fraction, preorder, shortest_paths}.add_to(options);
    const Context context(options.settings());
    phylo::PartitionSet set;
    if (given) {
        set = partitions_of(partitions, matrix.labels(), matrix.size(), "partitions");
        if (set.empty()) throw phylo::RangeError("the reference partition file has no partition column");
        phylo::partitions::squeeze(set);
    }
    phylo::RealData table;
    {
        py::gil_scoped_release unlocked;
        check.run([&] {
            const EngineMatrix engine(matrix, shortest_paths);
            if (!given) set = threshold_series(context.get(), engine.get(), true, check.upper_notice());
            table = phylo::partitions::cluster_qualities(engine.get(), set, context.settings().minimum_threshold);
        });
    }
    phylo::Labels columns = phylo::partitions::repeat(labels::quality, static_cast<int>(set.size()));
    return result_class("Qualities")(table_array(table), label_list(columns),
                                     partitions_array(set, matrix.size()));
}

py::object correct_reference(py::object distances, py::object reference, py::object labels, py::object callback,
                             double threshold, bool check_finite) {
    MatrixArgument matrix(distances, "distances");
    FiniteCheck check({&matrix}, check_finite);
    matrix.set_labels(labels);
    const Context context(Options("-e").real("-i", threshold).settings());
    const phylo::PartitionSet references = partitions_of(reference, matrix.labels(), matrix.size(), "reference");
    if (references.empty()) throw phylo::RangeError("the reference partition file has no partition column");
    std::vector<std::int64_t> passes;
    phylo::PartitionRef corrected;
    phylo::RealData table;
    {
        py::gil_scoped_release unlocked;
        check.run([&] {
            const auto log_pass = [&](std::int64_t pass, std::int64_t conflicts) {
                passes.insert(passes.end(), {pass, conflicts});
                if (!callback.is_none()) {
                    py::gil_scoped_acquire locked;
                    callback(pass, conflicts);
                }
            };
            corrected = std::make_shared<const phylo::Partition>(
                phylo::correction::correct_reference(matrix.matrix(), *references.front(), log_pass));
            table = phylo::partitions::cluster_qualities(matrix.matrix(), {corrected},
                                                         context.settings().minimum_threshold);
        });
    }
    py::array_t<std::int64_t> log({static_cast<py::ssize_t>(passes.size() / 2), py::ssize_t{2}});
    std::copy(passes.begin(), passes.end(), log.mutable_data());
    return result_class("Correction")(partition_array(*corrected), log, table_array(table),
                                      label_list(phylo::partitions::repeat(labels::quality, 1)));
}

py::array_t<std::int32_t> guided_clustering(py::object distances, py::object reference, py::object labels,
                                            py::object graph, py::object trimming, py::object long_edges,
                                            py::object merging, bool check_finite) {
    MatrixArgument matrix(distances, "distances");
    FiniteCheck check({&matrix}, check_finite);
    matrix.set_labels(labels);
    Options options("-g");
    options.integer("-b", choice(graph, "graph", {"NNG", "MST", "RNG", "GG", "RNG_SOIG", "SOIG", "MSN"}))
        .integer("-z", choice(trimming, "trimming", {"NONE", "Z_SCORE"}))
        .integer("-u", choice(long_edges, "long_edges", {"no", "yes"}))
        .integer("-m", choice(merging, "merging", {"MAXIMUM", "MAX_MIN", "NONE"}));
    const Settings s = options.settings();
    const phylo::PartitionSet references = partitions_of(reference, matrix.labels(), matrix.size(), "reference");
    if (references.empty()) throw phylo::RangeError("the reference partition file has no partition column");
    phylo::PartitionSet guided;
    {
        py::gil_scoped_release unlocked;
        check.run([&] {
            for (const phylo::PartitionRef& guide : references)
                guided.push_back(std::make_shared<const phylo::Partition>(phylo::graph::guided_clustering(
                    matrix.matrix(), *guide, s.graph_kind, s.trimming, s.long_edges, s.merging)));
        });
    }
    return partitions_array(guided, matrix.size());
}

py::object partition_similarity(py::object partitions, py::object references, py::object labels,
                                std::optional<double> index_variant) {
    std::optional<phylo::Labels> given;
    if (!labels.is_none()) given = labels_from(labels);
    const phylo::GroupNameTable table = partition_table(partitions, given, given ? given->size() : 0, "partitions");
    if (table.size() < 2) throw phylo::RangeError("the input partition table has no partition column");
    Options options("-r");
    if (index_variant) options.real("-1", *index_variant);
    const Settings s = options.settings();
    const phylo::PartitionSet tested = phylo::partitions::to_group_numbers(table.front(), table);
    // The references are matched against the tested partitions' labels, as
    // the command line matches its reference file against the input table.
    phylo::PartitionSet reference_set = phylo::partitions::to_group_numbers(
        table.front(), partition_table(references, table.front(), table.front().size(), "references"));
    phylo::partitions::squeeze(reference_set);
    const phylo::Labels& block = s.index_variant ? labels::variant_index : labels::index;
    const phylo::Labels header = phylo::partitions::repeat(block, static_cast<int>(reference_set.size()) + 1);
    phylo::RealData similarities(tested.size());
    {
        py::gil_scoped_release unlocked;
        if (s.index_variant) {
            check_index_variant(*s.index_variant);
            phylo::partitions::new_partition_similarities(tested, reference_set, similarities, *s.index_variant);
        } else {
            phylo::partitions::partition_similarities(tested, reference_set, similarities);
        }
    }
    phylo::Labels columns{"No._Clusters"};
    columns.insert(columns.end(), header.begin(), header.end());
    return result_class("Similarity")(table_array(similarities), label_list(columns));
}

}  // namespace

}  // namespace tarvix::python

namespace {

// The result types: named tuples of numpy arrays, with a frame() method
// where a table has named columns (pandas is imported only when it is called).
const char* const result_types = R"(
import collections as _collections

def _frame(self, table='table', columns='columns', index=None):
    import pandas
    data = getattr(self, table)
    kwargs = {}
    if index is not None:
        kwargs['index'] = pandas.Index(getattr(self, index), name=index.rstrip('s'))
    return pandas.DataFrame(data, columns=list(getattr(self, columns)), **kwargs)

Matrix = _collections.namedtuple('Matrix', 'labels distances')
Matrix.__doc__ = 'A distance matrix: labels (list of str) and distances (float64 n x n array).'
Series = _collections.namedtuple('Series', 'thresholds partitions')
Series.__doc__ = 'A clustering series: thresholds (float64, T) and partitions (int32, T x n), one row per threshold.'
Optimisation = _collections.namedtuple(
    'Optimisation', 'thresholds table columns indices best_scores best_thresholds')
Optimisation.__doc__ = ('An optimisation: the table (one row per threshold: the number of clusters, then one '
                        'column per index and partition, named by columns), and per index the best score and '
                        'the threshold that reaches it (the middle of a run of equally good thresholds). frame() gives the table as a pandas DataFrame; '
                        'best() the best scores and thresholds.')
Optimisation.frame = lambda self: _frame(self, index='thresholds')
Optimisation.best = lambda self: __import__('pandas').DataFrame(
    {'score': self.best_scores, 'threshold': self.best_thresholds}, index=list(self.indices))
Jackknife = _collections.namedtuple('Jackknife', 'replicates columns summary summary_rows summary_columns')
Jackknife.__doc__ = ('A jackknife: one row per replicate (best value and its threshold per column), and the '
                     'summary statistics of each best value and threshold over the replicates.')
Jackknife.frame = lambda self: _frame(self, 'replicates')
Jackknife.summary_frame = lambda self: __import__('pandas').DataFrame(
    self.summary, index=list(self.summary_rows), columns=list(self.summary_columns))
Qualities = _collections.namedtuple('Qualities', 'table columns partitions')
Qualities.__doc__ = ('Cluster qualities: per object, the seven qualities of its cluster in each partition '
                     '(named by columns), and the partitions rated.')
Qualities.frame = lambda self: _frame(self)
Correction = _collections.namedtuple('Correction', 'partition passes qualities columns')
Correction.__doc__ = ('A corrected reference: the partition, the pass log (pass number, conflicts) and the '
                      'qualities of the corrected partition.')
Similarity = _collections.namedtuple('Similarity', 'table columns')
Similarity.__doc__ = ('Partition similarity: per tested partition, its number of groups and the similarity '
                      'indices to each reference partition.')
Similarity.frame = lambda self: _frame(self)
del _collections
)";

}  // namespace

PYBIND11_MODULE(tarvix, m) {
    using namespace tarvix::python;
    m.doc() = R"(tarvix: threshold clustering of taxa from a dense distance matrix, optimised against
reference partitions; the same engines and results as the tarvix command line.

Matrices are float64 n x n numpy arrays (taken without a copy when C-contiguous;
anything else is converted once) or tarvix.Matrix values (labels, distances).
Partitions are int arrays of group numbers, sequences of group names, mappings
label -> group name, pandas Series/DataFrames indexed by label, or partition
files. Keyword arguments have the command line's defaults and are checked as its
options are (the option named in a message is the command line's: -i minimum,
-a maximum, -s step, -f fraction, -k deletion_fraction, -n replicates, -w seed,
-1 index_variant, -b graph, -z trimming, -u long_edges, -m merging). Every
function that takes a matrix refuses NaN and infinite entries, as the command
line's reader does; check_finite=False skips that pass over the matrix.

>>> import numpy, tarvix
>>> d = numpy.array([[0, .1, .6, .7], [.1, 0, .5, .6], [.6, .5, 0, .2], [.7, .6, .2, 0]])
>>> result = tarvix.optimise(d, [0, 0, 1, 1], maximum=0.3, step=0.1)
>>> float(result.best_scores[0]), float(result.best_thresholds[0])
(1.0, 0.25)
)";
    m.attr("__version__") = TARVIX_VERSION;
    register_errors(m);
    py::exec(result_types, m.attr("__dict__"));

    m.def("read_matrix", [](py::object path, const std::string& layout) {
        return read_matrices(py::module_::import("os").attr("fspath")(path).cast<std::string>(), layout, true);
    }, "path"_a, "layout"_a = "extended", R"(read_matrix(path, layout="extended") -> Matrix

The first distance matrix of a file, as tarvix reads it: layout "extended"
(extended PHYLIP, the default), "phylip" (-p) or "tab" (tab-separated, -t).
Returns tarvix.Matrix(labels, distances).

>>> import tarvix, tempfile
>>> with tempfile.NamedTemporaryFile('w', suffix='.dst') as f:
...     _ = f.write('2\na 0 0.5\nb 0.5 0\n'); f.flush()
...     m = tarvix.read_matrix(f.name)
>>> m.labels, m.distances.tolist()
(['a', 'b'], [[0.0, 0.5], [0.5, 0.0]])
)");
    m.def("read_matrices", [](py::object path, const std::string& layout) {
        return read_matrices(py::module_::import("os").attr("fspath")(path).cast<std::string>(), layout, false);
    }, "path"_a, "layout"_a = "extended", R"(read_matrices(path, layout="extended") -> list of Matrix

Every distance matrix of a file (a file may hold several, one after the other).

>>> import tarvix, tempfile
>>> with tempfile.NamedTemporaryFile('w') as f:
...     _ = f.write('1\na 0\n1\nb 0\n'); f.flush()
...     [m.labels for m in tarvix.read_matrices(f.name)]
[['a'], ['b']]
)");
    m.def("cluster", &cluster, "distances"_a, py::kw_only(), "labels"_a = py::none(), "minimum"_a = 0.0,
          "maximum"_a = py::none(), "step"_a = 0.01, "fraction"_a = 0.0, "preorder"_a = false,
          "shortest_paths"_a = false,
          "check_finite"_a = true, R"(cluster(distances, *, minimum=0.0, maximum=None, step=0.01, fraction=0.0, preorder=False, shortest_paths=False, check_finite=True) -> Series

The clustering series at the thresholds minimum, minimum + step, ... up to
maximum (accumulated by repeated addition, as the command line does; maximum
None: the one threshold minimum). fraction is the fraction of links a fusion
needs (0 single linkage, 1 complete linkage; negative: the clique series);
preorder the row-sum pre-ordering (-q); shortest_paths the shortest-path
transform of the distances first (-y). Returns Series(thresholds, partitions)
with one int32 row of group numbers per threshold.

>>> import numpy, tarvix
>>> d = numpy.array([[0, .1, .6, .7], [.1, 0, .5, .6], [.6, .5, 0, .2], [.7, .6, .2, 0]])
>>> s = tarvix.cluster(d, maximum=0.2, step=0.1)
>>> [len(set(row)) for row in s.partitions]
[4, 3, 2]
)");
    m.def("shortest_paths", &shortest_paths, "distances"_a, py::kw_only(), "check_finite"_a = true,
          R"(shortest_paths(distances, *, check_finite=True) -> ndarray

The distances replaced by shortest-path lengths through the relative
neighbourhood graph, as -y does; the input is left as it is.

>>> import numpy, tarvix
>>> d = numpy.array([[0, 1, 5], [1, 0, 1], [5, 1, 0]], dtype=float)
>>> tarvix.shortest_paths(d)[0, 2]
2.0
)");
    m.def("optimise", &optimise, "distances"_a, "reference"_a, py::kw_only(), "labels"_a = py::none(),
          "minimum"_a = 0.0, "maximum"_a = 0.0, "step"_a = 0.01, "fraction"_a = 0.0, "preorder"_a = false,
          "shortest_paths"_a = false, "index_variant"_a = py::none(),
          "check_finite"_a = true, R"(optimise(distances, reference, *, labels=None, minimum=0.0, maximum=0.0, step=0.01, fraction=0.0, preorder=False, shortest_paths=False, index_variant=None, check_finite=True) -> Optimisation

The similarity of every threshold's clustering to each reference partition
(tarvix -o REF -i minimum -a maximum -s step -f fraction): the whole table
(-v) and, per index, the best score and the threshold that reaches it (the
middle of a run of equally good thresholds: here 0.2 and 0.3 both split the
objects as the reference does).
index_variant (-1) selects the corrected indices with that weight.

>>> import numpy, tarvix
>>> d = numpy.array([[0, .1, .6, .7], [.1, 0, .5, .6], [.6, .5, 0, .2], [.7, .6, .2, 0]])
>>> r = tarvix.optimise(d, {'a': 'x', 'b': 'x', 'c': 'y', 'd': 'y'}, labels=list('abcd'), maximum=0.3, step=0.1)
>>> r.columns[:2], r.table[:, 0].tolist()
(['No._Clusters', 'Shared_I._0'], [4.0, 3.0, 2.0, 2.0])
>>> list(r.indices), r.best_thresholds.tolist()
(['Shared_I._0', 'Modif._RI_0', 'Rand_Ind._0', 'Shared_I._1', 'Modif._RI_1', 'Rand_Ind._1'], [0.25, 0.25, 0.25, 0.25, 0.25, 0.25])
)");
    m.def("optimise_internal", &optimise_internal, "distances"_a, py::kw_only(), "minimum"_a = 0.0,
          "maximum"_a = 0.0, "step"_a = 0.01, "fraction"_a = 0.0, "preorder"_a = false, "shortest_paths"_a = false,
          "check_finite"_a = true, R"(optimise_internal(distances, *, minimum=0.0, maximum=0.0, step=0.01, fraction=0.0, preorder=False, shortest_paths=False, check_finite=True) -> Optimisation

The Calinski-Harabasz criterion of every threshold's clustering on the matrix
itself (tarvix -h), and the threshold that maximises it.

>>> import numpy, tarvix
>>> d = numpy.array([[0, .1, .6, .7], [.1, 0, .5, .6], [.6, .5, 0, .2], [.7, .6, .2, 0]])
>>> r = tarvix.optimise_internal(d, maximum=0.3, step=0.1)
>>> r.columns, r.table[:, 0].tolist()
(['No._Clusters', 'Cal._Har._0'], [4.0, 3.0, 2.0, 2.0])
)");
    m.def("optimise_two_matrix", &optimise_two_matrix, "distances"_a, "second"_a, "names"_a, py::kw_only(),
          "labels"_a = py::none(), "second_labels"_a = py::none(), "minimum"_a = 0.0, "maximum"_a = 0.0,
          "step"_a = 0.01, "fraction"_a = 0.0, "preorder"_a = false, "shortest_paths"_a = false,
          "check_finite"_a = true, R"(optimise_two_matrix(distances, second, names, *, labels=None, second_labels=None, minimum=0.0, maximum=0.0, step=0.01, fraction=0.0, preorder=False, shortest_paths=False, check_finite=True) -> Optimisation

The criterion of every threshold's clustering of distances, computed on the
second matrix (tarvix -o NAMES -d SECOND): names maps each label of the first
matrix to its label in the second (a mapping, or a two-column partition file).

>>> import numpy, tarvix
>>> d = numpy.array([[0, .1, .6, .7], [.1, 0, .5, .6], [.6, .5, 0, .2], [.7, .6, .2, 0]])
>>> r = tarvix.optimise_two_matrix(d, d, {x: x for x in 'abcd'}, labels=list('abcd'), second_labels=list('abcd'),
...                                maximum=0.3, step=0.1)
>>> r.columns, r.table[:, 0].tolist()
(['No._Clusters', 'Cal._Har._0'], [4.0, 3.0, 2.0, 2.0])
)");
    m.def("jackknife", &jackknife, "distances"_a, "reference"_a, py::kw_only(), "labels"_a = py::none(),
          "replicates"_a = 100, "seed"_a = 12051973, "deletion_fraction"_a = tarvix::default_deletion_fraction(),
          "minimum"_a = 0.0, "maximum"_a = 0.0, "step"_a = 0.01, "fraction"_a = 0.0, "preorder"_a = false,
          "shortest_paths"_a = false, "threads"_a = py::none(),
          "check_finite"_a = true, R"(jackknife(distances, reference, *, labels=None, replicates=100, seed=12051973, deletion_fraction=1/e, minimum=0.0, maximum=0.0, step=0.01, fraction=0.0, preorder=False, shortest_paths=False, threads=None, check_finite=True) -> Jackknife

The optimisation against the reference repeated on replicates that each drop
deletion_fraction of the objects (tarvix -j REF -n replicates -w seed -k ...):
every replicate's best values and thresholds (-v) and their summary. The
replicates run in parallel on threads threads (default: OMP_NUM_THREADS, else
every core); the result is the same for any thread count.

>>> import numpy, tarvix
>>> d = numpy.array([[0, .1, .6, .7], [.1, 0, .5, .6], [.6, .5, 0, .2], [.7, .6, .2, 0]])
>>> j = tarvix.jackknife(d, [0, 0, 1, 1], replicates=10, maximum=0.3, step=0.1)
>>> j.replicates.shape, j.summary.shape, list(j.summary_columns[:2])
((10, 14), (12, 10), ['Average', 'Std._Dev.'])
)");
    m.def("cluster_qualities", &cluster_qualities, "distances"_a, "partitions"_a = py::none(), py::kw_only(),
          "labels"_a = py::none(), "threshold"_a = 0.0, "fraction"_a = 0.0, "preorder"_a = false,
          "shortest_paths"_a = false,
          "check_finite"_a = true, R"(cluster_qualities(distances, partitions=None, *, labels=None, threshold=0.0, fraction=0.0, preorder=False, shortest_paths=False, check_finite=True) -> Qualities

Per object, the qualities of its cluster (size, minimum, average, maximum,
spanning distance, isolation, cohesion) in each of the given partitions
(tarvix -c REF), or, without partitions, in the clustering at threshold
(tarvix -i threshold).

>>> import numpy, tarvix
>>> d = numpy.array([[0, .1, .6, .7], [.1, 0, .5, .6], [.6, .5, 0, .2], [.7, .6, .2, 0]])
>>> q = tarvix.cluster_qualities(d, [0, 0, 1, 1])
>>> q.columns[:2], q.table[:, 0].tolist(), float(q.table[0, 3])
(['Cluster_0', 'Minimum_0'], [0.0, 0.0, 1.0, 1.0], 0.1)
)");
    m.def("correct_reference", &correct_reference, "distances"_a, "reference"_a, py::kw_only(),
          "labels"_a = py::none(), "callback"_a = py::none(), "threshold"_a = 0.0,
          "check_finite"_a = true, R"(correct_reference(distances, reference, *, labels=None, callback=None, threshold=0.0, check_finite=True) -> Correction

The first reference partition freed of its conflicts with the distances
(tarvix -e REF): the corrected partition, the pass log (one row per pass: the
pass number and its conflict count; callback(pass, conflicts) is also called
as each pass ends) and the qualities of the corrected partition.

>>> import numpy, tarvix
>>> d = numpy.array([[0, .1, .6, .7], [.1, 0, .5, .6], [.6, .5, 0, .2], [.7, .6, .2, 0]])
>>> c = tarvix.correct_reference(d, [0, 0, 1, 1])
>>> c.partition.tolist(), c.passes.tolist()
([0, 0, 1, 1], [[1, 0]])
)");
    m.def("guided_clustering", &guided_clustering, "distances"_a, "reference"_a, py::kw_only(),
          "labels"_a = py::none(), "graph"_a = "RNG", "trimming"_a = "NONE", "long_edges"_a = true,
          "merging"_a = "NONE",
          "check_finite"_a = true, R"(guided_clustering(distances, reference, *, labels=None, graph="RNG", trimming="NONE", long_edges=True, merging="NONE", check_finite=True) -> ndarray

The clustering guided by each reference partition (tarvix -g REF -b -z -u -m):
graph one of NNG, MST, RNG, GG, RNG_SOIG, SOIG, MSN (or its number 0 .. 6),
trimming NONE or Z_SCORE, long_edges True or False, merging MAXIMUM, MAX_MIN or
NONE. Returns one int32 row of group numbers per reference partition.

>>> import numpy, tarvix
>>> d = numpy.array([[0, .1, .6, .7], [.1, 0, .5, .6], [.6, .5, 0, .2], [.7, .6, .2, 0]])
>>> tarvix.guided_clustering(d, [0, 0, 1, 1]).shape
(1, 4)
)");
    m.def("partition_similarity", &partition_similarity, "partitions"_a, "references"_a, py::kw_only(),
          "labels"_a = py::none(), "index_variant"_a = py::none(),
          R"(partition_similarity(partitions, references, *, labels=None, index_variant=None) -> Similarity

The similarity of each given partition to each reference partition (tarvix
-r REF PARTITIONS): per partition its number of groups, then the shared
information, modified Rand and Rand indices per reference.

>>> import tarvix
>>> s = tarvix.partition_similarity([[0, 0, 1, 1], [0, 1, 2, 3]], [0, 0, 1, 1])
>>> s.table[:, [0, 3]].round(8).tolist()
[[2.0, 1.0], [4.0, 0.66666667]]
)");
}
