#include "phylo/series/pair_ranks.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace phylo::series {

bool DistinctKeys::insert(std::uint64_t key) {
    const std::size_t slot = find(key);
    if (keys_[slot] == key) return true;
    if (++count_ > limit) return false;
    keys_[slot] = key;
    if (2 * count_ > keys_.size()) grow();
    return true;
}

void DistinctKeys::number() {
    std::vector<std::uint64_t> distinct;
    distinct.reserve(count_);
    for (std::uint64_t key : keys_)
        if (key != empty) distinct.push_back(key);
    std::sort(distinct.begin(), distinct.end());
    ranks_.assign(keys_.size(), 0);
    for (std::size_t r = 0; r < distinct.size(); ++r) ranks_[find(distinct[r])] = static_cast<std::uint32_t>(r);
}

std::size_t DistinctKeys::find(std::uint64_t key) const {
    const std::size_t mask = keys_.size() - 1;
    std::size_t slot = (key * 0x9E3779B97F4A7C15u) >> 32 & mask;
    while (keys_[slot] != empty && keys_[slot] != key) slot = (slot + 1) & mask;
    return slot;
}

void DistinctKeys::grow() {
    std::vector<std::uint64_t> old(2 * keys_.size(), empty);
    old.swap(keys_);
    for (std::uint64_t key : old)
        if (key != empty) keys_[find(key)] = key;
}

namespace {

// Least-significant-digit radix sort by key, skipping the digits that every
// key shares.
void radix_sort(std::vector<KeyPosition>& items) {
    std::array<std::array<std::size_t, 256>, 8> counts{};
    for (const KeyPosition& item : items)
        for (int d = 0; d < 8; ++d) ++counts[d][item.key >> (8 * d) & 0xFF];
    std::vector<KeyPosition> scratch(items.size());
    for (int d = 0; d < 8; ++d) {
        auto& count = counts[d];
        if (std::find(count.begin(), count.end(), items.size()) != count.end()) continue;
        std::size_t start = 0;
        for (std::size_t& c : count) start += std::exchange(c, start);
        for (const KeyPosition& item : items) scratch[count[item.key >> (8 * d) & 0xFF]++] = item;
        items.swap(scratch);
    }
}

}  // namespace

Ranks rank_by_sorting(std::vector<KeyPosition> items) {
    radix_sort(items);
    Ranks ranks;
    ranks.of.resize(items.size());
    std::uint32_t rank = 0;
    for (std::size_t q = 0; q < items.size(); ++q) {
        if (q > 0 && items[q].key != items[q - 1].key) ++rank;
        ranks.of[items[q].position] = rank;
    }
    ranks.count = items.empty() ? 0 : std::size_t{rank} + 1;
    return ranks;
}

}  // namespace phylo::series
