#include "phylo/graph/shortest_paths.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "phylo/errors.hpp"
#include "phylo/ranges.hpp"
#include "phylo/graph/simd.hpp"
#include "phylo/io/number_images.hpp"

namespace phylo::graph {
namespace {

using simd::Lanes;
using simd::load;
using simd::store;
constexpr std::size_t lanes = simd::width;


// True when some object k other than i and j has d(i, k) < d and d(j, k) < d.
// Blocks of k are screened without branches, two at a time: some k of the
// block has both iff the least d(j, k) among those with d(i, k) < d is below
// d (NaN never is). Only a block that passes is looked at one by one.
bool has_witness(const double* row_i, const double* row_j, double d, std::size_t i, std::size_t j,
                 std::size_t n) {
    constexpr std::size_t block = 16;
    constexpr double none = std::numeric_limits<double>::infinity();
    const Lanes limit = {d, d};
    for (std::size_t k0 = 0; k0 < n; k0 += block) {
        const std::size_t k1 = std::min(n, k0 + block);
        std::size_t k = k0;
        Lanes least = {none, none};
        for (; k + lanes <= k1; k += lanes) {
            const Lanes candidate = load(row_i + k) < limit ? load(row_j + k) : least;
            least = candidate < least ? candidate : least;
        }
        bool hit = least[0] < d || least[1] < d;
        for (; k < k1; ++k) hit = hit || (row_i[k] < d && row_j[k] < d);
        if (!hit) continue;
        for (k = k0; k < k1; ++k)
            if (k != i && k != j && row_i[k] < d && row_j[k] < d) return true;
    }
    return false;
}

void write_graph(const BooleMatrix& graph, io::Output& out) {
    const std::size_t n = graph.size();
    std::string line;
    for (std::size_t i = 0; i < n; ++i) {
        line.clear();
        for (std::size_t k = 0; k < n; ++k) line += graph(i, k) ? "\tTRUE" : "\tFALSE";
        line += '\n';
        out.write(line);
    }
}

// One pass k >= 1 of Floyd-Warshall on a symmetric matrix, upper triangle
// only: d(i, j) := min(d(i, j), d(i, k) + d(j, k)) for i < j, with column k
// taken before the pass. The pass cannot change column k (d(k, k) = 0 makes
// its candidates x + 0), so this is what updating both triangles in place
// gives, and each row becomes one vector loop. std::min(a, b) keeps a unless
// b < a, which is what the lanes select.
void relax_through(std::size_t k, RealMatrix& d, std::vector<double>& via_k) {
    const std::size_t n = d.size();
    for (std::size_t x = 0; x < n; ++x) via_k[x] = x < k ? d(x, k) : d(k, x);
    const double* to_k = via_k.data();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        double* row = d.row(i);
        const double d_ik = to_k[i];
        const Lanes from_i = {d_ik, d_ik};
        std::size_t j = i + 1;
        for (; j + lanes <= n; j += lanes) {
            const Lanes current = load(row + j), candidate = from_i + load(to_k + j);
            store(row + j, candidate < current ? candidate : current);
        }
        for (; j < n; ++j) row[j] = std::min(row[j], d_ik + to_k[j]);
    }
}

}  // namespace

BooleMatrix build_rng(const RealMatrix& distances, io::Output& out) {
    require_distances(distances);
    const std::size_t n = distances.size();
    BooleMatrix graph(n, false);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            const bool edge = !has_witness(distances.row(i), distances.row(j), distances(i, j), i, j, n);
            graph.set(i, j, edge);
            graph.set(j, i, edge);
        }
    }
    write_graph(graph, out);
    return graph;
}

void to_shortest_paths(RealMatrix& distances, io::Output& out) { to_shortest_paths(build_rng(distances, out), distances); }

void to_shortest_paths(const BooleMatrix& graph, RealMatrix& distances) {
    if (graph.size() != distances.size())
        throw SizeError(size_error::real_chars, "phylo-graph:" + io::print::decimal(__LINE__));
    const std::size_t n = distances.size();
    if (n == 0) return;
    constexpr double no_path = largest_double;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        distances(i, i) = 0.0;
        for (std::size_t j = i + 1; j < n; ++j)
            if (!graph(i, j)) distances(i, j) = distances(j, i) = no_path;
    }
    distances(n - 1, n - 1) = 0.0;

    // Pass k = 0 as written, both triangles: edges may still carry different
    // values above and below the diagonal. It writes every pair, both
    // entries alike, so the matrix is symmetric from then on.
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double d_ik = distances(i, 0);
        for (std::size_t j = i + 1; j < n; ++j)
            distances(i, j) = distances(j, i) = std::min(distances(i, j), d_ik + distances(j, 0));
    }
    std::vector<double> via_k(n);
    for (std::size_t k = 1; k < n; ++k) relax_through(k, distances, via_k);
    for (std::size_t i = 0; i + 1 < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) distances(j, i) = distances(i, j);
}

}  // namespace phylo::graph
