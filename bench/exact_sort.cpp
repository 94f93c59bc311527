// The exact heap sort of the pair list against std::sort of the same records,
// which is the floor for any sort of them. The records are those the pair
// list sorts: rank << id_bits | id, the rank of a distance among the distinct
// distances and an id for the pairs up to 0.1 (0 for the others), 32 bits
// wide where they fit, else 64; and the split records the pair list sorts
// instead on long lists with fewer than 2^16 distinct distances: 16-bit heads
// of the rank and the id's high bits, with its low bits in a second array.
// The distances follow bench/generate_matrix
// (species of 1 to 20 taxa, 0 .. 0.05 within, 0.1 .. 0.5 between) rounded to
// DECIMALS; no matrix is written.
//
//   exact_sort N DECIMALS [RUNS]   (built with -fopenmp; OMP_NUM_THREADS holds)
#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "phylo/heap_sort.hpp"

namespace {

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

template <class Record>
void measure(const std::vector<std::uint32_t>& ranks, const std::vector<bool>& wanted, unsigned id_bits, int runs) {
    const std::size_t m = ranks.size();
    std::vector<Record> fill(m);
    std::size_t id = 0;
    for (std::size_t p = 0; p < m; ++p) fill[p] = Record{ranks[p]} << id_bits | (wanted[p] ? Record(id++) : 0);
    std::vector<double> heap_times, std_times;
    std::vector<Record> by_heap, by_std;
    for (int r = 0; r < runs; ++r) {
        phylo::HeapPositions<Record> heap(m);
        std::copy(fill.begin(), fill.end(), heap.data() + 1);
        auto start = std::chrono::steady_clock::now();
        phylo::heap_sort(heap, [id_bits](Record x) { return x >> id_bits; });
        heap_times.push_back(seconds_since(start));
        by_heap.assign(heap.data() + 1, heap.data() + 1 + m);
        by_std = fill;
        start = std::chrono::steady_clock::now();
        std::sort(by_std.begin(), by_std.end(), [id_bits](Record a, Record b) { return a >> id_bits < b >> id_bits; });
        std_times.push_back(seconds_since(start));
    }
    const auto median = [](std::vector<double> times) {
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    const double heap = median(heap_times), floor = median(std_times);
    std::printf("%zu records of %zu bits (%zu wanted): exact heap sort %.3fs, std::sort %.3fs, ratio %.2f "
                "(medians of %d)\n",
                m, 8 * sizeof(Record), id, heap, floor, heap / floor, runs);
    bool same_ranks = true;
    for (std::size_t p = 0; p < m; ++p) same_ranks &= by_heap[p] >> id_bits == by_std[p] >> id_bits;
    if (!same_ranks) std::printf("the two sorts disagree on the ranks!\n");
    // The split records, as the pair list makes them on long lists where
    // there are fewer than 2^16 ranks: heads rank << spare | id >> 16, tails
    // the id's low 16 bits, heads compared by their rank bits alone.
    const std::uint32_t ranks_in_all = *std::max_element(ranks.begin(), ranks.end()) + 1;
    if (sizeof(Record) != 4 || id == 0 || ranks_in_all >= (1u << 16)) return;
    const unsigned spare = 16 - static_cast<unsigned>(std::bit_width(ranks_in_all));
    if (id > (std::size_t{1} << (16 + spare))) return;
    const Record id_mask = (Record{1} << id_bits) - 1;
    const auto rank_bits = static_cast<std::uint16_t>(0xFFFFu << spare);
    // The wanted records are those of the smallest ranks: the first id of the sorted list.
    const auto named_below = static_cast<std::uint16_t>(((by_heap[id - 1] >> id_bits) + 1) << spare);
    const auto head_of = [&](Record record) {
        return static_cast<std::uint16_t>((record >> id_bits) << spare | (record & id_mask) >> 16);
    };
    std::vector<double> split_times;
    bool same = true;
    for (int r = 0; r < runs; ++r) {
        phylo::HeapPositions<std::uint16_t> heads(m), tails(m);
        for (std::size_t p = 0; p < m; ++p) {
            heads[p + 1] = head_of(fill[p]);
            if (heads[p + 1] < named_below) tails[p + 1] = static_cast<std::uint16_t>(fill[p] & id_mask);
        }
        const auto start = std::chrono::steady_clock::now();
        phylo::heap_sort(heads, tails, named_below,
                         [rank_bits](std::uint16_t head) { return static_cast<std::uint16_t>(head & rank_bits); });
        split_times.push_back(seconds_since(start));
        for (std::size_t p = 0; p < m; ++p)
            same &= heads[p + 1] == head_of(by_heap[p]) &&
                    (heads[p + 1] >= named_below || tails[p + 1] == static_cast<std::uint16_t>(by_heap[p] & id_mask));
    }
    const double split = median(split_times);
    std::printf("the same as 16-bit heads with the ids' low bits beside them: exact heap sort %.3fs, ratio to std::sort %.2f, "
                "to the 32-bit records %.2f%s\n",
                split, split / floor, split / heap, same ? "" : "; THE ORDERS DIFFER!");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s N DECIMALS [RUNS]\n", argv[0]);
        return 2;
    }
    const std::size_t n = std::strtoul(argv[1], nullptr, 10);
    const int decimals = std::atoi(argv[2]);
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    std::mt19937_64 rng(1);
    std::vector<int> species(n);
    for (std::size_t i = 0, current = 0; i < n; ++current)
        for (std::size_t k = 0, size = 1 + rng() % 20; k < size && i < n; ++k) species[i++] = static_cast<int>(current);
    std::uniform_real_distribution<double> within(0.0, 0.05), between(0.1, 0.5);
    const double scale = std::pow(10.0, decimals);
    // Rounded distances are multiples of 10^-DECIMALS below 0.5, so the
    // multiple itself ranks them.
    std::vector<std::uint32_t> ranks;
    std::vector<bool> wanted;
    for (std::size_t i = 0; i + 1 < n; ++i)
        for (std::size_t j = i + 1; j < n; ++j) {
            const double d = species[i] == species[j] ? within(rng) : between(rng);
            const auto multiple = static_cast<std::uint32_t>(std::llround(d * scale));
            ranks.push_back(multiple);
            wanted.push_back(multiple <= std::llround(0.1 * scale));
        }
    const std::size_t wanted_count = static_cast<std::size_t>(std::count(wanted.begin(), wanted.end(), true));
    const auto rank_bits = static_cast<unsigned>(std::bit_width(std::uint32_t(0.5 * scale)));
    const auto id_bits = static_cast<unsigned>(std::bit_width(wanted_count));
    if (rank_bits + id_bits <= 32) measure<std::uint32_t>(ranks, wanted, id_bits, runs);
    else measure<std::uint64_t>(ranks, wanted, 32, runs);
    return 0;
}
