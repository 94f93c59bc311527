// The taxon jackknife: how stable the best clustering threshold is when a
// random share of the objects is left out. Every replicate clusters the kept
// objects along the threshold series, compares each partition with the
// reference partitions reduced to the same objects, and keeps the best value
// of every comparison column with the threshold that reaches it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "phylo/types.hpp"

namespace phylo::jackknife {

// Told how many replicates are done out of how many, after each one; called
// from one thread at a time, with done rising.
using JackknifeProgress = std::function<void(std::size_t done, std::size_t total)>;

// Fills row r of replicates (whose row count is the number of replicates) for
// r = 0, 1, ...: for every column c of the replicate's similarity table (the
// number of groups, then shared information, modified Rand index and Rand
// index per reference and their means), element 2c holds the column's best
// value and element 2c + 1 the threshold at which it is reached. The row
// labels are left alone. The thresholds are start, start + step, ... up to
// about maximum; fraction is the fraction of links for the clustering and
// deletion_fraction the share of objects deleted per replicate. The same seed
// gives the same table, whatever the number of threads the replicates run on.
// Failures: a threshold count beyond 32 bits, a maximum below the start, a
// deletion fraction outside 0 .. 1 or one that keeps no object are range
// errors; references not over the matrix's objects, or with group numbers
// outside 0 .. n - 1, are index errors; the clustering's and the comparison's
// own failures (a fraction outside 0 .. 1) stop the call at the first
// replicate that meets them.
void taxon_jackknife(const RealMatrix& distances, bool row_sum_preordering, const PartitionSet& references,
                     std::int32_t seed, RealData& replicates, double start, double step, double maximum,
                     double fraction, double deletion_fraction, const JackknifeProgress& progress = {});

// How many of objects a replicate keeps: objects x (1 - deletion_fraction),
// rounded half away from zero. A deletion fraction outside 0 .. 1, or a count
// that keeps nothing, is a range error.
std::size_t kept_count(std::size_t objects, double deletion_fraction);

// The random choice of the kept objects. Each object sits at one position of
// a key array; every replicate draws a fresh key for each position, in
// ascending position order, and sorts the array by key with the heap sort,
// so the objects keep moving from one replicate to the next. The objects at
// the first kept positions are the replicate's kept objects.
class TaxonSampler {
public:
    // Seeds the generator with the seed taken as an unsigned 32-bit value.
    TaxonSampler(std::size_t objects, std::int32_t seed);

    // The next replicate's kept objects, in ascending object order.
    std::vector<std::int32_t> next(std::size_t kept);

private:
    struct Keyed {
        float key;
        std::int32_t object;
    };
    float draw();

    std::mt19937 generator_;
    std::vector<Keyed> keys_;
    std::vector<bool> kept_mask_;
};

// The reference partition over all objects reduced to the kept objects
// (ascending): groups without kept members vanish, and the others are
// renumbered from 0 in the order in which they first appear among all
// objects, kept or not. Group numbers outside 0 .. full.size() - 1 are an
// index error.
Partition reduce(const Partition& full, const std::vector<std::int32_t>& kept_objects);

}  // namespace phylo::jackknife
