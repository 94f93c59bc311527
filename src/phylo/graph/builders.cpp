#include "phylo/graph/builders.hpp"

#include <algorithm>
#include <limits>

#include "phylo/errors.hpp"
#include "phylo/graph/edges.hpp"
#include "phylo/ranges.hpp"
#include "phylo/graph/simd.hpp"
#include "phylo/number_images.hpp"

namespace phylo::graph {

namespace {

void join(BooleMatrix& graph, std::size_t i, std::size_t j) {
    graph.set(i, j, true);
    graph.set(j, i, true);
}

// The graph of every pair i < j for which edge(i, j) holds.
template <class Edge>
BooleMatrix graph_of(std::size_t n, Edge edge) {
    BooleMatrix graph(n, false);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j)
            if (edge(i, j)) join(graph, i, j);
    return graph;
}

double larger(double a, double b) { return a < b ? b : a; }

using simd::Lanes;
using simd::load;
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

// The search for Gabriel witnesses: for a pair i < j, some k other than i
// and j with d(i, k)^2 + d(j, k)^2 < d(i, j)^2, rows i and j read in full.
// Whether a witness exists does not depend on where the search looks first,
// so it tries two likely witnesses first, the last one found for a pair of
// row i and the last one found for a pair with j (in clustered data the
// objects close to i or j serve most of their pairs); then it screens blocks
// of k without branches and stops in the first block that holds a witness.
class GabrielWitnesses {
public:
    explicit GabrielWitnesses(const RealMatrix& distances)
        : distances_(distances), n_(distances.size()), last_(n_, none) {}

    bool exists(std::size_t i, std::size_t j, double squared) {
        const double* row_i = distances_.row(i);
        const double* row_j = distances_.row(j);
        for (const std::size_t k : {last_[i], last_[j]})
            if (k != none && k != i && k != j && witnesses(row_i, row_j, k, squared)) return true;
        for (std::size_t k0 = 0; k0 < n_; k0 += block) {
            const std::size_t k1 = std::min(n_, k0 + block);
            if (!screen(row_i, row_j, k0, k1, squared)) continue;
            for (std::size_t k = k0; k < k1; ++k) {
                if (k != i && k != j && witnesses(row_i, row_j, k, squared)) {
                    last_[i] = last_[j] = k;
                    return true;
                }
            }
        }
        return false;
    }

private:
    static constexpr std::size_t block = 16;
    static constexpr std::size_t none = static_cast<std::size_t>(-1);

    static bool witnesses(const double* row_i, const double* row_j, std::size_t k, double squared) {
        const double dik = row_i[k], djk = row_j[k];
        return dik * dik + djk * djk < squared;
    }

    // Whether some k in k0 .. k1-1 (i and j included) passes the test: the
    // least sum of the block is below squared (a not-a-number sum never is).
    static bool screen(const double* row_i, const double* row_j, std::size_t k0, std::size_t k1, double squared) {
        Lanes least = {largest_double, largest_double};
        std::size_t k = k0;
        for (; k + lanes <= k1; k += lanes) {
            const Lanes a = load(row_i + k), b = load(row_j + k);
            const Lanes sum = a * a + b * b;
            least = sum < least ? sum : least;
        }
        bool hit = least[0] < squared || least[1] < squared;
        for (; k < k1; ++k) hit = hit || witnesses(row_i, row_j, k, squared);
        return hit;
    }

    const RealMatrix& distances_;
    const std::size_t n_;
    std::vector<std::size_t> last_;  // per object, the last witness found for one of its pairs
};

}  // namespace

std::vector<double> shortest_distances(const RealMatrix& distances) {
    const std::size_t n = distances.size();
    std::vector<double> shortest(n, largest_double);
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            const double d = distances(i, j);
            if (d < shortest[i]) shortest[i] = d;
            if (d < shortest[j]) shortest[j] = d;
        }
    }
    return shortest;
}

BooleMatrix build_nng(const RealMatrix& distances) {
    require_distances(distances);
    const std::vector<double> nearest = shortest_distances(distances);
    return graph_of(distances.size(), [&](std::size_t i, std::size_t j) {
        return distances(i, j) <= larger(nearest[i], nearest[j]);
    });
}

BooleMatrix build_soig(const RealMatrix& distances) {
    require_distances(distances);
    const std::vector<double> nearest = shortest_distances(distances);
    return graph_of(distances.size(), [&](std::size_t i, std::size_t j) {
        return nearest[i] + nearest[j] >= distances(i, j);
    });
}

BooleMatrix build_gg(const RealMatrix& distances) {
    require_distances(distances);
    const std::size_t n = distances.size();
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) require_range(distances(i, j) * distances(i, j), "squared distance");

    // The pairs are independent, so they are taken in tiles: a band of rows
    // i stays in the cache while each later row j is read once for all of
    // them.
    constexpr std::size_t band = 16;
    GabrielWitnesses witnesses(distances);
    BooleMatrix graph(n, false);
    for (std::size_t i0 = 0; i0 < n; i0 += band) {
        for (std::size_t j = i0 + 1; j < n; ++j) {
            for (std::size_t i = i0; i < std::min(i0 + band, j); ++i) {
                const double d = distances(i, j);
                if (!witnesses.exists(i, j, d * d)) join(graph, i, j);
            }
        }
    }
    return graph;
}

BooleMatrix build_rng(const RealMatrix& distances) {
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
    return graph;
}

BooleMatrix build_msn(const RealMatrix& distances) {
    const BooleMatrix tree = build_mst(distances);
    std::vector<double> longest = longest_edges(tree, distances, ReplaceUnknownType::MEDIAN);
    for (double value : longest) require_range(value, "longest spanning tree edge");
    return graph_of(distances.size(), [&](std::size_t i, std::size_t j) {
        return tree(i, j) || distances(i, j) <= larger(longest[i], longest[j]);
    });
}

BooleMatrix build_graph(const RealMatrix& distances, GraphType kind, const GraphObserver& on_rng) {
    const auto observed_rng = [&] {
        BooleMatrix graph = build_rng(distances);
        if (on_rng) on_rng(graph);
        return graph;
    };
    switch (kind) {
        case GraphType::NNG: return build_nng(distances);
        case GraphType::MST: return build_mst(distances);
        case GraphType::RNG: return observed_rng();
        case GraphType::GG: return build_gg(distances);
        case GraphType::RNG_SOIG: {
            // The sphere-of-influence graph comes first, so that its range
            // errors stop the run before the neighbourhood graph is written.
            const BooleMatrix soig = build_soig(distances);
            return conjunction(observed_rng(), soig);
        }
        case GraphType::SOIG: return build_soig(distances);
        case GraphType::MSN: return build_msn(distances);
    }
    throw RangeError("graph kind outside 0 .. 6");
}

BooleMatrix partition_to_adjacency(const Partition& partition) {
    const std::size_t n = partition.size();
    for (GroupNumber group : partition)
        if (group < 0 || static_cast<std::size_t>(group) >= n)
            throw RangeError("group number outside 0 .. " + decimal(n - 1) + ": " + decimal(group));
    return graph_of(n, [&](std::size_t i, std::size_t j) { return partition[i] == partition[j]; });
}

BooleMatrix conjunction(const BooleMatrix& a, const BooleMatrix& b) {
    if (a.size() != b.size())
        throw SizeError(size_error::boole_chars, "phylo-graph: conjunction of graphs of " +
                                                     decimal(a.size()) + " and " + decimal(b.size()) +
                                                     " objects");
    const std::size_t n = a.size();
    BooleMatrix both(n, false);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < n; ++k) both.set(i, k, a(i, k) && b(i, k));
    return both;
}

}  // namespace phylo::graph
