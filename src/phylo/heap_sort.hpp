// The one sort procedure for reals and keyed records: an in-place, unstable
// heap sort. Equal keys end up in whatever order this exact procedure leaves
// them, and our users' clusterings depend on that order wherever distances
// tie, so every sort of reals or keyed records (the pair list, jackknife keys,
// the correction's score table, copies sorted for medians) goes through here.
// Keys are compared alone with a strict less-than.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <functional>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#ifdef _OPENMP
#include <omp.h>
#endif
#ifdef __linux__
#include <sys/mman.h>
#endif

namespace phylo {

// Told now and then how far a long sort has come: done of total steps (one
// step per sift). The last call has done == total.
using SortProgress = std::function<void(std::size_t done, std::size_t total)>;

namespace heap_sort_core {

// One sift from s over positions up to limit with the moving record: descend
// along the larger son all the way down, then climb back while the father is
// smaller than the moving record. look_ahead(c, limit) is told of each
// position c whose sons the descent compares; it may fetch the descendants
// of c a few levels further down into the cache and must change nothing.
template <class At, class KeyOf, class LookAhead, class Record>
inline void sift(std::size_t s, std::size_t limit, Record moving, At& at, KeyOf& key, LookAhead& look_ahead) {
    std::size_t c = s;
    for (;;) {
        std::size_t son = 2 * c;
        if (son > limit) break;
        look_ahead(c, limit);
        // The same comparison, taken as a number rather than a jump: with the
        // descendants already fetched, a mispredicted jump costs more.
        if (son < limit) son += static_cast<std::size_t>(key(at(son)) < key(at(son + 1)));
        at(c) = std::move(at(son));
        c = son;
    }
    const auto moving_key = key(moving);
    while (c != s) {
        const std::size_t father = c / 2;
        if (!(key(at(father)) < moving_key)) break;
        at(c) = std::move(at(father));
        c = father;
    }
    at(c) = std::move(moving);
}

// Progress is reported every this many sifts.
inline constexpr std::size_t progress_stride = std::size_t{1} << 18;

// A level of the build with fewer sifts than this is not worth sharing out.
inline constexpr std::size_t shared_level = 1 << 14;

// The procedure on positions 1 .. m, where at(p) is the record at position p:
// build the heap by sifting from m/2 down to 1, then repeatedly move the top
// to the end and sift the last record in from the top.
//
// With parallel_build the build runs level by level on all threads: the
// sifts from positions of one level (2^L .. 2^(L+1) - 1) reach disjoint
// subtrees and read nothing the others write, and every sift of a level
// follows, in the one-thread order, every sift of the levels below it, so
// the heap is the same whatever the number of threads.
template <class At, class KeyOf, class LookAhead>
void sort_positions(std::size_t m, At at, KeyOf key, LookAhead look_ahead, bool parallel_build = false,
                    const SortProgress* progress = nullptr) {
    using Record = std::remove_cvref_t<decltype(at(std::size_t{1}))>;
    const std::size_t total = m / 2 + (m > 1 ? m - 1 : 0);
    std::size_t done = 0;
    const auto tell = [&](std::size_t steps) {
        done += steps;
        if (progress && *progress) (*progress)(done, total);
    };
    const std::size_t last_father = m / 2;
    for (std::size_t low = std::bit_floor(last_father); low >= 1; low /= 2) {
        const std::size_t high = std::min(2 * low - 1, last_father);
        const std::size_t count = high - low + 1;
#ifdef _OPENMP
        if (parallel_build && count >= shared_level && omp_get_max_threads() > 1 && !omp_in_parallel()) {
#pragma omp parallel for schedule(static)
            for (std::size_t k = 0; k < count; ++k) {
                At at_k = at;
                KeyOf key_k = key;
                LookAhead look_k = look_ahead;
                sift(high - k, m, Record(std::move(at_k(high - k))), at_k, key_k, look_k);
            }
            tell(count);
            continue;
        }
#endif
        (void)parallel_build;
        for (std::size_t j = high; j >= low; --j) sift(j, m, Record(std::move(at(j))), at, key, look_ahead);
        if (count >= progress_stride) tell(count);
        else done += count;
    }
    std::size_t since = 0;
    while (m > 1) {
        Record moving = std::move(at(m));
        at(m) = std::move(at(1));
        --m;
        sift(1, m, std::move(moving), at, key, look_ahead);
        if (++since == progress_stride) tell(std::exchange(since, 0));
    }
    if (progress && *progress && total > 0) {
        done += since;
        (*progress)(done, total);
    }
}

}  // namespace heap_sort_core

// Sorts a[0 .. m-1] ascending by key(a[i]); position p is a[p - 1].
template <class T, class KeyOf>
void heap_sort(T* a, std::size_t m, KeyOf key) {
    heap_sort_core::sort_positions(m, [a](std::size_t p) -> T& { return a[p - 1]; }, key,
                                   [](std::size_t, std::size_t) {});
}

// Sorts plain reals with the same procedure.
inline void heap_sort(double* a, std::size_t m) {
    heap_sort(a, m, [](double x) { return x; });
}

// Storage for positions 0 .. m of T whose position 0 starts a cache line, so
// that two brothers always share a line; position 0 is not used by the sort.
// The lists of millions of records of the pair list live here. Large storage
// is asked to live on huge pages, where the system offers them: the sort
// reaches all over it, and with small pages most steps near the bottom of the
// heap would also miss the address cache.
template <class T>
class HeapPositions {
    static_assert(std::is_trivially_destructible_v<T>);

public:
    static constexpr std::size_t line = 64;

    explicit HeapPositions(std::size_t m)
        : m_(m), cells_(allocate(m + 1), Release{alignment((m + 1) * sizeof(T))}) {}
    std::size_t size() const noexcept { return m_; }
    T& operator[](std::size_t p) noexcept { return cells_[p]; }
    const T& operator[](std::size_t p) const noexcept { return cells_[p]; }
    T* data() noexcept { return cells_.get(); }

private:
    static constexpr std::size_t huge_page = std::size_t{1} << 21;

    static std::size_t alignment(std::size_t bytes) { return bytes >= 8 * huge_page ? huge_page : line; }
    static T* allocate(std::size_t count) {
        const std::size_t bytes = count * sizeof(T), align = alignment(bytes);
        T* cells = new (std::align_val_t(align)) T[count];
#if defined(__linux__) && defined(MADV_HUGEPAGE)
        if (align == huge_page) madvise(cells, bytes / huge_page * huge_page, MADV_HUGEPAGE);
#endif
        return cells;
    }
    struct Release {
        std::size_t align;
        void operator()(T* cells) const noexcept { ::operator delete[](cells, std::align_val_t(align)); }
    };
    std::size_t m_;
    std::unique_ptr<T[], Release> cells_;
};

// The same procedure on heap[1 .. m] of such storage: the build shared out
// over the threads (OMP_NUM_THREADS), and each step of a descent from c
// fetching the four cache lines that hold the descendants of c some levels
// down (2^depth of them, from c * 2^depth on: 64 records of 4 bytes, 32 of 8),
// so that memory is already on its way when the descent gets there. The same
// comparisons and moves, so equal keys end in the same order.
template <class T, class KeyOf>
void heap_sort(HeapPositions<T>& heap, KeyOf key, const SortProgress* progress = nullptr) {
    constexpr std::size_t line = HeapPositions<T>::line, lines = 4;
    constexpr std::size_t depth = std::bit_width(std::max<std::size_t>(2, lines * line / sizeof(T))) - 1;
    constexpr std::size_t per_line = std::max<std::size_t>(1, line / sizeof(T));
    T* cells = heap.data();
    heap_sort_core::sort_positions(
        heap.size(), [cells](std::size_t p) -> T& { return cells[p]; }, key,
        [cells](std::size_t c, std::size_t limit) {
            const std::size_t first = c << depth;
            if (first > limit) return;
            for (std::size_t k = 0; k < lines; ++k) __builtin_prefetch(cells + first + k * per_line);
        },
        true, progress);
}

}  // namespace phylo
