#include "driver/warnings.hpp"

#include <cmath>
#include <unordered_set>

#include "phylo/io/read_failure.hpp"
#include "phylo/number_images.hpp"

namespace tarvix {

namespace {

using phylo::decimal;
using phylo::real_image;
using phylo::io::read::shown;

std::string pair_of(const phylo::Labels& labels, std::size_t i, std::size_t k) {
    return shown(labels[i]) + " and " + shown(labels[k]);
}

}  // namespace

void warn(const RunContext& context, const std::string& text) {
    context.out.flush();
    context.err << "tarvix: warning: " << text << '\n' << std::flush;
}

std::vector<std::string> matrix_warnings(const phylo::Squared& matrix, const std::string& input_name,
                                         bool check_negative) {
    const std::size_t n = matrix.size();
    const phylo::RealMatrix& d = matrix.matrix;
    std::vector<std::string> found;

    std::size_t off_diagonal = 0;
    std::size_t first_off = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (d.row(i)[i] != 0.0 && off_diagonal++ == 0) first_off = i;
    }
    if (off_diagonal > 0) {
        found.push_back(input_name + ": the diagonal is not zero (" + decimal(off_diagonal) + " of " + decimal(n) +
                        " rows; row " + shown(matrix.labels[first_off]) + " holds " +
                        real_image(d.row(first_off)[first_off]) +
                        "): is this a similarity matrix? tarvix reads distances: convert similarities first, "
                        "ANI in percent with (100 - ANI) / 100 (tarvix-matrix -c percent does so for fastANI and "
                        "skani output)");
    }

    // Both triangles in blocks, so that the column walk stays in the cache.
    constexpr std::size_t block = 64;
    std::size_t differing = 0;
    double largest = -1.0;
    std::size_t largest_i = 0, largest_k = 0;
    std::size_t negative = 0;
    double lowest = 0.0;
    std::size_t lowest_i = 0, lowest_k = 0;
    for (std::size_t ib = 0; ib < n; ib += block) {
        for (std::size_t kb = ib; kb < n; kb += block) {
            const std::size_t i_end = std::min(n, ib + block);
            const std::size_t k_end = std::min(n, kb + block);
            for (std::size_t i = ib; i < i_end; ++i) {
                const double* row = d.row(i);
                for (std::size_t k = std::max(kb, i + 1); k < k_end; ++k) {
                    const double upper = row[k];
                    const double lower = d.row(k)[i];
                    // NaN against NaN counts as equal; anything against NaN differs.
                    if (upper != lower && !(std::isnan(upper) && std::isnan(lower))) {
                        ++differing;
                        const double gap = std::fabs(upper - lower);
                        if (gap > largest || (std::isnan(gap) && largest >= 0.0 && !std::isnan(largest))) {
                            largest = gap;
                            largest_i = i;
                            largest_k = k;
                        }
                    }
                    if (upper < 0.0 || lower < 0.0) {
                        negative += (upper < 0.0) + (lower < 0.0);
                        const double low = std::min(upper, lower);
                        if (low < lowest) {
                            lowest = low;
                            lowest_i = i;
                            lowest_k = k;
                        }
                    }
                }
            }
        }
    }
    if (differing > 0) {
        const std::size_t pairs = n * (n - 1) / 2;
        found.push_back(input_name + ": the matrix is not symmetric: " + decimal(differing) + " of " +
                        decimal(pairs) + " pairs differ, the most (" + real_image(largest) + ") between " +
                        pair_of(matrix.labels, largest_i, largest_k) +
                        "; the clustering series read the upper triangle only, the row sums of -q, the graphs and "
                        "the reference correction read both");
    }
    if (check_negative && negative > 0) {
        found.push_back(input_name + ": " + decimal(negative) + (negative == 1 ? " distance is" : " distances are") +
                        " negative, the lowest " + real_image(lowest) + " between " +
                        pair_of(matrix.labels, lowest_i, lowest_k) +
                        ": they count as closer than identical objects; set them to 0 if they are rounding noise");
    }
    return found;
}

std::optional<std::string> single_threshold_warning(const Settings& settings, std::int32_t threshold_count) {
    if (threshold_count != 0) return std::nullopt;
    return "the run optimises over the single threshold " + real_image(settings.minimum_threshold) +
           " (the maximum -a is not above the minimum -i): give the range to search with -a, for example -a 0.3";
}

std::optional<std::string> reference_warning(const phylo::GroupNameTable& reference, const std::string& name) {
    if (reference.size() < 2) return std::nullopt;
    std::string flat;
    for (std::size_t c = 1; c < reference.size(); ++c) {
        const phylo::GroupNameRow& groups = reference[c];
        if (groups.size() < 2) continue;
        const std::unordered_set<std::string> distinct(groups.begin(), groups.end());
        const char* what = distinct.size() == 1             ? "puts every object in one group"
                           : distinct.size() == groups.size() ? "holds only singletons"
                                                              : nullptr;
        if (what != nullptr)
            flat += std::string(flat.empty() ? "" : ", ") + "partition " + decimal(c) + " (column " +
                    decimal(c + 1) + ") " + what;
    }
    if (flat.empty()) return std::nullopt;
    return name + ": " + flat + ": every threshold scores alike against such a partition, so its best threshold "
                                "means nothing; give partitions of several groups with more than one object";
}

std::optional<std::string> series_end_warning(const std::vector<std::size_t>& partitions, double last_threshold) {
    if (partitions.empty()) return std::nullopt;
    if (partitions.front() == 0)
        return "the criterion is best at the last threshold, " + real_image(last_threshold) +
               "; the best may lie beyond it: extend -a";
    std::string list;
    for (std::size_t p : partitions) list += (list.empty() ? "" : ", ") + decimal(p);
    return std::string(partitions.size() == 1 ? "partition " : "partitions ") + list +
           ": every index is best at the last threshold, " + real_image(last_threshold) +
           "; the best may lie beyond it: extend -a";
}

}  // namespace tarvix
