#include "phylo/series/link_counts.hpp"

#include <numeric>
#include <utility>

namespace phylo::series {

namespace {
constexpr int initial_bits = 10;
}

LinkCounts::LinkCounts(std::size_t n)
    : node_of_(n), neighbours_(n), slots_(std::size_t{1} << initial_bits, Slot{0, 0}), shift_(64 - initial_bits) {
    std::iota(node_of_.begin(), node_of_.end(), Node{0});
}

std::uint64_t LinkCounts::key_of(Node u, Node v) {
    if (u > v) std::swap(u, v);
    return std::uint64_t(static_cast<std::uint32_t>(u)) << 32 | static_cast<std::uint32_t>(v);
}

std::size_t LinkCounts::home(std::uint64_t key) const { return (key * 0x9E3779B97F4A7C15u) >> shift_; }

std::size_t LinkCounts::find(std::uint64_t key) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = home(key);
    while (slots_[slot].key != 0 && slots_[slot].key != key) slot = (slot + 1) & mask;
    return slot;
}

LinkCounts::Slot& LinkCounts::claim(std::uint64_t key, bool& inserted) {
    std::size_t slot = find(key);
    inserted = slots_[slot].key == 0;
    if (inserted) {
        if (2 * (used_ + 1) > slots_.size()) {
            grow();
            slot = find(key);
        }
        slots_[slot] = {key, 0};
        ++used_;
    }
    return slots_[slot];
}

// Linear probing with backward-shift deletion: later entries of the probe run
// move up so that no search stops early at the freed slot.
std::uint64_t LinkCounts::take(std::uint64_t key) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t hole = find(key);
    if (slots_[hole].key == 0) return 0;
    const std::uint64_t count = slots_[hole].count;
    for (std::size_t next = (hole + 1) & mask; slots_[next].key != 0; next = (next + 1) & mask) {
        const std::size_t wanted = home(slots_[next].key);
        // The entry may fill the hole unless its home lies cyclically in (hole, next].
        const bool stays = hole <= next ? (hole < wanted && wanted <= next) : (hole < wanted || wanted <= next);
        if (stays) continue;
        slots_[hole] = slots_[next];
        hole = next;
    }
    slots_[hole] = {0, 0};
    --used_;
    return count;
}

void LinkCounts::grow() {
    std::vector<Slot> old(2 * slots_.size(), Slot{0, 0});
    old.swap(slots_);
    --shift_;
    for (const Slot& s : old)
        if (s.key != 0) slots_[find(s.key)] = s;
}

std::uint64_t LinkCounts::add_link(std::int32_t a, std::int32_t b) {
    const Node u = node_of_[a], v = node_of_[b];
    bool inserted = false;
    Slot& slot = claim(key_of(u, v), inserted);
    if (inserted) {
        neighbours_[u].push_back(v);
        neighbours_[v].push_back(u);
    }
    return ++slot.count;
}

std::uint64_t LinkCounts::links(std::int32_t a, std::int32_t b) const {
    const std::uint64_t key = key_of(node_of_[a], node_of_[b]);
    const Slot& slot = slots_[find(key)];
    return slot.key == key ? slot.count : 0;
}

void LinkCounts::absorb(std::int32_t a, std::int32_t b) {
    Node small = node_of_[a], large = node_of_[b];
    if (neighbours_[small].size() > neighbours_[large].size()) std::swap(small, large);
    take(key_of(small, large));
    for (const Node c : neighbours_[small]) {
        if (c == large) continue;
        const std::uint64_t count = take(key_of(small, c));
        if (count == 0) continue;  // c's counts went to another node earlier
        bool inserted = false;
        claim(key_of(large, c), inserted).count += count;
        if (inserted) {
            neighbours_[large].push_back(c);
            neighbours_[c].push_back(large);
        }
    }
    std::vector<Node>().swap(neighbours_[small]);
    node_of_[b] = large;
}

}  // namespace phylo::series
