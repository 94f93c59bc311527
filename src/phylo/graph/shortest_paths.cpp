#include "phylo/graph/shortest_paths.hpp"

#include <algorithm>
#include <limits>
#include <vector>

#include "phylo/errors.hpp"
#include "phylo/graph/builders.hpp"
#include "phylo/ranges.hpp"
#include "phylo/graph/simd.hpp"
#include "phylo/number_images.hpp"

namespace phylo::graph {
namespace {

using simd::Lanes;
using simd::load;
using simd::store;
constexpr std::size_t lanes = simd::width;


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

void to_shortest_paths(RealMatrix& distances, const GraphObserver& on_rng) {
    const BooleMatrix graph = build_rng(distances);
    if (on_rng) on_rng(graph);
    to_shortest_paths(graph, distances);
}

void to_shortest_paths(const BooleMatrix& graph, RealMatrix& distances) {
    if (graph.size() != distances.size())
        throw SizeError(size_error::real_chars, "phylo-graph:" + decimal(__LINE__));
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
