#include "phylo/correction/correction.hpp"

#include <algorithm>
#include <bit>
#include <string>
#include <unordered_map>

#include "phylo/errors.hpp"
#include "phylo/heap_sort.hpp"
#include "phylo/number_images.hpp"

namespace phylo::correction {

namespace {

using Objects = std::vector<std::uint32_t>;

// Rows of the matrix and of its transpose. The conflict tests read entries
// D(k, j) for runs of objects k, columns of the matrix; reading them from
// rows of the transpose keeps each run in one stretch of memory. A matrix
// that equals its transpose bit for bit serves as its own transpose.
class MatrixRows {
public:
    explicit MatrixRows(const RealMatrix& d) : d_(d), columns_(&d) {
        if (mirrored(d)) return;
        const std::size_t n = d.size();
        transposed_ = RealMatrix(n);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t k = 0; k < n; ++k) transposed_(k, i) = d(i, k);
        columns_ = &transposed_;
    }
    MatrixRows(const MatrixRows&) = delete;
    MatrixRows& operator=(const MatrixRows&) = delete;

    // row(i)[k] is D(i, k).
    const double* row(std::size_t i) const { return d_.row(i); }
    // column(i)[k] is D(k, i).
    const double* column(std::size_t i) const { return columns_->row(i); }

private:
    static bool mirrored(const RealMatrix& d) {
        for (std::size_t i = 0; i < d.size(); ++i)
            for (std::size_t k = 0; k < i; ++k)
                if (std::bit_cast<std::uint64_t>(d(i, k)) != std::bit_cast<std::uint64_t>(d(k, i))) return false;
        return true;
    }

    const RealMatrix& d_;
    RealMatrix transposed_;
    const RealMatrix* columns_;
};

// The groups of a partition as lists of their members in ascending order.
// A triple can only conflict when exactly two of its objects share a group,
// so the scoring walks these lists instead of every third object.
struct Groups {
    explicit Groups(const Partition& partition) : of(partition.size()), place(partition.size()) {
        std::unordered_map<GroupNumber, std::uint32_t> numbers;
        for (std::size_t i = 0; i < partition.size(); ++i) {
            const auto next = static_cast<std::uint32_t>(numbers.size());
            of[i] = numbers.try_emplace(partition[i], next).first->second;
            if (of[i] == members.size()) members.emplace_back();
            place[i] = static_cast<std::uint32_t>(members[of[i]].size());
            members[of[i]].push_back(static_cast<std::uint32_t>(i));
        }
    }

    Objects of;                    // per object, its group
    std::vector<Objects> members;  // per group, its members ascending
    Objects place;                 // per object, its index among its group's members
};

// The scoring pass over the triples i < j < k in ascending order. Only the
// triples with exactly two group mates are visited, since the others score
// nothing: for mates i and j every later k, otherwise the later mates of i
// and of j. Every score still receives its additions in triple order, so the
// sums come out bit for bit as a walk over all triples gives them.
class Scoring {
public:
    Scoring(const MatrixRows& rows, const Partition& partition, double largest)
        : rows_(rows), groups_(partition), largest_(largest), score_(partition.size(), 0.0) {}

    std::int64_t run() {
        const std::size_t n = score_.size();
        for (std::size_t i = 0; i < n; ++i) {
            const Objects& mates = groups_.members[groups_.of[i]];
            std::size_t next_mate = groups_.place[i] + 1;  // i's first mate after j
            for (std::size_t j = i + 1; j < n; ++j) {
                while (next_mate < mates.size() && mates[next_mate] <= j) ++next_mate;
                if (groups_.of[j] == groups_.of[i])
                    outsiders_of_mates(i, j);
                else
                    mates_after(i, j, mates.data() + next_mate, mates.data() + mates.size());
            }
        }
        return count_;
    }

    const std::vector<double>& scores() const { return score_; }

private:
    // The conflicting triple with outsider a and pair (b, c).
    void add_conflict(std::size_t a, std::size_t b, std::size_t c, double pair_distance) {
        ++count_;
        score_[a] += (largest_ - pair_distance) + 0.000001;
        score_[b] += pair_distance + 0.000001;
        score_[c] += pair_distance + 0.000001;
    }

    // i and j share a group: each later k outside it is the outsider of the
    // pair (i, j). Within this run i and j gain the same share for every
    // conflict and nothing else, so their shares are added after it.
    void outsiders_of_mates(std::size_t i, std::size_t j) {
        const double* row_i = rows_.row(i);
        const double* row_j = rows_.row(j);
        const std::uint32_t* group = groups_.of.data();
        const std::uint32_t mates = group[i];
        const double pair_distance = row_i[j];
        const double to_outsider = (largest_ - pair_distance) + 0.000001;
        double* score = score_.data();
        std::int64_t found = 0;
        for (std::size_t k = j + 1; k < score_.size(); ++k) {
            if (group[k] != mates && pair_distance - std::max(row_j[k], row_i[k]) >= 0.0) {
                score[k] += to_outsider;
                ++found;
            }
        }
        count_ += found;
        const double to_member = pair_distance + 0.000001;
        for (; found > 0; --found) {
            score[i] += to_member;
            score[j] += to_member;
        }
    }

    // i and j lie in different groups: a later mate k of i makes j the
    // outsider of the pair (i, k), a later mate k of j makes i the outsider
    // of the pair (j, k); the two lists are merged into ascending k.
    void mates_after(std::size_t i, std::size_t j, const std::uint32_t* mate_of_i, const std::uint32_t* end_of_i) {
        const Objects& mates_j = groups_.members[groups_.of[j]];
        const std::uint32_t* mate_of_j = mates_j.data() + groups_.place[j] + 1;
        const std::uint32_t* end_of_j = mates_j.data() + mates_j.size();
        if (mate_of_i == end_of_i && mate_of_j == end_of_j) return;
        const double* row_i = rows_.row(i);
        const double* row_j = rows_.row(j);
        const double* to_i = rows_.column(i);
        const double* to_j = rows_.column(j);
        const double d_ij = row_i[j], d_ji = row_j[i];
        while (mate_of_i != end_of_i || mate_of_j != end_of_j) {
            if (mate_of_j == end_of_j || (mate_of_i != end_of_i && *mate_of_i < *mate_of_j)) {
                const std::size_t k = *mate_of_i++;
                if (row_i[k] - std::max(to_j[k], d_ij) >= 0.0) add_conflict(j, i, k, row_i[k]);
            } else {
                const std::size_t k = *mate_of_j++;
                if (row_j[k] - std::max(to_i[k], d_ji) >= 0.0) add_conflict(i, j, k, row_j[k]);
            }
        }
    }

    const MatrixRows& rows_;
    const Groups groups_;
    const double largest_;
    std::vector<double> score_;
    std::int64_t count_ = 0;
};

std::int64_t score_triples(const MatrixRows& rows, const Partition& partition, double largest, ScoreTable& scores) {
    Scoring scoring(rows, partition, largest);
    const std::int64_t count = scoring.run();
    scores.resize(partition.size());
    for (std::size_t i = 0; i < partition.size(); ++i)
        scores[i] = ObjectScore{static_cast<std::int32_t>(i), scoring.scores()[i]};
    return count;
}

// The largest entry of the whole matrix, diagonal and both triangles.
double largest_entry(const RealMatrix& d) {
    const std::size_t n = d.size();
    double largest = d(0, 0);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < n; ++k)
            if (d(i, k) > largest) largest = d(i, k);
    return largest;
}

// Renumbers groups 0..G-1 in order of first occurrence along the objects.
// The passes only ever compare group numbers for equality and open new groups
// above the largest number in use, so renumbering between passes changes no
// decision; it keeps the numbers below 2 n, where opening a new group at
// "group + offset" pass after pass would otherwise double them each time.
void renumber_by_first_occurrence(Partition& partition) {
    std::unordered_map<GroupNumber, GroupNumber> numbers;
    for (GroupNumber& group : partition) {
        const auto next = static_cast<GroupNumber>(numbers.size());
        group = numbers.try_emplace(group, next).first->second;
    }
}

// One pass of moves over the sorted table, highest score first; every move
// is seen by the objects examined after it. Object o looks for its first
// conflict over the table's pairs (p, t) at positions q < r from start on.
// Only the pairs that can involve o are visited, in the same order: when p
// is a mate of o, every later t outside o's group; otherwise only the later
// mates of o and of p. For that each group keeps the table positions of its
// members, ascending, up to date as objects move.
class Moves {
public:
    Moves(const MatrixRows& rows, const ScoreTable& sorted, Partition& working)
        : rows_(rows), working_(working), start_(first_counted(sorted)) {
        const auto [lowest, highest] = std::minmax_element(working.begin(), working.end());
        lowest_ = *lowest;
        offset_ = static_cast<std::int64_t>(*highest) - lowest_ + 1;
        positions_.resize(static_cast<std::size_t>(2 * offset_));
        object_at_.reserve(sorted.size());
        group_at_.reserve(sorted.size());
        for (const ObjectScore& entry : sorted) {
            object_at_.push_back(static_cast<std::uint32_t>(entry.object));
            group_at_.push_back(working[entry.object]);
        }
        for (std::size_t q = start_; q < sorted.size(); ++q) positions_of(group_at_[q]).push_back(q);
    }

    void run() {
        for (std::size_t s = object_at_.size(); s > start_; --s) move_if_conflicting(s - 1);
    }

private:
    enum class Move { none, leave, join };

    // The first position whose score is at least 0 (with non-negative
    // distances, the first position).
    static std::size_t first_counted(const ScoreTable& sorted) {
        std::size_t start = 0;
        while (start < sorted.size() && !(sorted[start].score >= 0.0)) ++start;
        return start;
    }

    std::vector<std::size_t>& positions_of(GroupNumber group) {
        return positions_[static_cast<std::size_t>(static_cast<std::int64_t>(group) - lowest_)];
    }

    // The object at position s moves out of its group g into g + offset
    // when it is a pair member of a conflict, into the outsider's group when
    // it is the outsider.
    void move_if_conflicting(std::size_t s) {
        const std::uint32_t o = object_at_[s];
        const GroupNumber g = group_at_[s];
        for (std::size_t q = start_; q + 1 < object_at_.size(); ++q) {
            const std::uint32_t p = object_at_[q];
            const GroupNumber h = group_at_[q];
            Move move = Move::none;
            if (h == g) {
                if (p != o && outsider_after(q, o, p, g)) move = Move::leave;
            } else {
                move = mate_after(q, s, o, g, p, h);
            }
            if (move == Move::none) continue;
            relocate(s, static_cast<GroupNumber>(move == Move::leave ? g + offset_ : h));
            return;
        }
    }

    // p (at q) is a mate of o: is some t after q outside their group the
    // outsider of a conflict with the pair (o, p)?
    bool outsider_after(std::size_t q, std::uint32_t o, std::uint32_t p, GroupNumber g) const {
        const double* row_o = rows_.row(o);
        const double* row_p = rows_.row(p);
        const double d_op = row_o[p];
        for (std::size_t r = q + 1; r < object_at_.size(); ++r) {
            const std::uint32_t t = object_at_[r];
            if (group_at_[r] != g && d_op - std::max(row_p[t], row_o[t]) >= 0.0) return true;
        }
        return false;
    }

    // p (at q) is in another group h: the first later mate t of o (not o,
    // at s) with p the outsider of the pair (o, t) sends o out of g; the
    // first later mate t of p with o the outsider of the pair (p, t) brings
    // o into h.
    Move mate_after(std::size_t q, std::size_t s, std::uint32_t o, GroupNumber g, std::uint32_t p,
                    GroupNumber h) {
        const std::vector<std::size_t>& of_g = positions_of(g);
        const std::vector<std::size_t>& of_h = positions_of(h);
        auto at_g = std::upper_bound(of_g.begin(), of_g.end(), q);
        auto at_h = std::upper_bound(of_h.begin(), of_h.end(), q);
        // The rows of o and its mates, and o's column, serve every q; the
        // row of p changes with q, so D(t, p) and D(p, o) are read from the
        // rows of o's mates and from o's column.
        const double* row_o = rows_.row(o);
        const double* row_p = rows_.row(p);
        const double* to_o = rows_.column(o);
        const double d_op = row_o[p], d_po = to_o[p];
        while (at_g != of_g.end() || at_h != of_h.end()) {
            if (at_h == of_h.end() || (at_g != of_g.end() && *at_g < *at_h)) {
                const std::size_t r = *at_g++;
                const std::uint32_t t = object_at_[r];
                if (r != s && row_o[t] - std::max(rows_.row(t)[p], d_op) >= 0.0) return Move::leave;
            } else {
                const std::uint32_t t = object_at_[*at_h++];
                if (row_p[t] - std::max(to_o[t], d_po) >= 0.0) return Move::join;
            }
        }
        return Move::none;
    }

    void relocate(std::size_t s, GroupNumber to) {
        std::vector<std::size_t>& from = positions_of(group_at_[s]);
        from.erase(std::lower_bound(from.begin(), from.end(), s));
        std::vector<std::size_t>& into = positions_of(to);
        into.insert(std::lower_bound(into.begin(), into.end(), s), s);
        group_at_[s] = to;
        working_[object_at_[s]] = to;
    }

    const MatrixRows& rows_;
    Partition& working_;
    const std::size_t start_;
    std::int64_t lowest_ = 0;
    std::int64_t offset_ = 0;
    std::vector<std::uint32_t> object_at_;
    std::vector<GroupNumber> group_at_;
    std::vector<std::vector<std::size_t>> positions_;  // per group, from the lowest number on
};

// The working partitions that passes have started from, so that a pass
// about to start from one of them, and so to repeat the passes after it
// forever, is recognised before it runs. Each is kept as the positions where
// it differs from its predecessor (passes move few objects), found through a
// hash of the whole partition; a hash match is confirmed by rebuilding the
// earlier partition and comparing it whole.
class SeenPartitions {
public:
    // True when partition was recorded before; otherwise records it.
    bool seen_before(const Partition& partition) {
        const std::uint64_t hash = hash_of(partition);
        const auto [first, last] = by_hash_.equal_range(hash);
        for (auto candidate = first; candidate != last; ++candidate)
            if (rebuilt(candidate->second) == partition) return true;
        record(partition);
        by_hash_.emplace(hash, changes_.size() - 1);
        return false;
    }

private:
    struct Change {
        std::uint32_t object;
        GroupNumber group;
    };

    static std::uint64_t hash_of(const Partition& partition) {
        std::uint64_t hash = 0xcbf29ce484222325u;  // FNV-1a over the group numbers
        for (const GroupNumber group : partition) {
            hash ^= static_cast<std::uint32_t>(group);
            hash *= 0x100000001b3u;
        }
        return hash;
    }

    void record(const Partition& partition) {
        std::vector<Change> changes;
        if (changes_.empty()) {
            first_ = partition;
        } else {
            for (std::size_t o = 0; o < partition.size(); ++o)
                if (partition[o] != latest_[o]) changes.push_back({static_cast<std::uint32_t>(o), partition[o]});
        }
        changes_.push_back(std::move(changes));
        latest_ = partition;
    }

    // The partition recorded as number index (0 = the first).
    Partition rebuilt(std::size_t index) const {
        Partition partition = first_;
        for (std::size_t p = 1; p <= index; ++p)
            for (const Change& change : changes_[p]) partition[change.object] = change.group;
        return partition;
    }

    Partition first_;
    Partition latest_;
    std::vector<std::vector<Change>> changes_;
    std::unordered_multimap<std::uint64_t, std::size_t> by_hash_;
};

}  // namespace

double get_diff(const RealMatrix& distances, std::int32_t a, std::int32_t b, std::int32_t c) {
    return distances(b, c) - std::max(distances(c, a), distances(b, a));
}

std::int64_t get_scores(const RealMatrix& distances, const Partition& partition, double largest,
                        ScoreTable& scores) {
    return score_triples(MatrixRows(distances), partition, largest, scores);
}

void sort_by_scores(ScoreTable& scores) {
    heap_sort(scores.data(), scores.size(), [](const ObjectScore& s) { return s.score; });
}

Partition correct_reference(const RealMatrix& distances, const Partition& reference, const PassReport& report) {
    if (distances.size() != reference.size())
        throw SizeError(size_error::real_chars, "phylo-correction:232");
    if (reference.empty()) throw IndexError("reference correction of an empty partition");

    const double largest = largest_entry(distances);
    const MatrixRows rows(distances);
    const std::int64_t pass_limit = 10 * static_cast<std::int64_t>(reference.size()) + 100;
    Partition working = reference;
    ScoreTable scores;
    SeenPartitions seen;
    for (std::int64_t pass = 1;; ++pass) {
        renumber_by_first_occurrence(working);
        // The passes are a function of the partition they start from: a
        // repeated start repeats every pass after it, without end.
        if (seen.seen_before(working)) throw RangeError("reference correction did not converge");
        const std::int64_t conflict_count = score_triples(rows, working, largest, scores);
        sort_by_scores(scores);
        if (report) report(pass, conflict_count);
        if (conflict_count == 0) return working;
        if (pass == pass_limit) throw RangeError("reference correction did not converge");
        Moves(rows, scores, working).run();
    }
}

}  // namespace phylo::correction
