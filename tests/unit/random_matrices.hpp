// Random inputs for the comparisons of the engines with their literal
// versions: distance matrices of a few named kinds, graphs and partitions.
//
//   MatrixKind::tie_free()       uniform values in [0, 1): equal distances
//                                almost never occur
//   MatrixKind::chance_ties()    eighths in [0, 1]: some distances tie
//   MatrixKind::tie_heavy(L)     whole numbers 0 .. L - 1: most distances tie
//   MatrixKind::decimals(k)      [0, 1] rounded to k decimals, as printed
//                                distances are: ties by chance
//
// and options on any kind: an independent lower triangle (one level lower,
// so partly negative, with Lower::independent_negative), a shift and a scale
// of every entry, values spread over many magnitudes, and one planted value
// (a not-a-number, an infinity) above, below or anywhere off the diagonal.
// The diagonal is zero.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "phylo/types.hpp"

namespace tarvix_test {

struct MatrixKind {
    enum class Values { tie_free, chance_ties, tie_heavy, decimals };
    enum class Lower { mirrored, independent, independent_negative };
    enum class Place { nowhere, above_diagonal, below_diagonal, anywhere };

    Values values = Values::tie_free;
    int levels = 1;  // of tie_heavy; the decimals of decimals
    Lower lower = Lower::mirrored;
    double shift = 0.0;  // added to every entry: negative entries
    double scale = 1.0;  // then every entry multiplied
    int spread = 0;      // tie-free values times 2^k, k uniform in -spread .. spread - 1
    double planted = std::numeric_limits<double>::quiet_NaN();
    Place plant = Place::nowhere;

    static MatrixKind tie_free() { return {}; }
    static MatrixKind chance_ties() { return {.values = Values::chance_ties}; }
    static MatrixKind tie_heavy(int levels) { return {.values = Values::tie_heavy, .levels = levels}; }
    static MatrixKind decimals(int k) { return {.values = Values::decimals, .levels = k}; }

    MatrixKind with_lower(Lower l) const { return set(&MatrixKind::lower, l); }
    MatrixKind independent_lower(bool on = true) const { return with_lower(on ? Lower::independent : Lower::mirrored); }
    MatrixKind shifted(double s) const { return set(&MatrixKind::shift, s); }
    MatrixKind scaled(double s) const { return set(&MatrixKind::scale, s); }
    MatrixKind spread_over(int exponents) const { return set(&MatrixKind::spread, exponents); }
    MatrixKind planting(double value, Place where) const {
        return set(&MatrixKind::planted, value).set(&MatrixKind::plant, where);
    }
    MatrixKind with_nan(Place where) const { return planting(std::numeric_limits<double>::quiet_NaN(), where); }

private:
    template <class T>
    MatrixKind set(T MatrixKind::*field, T value) const {
        MatrixKind copy = *this;
        copy.*field = value;
        return copy;
    }
};

inline double random_value(std::mt19937& random, const MatrixKind& kind) {
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    double x = 0.0;
    switch (kind.values) {
        case MatrixKind::Values::tie_free:
            x = uniform(random);
            if (kind.spread > 0)
                x = std::ldexp(x, static_cast<int>(random() % (2 * static_cast<unsigned>(kind.spread))) - kind.spread);
            break;
        case MatrixKind::Values::chance_ties: x = std::round(uniform(random) * 8) / 8; break;
        case MatrixKind::Values::tie_heavy:
            x = static_cast<double>(random() % static_cast<unsigned>(kind.levels));
            break;
        case MatrixKind::Values::decimals: {
            const double power = std::pow(10.0, kind.levels);
            x = std::round(uniform(random) * power) / power;
            break;
        }
    }
    return (x + kind.shift) * kind.scale;
}

inline phylo::RealMatrix random_matrix(std::mt19937& random, std::size_t n, const MatrixKind& kind) {
    using Lower = MatrixKind::Lower;
    using Place = MatrixKind::Place;
    phylo::RealMatrix d(n, 0.0);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            d(i, j) = random_value(random, kind);
            d(j, i) = kind.lower == Lower::mirrored
                          ? d(i, j)
                          : random_value(random, kind) - (kind.lower == Lower::independent_negative ? 1.0 : 0.0);
        }
    if (kind.plant != Place::nowhere && n > 1) {
        std::size_t i = random() % n, j = random() % n;
        if (kind.plant != Place::anywhere && i == j) j = (i + 1) % n;
        if ((kind.plant == Place::above_diagonal && i > j) || (kind.plant == Place::below_diagonal && i < j))
            std::swap(i, j);
        d(i, j) = kind.planted;
    }
    return d;
}

// A symmetric graph whose edges are present with the given probability.
inline phylo::BooleMatrix random_graph(std::mt19937& random, std::size_t n, double density, bool diagonal = false) {
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    phylo::BooleMatrix g(n, false);
    for (std::size_t i = 0; i < n; ++i) {
        g.set(i, i, diagonal);
        for (std::size_t j = i + 1; j < n; ++j) {
            const bool edge = uniform(random) < density;
            g.set(i, j, edge);
            g.set(j, i, edge);
        }
    }
    return g;
}

// A matrix of independent booleans, each true with the given probability
// (incidence matrices of objects and columns).
inline phylo::BooleMatrix random_booleans(std::mt19937& random, std::size_t n, double density) {
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    phylo::BooleMatrix m(n, false);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < n; ++k) m.set(i, k, uniform(random) < density);
    return m;
}

// Group numbers 0 .. groups - 1 drawn for every object; with every_group,
// the first objects take each number once, so the numbering has no gap.
inline phylo::Partition random_partition(std::mt19937& random, std::size_t n, std::uint32_t groups,
                                         bool every_group = false) {
    phylo::Partition p(n);
    for (std::size_t k = 0; k < n; ++k)
        p[k] = static_cast<phylo::GroupNumber>(every_group && k < groups ? k : random() % groups);
    return p;
}

}  // namespace tarvix_test
