// The one sort procedure for reals and keyed records: an in-place, unstable
// heap sort. Equal keys end up in whatever order this exact procedure leaves
// them, and our users' clusterings depend on that order wherever distances
// tie, so every sort of reals or keyed records (the pair list, jackknife keys,
// the correction's score table, copies sorted for medians) goes through here.
// Keys are compared alone with a strict less-than.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace phylo {

namespace heap_sort_core {

// The procedure on positions 1 .. m, where at(p) is the record at position
// p. Each sift descends along the larger son all the way down, then climbs
// back while the father is smaller than the moving record. look_ahead(p,
// limit) is told, as the sons of a position are compared, of a position
// three levels further down that the descent may reach; it may fetch it
// into the cache and must change nothing.
template <class At, class KeyOf, class LookAhead>
void sort_positions(std::size_t m, At at, KeyOf key, LookAhead look_ahead) {
    using Record = std::remove_reference_t<decltype(at(std::size_t{1}))>;
    auto sift = [&](std::size_t s, std::size_t limit, Record moving) {
        std::size_t c = s;
        for (;;) {
            std::size_t son = 2 * c;
            if (son > limit) break;
            look_ahead(8 * son, limit);
            if (son < limit && key(at(son)) < key(at(son + 1))) ++son;
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
    };
    for (std::size_t j = m / 2; j >= 1; --j) sift(j, m, std::move(at(j)));
    while (m > 1) {
        Record moving = std::move(at(m));
        at(m) = std::move(at(1));
        --m;
        sift(1, m, std::move(moving));
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
// The lists of millions of records of the pair list live here.
template <class T>
class HeapPositions {
    static_assert(std::is_trivially_destructible_v<T>);

public:
    explicit HeapPositions(std::size_t m) : m_(m), cells_(new(std::align_val_t(line)) T[m + 1]) {}
    std::size_t size() const noexcept { return m_; }
    T& operator[](std::size_t p) noexcept { return cells_[p]; }
    const T& operator[](std::size_t p) const noexcept { return cells_[p]; }
    T* data() noexcept { return cells_.get(); }

private:
    static constexpr std::size_t line = 64;
    struct Release {
        void operator()(T* cells) const noexcept { ::operator delete[](cells, std::align_val_t(line)); }
    };
    std::size_t m_;
    std::unique_ptr<T[], Release> cells_;
};

// The same procedure on heap[1 .. m] of such storage, asking for the cache
// line of the great-grandsons while it compares the sons: the same
// comparisons and moves, so equal keys end in the same order.
template <class T, class KeyOf>
void heap_sort(HeapPositions<T>& heap, KeyOf key) {
    T* cells = heap.data();
    heap_sort_core::sort_positions(heap.size(), [cells](std::size_t p) -> T& { return cells[p]; }, key,
                                   [cells](std::size_t ahead, std::size_t limit) {
                                       if (ahead <= limit) __builtin_prefetch(cells + ahead);
                                   });
}

}  // namespace phylo
