// The heap sort of heap_sort.hpp, step for step, tuned for lists of millions
// of records: it works on positions 1 .. m of a cache-line aligned buffer so
// that two brothers always share a line, and it asks for the line of the
// grand-grandsons while it compares the sons. Every comparison and every move
// is the one phylo::heap_sort makes, so equal keys end in the same order.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace phylo {

// Storage for positions 0 .. m of T whose position 0 starts a cache line;
// position 0 is not used by the sort.
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

// Sorts heap[1 .. m] ascending by key(heap[p]), exactly as phylo::heap_sort
// sorts the same records held at heap[0 .. m - 1].
template <class T, class KeyOf>
void lean_heap_sort(T* heap, std::size_t m, KeyOf key) {
    auto sift = [&](std::size_t s, std::size_t limit, T moving) {
        std::size_t c = s;
        for (;;) {
            const std::size_t son = 2 * c;
            if (son > limit) break;
            if (8 * son <= limit) __builtin_prefetch(heap + 8 * son);
            std::size_t larger = son;
            if (son < limit && key(heap[son]) < key(heap[son + 1])) larger = son + 1;
            heap[c] = std::move(heap[larger]);
            c = larger;
        }
        const auto moving_key = key(moving);
        while (c != s) {
            const std::size_t father = c / 2;
            if (!(key(heap[father]) < moving_key)) break;
            heap[c] = std::move(heap[father]);
            c = father;
        }
        heap[c] = std::move(moving);
    };
    for (std::size_t j = m / 2; j >= 1; --j) sift(j, m, std::move(heap[j]));
    while (m > 1) {
        T moving = std::move(heap[m]);
        heap[m] = std::move(heap[1]);
        --m;
        sift(1, m, std::move(moving));
    }
}

}  // namespace phylo
