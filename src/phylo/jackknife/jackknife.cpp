#include "phylo/jackknife/jackknife.hpp"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <map>
#include <span>
#include <string>

#include "phylo/errors.hpp"
#include "phylo/thresholds.hpp"
#include "phylo/series/glc_series.hpp"
#include "phylo/heap_sort.hpp"
#include "phylo/partitions/similarity.hpp"
#include "phylo/partitions/statistics.hpp"
#include "phylo/number_images.hpp"

namespace phylo::jackknife {

std::size_t kept_count(std::size_t objects, double deletion_fraction) {
    if (!(deletion_fraction >= 0.0 && deletion_fraction <= 1.0)) {
        throw RangeError("deletion fraction " + real_image(deletion_fraction) + " outside 0 .. 1");
    }
    const double kept = std::round(static_cast<double>(objects) * (1.0 - deletion_fraction));
    if (kept < 1.0) {
        throw RangeError("deletion fraction " + real_image(deletion_fraction) + " keeps none of " +
                         decimal(objects) + " objects");
    }
    return static_cast<std::size_t>(kept);
}

TaxonSampler::TaxonSampler(std::size_t objects, std::int32_t seed)
    : generator_(static_cast<std::uint32_t>(seed)), keys_(objects), kept_mask_(objects) {
    for (std::size_t p = 0; p < objects; ++p) keys_[p] = {0.0f, static_cast<std::int32_t>(p)};
}

// The 24 high bits of the generator's next 32-bit output as a fraction: a
// float in [0, 1) that the conversion represents exactly.
float TaxonSampler::draw() {
    return static_cast<float>(static_cast<std::uint32_t>(generator_()) >> 8) * 0x1p-24f;
}

std::vector<std::int32_t> TaxonSampler::next(std::size_t kept) {
    if (kept > keys_.size()) {
        throw RangeError("cannot keep " + decimal(kept) + " of " + decimal(keys_.size()) + " objects");
    }
    // Keys are drawn by position, not by object: the object at a position is
    // whatever the previous replicate's sort left there, and the users'
    // replicates depend on exactly that sequence.
    for (Keyed& record : keys_) record.key = draw();
    // Equal keys do occur (24 bits), so their order is the heap sort's.
    heap_sort(keys_.data(), keys_.size(), [](const Keyed& record) { return record.key; });
    std::fill(kept_mask_.begin(), kept_mask_.end(), false);
    for (std::size_t p = 0; p < kept; ++p) kept_mask_[static_cast<std::size_t>(keys_[p].object)] = true;
    std::vector<std::int32_t> kept_objects;
    kept_objects.reserve(kept);
    for (std::size_t o = 0; o < kept_mask_.size(); ++o) {
        if (kept_mask_[o]) kept_objects.push_back(static_cast<std::int32_t>(o));
    }
    return kept_objects;
}

Partition reduce(const Partition& full, const std::vector<std::int32_t>& kept_objects) {
    const std::size_t n = full.size();
    auto group_of = [&](std::size_t object) {
        if (object >= n) throw IndexError("object " + decimal(object) + " outside the reference partition");
        const GroupNumber g = full[object];
        if (g < 0 || static_cast<std::size_t>(g) >= n) {
            throw IndexError("reference group number " + decimal(g) + " outside 0 .. " +
                             decimal(n - 1));
        }
        return static_cast<std::size_t>(g);
    };
    std::vector<char> marked(n, 0);
    for (const std::int32_t o : kept_objects) marked[group_of(static_cast<std::size_t>(o))] = 1;
    // Deleted objects still decide the order of the new numbers: a group is
    // numbered where it first appears among all objects.
    std::vector<GroupNumber> renumbered(n, 0);
    GroupNumber counter = 0;
    for (std::size_t o = 0; o < n; ++o) {
        const std::size_t g = group_of(o);
        if (marked[g]) {
            renumbered[g] = counter++;
            marked[g] = 0;
        }
    }
    Partition reduced;
    reduced.reserve(kept_objects.size());
    for (const std::int32_t o : kept_objects) reduced.push_back(renumbered[group_of(static_cast<std::size_t>(o))]);
    return reduced;
}

namespace {

using KeptObjects = std::vector<std::int32_t>;

// N + 1 thresholds from start up to about maximum.
std::size_t threshold_list_size(double start, double step, double maximum) {
    const std::int32_t last = threshold_count(start, maximum, step);
    if (last < 0) throw RangeError("maximum threshold below the start threshold");
    return static_cast<std::size_t>(last) + 1;
}

// What every replicate shares; each replicate's own working data lives in
// row() alone, so replicates can run side by side.
struct Replicate {
    const RealMatrix& distances;
    bool row_sum_preordering;
    const PartitionSet& references;
    double start;
    double step;
    double fraction;
    std::vector<double> thresholds;

    // Every reference reduced to the kept objects; references that share one
    // partition share its reduction.
    PartitionSet reduced_references(const KeptObjects& kept) const {
        PartitionSet reduced(references.size());
        for (std::size_t i = 0; i < references.size(); ++i) {
            reduced[i] = i > 0 && references[i] == references[i - 1]
                             ? reduced[i - 1]
                             : std::make_shared<const Partition>(reduce(*references[i], kept));
        }
        return reduced;
    }

    // The replicate's row: cluster the kept objects along the series, compare
    // with the reduced references, and keep the best of every column. The
    // series reads the kept distances in place; only where it needs the exact
    // sort of all their pairs are they copied, into the replicate matrix, the
    // caller's, reused from one replicate to the next.
    std::vector<double> row(const KeptObjects& kept, RealMatrix& submatrix) const {
        const PartitionSet reduced = reduced_references(kept);
        PartitionSet series(thresholds.size());
        const auto copy = [&]() -> const RealMatrix& {
            gather_read_part(kept, submatrix);
            return submatrix;
        };
        series::glc_series(PickedSubmatrix{distances, kept}, copy, row_sum_preordering, series, start, step,
                           fraction);
        RealData similarities(thresholds.size());
        partitions::partition_similarities(series, reduced, similarities);
        return partitions::best(similarities.rows, thresholds, true);
    }

    // The distances between kept objects that the clustering reads, rows and
    // columns in ascending object order. Without row-sum pre-ordering it
    // reads the pairs of the upper triangle alone (its pair list), so only
    // those are copied: half of what a replicate moves through memory, and
    // memory is what replicates running side by side share. The diagonal and
    // the lower triangle then hold NaN, written when the matrix is made, so a
    // clustering that read them would show it instead of reading stale
    // distances. With pre-ordering the row sums read whole rows.
    void gather_read_part(const KeptObjects& kept, RealMatrix& submatrix) const {
        if (row_sum_preordering) {
            gather(distances, std::span<const std::int32_t>(kept), submatrix);
            return;
        }
        const std::size_t k = kept.size();
        if (submatrix.size() != k) submatrix = RealMatrix(k, std::numeric_limits<double>::quiet_NaN());
        for (std::size_t a = 0; a + 1 < k; ++a) {
            const double* from = distances.row(static_cast<std::size_t>(kept[a]));
            double* to = submatrix.row(a);
            for (std::size_t b = a + 1; b < k; ++b) to[b] = from[static_cast<std::size_t>(kept[b])];
        }
    }
};

// Tells the caller's progress callback about every finished replicate.
class ProgressCount {
public:
    ProgressCount(const JackknifeProgress& progress, std::size_t total) : progress_(progress), total_(total) {}
    // Called by one thread at a time.
    void finished_one() {
        ++done_;
        if (progress_) progress_(done_, total_);
    }

private:
    const JackknifeProgress& progress_;
    std::size_t total_;
    std::size_t done_ = 0;
};

// The kept sets, drawn in replicate order, one after the other, since each
// draw starts from the key array the previous one left. A replicate draws
// its set when it starts (and the sets of any replicates before it that have
// not started yet), so drawing overlaps with the clustering of the replicates
// running meanwhile; sets drawn ahead wait here, at most one per thread.
class Draws {
public:
    Draws(TaxonSampler& sampler, std::size_t kept) : sampler_(sampler), kept_(kept) {}

    // The kept objects of replicate i. Called by one thread at a time; a
    // failed draw fails every later call, since the draws after it could
    // no longer be the ones the replicates run in order make.
    KeptObjects take(std::size_t i) {
        if (failure_) std::rethrow_exception(failure_);
        try {
            while (next_ <= i) {
                waiting_.emplace(next_, sampler_.next(kept_));
                ++next_;
            }
        } catch (...) {
            failure_ = std::current_exception();
            throw;
        }
        const auto found = waiting_.find(i);
        KeptObjects set = std::move(found->second);
        waiting_.erase(found);
        return set;
    }

private:
    TaxonSampler& sampler_;
    std::size_t kept_;
    std::size_t next_ = 0;
    std::map<std::size_t, KeptObjects> waiting_;
    std::exception_ptr failure_;
};

// Every row of the table, the replicates side by side. Each replicate writes
// only its own row, so the table is the same on any number of threads.
// Rethrows the failure of the lowest replicate that failed: the one the
// replicates run in order would have met first.
void run_replicates(const Replicate& replicate, Draws& draws, RealData& replicates, ProgressCount& count) {
    const std::size_t total = replicates.size();
    std::vector<std::exception_ptr> failures(total);
#ifdef _OPENMP
#pragma omp parallel
#endif
    {
        RealMatrix submatrix;
#ifdef _OPENMP
#pragma omp for schedule(dynamic, 1)
#endif
        for (std::size_t i = 0; i < total; ++i) {
            try {
                KeptObjects kept;
#ifdef _OPENMP
#pragma omp critical(jackknife_draws)
#endif
                {
                    try {
                        kept = draws.take(i);
                    } catch (...) {
                        failures[i] = std::current_exception();
                    }
                }
                if (!failures[i]) replicates.rows[i] = replicate.row(kept, submatrix);
            } catch (...) {
                failures[i] = std::current_exception();
            }
#ifdef _OPENMP
#pragma omp critical(jackknife_progress)
#endif
            try {
                count.finished_one();
            } catch (...) {
                if (!failures[i]) failures[i] = std::current_exception();
            }
        }
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) std::rethrow_exception(failure);
    }
}

}  // namespace

void taxon_jackknife(const RealMatrix& distances, bool row_sum_preordering, const PartitionSet& references,
                     std::int32_t seed, RealData& replicates, double start, double step, double maximum,
                     double fraction, double deletion_fraction, const JackknifeProgress& progress) {
    const std::size_t n = distances.size();
    Replicate replicate{distances, row_sum_preordering, references, start, step, fraction,
                        std::vector<double>(threshold_list_size(start, step, maximum))};
    TaxonSampler sampler(n, seed);
    const std::size_t kept = kept_count(n, deletion_fraction);
    for (const PartitionRef& reference : references) {
        if (!reference || reference->size() != n) {
            throw IndexError("a reference partition is not over the matrix's " + decimal(n) + " objects");
        }
    }
    for (auto& row : replicates.rows) row.clear();
    partitions::fill(replicate.thresholds, start, step);

    Draws draws(sampler, kept);
    ProgressCount count(progress, replicates.size());
    run_replicates(replicate, draws, replicates, count);
}

}  // namespace phylo::jackknife
