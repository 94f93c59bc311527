// Ranks of sort keys. The heap sort only ever asks whether one key is less
// than another, so it sorts compact records carrying the rank of their key
// among the distinct keys exactly as it sorts the keys themselves.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace phylo::series {

// A 64-bit image of a double that orders and equates as the double does
// (-0.0 and +0.0 alike); NaN has none. No image is 0.
inline std::uint64_t order_key(double value) {
    if (value == 0.0) value = 0.0;
    const auto bits = std::bit_cast<std::uint64_t>(value);
    return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

struct Ranks {
    std::vector<std::uint32_t> of;  // the rank of key p, 0 .. count - 1
    std::size_t count = 0;          // distinct keys
};

// Distinct keys in an open-addressing table. Tie-heavy lists (distances
// rounded to a few decimals) have few distinct keys, and a table that stays
// in cache ranks millions of keys in two passes; lists with many distinct
// keys are ranked by sorting instead.
class DistinctKeys {
public:
    static constexpr std::size_t limit = std::size_t{1} << 20;

    // False once more than limit distinct keys have been seen.
    bool insert(std::uint64_t key);
    // Numbers the distinct keys 0, 1, ... in ascending order.
    void number();
    std::uint32_t rank(std::uint64_t key) const { return ranks_[find(key)]; }
    std::size_t size() const noexcept { return count_; }

private:
    static constexpr std::uint64_t empty = 0;
    std::size_t find(std::uint64_t key) const;
    void grow();

    std::vector<std::uint64_t> keys_ = std::vector<std::uint64_t>(1024, empty);
    std::vector<std::uint32_t> ranks_;
    std::size_t count_ = 0;
};

struct KeyPosition {
    std::uint64_t key;
    std::uint32_t position;
};

// Ranks by sorting the order keys of positions 0 .. items.size() - 1.
Ranks rank_by_sorting(std::vector<KeyPosition> items);

// The ranks of m keys, found by their position and value: looked up in the
// table of distinct keys where those are few, so that nothing per key is
// kept; else kept per key, ranked by sorting.
class KeyRanks {
public:
    std::uint32_t operator()(std::size_t position, double key) const {
        return by_table_ ? table_.rank(order_key(key)) : of_[position];
    }
    std::size_t count() const noexcept { return count_; }
    // The place of position's rank, to fetch into the cache ahead of use.
    const void* where(std::size_t position) const noexcept { return by_table_ ? nullptr : of_.data() + position; }

    // Ranks of m keys that for_each_key(visit) hands to visit one after
    // another (it is called once or twice); nothing when a key is NaN.
    template <class ForEachKey>
    static std::optional<KeyRanks> of(std::size_t m, ForEachKey for_each_key);

private:
    bool by_table_ = true;
    DistinctKeys table_;
    std::vector<std::uint32_t> of_;
    std::size_t count_ = 0;
};

template <class ForEachKey>
std::optional<KeyRanks> KeyRanks::of(std::size_t m, ForEachKey for_each_key) {
    KeyRanks ranks;
    bool not_a_number = false;
    for_each_key([&](double key) {
        if (key != key) not_a_number = true;
        else if (ranks.by_table_) ranks.by_table_ = ranks.table_.insert(order_key(key));
    });
    if (not_a_number) return std::nullopt;
    if (ranks.by_table_) {
        ranks.table_.number();
        ranks.count_ = ranks.table_.size();
        return ranks;
    }
    ranks.table_ = DistinctKeys();
    std::vector<KeyPosition> items;
    items.reserve(m);
    for_each_key([&](double key) { items.push_back({order_key(key), static_cast<std::uint32_t>(items.size())}); });
    Ranks sorted = rank_by_sorting(std::move(items));
    ranks.of_ = std::move(sorted.of);
    ranks.count_ = sorted.count;
    return ranks;
}

}  // namespace phylo::series
